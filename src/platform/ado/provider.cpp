// OpenProvider: an ADO connection string to the provider that serves it.
#include "platform/ado/provider.h"

#include <fmt/format.h>

#include <charconv>
#include <string>
#include <utility>
#include <vector>

#include "platform/ado/connection_string.h"
#include "platform/ado/jet/jet_provider.h"
#include "platform/ado/odbc/connection_mapping.h"
#include "platform/ado/odbc/odbc_provider.h"
#include "platform/ado/sqlite/sqlite_provider.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/hresult.h"
#include "platform/oleaut/text.h"

namespace ado {
namespace {

constexpr std::u16string_view kSource = u"ADODB.Connection";

[[noreturn]] void Raise(std::int32_t hresult, const std::string& message) {
  throw oleaut::ComError(hresult, std::u16string(kSource), oleaut::FromUtf8(message));
}

bool EndsWithNoCase(std::u16string_view text, std::u16string_view suffix) {
  return text.size() >= suffix.size() &&
         oleaut::EqualsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

std::unique_ptr<Provider> OpenSqlite(const ConnectionSettings& settings) {
  sqlite::SqliteOptions options;
  for (const ConnectionSetting& s : settings) {
    const std::u16string& key = s.key;
    if (oleaut::EqualsNoCase(key, u"Provider") ||
        oleaut::EqualsNoCase(key, u"Persist Security Info")) {
      continue;
    }
    if (oleaut::EqualsNoCase(key, u"Data Source") || oleaut::EqualsNoCase(key, u"DataSource") ||
        oleaut::EqualsNoCase(key, u"Filename")) {
      options.path = s.value;
    } else if (oleaut::EqualsNoCase(key, u"Mode")) {
      using Mode = sqlite::SqliteOptions::Mode;
      if (oleaut::EqualsNoCase(s.value, u"ReadWrite")) {
        options.mode = Mode::kReadWrite;
      } else if (oleaut::EqualsNoCase(s.value, u"ReadWriteCreate")) {
        options.mode = Mode::kReadWriteCreate;
      } else if (oleaut::EqualsNoCase(s.value, u"ReadOnly") ||
                 oleaut::EqualsNoCase(s.value, u"Read")) {
        options.mode = Mode::kReadOnly;
      } else if (oleaut::EqualsNoCase(s.value, u"Memory")) {
        options.mode = Mode::kMemory;
      } else {
        Raise(oleaut::E_FAIL,
              fmt::format("Mode '{}' is not one of ReadWrite, ReadWriteCreate, ReadOnly, "
                          "Memory",
                          oleaut::ToUtf8(s.value)));
      }
    } else if (oleaut::EqualsNoCase(key, u"Busy Timeout") ||
               oleaut::EqualsNoCase(key, u"Default Timeout")) {
      const std::string value = oleaut::ToUtf8(s.value);
      int ms = 0;
      const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), ms);
      if (ec != std::errc() || end != value.data() + value.size() || ms < 0) {
        Raise(oleaut::E_FAIL,
              fmt::format("{} '{}' is not a number of milliseconds", oleaut::ToUtf8(key), value));
      }
      options.busy_timeout_ms = ms;
    } else if (oleaut::EqualsNoCase(key, u"User ID") || oleaut::EqualsNoCase(key, u"Password")) {
      // ADO's Open adds them when given; an embedded database has no logins to check them
      // against, so only empty ones are accepted rather than silently ignored.
      if (!s.value.empty()) {
        Raise(oleaut::E_FAIL, fmt::format("The SQLite provider has no logins: '{}' must be empty",
                                          oleaut::ToUtf8(key)));
      }
    } else {
      Raise(oleaut::E_FAIL,
            fmt::format("The SQLite provider does not know the connection string key "
                        "'{}'",
                        oleaut::ToUtf8(key)));
    }
  }
  if (options.path.empty() && options.mode != sqlite::SqliteOptions::Mode::kMemory) {
    Raise(oleaut::E_FAIL, "The connection string names no Data Source for the SQLite provider");
  }
  return sqlite::OpenSqliteProvider(options);
}

}  // namespace

std::unique_ptr<Provider> OpenProvider(std::u16string_view connection_string) {
  const ConnectionSettings settings = ParseConnectionString(connection_string);
  if (settings.empty()) Raise(oleaut::E_FAIL, "The connection string is empty");
  if (odbc::FormOf(settings) != odbc::ConnectionForm::kNotOdbc) {
    return odbc::OpenOdbcProvider(settings);
  }
  const ConnectionSetting* provider = FindSetting(settings, u"Provider");
  if (provider) {
    if (oleaut::EqualsNoCase(provider->value, u"SQLite")) return OpenSqlite(settings);
    if (jet::IsJetProviderName(provider->value)) return jet::OpenJetProvider(settings);
    // ADO's "Provider cannot be found" (3706), naming the provider.
    Raise(oleaut::VbHresult(3706),
          fmt::format("Provider cannot be found. It may not be properly installed: '{}'",
                      oleaut::ToUtf8(provider->value)));
  }
  if (const ConnectionSetting* source = FindSetting(settings, u"Data Source")) {
    const std::u16string& path = source->value;
    if (EndsWithNoCase(path, u".db") || EndsWithNoCase(path, u".sqlite") ||
        EndsWithNoCase(path, u".sqlite3") || path == u":memory:") {
      return OpenSqlite(settings);
    }
  }
  Raise(oleaut::E_FAIL,
        "The connection string names no provider (expected Provider=SQLite, or a Data "
        "Source ending in .db or .sqlite)");
}

}  // namespace ado
