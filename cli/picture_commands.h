// tavprint's picture command: a picture stored in a binary column written to a file, read as a
// print run reads it (clsPrintSetupQuery.GetPictureData, 100 bytes at a time).
#pragma once

#include <filesystem>
#include <memory>
#include <ostream>
#include <string>

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

void RunPicture(const std::string& dsn, const PictureSource& source,
                const std::filesystem::path& file, std::ostream& out);

// The "picture" command on `app`; Run() carries out a parsed choice.
class PictureCommand {
 public:
  PictureCommand(CLI::App& app, const std::string& dsn);
  ~PictureCommand();
  bool Chosen() const;
  void Run(std::ostream& out) const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace tavprint
