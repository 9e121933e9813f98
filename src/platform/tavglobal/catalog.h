// The data-source catalog: which database a data-source name means, and who the user is there.
//
// One TOML file, at $TAV_CATALOG or else $XDG_CONFIG_HOME/tav/catalog.toml
// (~/.config/tav/catalog.toml). Each data source is a table under [sources]:
//
//   [sources.finance]
//   connection = "Provider=SQLite;Data Source=/srv/tav/finance.db"
//   user_id = 7
//   user_name = "王芳"
//   language = "CHS"
//
//   [sources.erp]
//   connection = "Provider=SQLOLEDB;Data Source=db01,1433;Initial Catalog=Finance;User ID=tav"
//   password_env = "TAV_ERP_PASSWORD"      # or: password_file = "/etc/tav/erp.password"
//
// The password of a source is read from the environment variable or the file (its first line)
// that the entry names, so that the catalog itself holds none; it is added to the connection
// string when the source is opened.
//
// The entry says whom to act as; the user's name and language come from the data source's user
// table (identity.h), and a user_name given here must be that user's.
//
// A missing file is an empty catalog. The name "demo" needs no entry: it always resolves to the
// embedded demo database (an entry named demo may still set the identity).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tavglobal {

struct DataSourceEntry {
  std::u16string name;        // as written in the file
  std::u16string connection;  // ADO connection string; empty for a demo entry without one
  std::optional<std::int16_t> user_id;
  std::optional<std::u16string> user_name;
  std::optional<std::u16string> language;
  std::optional<std::u16string> password;  // from password_env or password_file
};

class Catalog {
 public:
  // The catalog at its configured location. An unreadable or malformed file raises a ComError
  // that names the file and the cause.
  static Catalog Load();
  static Catalog LoadFile(const std::filesystem::path& path);
  static std::filesystem::path DefaultPath();

  // The entry under `name` (compared without regard to case), if any.
  const DataSourceEntry* Find(std::u16string_view name) const;
  // Every entry, ordered by name.
  std::vector<const DataSourceEntry*> Entries() const;
  const std::filesystem::path& Path() const noexcept { return path_; }

 private:
  std::filesystem::path path_;
  std::unordered_map<std::u16string, DataSourceEntry> entries_;  // upper-cased name
};

}  // namespace tavglobal
