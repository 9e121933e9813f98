#include "bill_list.h"

#include "commands.h"
#include "json_values.h"
#include "platform/ado/recordset.h"
#include "platform/com/dispatch.h"
#include "platform/oleaut/convert.h"
#include "platform/oleaut/text.h"
#include "printing/bill_lookup.h"
#include "recordset_printer.h"

namespace tavprint {

void RunBillTypes(const std::string& dsn, const OutputOptions& options, std::ostream& out) {
  const auto types =
      ActivateLateBound(u"TAVMPrintExport.clsGetData")
          ->Call(u"ExecuteSQL", oleaut::FromUtf8(dsn),
                 u"SELECT FID, FName, FTemplateID, FHeadTable, FEntryTable FROM ICTransactionType "
                 u"ORDER BY FID")
          .AsObjectOf<ado::Recordset>();
  if (options.json) return WriteJson(RecordsetToJson(*types, MakeResultPrinter()), out);
  out << "Bill types of " << dsn << " (ICTransactionType)\n";
  PrintRecordsetTable(*types, out);
  out << "The bills of a type: tavprint bill list TYPE\n";
}

void RunBillList(const std::string& dsn, std::int32_t bill_type, const OutputOptions& options,
                 std::ostream& out) {
  const auto get_data = ActivateLateBound(u"TAVMPrintExport.clsGetData");
  const oleaut::Bstr sdsn = oleaut::FromUtf8(dsn);
  const printing::BillType type = printing::LookUpBillType(*get_data, sdsn, bill_type);
  const std::vector<printing::BillSummary> bills = printing::ListBills(*get_data, sdsn, type);
  const ResultPrinter printer = MakeResultPrinter();
  if (options.json) {
    Json list = Json::array();
    for (const printing::BillSummary& bill : bills) {
      list.push_back({{"inter_id", bill.inter_id},
                      {"bill_no", oleaut::ToUtf8(bill.bill_no)},
                      {"date", printer.Print(bill.date)}});
    }
    return WriteJson({{"bill_type", bill_type}, {"bills", list}}, out);
  }
  out << "Bills of bill type " << bill_type << " (" << oleaut::ToUtf8(type.name) << ", "
      << oleaut::ToUtf8(type.head_table) << ") on " << dsn << '\n';
  std::vector<std::vector<std::string>> cells{{"FInterID", "FBillNo", "FDate"}};
  for (const printing::BillSummary& bill : bills) {
    cells.push_back(
        {std::to_string(bill.inter_id), oleaut::ToUtf8(bill.bill_no), CellText(bill.date)});
  }
  PrintTextTable(cells, out);
}

}  // namespace tavprint
