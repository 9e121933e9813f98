// Guid: class, interface and library identifiers, read from and written as registry text
// ("{E8C86E9C-A0D9-4B40-9881-3B4968F27ECA}").
//
// Parsing is constexpr so that the fixed identifiers of the type library are checked when the
// program is compiled; a malformed text read at run time raises a ComError (CO_E_CLASSSTRING)
// that says what is wrong with it.
#pragma once

#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/oleaut/text.h"

namespace com {

struct Guid {
  std::uint32_t data1 = 0;
  std::uint16_t data2 = 0;
  std::uint16_t data3 = 0;
  std::array<std::uint8_t, 8> data4{};

  // Accepts the registry form with or without braces, hex digits in any case.
  static constexpr Guid Parse(std::string_view text);
  static Guid Parse(std::u16string_view text);

  // Upper case, with braces: the form the registry stores.
  std::string ToString() const;
  oleaut::Bstr ToBstr() const;

  bool IsNull() const noexcept { return *this == Guid{}; }
  std::size_t Hash() const noexcept;

  friend constexpr auto operator<=>(const Guid&, const Guid&) = default;
};

namespace guid_detail {

// The reason a text is not a GUID, or nullptr when it is one; `error_at` is the offending
// position in `text`.
constexpr const char* ParseInto(std::string_view text, Guid& out, std::size_t& error_at) {
  error_at = 0;
  std::size_t begin = 0;
  std::size_t end = text.size();
  if (!text.empty() && text.front() == '{') {
    if (text.back() != '}') {
      error_at = text.size();
      return "the opening brace has no closing brace";
    }
    begin = 1;
    end = text.size() - 1;
  } else if (!text.empty() && text.back() == '}') {
    error_at = text.size() - 1;
    return "the closing brace has no opening brace";
  }
  if (end - begin != 36) {
    error_at = begin;
    return "expected 32 hex digits in groups of 8-4-4-4-12 separated by hyphens";
  }
  std::uint8_t bytes[16] = {};
  std::size_t byte = 0;
  for (std::size_t i = 0; i < 36; ++i) {
    const char c = text[begin + i];
    if (i == 8 || i == 13 || i == 18 || i == 23) {
      if (c != '-') {
        error_at = begin + i;
        return "expected a hyphen between the groups 8-4-4-4-12";
      }
      continue;
    }
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (digit < 0) {
      error_at = begin + i;
      return "expected a hex digit";
    }
    bytes[byte / 2] = static_cast<std::uint8_t>(bytes[byte / 2] << 4 | digit);
    ++byte;
  }
  out.data1 = static_cast<std::uint32_t>(bytes[0]) << 24 |
              static_cast<std::uint32_t>(bytes[1]) << 16 |
              static_cast<std::uint32_t>(bytes[2]) << 8 | bytes[3];
  out.data2 = static_cast<std::uint16_t>(bytes[4] << 8 | bytes[5]);
  out.data3 = static_cast<std::uint16_t>(bytes[6] << 8 | bytes[7]);
  for (std::size_t i = 0; i < 8; ++i)
    out.data4[i] = bytes[8 + i];
  return nullptr;
}

[[noreturn]] void RaiseMalformed(std::string_view text, const char* reason, std::size_t at);

}  // namespace guid_detail

constexpr Guid Guid::Parse(std::string_view text) {
  Guid guid;
  std::size_t at = 0;
  if (const char* reason = guid_detail::ParseInto(text, guid, at)) {
    guid_detail::RaiseMalformed(text, reason, at);
  }
  return guid;
}

// The identifiers every object answers to.
// NOLINTBEGIN(readability-identifier-naming): the platform's names
inline constexpr Guid IID_IUnknown = Guid::Parse("{00000000-0000-0000-C000-000000000046}");
inline constexpr Guid IID_IDispatch = Guid::Parse("{00020400-0000-0000-C000-000000000046}");
inline constexpr Guid IID_IClassFactory = Guid::Parse("{00000001-0000-0000-C000-000000000046}");
// NOLINTEND(readability-identifier-naming)

}  // namespace com

template <>
struct std::hash<com::Guid> {
  std::size_t operator()(const com::Guid& guid) const noexcept { return guid.Hash(); }
};
