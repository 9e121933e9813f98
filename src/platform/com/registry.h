// The registry stand-in: keys with named text values, kept in one JSON file.
//
// The file is a JSON object whose names are key paths ("HKEY_CLASSES_ROOT\CLSID\{...}") and
// whose values are objects of named values ("" is the key's default value). Key paths and value
// names are compared without regard to case, as the registry compares them. Its location is
// $TAV_REGISTRY_FILE, else $XDG_CONFIG_HOME/tav/registry.json, else
// ~/.config/tav/registry.json.
//
// Every write is one transaction: it takes an exclusive flock on "<file>.lock", reads the file
// afresh, applies the change, writes a temporary file beside it and renames it over the old one.
// Two processes registering at once therefore never lose each other's entries, and a reader
// always sees a whole file. A writer waits for another's lock as long as the database waits for
// another writer, then raises. A file that is not valid raises a ComError naming the file and
// the fault, and is never overwritten. The file may be a symbolic link (the file it names is
// read and replaced); anything else that is not a regular file is refused.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/io/file_lock.h"
#include "platform/oleaut/text.h"

namespace com {

// The whole registry in memory.
class RegistryData {
 public:
  bool KeyExists(std::u16string_view key) const;
  // The value `name` of `key` ("" for the default value), if both are there.
  std::optional<oleaut::Bstr> GetValue(std::u16string_view key, std::u16string_view name) const;
  // Value names of `key`, in sorted order.
  std::vector<oleaut::Bstr> ValueNames(std::u16string_view key) const;
  // Names of the direct subkeys of `key`, in sorted order.
  std::vector<oleaut::Bstr> SubKeyNames(std::u16string_view key) const;

  void CreateKey(std::u16string_view key);
  void SetValue(std::u16string_view key, std::u16string_view name, std::u16string_view value);
  // Removes a value; a key left without values and subkeys goes too, and so on upwards. False
  // when there was no such value.
  bool DeleteValue(std::u16string_view key, std::u16string_view name);
  // Removes a key with all its subkeys; false when there was none.
  bool DeleteKey(std::u16string_view key);

  // The file's text; `file` names the file in errors.
  static RegistryData FromJson(std::string_view text, const std::filesystem::path& file);
  std::string ToJson() const;

  // "HKCR\Clsid\\x\" -> "HKEY_CLASSES_ROOT\Clsid\x"; raises for an unknown root or an empty
  // name between backslashes.
  static oleaut::Bstr NormalizeKey(std::u16string_view key);

 private:
  struct Key {
    oleaut::Bstr path;                                                     // as first written
    std::map<oleaut::Bstr, std::pair<oleaut::Bstr, oleaut::Bstr>> values;  // folded -> name, value
  };
  const Key* Find(std::u16string_view key) const;
  void PruneEmpty(const oleaut::Bstr& folded_key);

  std::map<oleaut::Bstr, Key> keys_;  // by folded path; a parent is implied by its children
};

class Registry {
 public:
  explicit Registry(std::filesystem::path file,
                    std::chrono::milliseconds lock_timeout = io::kBusyTimeout);
  // The registry of this process's configuration (see the top of this file).
  static Registry Default();
  static std::filesystem::path DefaultFile();

  const std::filesystem::path& File() const noexcept { return file_; }

  // The current contents; a missing file is an empty registry.
  RegistryData Read() const;
  // One transaction: `change` edits the current contents, which are then written atomically.
  // Nothing is written when `change` throws.
  void Update(const std::function<void(RegistryData&)>& change) const;

  std::optional<oleaut::Bstr> GetValue(std::u16string_view key, std::u16string_view name) const;
  void SetValue(std::u16string_view key, std::u16string_view name, std::u16string_view value) const;
  void DeleteValue(std::u16string_view key, std::u16string_view name) const;
  void DeleteKey(std::u16string_view key) const;

 private:
  std::filesystem::path file_;
  std::chrono::milliseconds lock_timeout_;
};

// An open key (RegOpenKeyEx): reads and writes relative to one path.
class RegistryKey {
 public:
  // Raises REGDB_E_KEYMISSING when the key does not exist.
  static RegistryKey Open(const Registry& registry, std::u16string_view path);
  static RegistryKey Create(const Registry& registry, std::u16string_view path);

  const oleaut::Bstr& Path() const noexcept { return path_; }
  std::optional<oleaut::Bstr> GetValue(std::u16string_view name) const;
  void SetValue(std::u16string_view name, std::u16string_view value) const;
  void DeleteValue(std::u16string_view name) const;
  std::vector<oleaut::Bstr> SubKeyNames() const;
  RegistryKey OpenSubKey(std::u16string_view name) const;

 private:
  RegistryKey(const Registry& registry, oleaut::Bstr path)
      : registry_(registry), path_(std::move(path)) {}

  Registry registry_;
  oleaut::Bstr path_;
};

}  // namespace com
