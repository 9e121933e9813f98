#include "platform/ado/jet/row_encoder.h"

#include <fmt/format.h>

#include <cmath>
#include <limits>
#include <optional>

#include "platform/ado/jet/page_bytes.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/convert.h"
#include "platform/oleaut/hresult.h"
#include "platform/oleaut/text.h"

namespace ado::jet {
namespace {

// Long values up to this many bytes stay inside their row, as Access keeps short memos.
constexpr std::size_t kInlineLongValueLimit = 64;
// Access compresses a memo's text only up to this many characters.
constexpr std::size_t kCompressedMemoLimit = 1024;

bool IsFixed(JetTypeCode code) {
  return code != kJetText && code != kJetMemo && code != kJetBinary && code != kJetOle;
}

std::optional<double> RealNumber(const oleaut::Variant& value) {
  if (!value.IsNumeric()) return std::nullopt;
  return oleaut::ToDouble(value);
}

// The value as a whole number when it is one (Booleans as -1 and 0, as Jet converts them).
std::optional<std::int64_t> WholeNumber(const oleaut::Variant& value) {
  switch (value.Type()) {
    case oleaut::VarType::Integer:
      return value.AsInteger();
    case oleaut::VarType::Long:
      return value.AsLong();
    case oleaut::VarType::Boolean:
      return value.AsBoolean() ? -1 : 0;
    case oleaut::VarType::Double: {
      const double d = value.AsDouble();
      if (std::trunc(d) != d || std::abs(d) > 9.2e18) return std::nullopt;
      return static_cast<std::int64_t>(d);
    }
    case oleaut::VarType::Decimal: {
      const auto& dec = value.AsDecimal();
      const auto whole = dec.ToInt64();
      if (!whole || oleaut::Decimal::FromInt64(*whole) != dec) return std::nullopt;
      return whole;
    }
    default:
      return std::nullopt;
  }
}

std::string TypeNameOf(JetTypeCode code) {
  switch (code) {
    case kJetBoolean:
      return "Yes/No";
    case kJetInteger:
      return "Integer";
    case kJetLong:
      return "Long";
    case kJetDouble:
      return "Double";
    case kJetDateTime:
      return "Date/Time";
    case kJetText:
      return "Text";
    case kJetMemo:
      return "Memo";
    case kJetBinary:
      return "Binary";
    case kJetOle:
      return "OLE Object";
    default:
      return fmt::format("type 0x{:02X}", static_cast<int>(code));
  }
}

}  // namespace

void RaiseWriterError(const std::string& message) {
  throw oleaut::ComError(oleaut::E_FAIL, u"Jet database writer", oleaut::FromUtf8(message));
}

TableLayout LayOutColumns(JetVersion version, const std::vector<ColumnDefinition>& definitions) {
  TableLayout layout;
  for (const ColumnDefinition& definition : definitions) {
    StoredColumn column;
    column.name = definition.name;
    column.code = definition.code;
    column.number = static_cast<std::uint16_t>(layout.columns.size());
    column.fixed = IsFixed(definition.code);
    if (column.fixed) {
      column.fixed_offset = layout.fixed_size;
      column.length = static_cast<std::uint16_t>(
          definition.code == kJetBoolean ? 1 : FixedSizeOf(definition.code));
      layout.fixed_size = static_cast<std::uint16_t>(layout.fixed_size + FixedSizeOf(column.code));
    } else {
      column.var_index = layout.var_count++;
      if (definition.code == kJetText) {
        column.max_chars = static_cast<std::uint16_t>(definition.text_length);
        column.length = static_cast<std::uint16_t>(definition.text_length *
                                                   (version == JetVersion::kJet4 ? 2 : 1));
      } else if (definition.code == kJetBinary) {
        column.length = static_cast<std::uint16_t>(definition.text_length);
      }
    }
    layout.columns.push_back(std::move(column));
  }
  return layout;
}

RowEncoder::RowEncoder(JetVersion version, const TableLayout& layout, const CodePageText& code_page,
                       LongValueStore& long_values, std::u16string table_name)
    : version_(version),
      layout_(layout),
      code_page_(code_page),
      long_values_(long_values),
      table_name_(std::move(table_name)) {}

void RowEncoder::RaiseValue(const StoredColumn& column, std::size_t row_number,
                            const std::string& what) const {
  RaiseWriterError(fmt::format("Table '{}', row {}, column '{}' ({}): {}",
                               oleaut::ToUtf8(table_name_), row_number, oleaut::ToUtf8(column.name),
                               TypeNameOf(column.code), what));
}

std::vector<std::uint8_t> RowEncoder::TextBytes(const StoredColumn& column,
                                                std::u16string_view text, bool compress,
                                                std::size_t row_number) const {
  if (version_ == JetVersion::kJet4) return EncodeJet4Text(text, compress);
  auto bytes = code_page_.Encode(text);
  if (!bytes) {
    RaiseValue(column, row_number,
               fmt::format("the text has characters that code page {} (the Jet 3 database's) "
                           "cannot hold",
                           code_page_.CodePage()));
  }
  return std::move(*bytes);
}

std::vector<std::uint8_t> RowEncoder::LongValue(const StoredColumn& column,
                                                std::vector<std::uint8_t> bytes,
                                                std::size_t row_number) {
  // The length shares its word with the flags: a longer value would spill into them.
  if (bytes.size() > kLongValueLengthMask) {
    RaiseValue(column, row_number,
               fmt::format("the value takes {} bytes; a {} value holds at most {} bytes (16 MiB)",
                           bytes.size(), TypeNameOf(column.code), kLongValueLengthMask));
  }
  std::vector<std::uint8_t> field;
  field.reserve(kLongValueHeaderSize + kInlineLongValueLimit);
  const auto length = static_cast<std::uint32_t>(bytes.size());
  if (bytes.size() <= kInlineLongValueLimit) {
    AppendU32(field, length | kLongValueInline);
    AppendU32(field, 0);
    AppendU32(field, 0);
    field.insert(field.end(), bytes.begin(), bytes.end());
    return field;
  }
  const LongValueStore::Placement placement = long_values_.Store(bytes);
  AppendU32(field, length | placement.flags);
  AppendU32(field, placement.pointer);
  AppendU32(field, 0);
  return field;
}

RowEncoder::Field RowEncoder::Convert(const StoredColumn& column, const oleaut::Variant& value,
                                      std::size_t row_number) {
  Field field;
  const bool null = value.IsNull() || value.IsEmpty();
  if (column.fixed) field.bytes.assign(FixedSizeOf(column.code), 0);
  if (column.code == kJetBoolean) {
    if (null) return field;  // Jet has no Null Yes/No: it is No
    if (value.Type() == oleaut::VarType::Boolean) {
      field.present = value.AsBoolean();
    } else if (const auto number = RealNumber(value)) {
      field.present = *number != 0;
    } else {
      RaiseValue(column, row_number,
                 "needs True, False or a number, not a " +
                     oleaut::ToUtf8(oleaut::VarTypeName(value.Type())));
    }
    return field;
  }
  if (null) return field;
  field.present = true;
  const auto wrong_type = [&] {
    RaiseValue(column, row_number,
               "cannot hold a value of type " + oleaut::ToUtf8(oleaut::VarTypeName(value.Type())));
  };
  switch (column.code) {
    case kJetInteger:
    case kJetLong: {
      const auto whole = WholeNumber(value);
      if (!whole) wrong_type();
      const bool is_long = column.code == kJetLong;
      const std::int64_t low = is_long ? std::numeric_limits<std::int32_t>::min() : -32768;
      const std::int64_t high = is_long ? std::numeric_limits<std::int32_t>::max() : 32767;
      if (*whole < low || *whole > high) {
        RaiseValue(column, row_number, fmt::format("{} is out of its range", *whole));
      }
      if (is_long) {
        PutU32(field.bytes, 0, static_cast<std::uint32_t>(*whole));
      } else {
        PutU16(field.bytes, 0, static_cast<std::uint32_t>(*whole));
      }
      return field;
    }
    case kJetDouble: {
      const auto number = RealNumber(value);
      if (!number) wrong_type();
      PutF64(field.bytes, 0, *number);
      return field;
    }
    case kJetDateTime: {
      std::optional<oleaut::Date> date;
      if (value.Type() == oleaut::VarType::Date) date = value.AsDate();
      if (value.IsString()) {
        date = oleaut::Date::ParseIso(value.AsString());
        if (!date) {
          RaiseValue(column, row_number,
                     "'" + oleaut::ToUtf8(value.AsString()) + "' is not a date (YYYY-MM-DD)");
        }
      }
      if (!date) wrong_type();
      PutF64(field.bytes, 0, date->OleValue());
      return field;
    }
    case kJetText: {
      if (!value.IsString()) wrong_type();
      const std::u16string& text = value.AsString();
      if (text.size() > column.max_chars) {
        RaiseValue(column, row_number,
                   fmt::format("the text has {} characters; the column holds {}", text.size(),
                               column.max_chars));
      }
      field.bytes = TextBytes(column, text, /*compress=*/true, row_number);
      return field;
    }
    case kJetMemo: {
      if (!value.IsString()) wrong_type();
      const std::u16string& text = value.AsString();
      field.bytes = LongValue(
          column, TextBytes(column, text, text.size() <= kCompressedMemoLimit, row_number),
          row_number);
      return field;
    }
    case kJetBinary:
    case kJetOle: {
      if (value.Type() != oleaut::VarType::ByteArray) wrong_type();
      const auto& bytes = value.AsByteArray();
      if (column.code == kJetBinary && bytes.size() > column.length) {
        RaiseValue(column, row_number,
                   fmt::format("{} bytes; the column holds {}", bytes.size(), column.length));
      }
      field.bytes = column.code == kJetOle ? LongValue(column, bytes, row_number) : bytes;
      return field;
    }
    default:
      wrong_type();
  }
  return field;
}

std::vector<std::uint8_t> RowEncoder::Encode(std::span<const oleaut::Variant> values,
                                             std::size_t row_number) {
  if (values.size() != layout_.columns.size()) {
    RaiseWriterError(fmt::format("Table '{}', row {}: {} values for {} columns",
                                 oleaut::ToUtf8(table_name_), row_number, values.size(),
                                 layout_.columns.size()));
  }
  std::vector<Field> fields;
  fields.reserve(values.size());
  for (std::size_t i = 0; i < values.size(); ++i)
    fields.push_back(Convert(layout_.columns[i], values[i], row_number));
  std::vector<std::uint8_t> row = Assemble(fields);
  const JetLayout& format = LayoutOf(version_);
  const std::size_t room = format.page_size - format.data_header_size - 2;
  if (row.size() > room) {
    RaiseWriterError(
        fmt::format("Table '{}', row {}: the row takes {} bytes; a page holds "
                    "rows of at most {} (shorten its Text columns or use Memo)",
                    oleaut::ToUtf8(table_name_), row_number, row.size(), room));
  }
  return row;
}

std::vector<std::uint8_t> RowEncoder::Assemble(const std::vector<Field>& fields) const {
  const bool jet4 = version_ == JetVersion::kJet4;
  const std::size_t column_count = layout_.columns.size();
  std::vector<std::uint8_t> row;
  if (jet4) {
    AppendU16(row, static_cast<std::uint32_t>(column_count));
  } else {
    row.push_back(static_cast<std::uint8_t>(column_count));
  }
  const std::size_t fixed_start = row.size();
  row.resize(fixed_start + layout_.fixed_size, 0);
  std::vector<std::uint32_t> offsets(layout_.var_count + 1, 0);
  for (std::size_t i = 0; i < column_count; ++i) {
    const StoredColumn& column = layout_.columns[i];
    if (column.fixed) {
      std::copy(fields[i].bytes.begin(), fields[i].bytes.end(),
                row.begin() + static_cast<std::ptrdiff_t>(fixed_start + column.fixed_offset));
    }
  }
  for (std::uint16_t v = 0; v < layout_.var_count; ++v) {
    offsets[v] = static_cast<std::uint32_t>(row.size());
    for (std::size_t i = 0; i < column_count; ++i) {
      const StoredColumn& column = layout_.columns[i];
      if (!column.fixed && column.var_index == v && fields[i].present) {
        row.insert(row.end(), fields[i].bytes.begin(), fields[i].bytes.end());
      }
    }
  }
  offsets[layout_.var_count] = static_cast<std::uint32_t>(row.size());  // end of the data
  std::vector<std::uint8_t> mask((column_count + 7) / 8, 0);
  for (std::size_t i = 0; i < column_count; ++i) {
    if (fields[i].present)
      mask[layout_.columns[i].number / 8] |= 1 << (layout_.columns[i].number % 8);
  }
  if (layout_.var_count > 0) {
    if (jet4) {
      for (std::size_t v = offsets.size(); v-- > 0;)
        AppendU16(row, offsets[v]);
      AppendU16(row, layout_.var_count);
    } else {
      // Jet 3 keeps one byte per offset; a jump table names, for each 256 bytes the offsets
      // pass, the first column whose offset lies beyond. Its length follows from the row's
      // length, so it is found by trying.
      const std::uint32_t end_of_data = offsets.back();
      const std::size_t trailer = offsets.size() + 1 + mask.size();
      std::size_t jumps = 0;
      for (;;) {
        const std::size_t size = end_of_data + trailer + jumps;
        const std::size_t needed = (size - 1) / 256;
        if (needed == jumps) break;
        jumps = needed;
      }
      const std::size_t real_jumps = end_of_data / 256;
      if (jumps > real_jumps + 1) RaiseWriterError("A Jet 3 row has too many variable columns");
      for (std::size_t v = offsets.size(); v-- > 0;)
        row.push_back(static_cast<std::uint8_t>(offsets[v] & 0xFF));
      std::vector<std::uint8_t> jump_table(jumps, 0xFF);
      for (std::size_t k = 0; k < real_jumps; ++k) {
        for (std::size_t v = 0; v < offsets.size(); ++v) {
          if (offsets[v] >= 256 * (k + 1)) {
            jump_table[k] = static_cast<std::uint8_t>(v);
            break;
          }
        }
      }
      for (std::size_t k = jumps; k-- > 0;)
        row.push_back(jump_table[k]);
      row.push_back(static_cast<std::uint8_t>(layout_.var_count));
    }
  }
  row.insert(row.end(), mask.begin(), mask.end());
  return row;
}

}  // namespace ado::jet
