// tavprint's report-db commands: make a local report database (a Jet file with the table
// T_RepNotePrintSql) from a TOML file of rows, and show the rows of one.
#pragma once

#include <filesystem>
#include <memory>
#include <ostream>

#include "command_group.h"
#include "data_commands.h"

namespace CLI {
class App;
}

namespace tavprint {

// Writes the rows of `rows_file` (empty: the demo's report rows) into a new Jet database at `path`
// (--replace: over an existing file).
void RunReportDbCreate(const std::filesystem::path& path, const std::filesystem::path& rows_file,
                       bool replace, std::ostream& out);
// The rows of T_RepNotePrintSql in the database at `path`, read through the Jet provider.
void RunReportDbShow(const std::filesystem::path& path, const OutputOptions& options,
                     std::ostream& out);

// The "report-db" command and its subcommands. `options` is read when the command runs.
std::unique_ptr<CommandGroup> AddReportDbCommands(CLI::App& app, const OutputOptions& options);

}  // namespace tavprint
