// tavprint: a late-bound client of the component. It registers the server library, prints the
// type library, and calls any member of any class by name with JSON arguments.
#include <fmt/format.h>

#include <CLI/CLI.hpp>
#include <cstdlib>
#include <iostream>

#include "bill_commands.h"
#include "commands.h"
#include "data_commands.h"
#include "picture_commands.h"
#include "platform/ado/sql_trace.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/text.h"
#include "print_commands.h"
#include "report_db_commands.h"
#include "template_commands.h"

namespace {

int ReportError(const oleaut::ComError& error) {
  std::cerr << "tavprint: " << oleaut::ToUtf8(error.Description()) << '\n'
            << "  source: " << oleaut::ToUtf8(error.Source()) << '\n'
            << fmt::format("  number: 0x{:08X}", static_cast<std::uint32_t>(error.Number()))
            << '\n';
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"tavprint: register, inspect and call the TAVMPrintExport component"};
  app.require_subcommand(1);
  // Options of the whole program are accepted after a subcommand too, as users type them.
  app.fallthrough();
  std::string registry;
  app.add_option("--registry", registry,
                 "Registry file to use (default: $TAV_REGISTRY_FILE, else "
                 "$XDG_CONFIG_HOME/tav/registry.json)");

  // Options every command understands: which data source, who the user is, how to show results.
  std::string dsn = "demo";
  std::optional<int> user_id;
  std::string user_name;
  std::string language;
  std::string trace_sql;
  tavprint::OutputOptions output;
  app.add_option("--dsn", dsn, "Data source for commands that take none (default: demo)");
  app.add_option("--user-id", user_id,
                 "Act as this user of t_User, with their name and language (overrides the "
                 "catalog and TAV_USER_ID)")
      ->check(CLI::Range(-32768, 32767));
  app.add_option("--user-name", user_name,
                 "Act as the user of t_User with this name (with --user-id: must be that user's)");
  app.add_option("--language", language, "The user's language code (CHS, CHT, EN)");
  app.add_flag("--json", output.json, "Print results as JSON instead of tables");
  app.add_option("--trace-sql", trace_sql,
                 "Write every statement as built and as run to FILE, or to stderr")
      ->expected(0, 1)
      ->default_str("stderr");

  std::optional<std::filesystem::path> library;
  CLI::App* reg = app.add_subcommand(
      "register", "Register the component and the outside components it creates by ProgID");
  reg->add_option("--library", library,
                  "Only this server library (default: the product's beside tavprint)");
  CLI::App* unreg = app.add_subcommand(
      "unregister", "Remove the registry entries of the component and the outside components");
  unreg->add_option("--library", library,
                    "Only this server library (default: the product's beside tavprint)");
  CLI::App* typelib = app.add_subcommand(
      "typelib", "Print the classes, interfaces and members of the type library");

  CLI::App* demo = app.add_subcommand(
      "demo", "Create the demo data source afresh and tour what the component reads from it");
  bool industry = false;
  demo->add_flag("--industry", industry,
                 "Switch the industry edition on: IndustryVersion 1 and a local report database\n"
                 "(Orvanta.mdb in the system directory's TAVCom folder) whose report statement\n"
                 "prints purchase receipts with a size matrix");

  std::string sql_dsn;
  std::string statement;
  CLI::App* sql = app.add_subcommand(
      "sql",
      "Run a statement through clsGetData.ExecuteSQL and show its rows as a table.\n"
      "The statement is SQL Server's dialect; on the embedded engine it is translated.\n"
      "Example: tavprint sql demo \"SELECT FID, FName FROM ICTransactionType\"");
  sql->add_option("dsn", sql_dsn, "Data source: demo, a catalog name or a connection string")
      ->required();
  sql->add_option("statement", statement, "The statement or batch")->required();

  std::filesystem::path db_path;
  bool with_demo_data = false;
  CLI::App* create_db = app.add_subcommand(
      "create-db", "Create a new SQLite database with the application schema, for a deployment");
  create_db->add_option("path", db_path, "The database file to create (must not exist)")
      ->required();
  create_db->add_flag("--demo-data", with_demo_data, "Seed it with the demo data as well");

  std::string target;
  CLI::App* call = app.add_subcommand(
      "call",
      "Call Class.Member with JSON arguments and print the result as JSON.\n"
      "Class is clsGetData, clsPrintSetupQuery, clsPrintSetupUpdate or a full ProgID.\n"
      "Arguments: numbers (Long when integral, else Double), \"text\", true/false, null (Null,\n"
      "or Nothing for an object parameter), {...} (VDL.Dictionary), [...] (VDL.List).\n"
      "Example: tavprint call clsGetData.GetSysValue '\"demo\"' '\"IC\"' '\"IndustryVersion\"'");
  call->add_option("target", target, "Class.Member")->required();
  // The arguments are taken as written: a vector option would split a JSON array into several.
  call->allow_extras();
  // Its arguments stay its own, not options of the program that fall through to it.
  call->fallthrough(false);
  std::optional<std::filesystem::path> out_file;
  call->add_option("--out", out_file,
                   "Also write the result's first byte array (a template body) to this file");

  const tavprint::TemplateCommands templates(app, dsn, output);
  const tavprint::BillCommands bills(app, dsn, output);
  const tavprint::PictureCommand picture(app, dsn);
  const tavprint::ReportDbCommands report_db(app, output);
  const tavprint::PrintCommands printing(app, dsn);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    return app.exit(error);
  }

  try {
    if (!registry.empty()) setenv("TAV_REGISTRY_FILE", registry.c_str(), 1);
    if (user_id) setenv("TAV_USER_ID", std::to_string(*user_id).c_str(), 1);
    if (!user_name.empty()) setenv("TAV_USER_NAME", user_name.c_str(), 1);
    if (!language.empty()) setenv("TAV_LANGUAGE", language.c_str(), 1);
    if (app.count("--trace-sql") > 0)
      ado::SetSqlTraceDestination(trace_sql.empty() ? "stderr" : trace_sql);
    if (*demo) tavprint::RunDemo(dsn, output, std::cout, industry);
    if (*sql) tavprint::RunSql(sql_dsn, statement, output, std::cout);
    if (*create_db) tavprint::RunCreateDatabase(db_path, with_demo_data, std::cout);
    if (*reg) tavprint::RunRegister(tavprint::ServerLibraries(library), std::cout);
    if (*unreg) tavprint::RunUnregister(tavprint::ServerLibraries(library), std::cout);
    if (*typelib) tavprint::RunTypelib(std::cout);
    if (*call) tavprint::RunCall(target, call->remaining(), std::cout, out_file);
    if (templates.Chosen()) templates.Run(std::cout);
    if (bills.Chosen()) bills.Run(std::cout);
    if (picture.Chosen()) picture.Run(std::cout);
    if (report_db.Chosen()) report_db.Run(std::cout);
    if (printing.Chosen()) printing.Run(std::cout);
  } catch (const oleaut::ComError& error) {
    return ReportError(error);
  } catch (const std::exception& error) {
    std::cerr << "tavprint: " << error.what() << '\n';
    return 2;
  }
  return 0;
}
