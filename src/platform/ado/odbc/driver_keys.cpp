#include "platform/ado/odbc/driver_keys.h"

#include <dlfcn.h>
#include <fmt/format.h>
#include <odbcinst.h>
#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <vector>

#include "platform/oleaut/com_error.h"
#include "platform/oleaut/hresult.h"
#include "platform/oleaut/text.h"

namespace ado::odbc {
namespace {

struct UnsafeKey {
  std::u16string_view key;
  std::string_view effect;
};

constexpr UnsafeKey kUnsafeKeys[] = {
    {u"LoadExt",
     "it loads a library into the SQLite ODBC driver, which is given only the provider's own "
     "T-SQL runtime extension"},
    {u"Tracefile", "it makes the SQLite ODBC driver write into a file of its choosing"},
    {u"SAVEFILE", "it makes the driver manager write into a file of its choosing"},
};

// `written`: the key as the string or the data source spells it.
[[noreturn]] void Refuse(const std::string& where, std::u16string_view written,
                         const UnsafeKey& unsafe) {
  throw oleaut::ComError(
      oleaut::E_FAIL, u"ADODB.Connection",
      oleaut::FromUtf8(fmt::format("{} the key '{}', which is refused: {}", where,
                                   oleaut::ToUtf8(written), unsafe.effect)));
}

// The SQLite driver finds a key at the start of the text or after any ';', braces or not.
void RefuseInText(std::u16string_view text) {
  for (std::size_t start = 0; start <= text.size();) {
    const std::size_t end = std::min(text.find(u';', start), text.size());
    const std::u16string_view part = text.substr(start, end - start);
    const std::u16string key = oleaut::Trim(part.substr(0, part.find(u'=')));
    for (const UnsafeKey& unsafe : kUnsafeKeys) {
      if (part.find(u'=') != std::u16string_view::npos && oleaut::EqualsNoCase(key, unsafe.key)) {
        Refuse("The connection string has", key, unsafe);
      }
    }
    start = end + 1;
  }
}

// The value of `key` in the [section] of an ODBC data source file; empty when it has none.
std::string ProfileValue(const std::string& section, std::u16string_view key,
                         const std::string& file) {
  std::array<char, 1024> value{};
  const int length =
      SQLGetPrivateProfileString(section.c_str(), oleaut::ToUtf8(key).c_str(), "", value.data(),
                                 static_cast<int>(value.size()), file.c_str());
  return length > 0 ? std::string(value.data()) : std::string();
}

// The drivers odbcinst.ini registers: each one's name and the library the driver manager loads
// for it.
struct RegisteredDriver {
  std::string name;
  std::string library;
};

std::vector<RegisteredDriver> RegisteredDrivers() {
  std::vector<char> names(16384, '\0');
  WORD length = 0;
  if (!SQLGetInstalledDrivers(names.data(), static_cast<WORD>(names.size() - 1), &length)) {
    return {};
  }
  std::vector<RegisteredDriver> drivers;
  for (const char* name = names.data(); *name != '\0'; name += std::strlen(name) + 1) {
    drivers.push_back({name, ProfileValue(name, u"Driver", "ODBCINST.INI")});
  }
  return drivers;
}

// The folder of the driver manager's own library (libodbc), found once.
const std::filesystem::path& DriverManagerFolder() {
  static const std::filesystem::path folder = [] {
    Dl_info info{};
    std::error_code error;
    if (dladdr(reinterpret_cast<void*>(&SQLDriverConnectW), &info) == 0 || !info.dli_fname) {
      return std::filesystem::path();
    }
    const std::filesystem::path manager = std::filesystem::canonical(info.dli_fname, error);
    return error ? std::filesystem::path() : manager.parent_path();
  }();
  return folder;
}

// The driver manager looks for a library that odbcinst.ini names without a folder in its own
// driver folder (the "odbc" folder beside libodbc), then where the dynamic linker looks.
std::vector<std::filesystem::path> LibraryCandidates(const std::string& library) {
  if (library.find('/') != std::string::npos) return {std::filesystem::path(library)};
  const std::filesystem::path& folder = DriverManagerFolder();
  if (folder.empty()) return {};
  return {folder / "odbc" / library, folder / library};
}

bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
  std::error_code error;
  return std::filesystem::equivalent(a, b, error) && !error;
}

// A driver is one that odbcinst.ini registers, named as it registers it or by its library's path.
// Anything else would make the driver manager load the library the caller names (a path or a
// name the dynamic linker looks up), running its code in this process.
void RefuseUnregisteredDriver(const std::string& where, std::u16string_view value) {
  const std::string driver = oleaut::ToUtf8(oleaut::Trim(value));
  const std::vector<RegisteredDriver> drivers = RegisteredDrivers();
  const bool is_path = driver.find('/') != std::string::npos;
  for (const RegisteredDriver& registered : drivers) {
    if (!is_path &&
        oleaut::EqualsNoCase(oleaut::FromUtf8(registered.name), oleaut::FromUtf8(driver))) {
      return;
    }
    if (is_path && !registered.library.empty()) {
      for (const std::filesystem::path& candidate : LibraryCandidates(registered.library)) {
        if (SameFile(driver, candidate)) return;
      }
    }
  }
  std::string known;
  for (const RegisteredDriver& registered : drivers) {
    known += (known.empty() ? "" : ", ") + registered.name;
  }
  throw oleaut::ComError(
      oleaut::E_FAIL, u"ADODB.Connection",
      oleaut::FromUtf8(fmt::format(
          "{} the ODBC driver '{}', which is not installed: only a driver that odbcinst.ini "
          "registers is loaded, named as it is registered ({}) or by its library's path",
          where, driver, known.empty() ? "none is registered" : known)));
}

// A data source of odbc.ini (the user's, or the system's) gives the SQLite driver every key the
// connection string leaves out.
void RefuseInDataSource(const std::string& dsn) {
  for (const UnsafeKey& unsafe : kUnsafeKeys) {
    if (!ProfileValue(dsn, unsafe.key, "ODBC.INI").empty()) {
      Refuse("The ODBC data source '" + dsn + "' (odbc.ini) sets", unsafe.key, unsafe);
    }
  }
  if (const std::string driver = ProfileValue(dsn, u"Driver", "ODBC.INI"); !driver.empty()) {
    RefuseUnregisteredDriver("The ODBC data source '" + dsn + "' (odbc.ini) names",
                             oleaut::FromUtf8(driver));
  }
}

// The driver manager adds the keys of a file data source's [ODBC] section to the string.
void RefuseInFileDataSource(const std::string& file) {
  std::array<char, 1024> value{};
  const auto read = [&](std::u16string_view key) {
    WORD length = 0;
    value.fill('\0');
    return SQLReadFileDSN(file.c_str(), "ODBC", oleaut::ToUtf8(key).c_str(), value.data(),
                          static_cast<WORD>(value.size()), &length) &&
           value[0] != '\0';
  };
  for (const UnsafeKey& unsafe : kUnsafeKeys) {
    if (read(unsafe.key)) Refuse("The file data source '" + file + "' sets", unsafe.key, unsafe);
  }
  if (read(u"DRIVER")) {
    RefuseUnregisteredDriver("The file data source '" + file + "' names",
                             oleaut::FromUtf8(value.data()));
  }
  if (read(u"DSN")) RefuseInDataSource(value.data());
}

}  // namespace

std::u16string DriverSetting(const ConnectionSettings& settings, std::u16string_view key) {
  if (const ConnectionSetting* own = FindSetting(settings, key)) return own->value;
  const ConnectionSetting* dsn = FindSetting(settings, u"DSN");
  return dsn ? oleaut::FromUtf8(ProfileValue(oleaut::ToUtf8(dsn->value), key, "ODBC.INI"))
             : std::u16string();
}

void RefuseUnsafeKeys(const ConnectionSettings& settings, std::u16string_view text) {
  RefuseInText(text);
  for (const ConnectionSetting& s : settings) {
    if (oleaut::EqualsNoCase(s.key, u"Driver")) {
      RefuseUnregisteredDriver("The connection string names", s.value);
    }
    if (oleaut::EqualsNoCase(s.key, u"DSN")) RefuseInDataSource(oleaut::ToUtf8(s.value));
    if (oleaut::EqualsNoCase(s.key, u"FILEDSN")) RefuseInFileDataSource(oleaut::ToUtf8(s.value));
  }
}

}  // namespace ado::odbc
