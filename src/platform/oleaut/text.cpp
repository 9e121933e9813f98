#include "platform/oleaut/text.h"

#include <utf8.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>

namespace oleaut {

namespace {

// Decodes `utf8` into `out` when it is well-formed throughout (no stray continuation byte, no
// overlong form, no surrogate, nothing past U+10FFFF); false otherwise. One pass, no copy: most
// text that reaches here is well-formed.
bool DecodeWellFormed(std::string_view utf8, Bstr& out) {
  out.resize(utf8.size());  // never more code units than bytes
  char16_t* to = out.data();
  const auto* at = reinterpret_cast<const unsigned char*>(utf8.data());
  const auto* const end = at + utf8.size();
  const auto continuation = [&](std::ptrdiff_t i) {
    return at + i < end && (at[i] & 0xC0U) == 0x80U ? static_cast<char32_t>(at[i] & 0x3FU)
                                                    : char32_t{0xFFFFFFFF};
  };
  while (at < end) {
    // ASCII, eight bytes at a time while it lasts.
    while (end - at >= 8) {
      std::uint64_t word = 0;
      std::memcpy(&word, at, sizeof(word));
      if ((word & 0x8080808080808080ULL) != 0) break;
      for (int i = 0; i < 8; ++i)
        to[i] = static_cast<char16_t>(at[i]);
      to += 8;
      at += 8;
    }
    if (at == end) break;
    const unsigned lead = *at;
    if (lead < 0x80U) {
      *to++ = static_cast<char16_t>(lead);
      ++at;
      continue;
    }
    char32_t cp = 0;
    int length = 0;
    char32_t least = 0;
    if ((lead & 0xE0U) == 0xC0U) {
      cp = lead & 0x1FU;
      length = 2;
      least = 0x80;
    } else if ((lead & 0xF0U) == 0xE0U) {
      cp = lead & 0x0FU;
      length = 3;
      least = 0x800;
    } else if ((lead & 0xF8U) == 0xF0U) {
      cp = lead & 0x07U;
      length = 4;
      least = 0x10000;
    } else {
      return false;
    }
    for (int i = 1; i < length; ++i) {
      const char32_t bits = continuation(i);
      if (bits == 0xFFFFFFFF) return false;
      cp = (cp << 6) | bits;
    }
    if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      *to++ = static_cast<char16_t>(0xD800 + (cp >> 10));
      *to++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FFU));
    } else {
      *to++ = static_cast<char16_t>(cp);
    }
    at += length;
  }
  out.resize(static_cast<std::size_t>(to - out.data()));
  return true;
}

}  // namespace

Bstr FromUtf8(std::string_view utf8) {
  if (Bstr out; DecodeWellFormed(utf8, out)) return out;
  // Each ill-formed sequence becomes U+FFFD, as the library that checks it decides.
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
