// tavprint: a late-bound client of the component. It registers the server library, prints the
// type library, and calls any member of any class by name with JSON arguments.
#include <fmt/format.h>

#include <CLI/CLI.hpp>
#include <cctype>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <vector>

#include "bill_commands.h"
#include "commands.h"
#include "data_commands.h"
#include "nearest_name.h"
#include "picture_commands.h"
#include "platform/ado/sql_trace.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/text.h"
#include "print_commands.h"
#include "report_db_commands.h"
#include "session_commands.h"
#include "template_commands.h"

namespace {

int ReportError(const oleaut::ComError& error) {
  std::cerr << "tavprint: " << oleaut::ToUtf8(error.Description()) << '\n'
            << "  source: " << oleaut::ToUtf8(error.Source()) << '\n'
            << fmt::format("  number: 0x{:08X}", static_cast<std::uint32_t>(error.Number()))
            << '\n';
  return 1;
}

CLI::App* FindSubcommand(CLI::App* app, const std::string& name) {
  for (CLI::App* sub : app->get_subcommands({})) {
    if (sub->check_name(name)) return sub;
  }
  return nullptr;
}

// How many values the option `name` of `app`, or of a command above it (their options fall
// through), takes: at least and at most. {0, 0} for a flag or an unknown option.
std::pair<int, int> ValuesOf(const CLI::App* app, const std::string& name) {
  for (; app != nullptr; app = app->get_parent()) {
    if (const CLI::Option* option = app->get_option_no_throw(name)) {
      return {option->get_items_expected_min(), option->get_items_expected_max()};
    }
  }
  return {0, 0};
}

std::vector<std::string> CommandNames(CLI::App& app) {
  std::vector<std::string> names;
  for (const CLI::App* sub : app.get_subcommands({}))
    names.push_back(sub->get_name());
  return names;
}

std::string CommandList(const std::vector<std::string>& names, const std::string& path) {
  std::string list = "Commands: ";
  for (std::size_t n = 0; n < names.size(); ++n)
    list += (n > 0 ? ", " : "") + names[n];
  return list + "\nSee: " + path + " --help";
}

// For a command line that names no known command where one is needed: which word was not a
// command, the nearest command's name, and the commands there are. Empty when the words name
// commands all the way down (the fault is elsewhere).
std::string UnknownCommandHint(CLI::App& app, const std::vector<std::string>& words) {
  CLI::App* current = &app;
  std::string path = "tavprint";
  for (std::size_t i = 1; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (word == "--") return {};
    if (word.size() > 1 && word[0] == '-') {
      const auto [least, most] = ValuesOf(current, word);
      // An optional value (--trace-sql [FILE]) is taken unless the word is a command.
      if (word.find('=') == std::string::npos && most > 0 && i + 1 < words.size() &&
          (least > 0 || FindSubcommand(current, words[i + 1]) == nullptr)) {
        ++i;
      }
      continue;
    }
    if (CLI::App* sub = FindSubcommand(current, word)) {
      current = sub;
      path += " " + word;
      continue;
    }
    const std::vector<std::string> names = CommandNames(*current);
    if (names.empty()) return {};
    const std::string nearest = tavprint::NearestName(word, names);
    return "'" + word + "' is not a command of " + path + "." +
           (nearest.empty() ? "" : " Did you mean '" + nearest + "'?") + "\n" +
           CommandList(names, path);
  }
  // The words end before a command that needs one of its own.
  const std::vector<std::string> names = CommandNames(*current);
  if (names.empty() || current->get_require_subcommand_min() == 0) return {};
  return path + " needs one of its commands.\n" + CommandList(names, path);
}

// The words with the program's options that follow call's arguments moved before the command:
// call's arguments are its own (a JSON -1 is no option), so the program's options that follow
// them would otherwise be taken as arguments. A JSON value never starts with "--", and after
// "--" every word is an argument. An option whose value is optional takes one only with "=".
std::vector<std::string> ProgramOptionsFirst(CLI::App& app, CLI::App& call, int argc, char** argv) {
  std::vector<std::string> words(argv, argv + argc);
  std::size_t at = 1;
  for (; at < words.size(); ++at) {
    if (words[at].size() > 1 && words[at][0] == '-') {
      if (words[at].find('=') == std::string::npos && ValuesOf(&app, words[at]).first > 0) ++at;
      continue;
    }
    break;
  }
  if (at >= words.size() || FindSubcommand(&app, words[at]) != &call) return words;
  std::vector<std::string> moved;
  std::vector<std::string> kept(words.begin() + static_cast<std::ptrdiff_t>(at), words.end());
  std::vector<std::string> rest;
  for (std::size_t i = 0; i < kept.size(); ++i) {
    const std::string& word = kept[i];
    if (word == "--") {
      rest.insert(rest.end(), kept.begin() + static_cast<std::ptrdiff_t>(i), kept.end());
      break;
    }
    const std::string name = word.substr(0, word.find('='));
    if (!word.starts_with("--") || call.get_option_no_throw(name) != nullptr ||
        app.get_option_no_throw(name) == nullptr) {
      rest.push_back(word);
      continue;
    }
    moved.push_back(word);
    if (word.find('=') == std::string::npos && ValuesOf(&app, name).first > 0 &&
        i + 1 < kept.size()) {
      moved.push_back(kept[++i]);
    }
  }
  std::vector<std::string> result(words.begin(), words.begin() + static_cast<std::ptrdiff_t>(at));
  result.insert(result.end(), moved.begin(), moved.end());
  result.insert(result.end(), rest.begin(), rest.end());
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"tavprint: register, inspect and call the TAVMPrintExport component"};
  app.name("tavprint");
  app.set_version_flag("--version", "tavprint " TAV_VERSION);
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
  app.add_option("--language", language,
                 "The user's language: CHS, CHT or EN (the names of bill types and fields)")
      ->check(CLI::IsMember({"CHS", "CHT", "EN"}, CLI::ignore_case));
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
  CLI::App* whoami = app.add_subcommand(
      "whoami",
      "Show who the calls act as on --dsn: the user's id, name and language (from its t_User),\n"
      "and whether --user-id, the catalog or nobody asked for them");
  CLI::App* sources = app.add_subcommand(
      "sources", "List the data sources: demo and the catalog's, with their connection strings");

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
      "An UPDATE, INSERT or DELETE shows how many rows it changed (the same call asks\n"
      "@@ROWCOUNT after it). The batch's messages (PRINT, RAISERROR of severity 10 or\n"
      "less) go to standard error, one a line, before the rows.\n"
      "Example: tavprint sql demo \"SELECT FID, FName FROM ICTransactionType\"");
  sql->add_option("dsn", sql_dsn, "Data source: demo, a catalog name or a connection string")
      ->required();
  sql->add_option("statement", statement, "The statement or batch")->required();

  std::filesystem::path db_path;
  bool with_demo_data = false;
  bool make_folders = false;
  CLI::App* create_db = app.add_subcommand(
      "create-db",
      "Create a new SQLite database with the application schema, for a deployment, and say how\n"
      "to add it to the catalog. Example: tavprint create-db finance.db");
  create_db->add_option("path", db_path, "The database file to create (must not exist)")
      ->required();
  create_db->add_flag("--demo-data", with_demo_data, "Seed it with the demo data as well");
  create_db->add_flag("--parents", make_folders,
                      "Create the folder of the file when it is missing (else it is refused)");

  std::string target;
  CLI::App* call = app.add_subcommand(
      "call",
      "Call Class.Member with JSON arguments and print the result as JSON.\n"
      "Class is clsGetData, clsPrintSetupQuery, clsPrintSetupUpdate or a full ProgID.\n"
      "Arguments: numbers (Long when integral, else Double), \"text\", true/false, null (Null,\n"
      "or Nothing for an object parameter), {...} (VDL.Dictionary), [...] (VDL.List).\n"
      "Example: tavprint call clsGetData.GetSysValue '\"demo\"' '\"IC\"' '\"IndustryVersion\"'\n"
      "Options of tavprint (--json, --dsn, ...) may follow the arguments; after --, every word\n"
      "is an argument.");
  call->add_option("target", target, "Class.Member")->required();
  // The arguments are taken as written: a vector option would split a JSON array into several.
  call->allow_extras();
  // Its arguments stay its own: with fall-through, CLI11 would hand them to the program.
  // ProgramOptionsFirst lets the program's options follow them all the same.
  call->fallthrough(false);
  std::optional<std::filesystem::path> out_file;
  call->add_option("--out", out_file,
                   "Also write the result's first byte array (a template body) to this file");

  std::vector<std::unique_ptr<tavprint::CommandGroup>> groups;
  groups.push_back(tavprint::AddTemplateCommands(app, dsn, output));
  groups.push_back(tavprint::AddBillCommands(app, dsn, output));
  groups.push_back(tavprint::AddPictureCommand(app, dsn, output));
  groups.push_back(tavprint::AddReportDbCommands(app, output));
  groups.push_back(tavprint::AddPrintCommands(app, dsn));

  const std::vector<std::string> words = ProgramOptionsFirst(app, *call, argc, argv);
  try {
    // CLI11 takes the words without the program's name, last first.
    app.parse(std::vector<std::string>(words.rbegin(), words.rend() - 1));
  } catch (const CLI::ParseError& error) {
    if (dynamic_cast<const CLI::RequiredError*>(&error) != nullptr ||
        dynamic_cast<const CLI::ExtrasError*>(&error) != nullptr) {
      if (const std::string hint = UnknownCommandHint(app, words); !hint.empty()) {
        std::cerr << "tavprint: " << hint << '\n';
        return error.get_exit_code();
      }
    }
    return app.exit(error);
  }

  try {
    if (!registry.empty()) setenv("TAV_REGISTRY_FILE", registry.c_str(), 1);
    if (user_id) setenv("TAV_USER_ID", std::to_string(*user_id).c_str(), 1);
    if (!user_name.empty()) setenv("TAV_USER_NAME", user_name.c_str(), 1);
    for (char& c : language)
      c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (!language.empty()) setenv("TAV_LANGUAGE", language.c_str(), 1);
    if (app.count("--trace-sql") > 0)
      ado::SetSqlTraceDestination(trace_sql.empty() ? "stderr" : trace_sql);
    if (*demo) tavprint::RunDemo(dsn, output, std::cout, industry);
    if (*sql) tavprint::RunSql(sql_dsn, statement, output, std::cout, std::cerr);
    if (*create_db) tavprint::RunCreateDatabase(db_path, with_demo_data, make_folders, std::cout);
    if (*reg) tavprint::RunRegister(tavprint::ServerLibraries(library), std::cout);
    if (*unreg) tavprint::RunUnregister(tavprint::ServerLibraries(library), std::cout);
    if (*typelib) tavprint::RunTypelib(output.json, std::cout);
    if (*whoami) tavprint::RunWhoami(dsn, output, std::cout);
    if (*sources) tavprint::RunSources(output, std::cout);
    if (*call) tavprint::RunCall(target, call->remaining(), std::cout, out_file);
    for (const auto& group : groups) {
      if (group->Chosen()) group->Run(std::cout);
    }
  } catch (const oleaut::ComError& error) {
    return ReportError(error);
  } catch (const std::exception& error) {
    std::cerr << "tavprint: " << error.what() << '\n';
    return 2;
  }
  return 0;
}
