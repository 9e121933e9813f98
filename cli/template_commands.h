// tavprint's template commands: what an administrator does with print templates (list them,
// see which one printing uses and why, save, export, select and delete one), each a thin wrapper
// over the component's template store members called by name.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "command_group.h"
#include "data_commands.h"

namespace CLI {
class App;
}

namespace tavprint {

// A bill type, or a report with `report` set.
struct TemplateOwner {
  std::int32_t id = 0;
  bool report = false;
};

// clsPrintSetupQuery.GetNoteInfo (GetRptNoteInfo): the user's templates, copied from the
// administrator's on first use.
void RunTemplateList(const std::string& dsn, TemplateOwner owner, const OutputOptions& options,
                     std::ostream& out);
// clsPrintSetupQuery.GetNotePrintData (GetRptNotePrintData), with the fallback step that found
// the template.
void RunTemplateWhich(const std::string& dsn, TemplateOwner owner, const std::string& sub_type,
                      const OutputOptions& options, std::ostream& out);
// clsPrintSetupUpdate.InsertNoteRow (InsertRptNoteRow), or SaveNewBill for the administrator's
// template of a bill type, with the body read from `file`.
void RunTemplateSave(const std::string& dsn, TemplateOwner owner, const std::string& name,
                     const std::filesystem::path& file, bool as_administrator, std::ostream& out);
// Writes the body printing would use, or the body `id`, to `file`.
void RunTemplateExport(const std::string& dsn, TemplateOwner owner, std::optional<std::int32_t> id,
                       const std::string& sub_type, const std::filesystem::path& file,
                       std::ostream& out);
// Makes `id` the user's selected template, keeping the option text and the other templates.
void RunTemplateSelect(const std::string& dsn, TemplateOwner owner, std::int32_t id,
                       std::ostream& out);
// clsPrintSetupUpdate.DeleteNoteRow (DeleteRptNoteRow).
void RunTemplateDelete(const std::string& dsn, TemplateOwner owner, std::int32_t id,
                       std::ostream& out);

// The "templates" command and its subcommands. `dsn` and `options` are read when the command runs.
std::unique_ptr<CommandGroup> AddTemplateCommands(CLI::App& app, const std::string& dsn,
                                                  const OutputOptions& options);

}  // namespace tavprint
