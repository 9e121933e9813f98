#include "report_db_commands.h"

#include <CLI/CLI.hpp>

#include "json_values.h"
#include "platform/ado/connection.h"
#include "platform/io/regular_file.h"
#include "platform/oleaut/text.h"
#include "platform/tavglobal/report_database.h"
#include "platform/tavglobal/schema/schema_scripts.h"
#include "recordset_printer.h"

namespace tavprint {

void RunReportDbCreate(const std::filesystem::path& path, const std::filesystem::path& rows_file,
                       bool replace, std::ostream& out) {
  io::RequireRegularOrAbsent(path);
  const std::vector<tavglobal::ReportNoteSql> rows =
      rows_file.empty()
          ? tavglobal::ParseReportNoteSql(tavglobal::ReportNotesScript(), "the demo's report rows")
          : tavglobal::LoadReportNoteSql(rows_file);
  tavglobal::CreateReportDatabase(
      path, rows, replace ? ado::jet::ExistingFile::kReplace : ado::jet::ExistingFile::kRefuse);
  out << "Created " << path.string() << " with " << rows.size() << " row"
      << (rows.size() == 1 ? "" : "s") << " in T_RepNotePrintSql\n"
      << "Connection string: " << oleaut::ToUtf8(tavglobal::JetConnectionString(path)) << '\n';
}

void RunReportDbShow(const std::filesystem::path& path, const OutputOptions& options,
                     std::ostream& out) {
  auto connection = com::Make<ado::Connection>();
  connection->SetCursorLocation(ado::adUseClient);
  connection->Open(tavglobal::JetConnectionString(path));
  auto rows = connection->Execute(
      u"SELECT ftrantypeid, FNeedLog, FMaskFld, FRepSql FROM T_RepNotePrintSql "
      u"ORDER BY ftrantypeid");
  if (options.json) {
    return WriteJson(RecordsetToJson(*rows, MakeResultPrinter()), out);
  }
  // The statements span lines: each row is shown as a block rather than a table line.
  if (rows->Eof()) out << "(no rows in T_RepNotePrintSql)\n";
  for (; !rows->Eof(); rows->MoveNext()) {
    const auto text = [&](const char16_t* name) {
      const oleaut::Variant value = rows->Fields()->Item(name)->Value();
      return value.IsNull() ? std::string("NULL") : oleaut::ToUtf8(value.AsString());
    };
    out << "ftrantypeid " << rows->Fields()->Item(u"ftrantypeid")->Value().AsLong() << "  FNeedLog "
        << (rows->Fields()->Item(u"FNeedLog")->Value().AsBoolean() ? "Yes" : "No") << "  FMaskFld "
        << text(u"FMaskFld") << "\nFRepSql:\n"
        << text(u"FRepSql") << "\n\n";
  }
}

namespace {

class ReportDbCommands final : public CommandGroup {
 public:
  ReportDbCommands(CLI::App& app, const OutputOptions& options);
  bool Chosen() const override;
  void Run(std::ostream& out) const override;

 private:
  CLI::App* create_ = nullptr;
  CLI::App* show_ = nullptr;
  std::filesystem::path path_;
  std::filesystem::path rows_file_;
  bool replace_ = false;
  const OutputOptions& options_;
};

ReportDbCommands::ReportDbCommands(CLI::App& app, const OutputOptions& options)
    : options_(options) {
  CLI::App* command =
      app.add_subcommand("report-db",
                         "Make or show a local report database: the Jet (.mdb) file whose table\n"
                         "T_RepNotePrintSql holds the industry edition's report statements");
  command->require_subcommand(1);
  create_ = command->add_subcommand(
      "create",
      "Write a Jet 4 database with T_RepNotePrintSql from a TOML file of rows:\n"
      "  [[T_RepNotePrintSql]]\n"
      "  ftrantypeid = 21\n"
      "  FMaskFld = \"FNote\"      # optional\n"
      "  FNeedLog = false         # optional\n"
      "  FRepSql = \"\"\"\n"
      "  SELECT ?SelFields FROM #tmpBillPrint a\n"
      "  \"\"\"\n"
      "Example: tavprint report-db create Orvanta.mdb --from my_rows.toml");
  create_->add_option("path", path_, "The database file to write")->required();
  create_
      ->add_option("--from", rows_file_,
                   "The TOML file of rows (default: the demo's rows, also installed as\n"
                   "share/tavmprintexport/report_notes.toml)")
      ->check(CLI::ExistingFile);
  create_->add_flag("--replace", replace_, "Replace the file when it exists");
  show_ = command->add_subcommand(
      "show", "List the rows of T_RepNotePrintSql of a Jet database (Jet 3 or Jet 4)");
  show_->add_option("path", path_, "The database file")->required();
}

bool ReportDbCommands::Chosen() const {
  return *create_ || *show_;
}

void ReportDbCommands::Run(std::ostream& out) const {
  if (*create_) RunReportDbCreate(path_, rows_file_, replace_, out);
  if (*show_) RunReportDbShow(path_, options_, out);
}

}  // namespace

std::unique_ptr<CommandGroup> AddReportDbCommands(CLI::App& app, const OutputOptions& options) {
  return std::make_unique<ReportDbCommands>(app, options);
}

}  // namespace tavprint
