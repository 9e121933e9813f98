// tavprint: a late-bound client of the component. It registers the server library, prints the
// type library, and calls any member of any class by name with JSON arguments.
#include <fmt/format.h>

#include <CLI/CLI.hpp>
#include <cstdlib>
#include <iostream>

#include "commands.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/text.h"

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
  std::string registry;
  app.add_option("--registry", registry,
                 "Registry file to use (default: $TAV_REGISTRY_FILE, else "
                 "$XDG_CONFIG_HOME/tav/registry.json)");

  std::optional<std::filesystem::path> library;
  CLI::App* reg = app.add_subcommand("register", "Register libTAVMPrintExport.so's classes");
  reg->add_option("--library", library, "Server library (default: the one beside tavprint)");
  CLI::App* unreg =
      app.add_subcommand("unregister", "Remove the registry entries of libTAVMPrintExport.so");
  unreg->add_option("--library", library, "Server library (default: the one beside tavprint)");
  CLI::App* typelib = app.add_subcommand(
      "typelib", "Print the classes, interfaces and members of the type library");

  std::string target;
  std::vector<std::string> args;
  CLI::App* call = app.add_subcommand(
      "call",
      "Call Class.Member with JSON arguments and print the result as JSON.\n"
      "Class is clsGetData, clsPrintSetupQuery, clsPrintSetupUpdate or a full ProgID.\n"
      "Arguments: numbers (Long when integral, else Double), \"text\", true/false, null (Null,\n"
      "or Nothing for an object parameter), {...} (VDL.Dictionary), [...] (VDL.List).\n"
      "Example: tavprint call clsGetData.GetSysValue '\"demo\"' '\"IC\"' '\"IndustryVersion\"'");
  call->add_option("target", target, "Class.Member")->required();
  call->add_option("args", args, "Arguments, one JSON value each");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    return app.exit(error);
  }

  try {
    if (!registry.empty()) setenv("TAV_REGISTRY_FILE", registry.c_str(), 1);
    if (*reg) tavprint::RunRegister(tavprint::ServerLibrary(library), std::cout);
    if (*unreg) tavprint::RunUnregister(tavprint::ServerLibrary(library), std::cout);
    if (*typelib) tavprint::RunTypelib(std::cout);
    if (*call) tavprint::RunCall(target, args, std::cout);
  } catch (const oleaut::ComError& error) {
    return ReportError(error);
  } catch (const std::exception& error) {
    std::cerr << "tavprint: " << error.what() << '\n';
    return 2;
  }
  return 0;
}
