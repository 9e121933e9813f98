#include "platform/ado/field.h"

#include <algorithm>
#include <utility>

#include "platform/ado/chunk_trace.h"
#include "platform/ado/collection_items.h"
#include "platform/ado/errors.h"
#include "platform/oleaut/convert.h"

namespace ado {

Fields::~Fields() = default;

Field::~Field() = default;
namespace {

constexpr std::u16string_view kFieldSource = u"ADODB.Field";
constexpr std::u16string_view kFieldsSource = u"ADODB.Fields";

// Storage size of the fixed-size types, 0 for variable-length ones.
std::int32_t FixedSize(DataTypeEnum type) noexcept {
  switch (type) {
    case adTinyInt:
    case adUnsignedTinyInt:
      return 1;
    case adSmallInt:
    case adBoolean:
      return 2;
    case adInteger:
    case adSingle:
      return 4;
    case adDouble:
    case adCurrency:
    case adDate:
    case adBigInt:
      return 8;
    case adDBDate:
    case adDBTime:
      return 6;
    case adDecimal:
    case adDBTimeStamp:
      return 16;
    case adNumeric:
      return 19;
    default:
      return 0;
  }
}

std::int32_t ClampToLong(std::size_t size) noexcept {
  return static_cast<std::int32_t>(std::min<std::size_t>(size, 2147483647U));
}

}  // namespace

Field::Field(com::Ptr<RecordCursor> cursor, std::size_t column)
    : cursor_(std::move(cursor)), column_(column) {}

const ColumnInfo& Field::Column() const {
  cursor_->RequireOpen(kFieldSource, u"reading a field's properties");
  return cursor_->Column(column_);
}

const std::u16string& Field::Name() const {
  return Column().name;
}
DataTypeEnum Field::Type() const {
  return Column().type;
}
std::int32_t Field::DefinedSize() const {
  return Column().defined_size;
}
std::uint8_t Field::Precision() const {
  return Column().precision;
}
std::uint8_t Field::NumericScale() const {
  return Column().numeric_scale;
}

const oleaut::Variant& Field::Value() const {
  return cursor_->Value(column_, kFieldSource);
}

std::int32_t Field::ActualSize() const {
  const oleaut::Variant& value = Value();
  switch (value.Type()) {
    case oleaut::VarType::Empty:
    case oleaut::VarType::Null:
      return 0;
    case oleaut::VarType::String:
      return ClampToLong(value.AsString().size());
    case oleaut::VarType::ByteArray:
      return ClampToLong(value.AsByteArray().size());
    case oleaut::VarType::Integer:
    case oleaut::VarType::Boolean:
      return FixedSize(Type()) > 0 ? FixedSize(Type()) : 2;
    case oleaut::VarType::Long:
      return FixedSize(Type()) > 0 ? FixedSize(Type()) : 4;
    case oleaut::VarType::Decimal:
      return FixedSize(Type()) > 0 ? FixedSize(Type()) : 16;
    default:
      return FixedSize(Type()) > 0 ? FixedSize(Type()) : 8;
  }
}

oleaut::Variant Field::GetChunk(std::int32_t length) {
  const oleaut::Variant& value = Value();
  if (length <= 0) {
    RaiseAdoError(kAdoWrongArguments, kFieldSource,
                  u"GetChunk of field '" + Name() + u"' needs a positive length, not " +
                      NumberText(length) + u'.');
  }
  if (value.IsNull()) return oleaut::kNull;
  std::size_t& offset = cursor_->ChunkOffset(column_);
  const auto take = [&](std::size_t size) {
    const std::size_t start = std::min(offset, size);
    const std::size_t count = std::min<std::size_t>(size - start, length);
    offset = start + count;
    if (detail::chunk_trace_capture != nullptr && count > 0) TraceChunk(count);
    return std::pair{start, count};
  };
  if (value.Type() == oleaut::VarType::ByteArray) {
    const oleaut::ByteArray& bytes = value.AsByteArray();
    const auto [start, count] = take(bytes.size());
    if (count == 0) return oleaut::kNull;
    return oleaut::ByteArray(bytes.begin() + static_cast<std::ptrdiff_t>(start),
                             bytes.begin() + static_cast<std::ptrdiff_t>(start + count));
  }
  if (value.IsString()) {
    const oleaut::Bstr& text = value.AsString();
    const auto [start, count] = take(text.size());
    if (count == 0) return oleaut::kNull;
    return oleaut::Bstr(text, start, count);
  }
  RaiseAdoError(kAdoWrongArguments, kFieldSource,
                u"GetChunk reads binary or text data; field '" + Name() + u"' holds a " +
                    std::u16string(oleaut::VarTypeName(value.Type())) + u'.');
}

Fields::Fields(com::Ptr<RecordCursor> cursor) : cursor_(std::move(cursor)) {
  fields_.reserve(cursor_->ColumnCount());
  for (std::size_t i = 0; i < cursor_->ColumnCount(); ++i) {
    fields_.push_back(com::Make<Field>(cursor_, i));
  }
}

std::int32_t Fields::Count() const {
  cursor_->RequireOpen(kFieldsSource, u"counting its fields");
  return static_cast<std::int32_t>(fields_.size());
}

com::Ptr<Field> Fields::Item(std::int32_t index) const {
  cursor_->RequireOpen(kFieldsSource, u"looking up a field");
  return ItemAtPosition(fields_, index, kFieldsSource, u"field");
}

com::Ptr<Field> Fields::Item(std::u16string_view name) const {
  cursor_->RequireOpen(kFieldsSource, u"looking up a field");
  if (const auto column = cursor_->Names().Find(name)) return fields_[*column];
  RaiseNoItemNamed(kFieldsSource, u"field", name);
}

com::Ptr<Field> Fields::Item(const oleaut::Variant& key) const {
  const oleaut::Variant index = key.IsObject() ? oleaut::ValueOf(key) : key;
  return ItemByKey(
      index, kFieldsSource, u"field", [&](std::u16string_view name) { return Item(name); },
      [&](std::int32_t position) { return Item(position); });
}

}  // namespace ado
