#include "bill_count.h"

#include <algorithm>
#include <map>
#include <optional>

#include "commands.h"
#include "json_values.h"
#include "platform/com/dispatch.h"
#include "platform/oleaut/convert.h"
#include "platform/oleaut/text.h"
#include "platform/vdl/dictionary.h"
#include "printing/bill_lookup.h"
#include "printing/print_count.h"
#include "recordset_printer.h"

namespace tavprint {

namespace {

std::string TypeTitle(const printing::BillType& type) {
  return "bill type " + std::to_string(type.id) + " (" + ToUtf8(type.name) + ")";
}

std::string CountText(const std::optional<std::int32_t>& count) {
  return count ? std::to_string(*count) : "never";
}

Json CountJson(const std::optional<std::int32_t>& count) {
  return count ? Json(*count) : Json(nullptr);
}

// The values of `counter` for the bills, by interior id; a bill without a row has none.
std::map<std::int32_t, Variant> ReadCounter(com::Dispatch& get_data, const Bstr& dsn,
                                            const PrintCounter& counter,
                                            const std::vector<std::int32_t>& ids) {
  std::map<std::int32_t, Variant> values;
  for (const printing::Row& row :
       printing::QueryRows(get_data, dsn,
                           u"SELECT " + FromUtf8(counter.key) + u", " + FromUtf8(counter.field) +
                               u" FROM " + FromUtf8(counter.table) + u" WHERE " +
                               FromUtf8(counter.key) + u" IN (" + printing::IdList(ids) + u")")) {
    values.emplace(oleaut::ToLong(row[0]), row[1]);
  }
  return values;
}

Json ValueJson(const std::map<std::int32_t, Variant>& values, std::int32_t id) {
  const auto found = values.find(id);
  return found == values.end() ? Json(nullptr) : MakeResultPrinter().Print(found->second);
}

std::string ValueText(const std::map<std::int32_t, Variant>& values, std::int32_t id) {
  const auto found = values.find(id);
  return found == values.end() ? "(no row)" : CellText(found->second);
}

// A counter the caller names, raised through clsPrintSetupUpdate.UpdatePrintCount.
void CountInNamedCounter(com::Dispatch& get_data, const Bstr& dsn, const printing::BillType& type,
                         const std::vector<std::int32_t>& ids, bool raise,
                         const PrintCounter& counter, const OutputOptions& options,
                         std::ostream& out) {
  for (const std::string* name : {&counter.table, &counter.field, &counter.key}) {
    if (!printing::IsSqlName(FromUtf8(*name))) {
      FailCommand("bill count: '" + *name + "' is no table or column name");
    }
  }
  const std::map<std::int32_t, Variant> before = ReadCounter(get_data, dsn, counter, ids);
  std::map<std::int32_t, Variant> after;
  if (raise) {
    auto data = com::Make<vdl::Dictionary>();
    data->SetItem(u"TableName", FromUtf8(counter.table));
    data->SetItem(u"FieldName", FromUtf8(counter.field));
    data->SetItem(u"PriKey", FromUtf8(counter.key));
    data->SetItem(u"InterIDs", printing::IdList(ids));
    ActivateLateBound(u"TAVMPrintExport.clsPrintSetupUpdate")->Call(u"UpdatePrintCount", dsn, data);
    after = ReadCounter(get_data, dsn, counter, ids);
  }
  const std::string where = counter.table + "." + counter.field + " by " + counter.key;
  if (options.json) {
    Json bills = Json::array();
    for (const std::int32_t id : ids) {
      Json bill = {{"inter_id", id}};
      bill[raise ? "before" : "count"] = ValueJson(before, id);
      if (raise) bill["after"] = ValueJson(after, id);
      bills.push_back(std::move(bill));
    }
    return WriteJson({{"bill_type", type.id}, {"counter", where}, {"bills", bills}}, out);
  }
  out << (raise ? "Counted one print of each bill of " : "Print counts of bills of ")
      << TypeTitle(type) << " in " << where
      << (raise ? " (clsPrintSetupUpdate.UpdatePrintCount)\n" : "\n");
  std::vector<std::vector<std::string>> cells{{"FInterID", raise ? "before" : "count"}};
  if (raise) cells[0].push_back("after");
  for (const std::int32_t id : ids) {
    cells.push_back({std::to_string(id), ValueText(before, id)});
    if (raise) cells.back().push_back(ValueText(after, id));
  }
  PrintTextTable(cells, out);
}

void RaiseInPrintCount(const Bstr& dsn, const printing::BillType& type,
                       const std::vector<std::int32_t>& ids, const OutputOptions& options,
                       std::ostream& out) {
  const std::vector<printing::PrintCountChange> changes =
      printing::RaisePrintCounts(dsn, type.id, ids);
  if (options.json) {
    Json bills = Json::array();
    for (const printing::PrintCountChange& change : changes) {
      bills.push_back({{"inter_id", change.inter_id},
                       {"before", CountJson(change.before)},
                       {"after", change.after}});
    }
    return WriteJson({{"bill_type", type.id}, {"counter", "ICPrintCount"}, {"bills", bills}}, out);
  }
  out << "Counted one print of each bill of " << TypeTitle(type) << " in ICPrintCount\n";
  std::vector<std::vector<std::string>> cells{{"FInterID", "before", "after"}};
  for (const printing::PrintCountChange& change : changes) {
    cells.push_back(
        {std::to_string(change.inter_id), CountText(change.before), std::to_string(change.after)});
  }
  PrintTextTable(cells, out);
}

void ShowPrintCount(const Bstr& dsn, const printing::BillType& type,
                    const std::vector<std::int32_t>& ids, const OutputOptions& options,
                    std::ostream& out) {
  const std::vector<printing::PrintCount> counts = printing::ReadPrintCounts(dsn, type.id, ids);
  const auto get_data = ActivateLateBound(u"TAVMPrintExport.clsGetData");
  std::vector<std::string> printouts;
  for (const printing::PrintCount& count : counts) {
    printouts.push_back(ToUtf8(oleaut::ToString(
        get_data->Call(u"GetBillPrintCount", dsn, oleaut::ToString(count.inter_id), type.id))));
  }
  if (options.json) {
    Json bills = Json::array();
    for (std::size_t i = 0; i < counts.size(); ++i) {
      bills.push_back({{"inter_id", counts[i].inter_id},
                       {"count", CountJson(counts[i].count)},
                       {"printout", printouts[i]}});
    }
    return WriteJson({{"bill_type", type.id}, {"counter", "ICPrintCount"}, {"bills", bills}}, out);
  }
  out << "Print counts of bills of " << TypeTitle(type)
      << " in ICPrintCount, and what their printouts say (clsGetData.GetBillPrintCount)\n";
  std::vector<std::vector<std::string>> cells{{"FInterID", "count", "printout"}};
  for (std::size_t i = 0; i < counts.size(); ++i) {
    cells.push_back({std::to_string(counts[i].inter_id), CountText(counts[i].count),
                     printouts[i].empty() ? "(not shown)" : printouts[i]});
  }
  PrintTextTable(cells, out);
  if (std::find(printouts.begin(), printouts.end(), "") != printouts.end()) {
    out << "(not shown: the bill type's printouts show no count, ICPrintMaxCount.FShowPrintTimes "
           "is not 1)\n";
  }
}

}  // namespace

void RunBillCount(const std::string& dsn, std::int32_t bill_type,
                  const std::vector<std::int32_t>& bill_ids, bool raise,
                  const PrintCounter& counter, const OutputOptions& options, std::ostream& out) {
  const Bstr sdsn = FromUtf8(dsn);
  const auto get_data = ActivateLateBound(u"TAVMPrintExport.clsGetData");
  const printing::BillType type = printing::LookUpBillType(*get_data, sdsn, bill_type);
  const std::vector<std::int32_t> ids = printing::DistinctIds(bill_ids);
  if (!counter.table.empty()) {
    if (oleaut::EqualsNoCase(FromUtf8(counter.table), u"ICPrintCount")) {
      FailCommand("bill count: ICPrintCount is the counter without --table (counted by bill type)");
    }
    printing::RequireBillsOfType(*get_data, sdsn, type, ids);
    return CountInNamedCounter(*get_data, sdsn, type, ids, raise, counter, options, out);
  }
  if (raise) return RaiseInPrintCount(sdsn, type, ids, options, out);
  ShowPrintCount(sdsn, type, ids, options, out);
}

}  // namespace tavprint
