#include "platform/com/registry.h"

#include <cstdlib>
#include <nlohmann/json.hpp>
#include <system_error>
#include <utility>

#include "platform/com/hresult.h"
#include "platform/io/regular_file.h"
#include "platform/oleaut/com_error.h"

namespace com {

namespace {

using oleaut::Bstr;
using oleaut::ComError;

constexpr std::u16string_view kSource = u"TAVPlatform.Registry";
constexpr HRESULT kBadKey = HresultFromWin32(1010);  // ERROR_BADKEY

struct RootName {
  std::u16string_view full;
  std::u16string_view abbreviation;
};
constexpr RootName kRoots[] = {
    {u"HKEY_CLASSES_ROOT", u"HKCR"},   {u"HKEY_CURRENT_USER", u"HKCU"},
    {u"HKEY_LOCAL_MACHINE", u"HKLM"},  {u"HKEY_USERS", u"HKU"},
    {u"HKEY_CURRENT_CONFIG", u"HKCC"},
};

[[noreturn]] void Raise(HRESULT hr, std::u16string description) {
  throw ComError(hr, Bstr(kSource), std::move(description));
}

Bstr PathText(const std::filesystem::path& file) {
  return oleaut::FromUtf8(file.string());
}

[[noreturn]] void RaiseCorrupt(const std::filesystem::path& file, std::string_view fault) {
  Raise(HRESULT_ERROR_BADDB, u"The registry file " + PathText(file) + u" is corrupt: " +
                                 oleaut::FromUtf8(std::string(fault)));
}

Bstr Fold(std::u16string_view text) {
  return oleaut::UCase(text);
}

}  // namespace

// --- RegistryData ---------------------------------------------------------------------------

Bstr RegistryData::NormalizeKey(std::u16string_view key) {
  while (!key.empty() && key.back() == u'\\')
    key.remove_suffix(1);
  const std::size_t first = key.find(u'\\');
  const std::u16string_view root = key.substr(0, first);
  Bstr result;
  for (const RootName& name : kRoots) {
    if (oleaut::EqualsNoCase(root, name.full) || oleaut::EqualsNoCase(root, name.abbreviation)) {
      result = Bstr(name.full);
    }
  }
  if (result.empty()) {
    Raise(kBadKey, u"The registry key '" + Bstr(key) +
                       u"' does not begin with a root such as HKEY_CLASSES_ROOT or "
                       u"HKEY_LOCAL_MACHINE");
  }
  if (first == std::u16string_view::npos) return result;
  std::u16string_view rest = key.substr(first + 1);
  while (true) {
    const std::size_t next = rest.find(u'\\');
    const std::u16string_view part = rest.substr(0, next);
    if (part.empty()) {
      Raise(kBadKey,
            u"The registry key '" + Bstr(key) + u"' has an empty name between backslashes");
    }
    result += u'\\';
    result += part;
    if (next == std::u16string_view::npos) break;
    rest.remove_prefix(next + 1);
  }
  return result;
}

const RegistryData::Key* RegistryData::Find(std::u16string_view key) const {
  const auto found = keys_.find(Fold(NormalizeKey(key)));
  return found == keys_.end() ? nullptr : &found->second;
}

bool RegistryData::KeyExists(std::u16string_view key) const {
  const Bstr folded = Fold(NormalizeKey(key));
  const auto at = keys_.lower_bound(folded);
  if (at == keys_.end()) return false;
  if (at->first == folded) return true;
  return at->first.size() > folded.size() && at->first.starts_with(folded) &&
         at->first[folded.size()] == u'\\';
}

std::optional<Bstr> RegistryData::GetValue(std::u16string_view key,
                                           std::u16string_view name) const {
  const Key* found = Find(key);
  if (found == nullptr) return std::nullopt;
  const auto value = found->values.find(Fold(name));
  if (value == found->values.end()) return std::nullopt;
  return value->second.second;
}

std::vector<Bstr> RegistryData::ValueNames(std::u16string_view key) const {
  std::vector<Bstr> names;
  if (const Key* found = Find(key)) {
    for (const auto& [folded, value] : found->values)
      names.push_back(value.first);
  }
  return names;
}

std::vector<Bstr> RegistryData::SubKeyNames(std::u16string_view key) const {
  const Bstr prefix = Fold(NormalizeKey(key)) + u'\\';
  std::vector<Bstr> names;
  for (auto at = keys_.lower_bound(prefix); at != keys_.end() && at->first.starts_with(prefix);
       ++at) {
    // The first name below `key`, in the case it was written with.
    const std::size_t end = at->first.find(u'\\', prefix.size());
    Bstr name =
        at->second.path.substr(prefix.size(), end == Bstr::npos ? Bstr::npos : end - prefix.size());
    if (names.empty() || Fold(names.back()) != Fold(name)) names.push_back(std::move(name));
  }
  return names;
}

void RegistryData::CreateKey(std::u16string_view key) {
  Bstr path = NormalizeKey(key);
  Bstr folded = Fold(path);
  keys_.try_emplace(std::move(folded), Key{std::move(path), {}});
}

void RegistryData::SetValue(std::u16string_view key, std::u16string_view name,
                            std::u16string_view value) {
  Bstr path = NormalizeKey(key);
  Bstr folded = Fold(path);
  Key& entry = keys_.try_emplace(std::move(folded), Key{std::move(path), {}}).first->second;
  auto& slot = entry.values[Fold(name)];
  if (slot.first.empty()) slot.first = Bstr(name);
  slot.second = Bstr(value);
}

bool RegistryData::DeleteValue(std::u16string_view key, std::u16string_view name) {
  const Bstr folded = Fold(NormalizeKey(key));
  const auto found = keys_.find(folded);
  if (found == keys_.end() || found->second.values.erase(Fold(name)) == 0) return false;
  PruneEmpty(folded);
  return true;
}

void RegistryData::PruneEmpty(const Bstr& folded_key) {
  Bstr current = folded_key;
  while (true) {
    const auto found = keys_.find(current);
    if (found != keys_.end()) {
      if (!found->second.values.empty()) return;
      const auto next = std::next(found);
      if (next != keys_.end() && next->first.starts_with(current + u'\\')) return;
      keys_.erase(found);
    }
    const std::size_t slash = current.rfind(u'\\');
    if (slash == Bstr::npos) return;
    current.resize(slash);
  }
}

bool RegistryData::DeleteKey(std::u16string_view key) {
  const Bstr folded = Fold(NormalizeKey(key));
  const Bstr prefix = folded + u'\\';
  bool removed = keys_.erase(folded) > 0;
  for (auto at = keys_.lower_bound(prefix); at != keys_.end() && at->first.starts_with(prefix);) {
    at = keys_.erase(at);
    removed = true;
  }
  return removed;
}

RegistryData RegistryData::FromJson(std::string_view text, const std::filesystem::path& file) {
  RegistryData data;
  if (text.find_first_not_of(" \t\r\n") == std::string_view::npos) return data;
  nlohmann::json root;
  try {
    root = nlohmann::json::parse(text);
  } catch (const nlohmann::json::exception& error) {
    RaiseCorrupt(file, error.what());
  }
  if (!root.is_object()) RaiseCorrupt(file, "the top level is not a JSON object of keys");
  for (const auto& [key, values] : root.items()) {
    if (!values.is_object()) {
      RaiseCorrupt(file, "the key \"" + key + "\" does not hold an object of named values");
    }
    Bstr path;
    try {
      path = NormalizeKey(oleaut::FromUtf8(key));
    } catch (const ComError& error) {
      RaiseCorrupt(file, oleaut::ToUtf8(error.Description()));
    }
    data.CreateKey(path);
    for (const auto& [name, value] : values.items()) {
      if (!value.is_string()) {
        RaiseCorrupt(file, "the value \"" + name + "\" of key \"" + key + "\" is not text");
      }
      data.SetValue(path, oleaut::FromUtf8(name), oleaut::FromUtf8(value.get<std::string>()));
    }
  }
  return data;
}

std::string RegistryData::ToJson() const {
  nlohmann::ordered_json root = nlohmann::ordered_json::object();
  for (const auto& [folded, key] : keys_) {
    nlohmann::ordered_json values = nlohmann::ordered_json::object();
    for (const auto& [folded_name, value] : key.values) {
      values[oleaut::ToUtf8(value.first)] = oleaut::ToUtf8(value.second);
    }
    root[oleaut::ToUtf8(key.path)] = std::move(values);
  }
  return root.dump(2) + "\n";
}

// --- Registry -------------------------------------------------------------------------------

Registry::Registry(std::filesystem::path file, std::chrono::milliseconds lock_timeout)
    : file_(std::move(file)), lock_timeout_(lock_timeout) {}

std::filesystem::path Registry::DefaultFile() {
  if (const char* file = std::getenv("TAV_REGISTRY_FILE"); file != nullptr && *file != '\0') {
    return file;
  }
  std::filesystem::path config;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg != '\0') {
    config = xdg;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    config = std::filesystem::path(home) / ".config";
  } else {
    Raise(REGDB_E_READREGDB,
          u"Cannot place the registry file: none of TAV_REGISTRY_FILE, XDG_CONFIG_HOME and HOME "
          u"is set");
  }
  return config / "tav" / "registry.json";
}

Registry Registry::Default() {
  return Registry(DefaultFile());
}

RegistryData Registry::Read() const {
  const std::optional<std::string> text = io::ReadFileIfExists(file_);
  if (!text) return {};
  return RegistryData::FromJson(*text, file_);
}

void Registry::Update(const std::function<void(RegistryData&)>& change) const {
  // A link is followed to the file it names, which is replaced; the link stays a link.
  const std::filesystem::path target = io::ResolveLinks(file_);
  const std::filesystem::path directory = target.has_parent_path() ? target.parent_path() : ".";
  std::error_code error;
  std::filesystem::create_directories(directory, error);
  if (error) {
    Raise(REGDB_E_WRITEREGDB, u"Cannot create the folder of the registry file " + PathText(file_) +
                                  u": " + oleaut::FromUtf8(error.message()));
  }

  std::filesystem::path lock_path = target;
  lock_path += ".lock";
  // Held until the new file is in place.
  const io::FileHandle lock = io::LockExclusive(lock_path, lock_timeout_);
  RegistryData data = Read();
  change(data);
  io::ReplaceFile(target, data.ToJson());
}

std::optional<Bstr> Registry::GetValue(std::u16string_view key, std::u16string_view name) const {
  return Read().GetValue(key, name);
}

void Registry::SetValue(std::u16string_view key, std::u16string_view name,
                        std::u16string_view value) const {
  Update([&](RegistryData& data) { data.SetValue(key, name, value); });
}

void Registry::DeleteValue(std::u16string_view key, std::u16string_view name) const {
  Update([&](RegistryData& data) { data.DeleteValue(key, name); });
}

void Registry::DeleteKey(std::u16string_view key) const {
  Update([&](RegistryData& data) { data.DeleteKey(key); });
}

// --- RegistryKey ----------------------------------------------------------------------------

RegistryKey RegistryKey::Open(const Registry& registry, std::u16string_view path) {
  Bstr normalized = RegistryData::NormalizeKey(path);
  if (!registry.Read().KeyExists(normalized)) {
    Raise(REGDB_E_KEYMISSING,
          u"The registry key " + normalized + u" does not exist in " + PathText(registry.File()));
  }
  return RegistryKey(registry, std::move(normalized));
}

RegistryKey RegistryKey::Create(const Registry& registry, std::u16string_view path) {
  Bstr normalized = RegistryData::NormalizeKey(path);
  registry.Update([&](RegistryData& data) { data.CreateKey(normalized); });
  return RegistryKey(registry, std::move(normalized));
}

std::optional<Bstr> RegistryKey::GetValue(std::u16string_view name) const {
  return registry_.GetValue(path_, name);
}

void RegistryKey::SetValue(std::u16string_view name, std::u16string_view value) const {
  registry_.SetValue(path_, name, value);
}

void RegistryKey::DeleteValue(std::u16string_view name) const {
  registry_.DeleteValue(path_, name);
}

std::vector<Bstr> RegistryKey::SubKeyNames() const {
  return registry_.Read().SubKeyNames(path_);
}

RegistryKey RegistryKey::OpenSubKey(std::u16string_view name) const {
  return Open(registry_, path_ + u'\\' + Bstr(name));
}

}  // namespace com
