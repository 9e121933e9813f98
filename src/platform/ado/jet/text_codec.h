// How Jet stores text: Jet 4 as UTF-16 (UCS-2) little-endian, optionally in its compressed form
// (FF FE, then runs of one-byte characters switched with 00 bytes); Jet 3 as single- or
// double-byte text in the database's code page. Shared by the reader and the writer, so that what
// one writes the other reads the same way.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ado::jet {

// Jet 4 text bytes (plain or compressed) as UTF-16. An odd last byte is ignored, as Jet does.
std::u16string DecodeJet4Text(std::span<const std::uint8_t> bytes);

// Jet 4 text bytes for `text`: the compressed form when `compress` is allowed and it is shorter
// (every character in U+0001..U+00FF), otherwise plain UCS-2.
std::vector<std::uint8_t> EncodeJet4Text(std::u16string_view text, bool compress);

// Text in a Windows code page (Jet 3), both ways, through iconv.
class CodePageText {
 public:
  // `code_page` 0 means the Western default, 1252.
  explicit CodePageText(std::uint16_t code_page);
  CodePageText(const CodePageText&) = delete;
  CodePageText& operator=(const CodePageText&) = delete;
  ~CodePageText();

  std::uint16_t CodePage() const noexcept { return code_page_; }
  // Bytes that are not valid in the code page become U+FFFD.
  std::u16string Decode(std::span<const std::uint8_t> bytes) const;
  // nullopt when a character has no form in the code page.
  std::optional<std::vector<std::uint8_t>> Encode(std::u16string_view text) const;

 private:
  struct Converters;
  std::uint16_t code_page_;
  std::unique_ptr<Converters> converters_;
};

}  // namespace ado::jet
