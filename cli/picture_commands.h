// tavprint's picture command: a picture stored in a binary column written to a file, read as a
// print run reads it (clsPrintSetupQuery.GetPictureData, 100 bytes at a time).
#pragma once

#include <filesystem>
#include <memory>
#include <ostream>
#include <string>

#include "command_group.h"
#include "data_commands.h"

namespace CLI {
class App;
}

namespace tavprint {

// Where a picture is stored: the column of the row whose key column holds the key value (an SQL
// literal: a number, or a text in quotes).
struct PictureSource {
  std::string table;
  std::string field;
  std::string key_field;
  std::string key_value;
};

// Writes the picture to `file` through the checked regular-file writer: a file that is no regular
// file or cannot be written whole raises, and nothing is reported as written.
void RunPicture(const std::string& dsn, const PictureSource& source,
                const std::filesystem::path& file, const OutputOptions& options, std::ostream& out);

// The "picture" command. `dsn` and `options` are read when the command runs.
std::unique_ptr<CommandGroup> AddPictureCommand(CLI::App& app, const std::string& dsn,
                                                const OutputOptions& options);

}  // namespace tavprint
