#include "printing/print_count.h"

#include <unordered_map>

#include "platform/oleaut/com_error.h"
#include "platform/oleaut/convert.h"
#include "printing/bill_lookup.h"

namespace printing {

namespace {

using oleaut::Bstr;
using oleaut::Variant;

std::int32_t CountOf(const Variant& value) {
  return value.IsNull() ? 0 : oleaut::ToLong(value);
}

// The batch that counts one print of `ids`, all bills of `type`. Its guard repeats the check made
// before it: should a bill have changed in between, it writes nothing and returns fewer rows.
// The rows: FInterID, FBefore, FCounted (1 when the bill had a row), FAfter.
Bstr RaiseBatch(const BillType& type, std::span<const std::int32_t> ids) {
  const Bstr fid = oleaut::ToString(type.id);
  const Bstr list = IdList(ids);
  return u"IF object_id('tempdb..#tavPrintCount') IS NOT NULL DROP TABLE #tavPrintCount\r\n"
         u"SELECT h." +
         type.key_column +
         u" AS FInterID, c.FPrintCount AS FBefore, "
         u"CASE WHEN c.FInterID IS NULL THEN 0 ELSE 1 END AS FCounted INTO #tavPrintCount FROM " +
         type.head_table + u" h LEFT JOIN ICPrintCount c ON c.FID = " + fid +
         u" AND c.FInterID = h." + type.key_column + u" WHERE h." + type.key_column + u" IN (" +
         list + u") AND h.FTranType = " + fid +
         u"\r\n"
         u"IF (SELECT count(*) FROM #tavPrintCount) = " +
         oleaut::ToString(static_cast<std::int32_t>(ids.size())) +
         u"\r\n"
         u"BEGIN\r\n"
         u"UPDATE ICPrintCount SET FPrintCount = isnull(FPrintCount, 0) + 1 WHERE FID = " +
         fid + u" AND FInterID IN (" + list +
         u")\r\n"
         u"INSERT INTO ICPrintCount (FID, FInterID, FPrintCount) SELECT " +
         fid +
         u", FInterID, 1 FROM #tavPrintCount WHERE FCounted = 0\r\n"
         u"END\r\n"
         u"SELECT t.FInterID, t.FBefore, t.FCounted, c.FPrintCount AS FAfter FROM #tavPrintCount t "
         u"LEFT JOIN ICPrintCount c ON c.FID = " +
         fid + u" AND c.FInterID = t.FInterID";
}

// The bills asked for, each once, checked to be bills of their type.
struct CheckedBills {
  com::Ptr<com::Dispatch> get_data;
  BillType type;
  std::vector<std::int32_t> ids;
};

CheckedBills CheckBills(const Bstr& dsn, std::int32_t bill_type,
                        std::span<const std::int32_t> inter_ids) {
  CheckedBills bills{ActivateGetData(), {}, DistinctIds(inter_ids)};
  bills.type = LookUpBillType(*bills.get_data, dsn, bill_type);
  RequireBillsOfType(*bills.get_data, dsn, bills.type, bills.ids);
  return bills;
}

}  // namespace

std::vector<PrintCount> ReadPrintCounts(const Bstr& dsn, std::int32_t bill_type,
                                        std::span<const std::int32_t> inter_ids) {
  const auto [get_data, type, ids] = CheckBills(dsn, bill_type, inter_ids);
  std::unordered_map<std::int32_t, std::int32_t> stored;
  for (const Row& row :
       QueryRows(*get_data, dsn,
                 u"SELECT FInterID, FPrintCount FROM ICPrintCount WHERE FID = " +
                     oleaut::ToString(bill_type) + u" AND FInterID IN (" + IdList(ids) + u")")) {
    stored.emplace(oleaut::ToLong(row[0]), CountOf(row[1]));
  }
  std::vector<PrintCount> counts;
  for (const std::int32_t id : ids) {
    const auto found = stored.find(id);
    counts.push_back(
        {id, found == stored.end() ? std::nullopt : std::optional<std::int32_t>(found->second)});
  }
  return counts;
}

std::vector<PrintCountChange> RaisePrintCounts(const Bstr& dsn, std::int32_t bill_type,
                                               std::span<const std::int32_t> inter_ids) {
  const auto [get_data, type, ids] = CheckBills(dsn, bill_type, inter_ids);
  std::unordered_map<std::int32_t, PrintCountChange> changes;
  for (const Row& row : QueryRows(*get_data, dsn, RaiseBatch(type, ids))) {
    const std::int32_t id = oleaut::ToLong(row[0]);
    const bool counted = CountOf(row[2]) == 1;
    changes.emplace(id,
                    PrintCountChange{id, counted ? std::optional(CountOf(row[1])) : std::nullopt,
                                     CountOf(row[3])});
  }
  if (changes.size() != ids.size()) {
    throw oleaut::ComError(oleaut::VbHresult(oleaut::kInvalidProcedureCall), u"TAVPrinting",
                           u"The bills of " + type.head_table +
                               u" changed while their prints were counted: nothing was counted; "
                               u"count them again");
  }
  std::vector<PrintCountChange> ordered;
  for (const std::int32_t id : ids)
    ordered.push_back(changes.at(id));
  return ordered;
}

}  // namespace printing
