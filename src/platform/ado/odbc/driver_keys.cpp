#include "platform/ado/odbc/driver_keys.h"

#include <fmt/format.h>
#include <odbcinst.h>

#include <algorithm>
#include <array>

#include "platform/oleaut/com_error.h"
#include "platform/oleaut/text.h"

namespace ado::odbc {
namespace {

constexpr std::int32_t kEFail = static_cast<std::int32_t>(0x80004005U);

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
      kEFail, u"ADODB.Connection",
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

// A data source of odbc.ini (the user's, or the system's) gives the SQLite driver every key the
// connection string leaves out.
void RefuseInDataSource(const std::string& dsn) {
  for (const UnsafeKey& unsafe : kUnsafeKeys) {
    if (!ProfileValue(dsn, unsafe.key, "ODBC.INI").empty()) {
      Refuse("The ODBC data source '" + dsn + "' (odbc.ini) sets", unsafe.key, unsafe);
    }
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
    if (oleaut::EqualsNoCase(s.key, u"DSN")) RefuseInDataSource(oleaut::ToUtf8(s.value));
    if (oleaut::EqualsNoCase(s.key, u"FILEDSN")) RefuseInFileDataSource(oleaut::ToUtf8(s.value));
  }
}

}  // namespace ado::odbc
