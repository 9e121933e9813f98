#include "data_commands.h"

#include <cctype>
#include <sstream>

#include "bill_fill.h"
#include "commands.h"
#include "json_values.h"
#include "platform/ado/recordset.h"
#include "platform/com/dispatch.h"
#include "platform/io/regular_file.h"
#include "platform/oleaut/convert.h"
#include "platform/oleaut/text.h"
#include "platform/tavglobal/call_notes.h"
#include "platform/tavglobal/catalog.h"
#include "platform/tavglobal/database_files.h"
#include "platform/tavglobal/report_database.h"
#include "platform/tavglobal/schema/schema_scripts.h"
#include "platform/win/system_directory.h"
#include "print_demo.h"
#include "recordset_printer.h"

namespace tavprint {

namespace {

com::Ptr<com::Dispatch> GetDataObject() {
  return com::As<com::Dispatch>(Activate(u"TAVMPrintExport.clsGetData"));
}

void Show(const Variant& result, const OutputOptions& options, std::ostream& out) {
  if (options.json) return WriteJson(MakeResultPrinter().Print(result), out);
  if (const auto recordset =
          result.IsObject() ? com::As<ado::Recordset>(result.AsObject()) : nullptr) {
    PrintRecordsetTable(*recordset, out);
  } else if (result.IsNull()) {
    out << "NULL\n";
  } else {
    out << oleaut::ToUtf8(oleaut::ToString(result)) << " ("
        << oleaut::ToUtf8(oleaut::VarTypeName(result.Type())) << ")\n";
  }
}

// The steps of the tour: each a title, the call it makes and what came back, shown as it comes or
// gathered into one JSON document.
class Tour {
 public:
  Tour(const OutputOptions& options, std::ostream& out) : options_(options), out_(out) {}

  void Say(const std::string& text) {
    if (options_.json) {
      json_["notes"].push_back(text);
    } else {
      out_ << text << '\n';
    }
  }

  void Step(const std::string& title, const std::string& call, const Variant& result) {
    if (options_.json) {
      json_["steps"].push_back(
          {{"title", title}, {"call", call}, {"result", MakeResultPrinter().Print(result)}});
      return;
    }
    Heading(title, call);
    if (result.IsObject() && !com::As<ado::Recordset>(result.AsObject())) {
      WriteJson(MakeResultPrinter().Print(result), out_);
    } else {
      Show(result, options_, out_);
    }
  }

  // A step whose output a command writes (as JSON when the tour is JSON).
  template <class Run>
  void CommandStep(const std::string& title, const std::string& call, Run run) {
    if (!options_.json) {
      Heading(title, call);
      return run(out_);
    }
    std::ostringstream text;
    run(text);
    json_["steps"].push_back(
        {{"title", title}, {"call", call}, {"result", Json::parse(text.str())}});
  }

  void Finish() {
    if (options_.json) WriteJson(json_, out_);
  }

 private:
  void Heading(const std::string& title, const std::string& call) {
    out_ << "\n== " << title << "\n   " << call << "\n\n";
  }

  const OutputOptions& options_;
  std::ostream& out_;
  Json json_ = {{"notes", Json::array()}, {"steps", Json::array()}};
};

// The industry edition: its version in the system profile, purchase receipts (template A01)
// printed several bills at once, and the local report database with their report statement at
// the system directory's TAVCom/Orvanta.mdb.
void SwitchOnIndustryEdition(com::Dispatch& data, const Variant& sdsn, Tour& tour) {
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
  tour.Say(
      "Industry edition on: IndustryVersion 1, NotePrintSingle 0 for template A01, and the\n"
      "local report database at " +
      report_database.string());
}

}  // namespace

namespace {

// The name of the column that carries @@ROWCOUNT after a statement that changes rows.
constexpr std::u16string_view kRowsChanged = u"tavprint_rows_changed";

// Whether the statement's first word (after blanks and comments) is UPDATE, INSERT or DELETE.
bool ChangesRows(std::string_view statement) {
  std::size_t i = 0;
  while (i < statement.size()) {
    if (std::isspace(static_cast<unsigned char>(statement[i]))) {
      ++i;
    } else if (statement.substr(i, 2) == "--") {
      i = statement.find('\n', i);
    } else if (statement.substr(i, 2) == "/*") {
      i = statement.find("*/", i);
      if (i != std::string_view::npos) i += 2;
    } else {
      break;
    }
  }
  if (i >= statement.size()) return false;
  std::string word;
  for (; i < statement.size() && std::isalpha(static_cast<unsigned char>(statement[i])); ++i)
    word += static_cast<char>(std::toupper(static_cast<unsigned char>(statement[i])));
  return word == "UPDATE" || word == "INSERT" || word == "DELETE";
}

// ExecuteSQL, with the messages of its batch written to `messages` as it returns or fails.
Variant ExecuteSql(const std::string& dsn, const oleaut::Bstr& batch, std::ostream& messages) {
  tavglobal::ScopedCallNotes notes;
  const auto write = [&] {
    for (const tavglobal::CallNote& note : notes.Notes()) {
      if (note.topic == tavglobal::kServerMessageNote) messages << ToUtf8(note.text) << '\n';
    }
  };
  try {
    Variant result = GetDataObject()->Call(u"ExecuteSQL", FromUtf8(dsn), batch);
    write();
    return result;
  } catch (...) {
    write();
    throw;
  }
}

}  // namespace

void RunSql(const std::string& dsn, const std::string& statement, const OutputOptions& options,
            std::ostream& out, std::ostream& messages) {
  if (!ChangesRows(statement))
    return Show(ExecuteSql(dsn, FromUtf8(statement), messages), options, out);
  // The line break ends a comment the statement may end with.
  const auto rows =
      ExecuteSql(dsn,
                 FromUtf8(statement) + u"\r\nSELECT @@ROWCOUNT AS " + oleaut::Bstr(kRowsChanged),
                 messages)
          .AsObjectOf<ado::Recordset>();
  const auto fields = rows && rows->State() == ado::adStateOpen ? rows->Fields() : nullptr;
  if (!fields || fields->Count() != 1 || fields->Item(0)->Name() != kRowsChanged ||
      rows->RecordCount() != 1) {
    return Show(Variant(rows), options, out);  // the statement returned rows of its own
  }
  const std::int32_t changed = oleaut::ToLong(fields->Item(0)->Value());
  if (options.json) return WriteJson({{"rows_changed", changed}}, out);
  out << "(" << changed << (changed == 1 ? " row" : " rows") << " changed)\n";
}

void RunDemo(const std::string& dsn, const OutputOptions& options, std::ostream& out,
             bool industry) {
  Tour tour(options, out);
  const auto path = tavglobal::ResetDemoDatabase();
  tour.Say("Demo data source \"demo\" created afresh at " + path.string());
  const auto data = GetDataObject();
  const Variant sdsn(FromUtf8(dsn));
  if (industry) SwitchOnIndustryEdition(*data, sdsn, tour);
  const std::string execute = "clsGetData.ExecuteSQL(\"" + dsn + "\", ...)";

  tour.Step("Users of the application", execute,
            data->Call(u"ExecuteSQL", sdsn,
                       u"SELECT FUserID, FName, FLanguage FROM t_User ORDER BY FUserID"));
  tour.Step("Bill types and their templates", execute,
            data->Call(u"ExecuteSQL", sdsn,
                       u"SELECT FID, FName, FTemplateID, FHeadTable, FEntryTable FROM "
                       u"ICTransactionType ORDER BY FID"));
  tour.Step("Administrator's print templates", execute,
            data->Call(u"ExecuteSQL", sdsn,
                       u"SELECT FId, FName, FNewBillType, FCreatorName, datalength(FData) AS "
                       u"FBytes FROM T_ExcelPrintExportNote ORDER BY FId"));
  tour.Step("The industry edition's version from the system profile",
            "clsGetData.GetSysValue(\"" + dsn + "\", \"IC\", \"IndustryVersion\")",
            data->Call(u"GetSysValue", sdsn, u"IC", u"IndustryVersion"));
  tour.Step("A key without a row gives the Integer 0",
            "clsGetData.GetSysValue(\"" + dsn + "\", \"IC\", \"NoSuchKey\")",
            data->Call(u"GetSysValue", sdsn, u"IC", u"NoSuchKey"));

  const auto query = com::As<com::Dispatch>(Activate(u"TAVMPrintExport.clsPrintSetupQuery"));
  tour.Step("The template printing uses for bill type 1 (key \"type|body\": page settings, body)",
            "clsPrintSetupQuery.GetNotePrintData(\"" + dsn + "\", 1)",
            query->Call(u"GetNotePrintData", sdsn, std::int32_t{1}));

  BillFillRequest fill;
  fill.bill_type = 1;
  fill.bill_ids = {1002, 1001};
  // The industry edition shows sizes as columns of a size matrix, not as auxiliary properties.
  fill.columns = {"FID", "FInterID", "FBillNo", "FSupplyIDName", "FItemIDName", "FItemModel"};
  if (industry) {
    fill.columns.insert(fill.columns.end(), {"FQty", "FS", "FM", "FL", "FSizeQty"});
  } else {
    fill.columns.insert(fill.columns.end(), {"FAuxPropIDName", "FQty"});
  }
  fill.columns.insert(fill.columns.end(), {"FAmount", "FEntrySelfA0101", "FBarCode"});
  tour.CommandStep(
      "Filling two purchase receipts, selected in reverse order, as a print client does",
      "tavprint bill fill 1 1002 1001 --columns FID,FInterID,FBillNo,...",
      [&](std::ostream& step_out) { RunBillFill(dsn, fill, options, step_out); });

  // Printing: layouts saved and selected, PDFs written (a note of the tour in JSON).
  std::ostringstream printed;
  RunPrintDemo(dsn, path.parent_path(), industry, printed);
  std::string printed_text = printed.str();
  while (!printed_text.empty() && printed_text.back() == '\n')
    printed_text.pop_back();
  tour.Say(printed_text);

  tour.Say(
      "\nTry: tavprint whoami                       (who you are on the data source)\n"
      "     tavprint bill types                   (the bill types; bill list TYPE: their bills)\n"
      "     tavprint --user-id 16396 templates list 1   (李娜's first list copies the"
      " administrator's)\n"
      "     tavprint templates which 21 --sub-type RED\n"
      "     tavprint bill info 1                  (a bill type and its template)\n"
      "     tavprint bill fill 92 9201 9202 9203 --sum   (summary printing of three issues)\n"
      "     tavprint bill fill 707 70701          (quality inspection's computed columns)\n"
      "     tavprint demo --industry              (the industry edition's size matrix)\n"
      "     tavprint print 1 1009 --png pages     (PNG pages; --preview counts no print)\n"
      "     tavprint print-settings set 1 --paper A5 --orientation landscape\n"
      "     tavprint sql demo \"SELECT * FROM t_SystemProfile\"\n"
      "     tavprint call clsGetData.GetSysValue '\"demo\"' '\"IC\"' '\"IndustryVersion\"'");
  tour.Finish();
}

void RunCreateDatabase(const std::filesystem::path& path, bool with_demo_data, bool make_folders,
                       std::ostream& out) {
  io::RequireRegularOrAbsent(path);
  const std::filesystem::path absolute = std::filesystem::absolute(path);
  const std::filesystem::path folder = absolute.parent_path();
  std::error_code error;
  if (!std::filesystem::exists(folder, error)) {
    if (!make_folders) {
      FailCommand("create-db: the folder " + folder.string() +
                  " does not exist; create it first, or give --parents to create it");
    }
    std::filesystem::create_directories(folder, error);
    if (error)
      FailCommand("create-db: cannot create the folder " + folder.string() + ": " +
                  error.message());
    out << "Created the folder " << folder.string() << '\n';
  } else if (!std::filesystem::is_directory(folder, error)) {
    FailCommand("create-db: " + folder.string() + " is not a folder");
  }
  tavglobal::CreateDatabase(absolute, with_demo_data);
  const std::string connection = oleaut::ToUtf8(tavglobal::SqliteConnectionString(absolute));
  std::string name = absolute.stem().string();
  if (name.empty() || !std::all_of(name.begin(), name.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-';
      })) {
    name = "mydata";
  }
  out << "Created " << absolute.string() << (with_demo_data ? " with the demo data\n" : "\n")
      << "Connection string: " << connection << "\n\n"
      << "Next: add it to the data-source catalog (" << tavglobal::Catalog::DefaultPath().string()
      << ") as\n\n"
      << "  [sources." << name << "]\n"
      << "  connection = \"" << connection << "\"\n\n"
      << "then name it in any command: tavprint --dsn " << name << " bill types, or\n"
      << "tavprint sql " << name << " \"SELECT count(*) FROM t_User\". `tavprint sources` lists "
      << "the catalog.\n";
  if (!with_demo_data) {
    out << "It has no users yet: add the application's users to t_User before acting as one "
           "(--user-id).\n";
  }
}

}  // namespace tavprint
