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

std::size_t FixedSize(std::uint8_t code) {
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
  ColumnInfo info;
  info.name = std::move(name);
  switch (column.code) {
    case kJetBoolean:
      info.type = adBoolean;
      info.defined_size = 2;
      break;
    case kJetByte:
      info.type = adUnsignedTinyInt;
      info.defined_size = 1;
      info.precision = 3;
      break;
    case kJetInteger:
      info.type = adSmallInt;
      info.defined_size = 2;
      info.precision = 5;
      break;
    case kJetLong:
      info.type = adInteger;
      info.defined_size = 4;
      info.precision = 10;
      break;
    case kJetCurrency:
      info.type = adCurrency;
      info.defined_size = 8;
      info.precision = 19;
      info.numeric_scale = 4;
      break;
    case kJetSingle:
      info.type = adSingle;
      info.defined_size = 4;
      info.precision = 7;
      break;
    case kJetDouble:
      info.type = adDouble;
      info.defined_size = 8;
      info.precision = 15;
      break;
    case kJetDateTime:
      info.type = adDate;
      info.defined_size = 8;
      break;
    case kJetBinary:
      info.type = adVarBinary;
      info.defined_size = column.size;
      break;
    case kJetText:
      info.type = adVarWChar;
      info.defined_size = version == JetVersion::kJet4 ? column.size / 2 : column.size;
      break;
    case kJetOle:
      info.type = adLongVarBinary;
      info.defined_size = kOleSize;
      break;
    case kJetMemo:
      info.type = adLongVarWChar;
      info.defined_size = kMemoSize;
      break;
    case kJetGuid:
      info.type = adGUID;
      info.defined_size = 16;
      break;
    case kJetNumeric:
      info.type = adNumeric;
      info.defined_size = 19;
      info.precision = static_cast<std::uint8_t>(column.precision);
      info.numeric_scale = static_cast<std::uint8_t>(column.scale);
      break;
    default:
      throw oleaut::ComError(
          kJetEFail, std::u16string(kProviderSource),
          oleaut::FromUtf8(fmt::format("Column '{}' has Jet type 0x{:02X}, which this provider "
                                       "cannot read (an Access 2007 or later type?)",
                                       oleaut::ToUtf8(column.name), column.code)));
  }
  return info;
}

oleaut::Variant DecodeField(const DecodeContext& context, const JetColumnInfo& column,
                            std::span<const std::uint8_t> bytes, bool present) {
  if (column.code == kJetBoolean) return oleaut::Variant(present);
  if (!present) return oleaut::Variant(oleaut::kNull);
  if (bytes.size() < FixedSize(column.code)) {
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
