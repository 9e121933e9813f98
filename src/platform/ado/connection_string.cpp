#include "platform/ado/connection_string.h"

#include <fmt/format.h>

#include "platform/ado/enclosed_text.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/hresult.h"
#include "platform/oleaut/text.h"

namespace ado {
namespace {

[[noreturn]] void Raise(const std::string& message) {
  throw oleaut::ComError(oleaut::E_FAIL, u"ADODB.Connection", oleaut::FromUtf8(message));
}

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t';
}

std::u16string Trimmed(std::u16string_view text) {
  while (!text.empty() && IsBlank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back()))
    text.remove_suffix(1);
  return std::u16string(text);
}

// Reads a value that starts with `open` at text[i]: quotes close with the same quote (doubled
// inside), a brace with "}" ("}}" inside). Leaves i after the closing character.
std::u16string ReadEnclosed(std::u16string_view text, std::size_t& i, const std::u16string& key) {
  const char16_t open = text[i++];
  const char16_t close = open == u'{' ? u'}' : open;
  if (auto value = ReadUpToClosing(text, i, close, /*doubled=*/true)) return std::move(*value);
  Raise(open == u'{'
            ? fmt::format("The value of '{}' in the connection string opens a brace that is "
                          "not closed (write }} twice for a brace inside the value)",
                          oleaut::ToUtf8(key))
            : fmt::format("The value of '{}' in the connection string is not closed with "
                          "its quote",
                          oleaut::ToUtf8(key)));
}

}  // namespace

ConnectionSettings ParseConnectionString(std::u16string_view text) {
  ConnectionSettings settings;
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t eq = text.find(u'=', i);
    const std::size_t semi = text.find(u';', i);
    if (eq == std::u16string_view::npos || (semi != std::u16string_view::npos && semi < eq)) {
      const std::size_t end = semi == std::u16string_view::npos ? text.size() : semi;
      if (!Trimmed(text.substr(i, end - i)).empty()) {
        Raise(
            fmt::format("The connection string has a part without '=' at character {} "
                        "(expected Key=Value)",
                        i + 1));
      }
      i = end + 1;
      continue;
    }
    ConnectionSetting setting;
    setting.key = Trimmed(text.substr(i, eq - i));
    if (setting.key.empty()) {
      Raise(fmt::format("The connection string has a value without a key at character {}", eq + 1));
    }
    i = eq + 1;
    while (i < text.size() && IsBlank(text[i]))
      ++i;
    if (i < text.size() && (text[i] == u'\'' || text[i] == u'"' || text[i] == u'{')) {
      setting.value = ReadEnclosed(text, i, setting.key);
      while (i < text.size() && IsBlank(text[i]))
        ++i;
      if (i < text.size() && text[i] != u';') {
        Raise(
            fmt::format("Unexpected text after the quoted value of '{}' in the connection "
                        "string",
                        oleaut::ToUtf8(setting.key)));
      }
      ++i;
    } else {
      const std::size_t end = text.find(u';', i);
      setting.value =
          Trimmed(text.substr(i, end == std::u16string_view::npos ? text.npos : end - i));
      if (setting.value.find(u'}') != std::u16string::npos) {
        Raise(
            fmt::format("The value of '{}' in the connection string has a closing brace that "
                        "no brace opened",
                        oleaut::ToUtf8(setting.key)));
      }
      i = end == std::u16string_view::npos ? text.size() : end + 1;
    }
    settings.push_back(std::move(setting));
  }
  return settings;
}

const ConnectionSetting* FindSetting(const ConnectionSettings& settings, std::u16string_view key) {
  return FindSetting(settings, {key});
}

const ConnectionSetting* FindSetting(const ConnectionSettings& settings,
                                     std::initializer_list<std::u16string_view> keys) {
  const ConnectionSetting* found = nullptr;
  for (const ConnectionSetting& s : settings) {
    for (std::u16string_view key : keys) {
      if (oleaut::EqualsNoCase(s.key, key)) found = &s;
    }
  }
  return found;
}

bool IsSecretKey(std::u16string_view key) {
  const std::u16string upper = oleaut::UCase(key);
  return upper == u"PWD" || upper.find(u"PASSWORD") != std::u16string::npos ||
         upper.find(u"SECRET") != std::u16string::npos;
}

std::u16string OdbcQuoted(std::u16string_view value) {
  const bool plain = value.find_first_of(u";{}=") == std::u16string_view::npos &&
                     (value.empty() || (!IsBlank(value.front()) && !IsBlank(value.back())));
  if (plain) return std::u16string(value);
  std::u16string quoted = u"{";
  for (char16_t c : value) {
    quoted += c;
    if (c == u'}') quoted += u'}';
  }
  quoted += u'}';
  return quoted;
}

std::u16string JoinOdbcSettings(const ConnectionSettings& settings) {
  std::u16string text;
  for (const ConnectionSetting& s : settings) {
    if (!text.empty()) text += u';';
    text += s.key + u'=' + OdbcQuoted(s.value);
  }
  return text;
}

std::u16string RedactedConnectionString(std::u16string_view text) {
  try {
    ConnectionSettings settings = ParseConnectionString(text);
    for (ConnectionSetting& s : settings) {
      if (IsSecretKey(s.key)) s.value = u"***";
    }
    return JoinOdbcSettings(settings);
  } catch (const oleaut::ComError&) {
    const std::size_t eq = text.find(u'=');
    return std::u16string(text.substr(0, eq == std::u16string_view::npos ? 0 : eq)) + u"=...";
  }
}

}  // namespace ado
