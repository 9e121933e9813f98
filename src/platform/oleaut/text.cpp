#include "platform/oleaut/text.h"

#include <utf8.h>

#include <algorithm>
#include <iterator>

namespace oleaut {

Bstr FromUtf8(std::string_view utf8) {
  std::string valid;
  valid.reserve(utf8.size());
  utf8::replace_invalid(utf8.begin(), utf8.end(), std::back_inserter(valid));
  Bstr out;
  out.reserve(valid.size());
  utf8::unchecked::utf8to16(valid.begin(), valid.end(), std::back_inserter(out));
  return out;
}

std::string ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::uint32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;  // an unpaired surrogate
    }
    utf8::unchecked::append(cp, std::back_inserter(out));
  }
  return out;
}

Bstr LTrim(std::u16string_view text) {
  const auto first = text.find_first_not_of(u' ');
  return first == std::u16string_view::npos ? Bstr() : Bstr(text.substr(first));
}

Bstr RTrim(std::u16string_view text) {
  const auto last = text.find_last_not_of(u' ');
  return last == std::u16string_view::npos ? Bstr() : Bstr(text.substr(0, last + 1));
}

Bstr Trim(std::u16string_view text) {
  const auto first = text.find_first_not_of(u' ');
  if (first == std::u16string_view::npos) return {};
  const auto last = text.find_last_not_of(u' ');
  return Bstr(text.substr(first, last - first + 1));
}

std::u16string_view TrimWhitespace(std::u16string_view text) noexcept {
  while (!text.empty() && IsWhitespace(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && IsWhitespace(text.back()))
    text.remove_suffix(1);
  return text;
}

namespace {

char16_t UpperUnit(char16_t c) noexcept {
  if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 32);
  // Latin-1, Greek and Cyrillic lower-case letters map by a fixed offset.
  if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) return static_cast<char16_t>(c - 32);
  if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return static_cast<char16_t>(c - 32);
  if (c >= 0x430 && c <= 0x44F) return static_cast<char16_t>(c - 32);
  if (c >= 0x450 && c <= 0x45F) return static_cast<char16_t>(c - 80);
  if (c >= 0xFF41 && c <= 0xFF5A) return static_cast<char16_t>(c - 32);  // full-width
  return c;
}

char16_t LowerUnit(char16_t c) noexcept {
  if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c + 32);
  if ((c >= 0xC0 && c <= 0xDE && c != 0xD7)) return static_cast<char16_t>(c + 32);
  if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return static_cast<char16_t>(c + 32);
  if (c >= 0x410 && c <= 0x42F) return static_cast<char16_t>(c + 32);
  if (c >= 0x400 && c <= 0x40F) return static_cast<char16_t>(c + 80);
  if (c >= 0xFF21 && c <= 0xFF3A) return static_cast<char16_t>(c + 32);
  return c;
}

}  // namespace

Bstr UCase(std::u16string_view text) {
  Bstr out(text);
  std::transform(out.begin(), out.end(), out.begin(), UpperUnit);
  return out;
}

Bstr LCase(std::u16string_view text) {
  Bstr out(text);
  std::transform(out.begin(), out.end(), out.begin(), LowerUnit);
  return out;
}

bool EqualsNoCase(std::u16string_view a, std::u16string_view b) noexcept {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](char16_t x, char16_t y) { return UpperUnit(x) == UpperUnit(y); });
}

Bstr Replace(std::u16string_view text, std::u16string_view what, std::u16string_view with) {
  if (what.empty()) return Bstr(text);
  Bstr out;
  out.reserve(text.size());
  std::size_t pos = 0;
  for (auto hit = text.find(what); hit != std::u16string_view::npos; hit = text.find(what, pos)) {
    out.append(text.substr(pos, hit - pos));
    out.append(with);
    pos = hit + what.size();
  }
  out.append(text.substr(pos));
  return out;
}

}  // namespace oleaut
