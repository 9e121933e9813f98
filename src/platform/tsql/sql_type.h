// SQL Server's data types as the translator reasons about them: the declared type of a column,
// the target of CAST and CONVERT, and the static type of an expression where its text fixes it
// (literals, conversions, string functions). The provider maps the declared text ("varchar(255)")
// to ADO's field types.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/tsql/ast.h"

namespace tsql {

struct SqlType {
  enum class Class : std::uint8_t {
    kUnknown,  // only the data will tell (a column, a marker)
    kNull,     // the NULL literal
    kBit,
    kInteger,
    kDecimal,
    kFloat,
    kDate,
    kText,
    kBinary,
  };

  Class cls = Class::kUnknown;
  std::string name;   // "int", "varchar", "decimal", ...
  int length = 0;     // characters or bytes; -1 for max
  int precision = 0;  // decimal
  int scale = 0;      // decimal

  bool IsKnown() const { return cls != Class::kUnknown; }
  bool IsText() const { return cls == Class::kText; }
  bool IsMoney() const { return name == "money" || name == "smallmoney"; }
  // A time of day; `scale` holds the digits of its fraction of a second.
  bool IsTime() const { return name == "time"; }
  static constexpr int kTimeScale = 7;
  // A type that keeps `scale` digits of a second's fraction: time(n), datetime2(n) and
  // datetimeoffset(n).
  bool HasFractionScale() const {
    return IsTime() || name == "datetime2" || name == "datetimeoffset";
  }
  // The digits of a second's fraction a date or time type writes in its stored form: the
  // scale of the types that have one, three for datetime, smalldatetime and date
  // ("YYYY-MM-DD HH:MM:SS.fff").
  int FractionDigits() const { return HasFractionScale() ? scale : 3; }
  bool IsNumeric() const {
    return cls == Class::kBit || cls == Class::kInteger || cls == Class::kDecimal ||
           cls == Class::kFloat;
  }

  // The type as SQL Server writes it: "varchar(255)", "decimal(28,10)", "int", "varchar(max)".
  std::string Declared() const;
  // The declared type of a SQLite column that keeps the type's meaning: the same text, except
  // that (max) types become their long forms (text, ntext, image) and date types are followed
  // by "blob" ("datetime blob"), which keeps SQLite from converting what is stored.
  std::string SqliteDeclared() const;

  static SqlType Unknown() { return {}; }
  static SqlType Null() { return {Class::kNull, "", 0, 0, 0}; }
  static SqlType Int() { return {Class::kInteger, "int", 0, 0, 0}; }
  static SqlType Varchar(int length, bool national = false);
  static SqlType Decimal(int precision, int scale);
  static SqlType Float() { return {Class::kFloat, "float", 0, 0, 0}; }
  static SqlType DateTime() { return {Class::kDate, "datetime", 0, 0, 0}; }
  static SqlType Date() { return {Class::kDate, "date", 0, 0, 0}; }
};

// The type a TypeName stands for; `in_convert` gives character types without a length the
// length 30 of CAST and CONVERT (a column declaration gives them 1). nullopt for a type the
// translator does not know.
std::optional<SqlType> ResolveType(const TypeName& type, bool in_convert);

// The type a declared type text stands for ("varchar(255)", "decimal(28,10)", "INTEGER", "text"),
// as SQLite reports a column's declared type; nullopt for a text that names no SQL Server type.
std::optional<SqlType> ParseDeclaredType(std::string_view declared);

// What follows a column's name in a SQLite column definition so that the column keeps the
// type's meaning: the declared type, NOT NULL when asked, the default collation for text, and
// a check that refuses a text longer than the declared length, as SQL Server refuses it.
std::string ColumnClauses(std::u16string_view column, const SqlType& type, bool not_null);

// Whether a column of this type keeps its values in a form of their own (see NormalizingTriggers).
bool HasStoredForm(const SqlType& type);

// The triggers that keep what a column holds in the form SQL Server stores: a datetime in one
// text form, a decimal rounded to its scale (refused beyond its precision). None for other types.
// `table` is the name SQLite knows ("#tmp" for a temporary table).
std::vector<std::string> NormalizingTriggers(std::u16string_view table, std::u16string_view column,
                                             const SqlType& type);

// Whether a date-time of type `from` becomes one of type `to`, a type with a scale of its own,
// only when converted: datetime2(3) beside datetime2(7) writes three digits of the second where
// the result writes seven.
bool DiffersInPrecision(const SqlType& from, const SqlType& to);

// Whether every value of type `from` converts to the text type `to` without an error: a text
// no longer than its length, a number whose longest form fits. False where that is not known.
bool ConvertsToTextWithoutError(const SqlType& from, const SqlType& to);

// A name quoted for SQLite ("a""b").
std::string QuoteName(std::string_view name);

// The type of `a op b` for an arithmetic operator, by SQL Server's precedence: the operand of
// the higher type wins; + of two texts is a text. Unknown when either operand is unknown.
SqlType ArithmeticResult(const SqlType& a, const SqlType& b, char16_t op);

// The higher of two types by SQL Server's data type precedence (CASE, ISNULL, UNION results).
SqlType HigherType(const SqlType& a, const SqlType& b);

// The bytes every value of a fixed-size type takes (8 for a bigint); nullopt for the others.
std::optional<int> StorageBytes(const SqlType& type);

}  // namespace tsql
