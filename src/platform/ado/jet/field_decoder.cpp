#include "platform/ado/jet/field_decoder.h"

#include <fmt/format.h>

#include "platform/ado/jet/errors.h"
#include "platform/ado/jet/page_bytes.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/text.h"

namespace ado::jet {
namespace {

// What the Jet OLE DB provider reports as the size of long columns.
constexpr std::int32_t kMemoSize = 536870910;
constexpr std::int32_t kOleSize = 1073741823;

std::u16string GuidText(std::span<const std::uint8_t> b) {
  return oleaut::FromUtf8(fmt::format(
      "{{{:08X}-{:04X}-{:04X}-{:02X}{:02X}-{:02X}{:02X}{:02X}{:02X}{:02X}{:02X}}}", GetU32(b, 0),
      GetU16(b, 4), GetU16(b, 6), b[8], b[9], b[10], b[11], b[12], b[13], b[14], b[15]));
}

// Jet 4's Decimal: a sign byte, then four 32-bit words (each little-endian), the most
// significant first.
oleaut::Variant DecimalValue(std::span<const std::uint8_t> b, int scale) {
  if (GetU32(b, 1) != 0 || scale > oleaut::Decimal::kMaxScale) {
    throw oleaut::ComError(kJetEFail, std::u16string(kProviderSource),
                           u"A Decimal value of the Jet database exceeds 28 digits");
  }
  const std::uint32_t hi = GetU32(b, 5);
  const std::uint64_t lo = (static_cast<std::uint64_t>(GetU32(b, 9)) << 32) | GetU32(b, 13);
  return oleaut::Decimal(hi, lo, static_cast<std::uint8_t>(scale), (b[0] & 0x80) != 0);
}

}  // namespace

ValueClass ClassOf(std::uint8_t code) {
  switch (code) {
    case kJetText:
    case kJetMemo:
    case kJetGuid:
      return ValueClass::kText;
    case kJetBinary:
    case kJetOle:
      return ValueClass::kBinary;
    default:
      return ValueClass::kNumber;
  }
}

ColumnInfo DescribeColumn(JetVersion version, const JetColumnInfo& column, std::u16string name) {
  struct Shape {
    std::uint8_t code;
    DataTypeEnum type;
    std::int32_t size;  // 0: the column's own
    std::uint8_t precision;
    std::uint8_t scale;
  };
  static constexpr Shape kShapes[] = {
      {kJetBoolean, adBoolean, 2, 0, 0},
      {kJetByte, adUnsignedTinyInt, 1, 3, 0},
      {kJetInteger, adSmallInt, 2, 5, 0},
      {kJetLong, adInteger, 4, 10, 0},
      {kJetCurrency, adCurrency, 8, 19, 4},
      {kJetSingle, adSingle, 4, 7, 0},
      {kJetDouble, adDouble, 8, 15, 0},
      {kJetDateTime, adDate, 8, 0, 0},
      {kJetBinary, adVarBinary, 0, 0, 0},
      {kJetText, adVarWChar, 0, 0, 0},
      {kJetOle, adLongVarBinary, kOleSize, 0, 0},
      {kJetMemo, adLongVarWChar, kMemoSize, 0, 0},
      {kJetGuid, adGUID, 16, 0, 0},
      {kJetNumeric, adNumeric, 19, 0, 0},
  };
  for (const Shape& shape : kShapes) {
    if (shape.code != column.code) continue;
    ColumnInfo info;
    info.name = std::move(name);
    info.type = shape.type;
    info.defined_size = shape.size;
    info.precision = shape.precision;
    info.numeric_scale = shape.scale;
    if (shape.size == 0) {
      const bool characters_of_two_bytes = column.code == kJetText && version == JetVersion::kJet4;
      info.defined_size = characters_of_two_bytes ? column.size / 2 : column.size;
    }
    if (column.code == kJetNumeric) {
      info.precision = static_cast<std::uint8_t>(column.precision);
      info.numeric_scale = static_cast<std::uint8_t>(column.scale);
    }
    return info;
  }
  throw oleaut::ComError(
      kJetEFail, std::u16string(kProviderSource),
      oleaut::FromUtf8(fmt::format("Column '{}' has Jet type 0x{:02X}, which this provider cannot "
                                   "read (an Access 2007 or later type?)",
                                   oleaut::ToUtf8(column.name), column.code)));
}

oleaut::Variant DecodeField(const DecodeContext& context, const JetColumnInfo& column,
                            std::span<const std::uint8_t> bytes, bool present) {
  if (column.code == kJetBoolean) return oleaut::Variant(present);
  if (!present) return oleaut::Variant(oleaut::kNull);
  if (bytes.size() < FixedSizeOf(column.code)) {
    throw oleaut::ComError(kJetEFail, std::u16string(kProviderSource),
                           u"A value of column '" + column.name + u"' is cut short");
  }
  switch (column.code) {
    case kJetByte:
      return oleaut::Variant(static_cast<std::int16_t>(bytes[0]));
    case kJetInteger:
      return oleaut::Variant(static_cast<std::int16_t>(GetU16(bytes, 0)));
    case kJetLong:
      return oleaut::Variant(static_cast<std::int32_t>(GetU32(bytes, 0)));
    case kJetCurrency: {
      const auto scaled = static_cast<std::int64_t>(GetU64(bytes, 0));
      const std::uint64_t magnitude =
          scaled < 0 ? 0 - static_cast<std::uint64_t>(scaled) : static_cast<std::uint64_t>(scaled);
      return oleaut::Variant(oleaut::Decimal(0, magnitude, 4, scaled < 0));
    }
    case kJetSingle:
      return oleaut::Variant(static_cast<double>(GetF32(bytes, 0)));
    case kJetDouble:
      return oleaut::Variant(GetF64(bytes, 0));
    case kJetDateTime:
      return oleaut::Variant(oleaut::Date(GetF64(bytes, 0)));
    case kJetGuid:
      return oleaut::Variant(GuidText(bytes));
    case kJetNumeric:
      return DecimalValue(bytes, column.scale);
    case kJetBinary:
      return oleaut::Variant(oleaut::ByteArray(bytes.begin(), bytes.end()));
    case kJetText:
      if (context.version == JetVersion::kJet4) return oleaut::Variant(DecodeJet4Text(bytes));
      return oleaut::Variant(context.code_page->Decode(bytes));
    case kJetOle:
      return oleaut::Variant(context.long_values->Read(bytes));
    case kJetMemo: {
      const std::vector<std::uint8_t> text = context.long_values->Read(bytes);
      if (context.version == JetVersion::kJet4) return oleaut::Variant(DecodeJet4Text(text));
      return oleaut::Variant(context.code_page->Decode(text));
    }
    default:
      DescribeColumn(context.version, column, column.name);  // raises for unknown types
      return oleaut::Variant(oleaut::kNull);
  }
}

}  // namespace ado::jet
