#include "data_commands.h"

#include "bill_fill.h"
#include "commands.h"
#include "platform/ado/recordset.h"
#include "platform/com/dispatch.h"
#include "platform/oleaut/convert.h"
#include "platform/oleaut/text.h"
#include "platform/tavglobal/database_files.h"
#include "platform/tavglobal/report_database.h"
#include "platform/tavglobal/schema/schema_scripts.h"
#include "platform/win/system_directory.h"
#include "print_demo.h"
#include "recordset_printer.h"

namespace tavprint {

namespace {

using oleaut::FromUtf8;
using oleaut::Variant;

com::Ptr<com::Dispatch> GetDataObject() {
  return com::As<com::Dispatch>(Activate(u"TAVMPrintExport.clsGetData"));
}

void Show(const Variant& result, const OutputOptions& options, std::ostream& out) {
  if (options.json) {
    out << MakeResultPrinter().Print(result).dump(2, ' ', false, Json::error_handler_t::replace)
        << '\n';
    return;
  }
  if (const auto recordset = result.IsObject() ? result.AsObjectOf<ado::Recordset>() : nullptr) {
    PrintRecordsetTable(*recordset, out);
  } else if (result.IsNull()) {
    out << "NULL\n";
  } else {
    out << oleaut::ToUtf8(oleaut::ToString(result)) << " ("
        << oleaut::ToUtf8(oleaut::VarTypeName(result.Type())) << ")\n";
  }
}

void Step(std::ostream& out, const std::string& title, const std::string& call) {
  out << "\n== " << title << "\n   " << call << "\n\n";
}

// The industry edition: its version in the system profile, purchase receipts (template A01)
// printed several bills at once, and the local report database with their report statement at
// the system directory's TAVCom/Orvanta.mdb.
void SwitchOnIndustryEdition(com::Dispatch& data, const Variant& sdsn, std::ostream& out) {
  data.Call(u"ExecuteSQL", sdsn,
            u"UPDATE t_SystemProfile SET FValue = '1' WHERE FCategory = 'IC' AND FKey = "
            u"'IndustryVersion'\r\n"
            u"INSERT INTO t_SystemProfile (FCategory, FKey, FValue, FDescription) VALUES ('IC', "
            u"'NotePrintSingle:A01', '0', N'外购入库单套打多张合并打印')");
  const auto report_database = win::SystemDirectory() / "TAVCom" / "Orvanta.mdb";
  tavglobal::CreateReportDatabase(
      report_database,
      tavglobal::ParseReportNoteSql(tavglobal::ReportNotesScript(), "sql/report_notes.toml"),
      ado::jet::ExistingFile::kReplace);
  out << "Industry edition on: IndustryVersion 1, NotePrintSingle 0 for template A01, and the\n"
         "local report database at "
      << report_database.string() << '\n';
}

}  // namespace

void RunSql(const std::string& dsn, const std::string& statement, const OutputOptions& options,
            std::ostream& out) {
  Show(GetDataObject()->Call(u"ExecuteSQL", FromUtf8(dsn), FromUtf8(statement)), options, out);
}

void RunDemo(const std::string& dsn, const OutputOptions& options, std::ostream& out,
             bool industry) {
  const auto path = tavglobal::ResetDemoDatabase();
  out << "Demo data source \"demo\" created afresh at " << path.string() << '\n';
  const auto data = GetDataObject();
  const Variant sdsn(FromUtf8(dsn));
  if (industry) SwitchOnIndustryEdition(*data, sdsn, out);

  Step(out, "Users of the application", "clsGetData.ExecuteSQL(\"" + dsn + "\", ...)");
  Show(data->Call(u"ExecuteSQL", sdsn,
                  u"SELECT FUserID, FName, FLanguage FROM t_User ORDER BY FUserID"),
       options, out);

  Step(out, "Bill types and their templates", "clsGetData.ExecuteSQL(\"" + dsn + "\", ...)");
  Show(data->Call(u"ExecuteSQL", sdsn,
                  u"SELECT FID, FName, FTemplateID, FHeadTable, FEntryTable FROM ICTransactionType"
                  u" ORDER BY FID"),
       options, out);

  Step(out, "Administrator's print templates", "clsGetData.ExecuteSQL(\"" + dsn + "\", ...)");
  Show(data->Call(u"ExecuteSQL", sdsn,
                  u"SELECT FId, FName, FNewBillType, FCreatorName, datalength(FData) AS FBytes"
                  u" FROM T_ExcelPrintExportNote ORDER BY FId"),
       options, out);

  Step(out, "The industry edition's version from the system profile",
       "clsGetData.GetSysValue(\"" + dsn + "\", \"IC\", \"IndustryVersion\")");
  Show(data->Call(u"GetSysValue", sdsn, u"IC", u"IndustryVersion"), options, out);

  Step(out, "A key without a row gives the Integer 0",
       "clsGetData.GetSysValue(\"" + dsn + "\", \"IC\", \"NoSuchKey\")");
  Show(data->Call(u"GetSysValue", sdsn, u"IC", u"NoSuchKey"), options, out);

  const auto query = com::As<com::Dispatch>(Activate(u"TAVMPrintExport.clsPrintSetupQuery"));
  Step(out, "The template printing uses for bill type 1 (key \"type|body\": page settings, body)",
       "clsPrintSetupQuery.GetNotePrintData(\"" + dsn + "\", 1)");
  out << MakeResultPrinter()
             .Print(query->Call(u"GetNotePrintData", sdsn, std::int32_t{1}))
             .dump(2, ' ', false, Json::error_handler_t::replace)
      << '\n';

  Step(out, "Filling two purchase receipts, selected in reverse order, as a print client does",
       "tavprint bill fill 1 1002 1001 --columns FID,FInterID,FBillNo,...");
  BillFillRequest fill;
  fill.bill_type = 1;
  fill.bill_ids = {1002, 1001};
  fill.columns = {"FID",
                  "FInterID",
                  "FBillNo",
                  "FSupplyIDName",
                  "FItemIDName",
                  "FItemModel",
                  "FAuxPropIDName",
                  "FQty",
                  "FS",
                  "FM",
                  "FL",
                  "FSizeQty",
                  "FAmount",
                  "FEntrySelfA0101",
                  "FBarCode"};
  RunBillFill(dsn, fill, options, out);

  RunPrintDemo(dsn, path.parent_path(), industry, out);

  out << "\nTry: tavprint --user-id 16396 templates list 1   (李娜's first list copies the"
         " administrator's)\n"
         "     tavprint templates which 21 --sub-type RED\n";
  out << "     tavprint bill info 1                  (a bill type and its template)\n"
         "     tavprint bill fill 92 9201 9202 9203 --sum   (summary printing of three issues)\n"
         "     tavprint bill fill 707 70701         (quality inspection's computed columns)\n"
         "     tavprint demo --industry             (the industry edition's size matrix)\n"
         "     tavprint print 1 1009 --png pages    (PNG pages; --preview counts no print)\n"
         "     tavprint print-settings set 1 --paper A5 --orientation landscape\n"
         "     tavprint sql demo \"SELECT * FROM t_SystemProfile\"\n"
         "     tavprint call clsGetData.GetSysValue '\"demo\"' '\"IC\"' '\"IndustryVersion\"'\n";
}

void RunCreateDatabase(const std::filesystem::path& path, bool with_demo_data, std::ostream& out) {
  tavglobal::CreateDatabase(path, with_demo_data);
  out << "Created " << path.string() << (with_demo_data ? " with the demo data\n" : "\n")
      << "Connection string: " << oleaut::ToUtf8(tavglobal::SqliteConnectionString(path)) << '\n';
}

}  // namespace tavprint
