#include "picture_commands.h"

#include <CLI/CLI.hpp>

#include "commands.h"
#include "json_values.h"
#include "platform/com/dispatch.h"
#include "platform/io/regular_file.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/text.h"
#include "platform/vdl/dictionary.h"

namespace tavprint {

namespace {

using oleaut::FromUtf8;

}  // namespace

void RunPicture(const std::string& dsn, const PictureSource& source,
                const std::filesystem::path& file, const OutputOptions& options,
                std::ostream& out) {
  auto info = com::Make<vdl::Dictionary>();
  info->SetItem(u"TableName", FromUtf8(source.table));
  info->SetItem(u"FieldName", FromUtf8(source.field));
  info->SetItem(u"PrimaryKeyField", FromUtf8(source.key_field));
  info->SetItem(u"PrimaryKeyValue", FromUtf8(source.key_value));
  const oleaut::Variant picture = ActivateLateBound(u"TAVMPrintExport.clsPrintSetupQuery")
                                      ->Call(u"GetPictureData", FromUtf8(dsn), info);
  const std::string where =
      source.table + "." + source.field + " where " + source.key_field + "=" + source.key_value;
  if (picture.Type() != oleaut::VarType::ByteArray) {
    FailCommand("there is no picture in " + where +
                " (no such row, or the value is Null or empty)");
  }
  const oleaut::ByteArray& bytes = picture.AsByteArray();
  io::ReplaceFile(file,
                  std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  if (options.json) {
    return WriteJson({{"file", file.string()}, {"bytes", bytes.size()}, {"source", where}}, out);
  }
  out << "Wrote " << bytes.size() << " bytes of " << where << " to " << file.string() << '\n';
}

struct PictureCommand::State {
  State(const std::string& dsn_in, const OutputOptions& options_in)
      : dsn(dsn_in), options(options_in) {}
  const std::string& dsn;
  const OutputOptions& options;
  CLI::App* command = nullptr;
  PictureSource source;
  std::filesystem::path file;
};

PictureCommand::PictureCommand(CLI::App& app, const std::string& dsn, const OutputOptions& options)
    : state_(std::make_unique<State>(dsn, options)) {
  State& s = *state_;
  s.command = app.add_subcommand(
      "picture",
      "Write a picture stored in a binary column of --dsn to a file\n"
      "(clsPrintSetupQuery.GetPictureData). KEY_VALUE is an SQL literal: 1, or 'A01'.\n"
      "Example: tavprint picture t_ICItem FSmallPhoto FItemID 1 photo.png");
  s.command->add_option("table", s.source.table, "Table that holds the picture")->required();
  s.command->add_option("field", s.source.field, "Binary (image) column")->required();
  s.command->add_option("key_field", s.source.key_field, "Column that identifies the row")
      ->required();
  s.command->add_option("key_value", s.source.key_value, "Its value, as an SQL literal")
      ->required();
  s.command->add_option("file", s.file, "File to write (replaced whole, or left as it was)")
      ->required();
}

PictureCommand::~PictureCommand() = default;

bool PictureCommand::Chosen() const {
  return static_cast<bool>(*state_->command);
}

void PictureCommand::Run(std::ostream& out) const {
  RunPicture(state_->dsn, state_->source, state_->file, state_->options, out);
}

}  // namespace tavprint
