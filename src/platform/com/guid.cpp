#include "platform/com/guid.h"

#include <fmt/format.h>

#include "platform/com/hresult.h"
#include "platform/oleaut/com_error.h"

namespace com {

namespace guid_detail {

void RaiseMalformed(std::string_view text, const char* reason, std::size_t at) {
  std::string description =
      fmt::format("Invalid class string '{}': {} at position {}", text, reason, at + 1);
  throw oleaut::ComError(CO_E_CLASSSTRING, u"TAVPlatform.Guid", oleaut::FromUtf8(description));
}

}  // namespace guid_detail

Guid Guid::Parse(std::u16string_view text) {
  std::string narrow;
  narrow.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] > 0x7F) {
      guid_detail::RaiseMalformed(oleaut::ToUtf8(text), "expected a hex digit", i);
    }
    narrow.push_back(static_cast<char>(text[i]));
  }
  return Parse(std::string_view(narrow));
}

std::string Guid::ToString() const {
  return fmt::format("{{{:08X}-{:04X}-{:04X}-{:02X}{:02X}-{:02X}{:02X}{:02X}{:02X}{:02X}{:02X}}}",
                     data1, data2, data3, data4[0], data4[1], data4[2], data4[3], data4[4],
                     data4[5], data4[6], data4[7]);
}

oleaut::Bstr Guid::ToBstr() const {
  return oleaut::FromUtf8(ToString());
}

std::size_t Guid::Hash() const noexcept {
  // FNV-1a over the 16 bytes: GUIDs are random already, the mixing only has to be cheap.
  std::uint64_t h = 14695981039346656037ULL;
  const auto mix = [&h](std::uint64_t byte) {
    h ^= byte;
    h *= 1099511628211ULL;
  };
  for (int shift = 24; shift >= 0; shift -= 8)
    mix(data1 >> shift & 0xFF);
  mix(data2 >> 8);
  mix(data2 & 0xFF);
  mix(data3 >> 8);
  mix(data3 & 0xFF);
  for (std::uint8_t b : data4)
    mix(b);
  return static_cast<std::size_t>(h);
}

}  // namespace com
