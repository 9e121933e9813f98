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

namespace {

class PictureCommand final : public CommandGroup {
 public:
  PictureCommand(CLI::App& app, const std::string& dsn, const OutputOptions& options);
  bool Chosen() const override;
  void Run(std::ostream& out) const override;

 private:
  const std::string& dsn_;
  const OutputOptions& options_;
  CLI::App* command_ = nullptr;
  PictureSource source_;
  std::filesystem::path file_;
};

PictureCommand::PictureCommand(CLI::App& app, const std::string& dsn, const OutputOptions& options)
    : dsn_(dsn), options_(options) {
  command_ = app.add_subcommand(
      "picture",
      "Write a picture stored in a binary column of --dsn to a file\n"
      "(clsPrintSetupQuery.GetPictureData). KEY_VALUE is an SQL literal: 1, or 'A01'.\n"
      "Example: tavprint picture t_ICItem FSmallPhoto FItemID 1 photo.png");
  command_->add_option("table", source_.table, "Table that holds the picture")->required();
  command_->add_option("field", source_.field, "Binary (image) column")->required();
  command_->add_option("key_field", source_.key_field, "Column that identifies the row")
      ->required();
  command_->add_option("key_value", source_.key_value, "Its value, as an SQL literal")->required();
  command_->add_option("file", file_, "File to write (replaced whole, or left as it was)")
      ->required();
}

bool PictureCommand::Chosen() const {
  return static_cast<bool>(*command_);
}

void PictureCommand::Run(std::ostream& out) const {
  RunPicture(dsn_, source_, file_, options_, out);
}

}  // namespace

std::unique_ptr<CommandGroup> AddPictureCommand(CLI::App& app, const std::string& dsn,
                                                const OutputOptions& options) {
  return std::make_unique<PictureCommand>(app, dsn, options);
}

}  // namespace tavprint
