// The fixed facts of the two Jet file formats that the writer lays out and the reader checks:
// page sizes, where the header fields and counts sit, the column type codes. Offsets are those
// of the format documentation installed with libmdb3 (HACKING.md).
#pragma once

#include <cstdint>

namespace ado::jet {

enum class JetVersion : std::uint8_t {
  kJet3 = 0,  // Access 97: 2 KiB pages, text in the database's code page
  kJet4 = 1,  // Access 2000 to 2003: 4 KiB pages, text in UTF-16
};

// Column type codes stored in a table definition.
enum JetTypeCode : std::uint8_t {
  kJetBoolean = 0x01,
  kJetByte = 0x02,
  kJetInteger = 0x03,
  kJetLong = 0x04,
  kJetCurrency = 0x05,
  kJetSingle = 0x06,
  kJetDouble = 0x07,
  kJetDateTime = 0x08,
  kJetBinary = 0x09,
  kJetText = 0x0A,
  kJetOle = 0x0B,
  kJetMemo = 0x0C,
  kJetGuid = 0x0F,
  kJetNumeric = 0x10,
};

// Bytes a fixed-size column takes in a row's fixed area; 0 for Yes/No, whose value is its bit
// in the null mask, and for the variable-size types.
constexpr std::uint32_t FixedSizeOf(int code) noexcept {
  switch (code) {
    case kJetByte:
      return 1;
    case kJetInteger:
      return 2;
    case kJetLong:
    case kJetSingle:
      return 4;
    case kJetCurrency:
    case kJetDouble:
    case kJetDateTime:
      return 8;
    case kJetGuid:
      return 16;
    case kJetNumeric:
      return 17;
    default:
      return 0;
  }
}

// Where things sit in the pages of one version.
struct JetLayout {
  std::uint32_t page_size;
  std::uint32_t data_header_size;     // bytes before a data page's row offset table
  std::uint32_t data_row_count;       // offset of a data page's row count
  std::uint32_t tdef_header_size;     // bytes before the first column definition
  std::uint32_t tdef_column_size;     // bytes of one column definition
  std::uint32_t header_crypt_length;  // bytes of the database page scrambled with RC4 at 0x18
  std::uint32_t usage_bitmap_bytes;   // bitmap bytes of an inline (type 0) usage map
  std::uint32_t col_count_size;       // bytes of a row's column count
};

inline constexpr JetLayout kJet3Layout{2048, 10, 8, 43, 18, 126, 128, 1};
inline constexpr JetLayout kJet4Layout{4096, 14, 12, 63, 25, 128, 64, 2};

constexpr const JetLayout& LayoutOf(JetVersion version) noexcept {
  return version == JetVersion::kJet3 ? kJet3Layout : kJet4Layout;
}

// The key that scrambles the database page's header fields, in every Jet file.
inline constexpr std::uint32_t kHeaderRc4Key = 0x6B39DAC7;
inline constexpr std::uint32_t kHeaderCryptStart = 0x18;
inline constexpr std::uint32_t kVersionOffset = 0x14;
inline constexpr char kJetMagic[] = "Standard Jet DB";  // at offset 4 of page 0
inline constexpr char kAceMagic[] = "Standard ACE DB";  // Access 2007 and later

// Row offsets of a data page carry two flags in their top bits.
inline constexpr std::uint16_t kRowDeleted = 0x8000;
inline constexpr std::uint16_t kRowOverflow = 0x4000;
inline constexpr std::uint16_t kRowOffsetMask = 0x1FFF;

// A long value (Memo, OLE) field starts with a 12-byte header: length with flags in its top
// byte, then where the value lives.
inline constexpr std::uint32_t kLongValueHeaderSize = 12;
inline constexpr std::uint32_t kLongValueInline = 0x80000000;
inline constexpr std::uint32_t kLongValueSinglePage = 0x40000000;
inline constexpr std::uint32_t kLongValueLengthMask = 0x00FFFFFF;

}  // namespace ado::jet
