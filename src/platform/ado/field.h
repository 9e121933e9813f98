// Fields and Field: the columns of a recordset's current row. Both read through the recordset's
// shared cursor, so a Field taken once follows the recordset as it moves; the collection and its
// Field objects are made once per opened recordset, never per value read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ado/record_cursor.h"
#include "platform/ado/types.h"
#include "platform/com/object.h"
#include "platform/oleaut/default_value.h"
#include "platform/oleaut/variant.h"

namespace ado {

// A Field stands for its Value wherever a value is needed (VB's default property): stored in a
// dictionary, converted, compared.
class Field : public com::Unknown, public oleaut::HasDefaultValue {
 public:
  ~Field() override;
  Field(com::Ptr<RecordCursor> cursor, std::size_t column);

  const std::u16string& Name() const;
  // The current row's value; 3021 when the recordset is at BOF or EOF.
  const oleaut::Variant& Value() const;
  DataTypeEnum Type() const;
  std::int32_t DefinedSize() const;
  // The length of the current value: bytes of binary data, UTF-16 code units of text, the
  // storage size of fixed-size types, and 0 for Null (the length the provider reports together
  // with its "is null" status).
  std::int32_t ActualSize() const;
  std::uint8_t Precision() const;
  std::uint8_t NumericScale() const;
  // The next `length` bytes of binary data (code units of text) of the current value, continuing
  // where the previous call on this field and row stopped; Null once everything has been read,
  // or when the value is Null. Reading another field or moving starts the next call over.
  oleaut::Variant GetChunk(std::int32_t length);

  oleaut::Variant DefaultValue() const override { return Value(); }

 private:
  const ColumnInfo& Column() const;

  com::Ptr<RecordCursor> cursor_;
  std::size_t column_;
};

class Fields : public com::Unknown {
 public:
  ~Fields() override;
  explicit Fields(com::Ptr<RecordCursor> cursor);

  std::int32_t Count() const;
  // By position, counting from 0; 3265 naming the position when there is no such field.
  com::Ptr<Field> Item(std::int32_t index) const;
  // By name without regard to case; with two fields of one name the first. 3265 naming it when
  // there is none.
  com::Ptr<Field> Item(std::u16string_view name) const;
  com::Ptr<Field> Item(const char16_t* name) const { return Item(std::u16string_view(name)); }
  // A number is a position, a text a name (as a late-bound caller passes either).
  com::Ptr<Field> Item(const oleaut::Variant& index) const;

 private:
  com::Ptr<RecordCursor> cursor_;
  std::vector<com::Ptr<Field>> fields_;
};

}  // namespace ado
