// tavprint's bill commands: what a print run asks of the component about bills, one subcommand
// each ("bill types", "bill list", "bill info", "bill count", "bill fill"), each a thin wrapper
// over members called by name. Further bill subcommands are added in BillCommands' constructor
// and Run.
#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>

#include "command_group.h"
#include "data_commands.h"

namespace CLI {
class App;
}

namespace tavprint {

// clsGetData.GetBillPackage: the bill type's row, its head and entry fields as tables, and what
// the package reader made of its template.
void RunBillInfo(const std::string& dsn, std::int32_t bill_type, const OutputOptions& options,
                 std::ostream& out);

// The "bill" command and its subcommands. `dsn` and `options` are read when the command runs.
std::unique_ptr<CommandGroup> AddBillCommands(CLI::App& app, const std::string& dsn,
                                              const OutputOptions& options);

}  // namespace tavprint
