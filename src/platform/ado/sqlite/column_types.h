// How SQL Server's provider describes a column of a declared type, and how a stored SQLite value
// becomes the Variant that such a column yields: bit as True/False, int as Long, decimal(p,s) as
// an exact Decimal of scale s, datetime as a Date, image as a byte array.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string_view>

#include "platform/ado/provider.h"

namespace ado::sqlite {

// How values of a column are read.
enum class ValueKind : std::uint8_t {
  kNatural,  // by the stored value: integer, real, text, blob
  kBoolean,
  kSmallInt,  // Integer (16-bit)
  kInteger,   // Long
  kBigInt,    // Decimal of scale 0, as VB sees a bigint
  kDouble,
  kDecimal,
  kDate,
  kText,
  kBinary,
};

struct ColumnType {
  ColumnInfo info;  // name left empty
  ValueKind kind = ValueKind::kNatural;
};

// The column type of a declared type ("varchar(255)", "decimal(28,10)", "INTEGER"); a type
// without any meaning to SQL Server gives kNatural.
ColumnType MapDeclaredType(std::string_view declared);

// The value of column `column` of the current row, as a column of `type` yields it.
oleaut::Variant ReadValue(sqlite3_stmt* stmt, int column, const ColumnType& type);

// The ADO type of a column whose type only its values tell (an expression without declared
// type), from the storage class of its first non-NULL value.
ColumnType NaturalType(int storage_class);

}  // namespace ado::sqlite
