// OpenProvider: an ADO connection string to the provider that serves it.
#include "platform/ado/provider.h"

#include <fmt/format.h>

#include <charconv>
#include <string>
#include <utility>
#include <vector>

#include "platform/ado/jet/jet_provider.h"
#include "platform/ado/sqlite/sqlite_provider.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/text.h"

namespace ado {
namespace {

constexpr std::int32_t kEFail = static_cast<std::int32_t>(0x80004005U);
constexpr std::u16string_view kSource = u"ADODB.Connection";

[[noreturn]] void Raise(std::int32_t hresult, const std::string& message) {
  throw oleaut::ComError(hresult, std::u16string(kSource), oleaut::FromUtf8(message));
}

struct Setting {
  std::u16string key;  // as written, trimmed
  std::u16string value;
};

std::u16string Trimmed(std::u16string_view text) {
  while (!text.empty() && (text.front() == u' ' || text.front() == u'\t'))
    text.remove_prefix(1);
  while (!text.empty() && (text.back() == u' ' || text.back() == u'\t'))
    text.remove_suffix(1);
  return std::u16string(text);
}

// "Key=Value;Key2='a;b';Key3=\"x\"": keys are trimmed and compared without regard to case; a
// value may be quoted with ' or " (the quote doubled inside it) to hold ; or blanks.
std::vector<Setting> ParseConnectionString(std::u16string_view text) {
  std::vector<Setting> settings;
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t eq = text.find(u'=', i);
    const std::size_t semi = text.find(u';', i);
    if (eq == std::u16string_view::npos || (semi != std::u16string_view::npos && semi < eq)) {
      const std::u16string rest =
          Trimmed(text.substr(i, semi == std::u16string_view::npos ? text.npos : semi - i));
      if (!rest.empty()) {
        Raise(kEFail, fmt::format("The connection string has '{}' without a value (expected "
                                  "Key=Value)",
                                  oleaut::ToUtf8(rest)));
      }
      i = semi == std::u16string_view::npos ? text.size() : semi + 1;
      continue;
    }
    Setting setting;
    setting.key = Trimmed(text.substr(i, eq - i));
    if (setting.key.empty()) Raise(kEFail, "The connection string has a value without a key");
    i = eq + 1;
    while (i < text.size() && text[i] == u' ')
      ++i;
    if (i < text.size() && (text[i] == u'\'' || text[i] == u'"')) {
      const char16_t quote = text[i++];
      for (;;) {
        if (i >= text.size()) {
          Raise(kEFail, fmt::format("The value of '{}' in the connection string is not closed "
                                    "with its quote",
                                    oleaut::ToUtf8(setting.key)));
        }
        if (text[i] == quote) {
          if (i + 1 < text.size() && text[i + 1] == quote) {
            setting.value += quote;
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        setting.value += text[i++];
      }
      while (i < text.size() && text[i] == u' ')
        ++i;
      if (i < text.size() && text[i] != u';') {
        Raise(kEFail, fmt::format("Unexpected text after the quoted value of '{}' in the "
                                  "connection string",
                                  oleaut::ToUtf8(setting.key)));
      }
      ++i;
    } else {
      const std::size_t end = text.find(u';', i);
      setting.value =
          Trimmed(text.substr(i, end == std::u16string_view::npos ? text.npos : end - i));
      i = end == std::u16string_view::npos ? text.size() : end + 1;
    }
    settings.push_back(std::move(setting));
  }
  return settings;
}

const Setting* Find(const std::vector<Setting>& settings, std::u16string_view key) {
  const Setting* found = nullptr;
  for (const Setting& s : settings) {
    if (oleaut::EqualsNoCase(s.key, key)) found = &s;  // the last one wins, as in ADO
  }
  return found;
}

bool EndsWithNoCase(std::u16string_view text, std::u16string_view suffix) {
  return text.size() >= suffix.size() &&
         oleaut::EqualsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

std::unique_ptr<Provider> OpenSqlite(const std::vector<Setting>& settings) {
  sqlite::SqliteOptions options;
  for (const Setting& s : settings) {
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
        Raise(kEFail, fmt::format("Mode '{}' is not one of ReadWrite, ReadWriteCreate, ReadOnly, "
                                  "Memory",
                                  oleaut::ToUtf8(s.value)));
      }
    } else if (oleaut::EqualsNoCase(key, u"Busy Timeout") ||
               oleaut::EqualsNoCase(key, u"Default Timeout")) {
      const std::string value = oleaut::ToUtf8(s.value);
      int ms = 0;
      const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), ms);
      if (ec != std::errc() || end != value.data() + value.size() || ms < 0) {
        Raise(kEFail,
              fmt::format("{} '{}' is not a number of milliseconds", oleaut::ToUtf8(key), value));
      }
      options.busy_timeout_ms = ms;
    } else if (oleaut::EqualsNoCase(key, u"User ID") || oleaut::EqualsNoCase(key, u"Password")) {
      // ADO's Open adds them when given; an embedded database has no logins to check them
      // against, so only empty ones are accepted rather than silently ignored.
      if (!s.value.empty()) {
        Raise(kEFail, fmt::format("The SQLite provider has no logins: '{}' must be empty",
                                  oleaut::ToUtf8(key)));
      }
    } else {
      Raise(kEFail, fmt::format("The SQLite provider does not know the connection string key "
                                "'{}'",
                                oleaut::ToUtf8(key)));
    }
  }
  if (options.path.empty() && options.mode != sqlite::SqliteOptions::Mode::kMemory) {
    Raise(kEFail, "The connection string names no Data Source for the SQLite provider");
  }
  return sqlite::OpenSqliteProvider(options);
}

}  // namespace

std::unique_ptr<Provider> OpenProvider(std::u16string_view connection_string) {
  const std::vector<Setting> settings = ParseConnectionString(connection_string);
  if (settings.empty()) Raise(kEFail, "The connection string is empty");
  const Setting* provider = Find(settings, u"Provider");
  if (Find(settings, u"Driver") || Find(settings, u"DSN") ||
      (provider && (EndsWithNoCase(provider->value, u"MSDASQL") ||
                    EndsWithNoCase(provider->value, u"MSDASQL.1")))) {
    Raise(kEFail, "ODBC provider not available in this build");
  }
  if (provider) {
    if (oleaut::EqualsNoCase(provider->value, u"SQLite")) return OpenSqlite(settings);
    if (jet::IsJetProviderName(provider->value)) {
      std::vector<std::pair<std::u16string, std::u16string>> pairs;
      for (const Setting& s : settings)
        pairs.emplace_back(s.key, s.value);
      return jet::OpenJetProvider(pairs);
    }
    // ADO's "Provider cannot be found" (3706), naming the provider.
    Raise(oleaut::VbHresult(3706),
          fmt::format("Provider cannot be found. It may not be properly installed: '{}'",
                      oleaut::ToUtf8(provider->value)));
  }
  if (const Setting* source = Find(settings, u"Data Source")) {
    const std::u16string& path = source->value;
    if (EndsWithNoCase(path, u".db") || EndsWithNoCase(path, u".sqlite") ||
        EndsWithNoCase(path, u".sqlite3") || path == u":memory:") {
      return OpenSqlite(settings);
    }
  }
  Raise(kEFail,
        "The connection string names no provider (expected Provider=SQLite, or a Data "
        "Source ending in .db or .sqlite)");
}

}  // namespace ado
