// Text as the Automation runtime sees it: UTF-16 code units (BSTR semantics), converted to UTF-8
// only at the edges (files, terminal, JSON, syslog).
#pragma once

#include <string>
#include <string_view>

namespace oleaut {

using Bstr = std::u16string;

// UTF-8 to UTF-16; invalid sequences become U+FFFD rather than failing.
Bstr FromUtf8(std::string_view utf8);
// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string ToUtf8(std::u16string_view text);

// VB's Trim/LTrim/RTrim: only the space character (U+0020) counts as a blank.
Bstr Trim(std::u16string_view text);
Bstr LTrim(std::u16string_view text);
Bstr RTrim(std::u16string_view text);
// Blanks in the wider sense that number and date parsers skip: space, tab, CR and LF.
constexpr bool IsWhitespace(char16_t c) noexcept {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}
// The text without leading and trailing IsWhitespace characters.
std::u16string_view TrimWhitespace(std::u16string_view text) noexcept;
// VB's UCase/LCase over UTF-16 code units (ASCII and the common Unicode letters).
Bstr UCase(std::u16string_view text);
// UCase of one code unit.
constexpr char16_t UpperUnit(char16_t c) noexcept {
  if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 32);
  // Latin-1, Greek and Cyrillic lower-case letters map by a fixed offset.
  if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) return static_cast<char16_t>(c - 32);
  if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return static_cast<char16_t>(c - 32);
  if (c >= 0x430 && c <= 0x44F) return static_cast<char16_t>(c - 32);
  if (c >= 0x450 && c <= 0x45F) return static_cast<char16_t>(c - 80);
  if (c >= 0xFF41 && c <= 0xFF5A) return static_cast<char16_t>(c - 32);  // full-width
  return c;
}

Bstr LCase(std::u16string_view text);
// Comparison of texts without regard to case (vbTextCompare on UCase), for keys and names.
bool EqualsNoCase(std::u16string_view a, std::u16string_view b) noexcept;
// Every occurrence of `what` replaced by `with`, compared by exact code unit.
Bstr Replace(std::u16string_view text, std::u16string_view what, std::u16string_view with);

}  // namespace oleaut
