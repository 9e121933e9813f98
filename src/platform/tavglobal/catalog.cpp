#include "platform/tavglobal/catalog.h"

#include <toml++/toml.h>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <sstream>

#include "platform/io/regular_file.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/text.h"
#include "platform/tavglobal/paths.h"

namespace tavglobal {

namespace {

constexpr std::u16string_view kSource = u"TAVGlobal.Catalog";

[[noreturn]] void RaiseCatalogError(const std::filesystem::path& path, std::string_view cause) {
  throw oleaut::ComError(oleaut::VbHresult(oleaut::kInvalidProcedureCall), std::u16string(kSource),
                         u"Data-source catalog '" + oleaut::FromUtf8(path.string()) + u"': " +
                             oleaut::FromUtf8(cause));
}

// The password an entry names the place of. Messages name the place, never what was read there.
std::optional<std::u16string> ReadPassword(const std::filesystem::path& path,
                                           const std::string& name, const toml::table& table) {
  const auto variable = table["password_env"].value<std::string>();
  const auto file = table["password_file"].value<std::string>();
  if (table.contains("password")) {
    RaiseCatalogError(path, "sources." + name +
                                ".password is not read: name an environment variable "
                                "(password_env) or a file (password_file) that holds it");
  }
  if (variable && file) {
    RaiseCatalogError(path, "sources." + name + " names both password_env and password_file");
  }
  if (variable) {
    const char* value = std::getenv(variable->c_str());
    if (!value) {
      RaiseCatalogError(path, "sources." + name + ".password_env names the environment variable " +
                                  *variable + ", which is not set");
    }
    return oleaut::FromUtf8(value);
  }
  if (file) {
    std::string line;
    try {
      line = io::ReadWholeFile(*file);
    } catch (const oleaut::ComError& error) {
      RaiseCatalogError(path, "sources." + name + ".password_file '" + *file +
                                  "' cannot be read: " + oleaut::ToUtf8(error.Description()));
    }
    line = line.substr(0, line.find('\n'));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return oleaut::FromUtf8(line);
  }
  if (table.contains("password_env") || table.contains("password_file")) {
    RaiseCatalogError(path, "sources." + name + ".password_env and password_file must be texts");
  }
  return std::nullopt;
}

DataSourceEntry ReadEntry(const std::filesystem::path& path, const std::string& name,
                          const toml::table& table) {
  DataSourceEntry entry;
  entry.name = oleaut::FromUtf8(name);
  if (auto connection = table["connection"].value<std::string>()) {
    entry.connection = oleaut::FromUtf8(*connection);
  } else if (table.contains("connection")) {
    RaiseCatalogError(path, "sources." + name + ".connection must be a text");
  }
  if (const auto* node = table.get("user_id")) {
    const auto id = node->value<std::int64_t>();
    if (!id || *id < std::numeric_limits<std::int16_t>::min() ||
        *id > std::numeric_limits<std::int16_t>::max()) {
      RaiseCatalogError(path,
                        "sources." + name + ".user_id must be an integer from -32768 to 32767");
    }
    entry.user_id = static_cast<std::int16_t>(*id);
  }
  if (auto user_name = table["user_name"].value<std::string>()) {
    entry.user_name = oleaut::FromUtf8(*user_name);
  }
  if (auto language = table["language"].value<std::string>()) {
    entry.language = oleaut::FromUtf8(*language);
  }
  entry.password = ReadPassword(path, name, table);
  return entry;
}

}  // namespace

std::filesystem::path Catalog::DefaultPath() {
  if (const char* explicit_path = std::getenv("TAV_CATALOG"); explicit_path && *explicit_path) {
    return explicit_path;
  }
  return ConfigDirectory() / "catalog.toml";
}

Catalog Catalog::Load() {
  return LoadFile(DefaultPath());
}

Catalog Catalog::LoadFile(const std::filesystem::path& path) {
  Catalog catalog;
  catalog.path_ = path;
  std::optional<std::string> text;
  try {
    text = io::ReadFileIfExists(path);
  } catch (const oleaut::ComError& error) {
    RaiseCatalogError(path, oleaut::ToUtf8(error.Description()));
  }
  if (!text) return catalog;

  toml::table root;
  try {
    root = toml::parse(*text, path.string());
  } catch (const toml::parse_error& e) {
    std::ostringstream cause;
    cause << e.description() << " (line " << e.source().begin.line << ", column "
          << e.source().begin.column << ")";
    RaiseCatalogError(path, cause.str());
  }
  if (const auto* sources = root["sources"].as_table()) {
    for (const auto& [key, node] : *sources) {
      const std::string name(key.str());
      const auto* table = node.as_table();
      if (!table) RaiseCatalogError(path, "sources." + name + " must be a table");
      catalog.entries_.emplace(oleaut::UCase(oleaut::FromUtf8(name)),
                               ReadEntry(path, name, *table));
    }
  } else if (root.contains("sources")) {
    RaiseCatalogError(path, "'sources' must be a table");
  }
  return catalog;
}

std::vector<const DataSourceEntry*> Catalog::Entries() const {
  std::vector<const DataSourceEntry*> entries;
  for (const auto& [key, entry] : entries_)
    entries.push_back(&entry);
  std::sort(entries.begin(), entries.end(),
            [](const DataSourceEntry* a, const DataSourceEntry* b) { return a->name < b->name; });
  return entries;
}

const DataSourceEntry* Catalog::Find(std::u16string_view name) const {
  const auto found = entries_.find(oleaut::UCase(name));
  return found == entries_.end() ? nullptr : &found->second;
}

}  // namespace tavglobal
