// tavprint's printing commands: "print" writes selected bills as a PDF or PNG pages through the
// print client library (src/printing), and "print-settings" shows and sets the user's print
// settings of a bill type.
#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "command_group.h"
#include "printing/print_run.h"
#include "printing/print_settings.h"

namespace CLI {
class App;
}

namespace tavprint {

// The print run with tavprint's activation (registering the product's servers on first use) and
// its counting of prints; a note on the layout, and progress, on standard error.
printing::PrintOutcome RunPrintCommand(const printing::PrintRequest& request, std::ostream& out);

// clsPrintSetupQuery.GetPageAndPrintSet, shown.
void RunPrintSettingsShow(const std::string& dsn, std::int32_t bill_type, std::ostream& out);
// The user's settings with `changes` over them, saved with clsPrintSetupUpdate.SavePageAndPrintSet.
void RunPrintSettingsSet(const std::string& dsn, std::int32_t bill_type,
                         const printing::PrintSettings& changes, std::ostream& out);

// The "print" and "print-settings" commands. `dsn` is read when the command runs.
std::unique_ptr<CommandGroup> AddPrintCommands(CLI::App& app, const std::string& dsn);

}  // namespace tavprint
