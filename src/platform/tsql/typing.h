// The static SQL Server type of an expression: literals, conversions, operators and functions
// fix it by their text, column references by the declared type of the column they name (when
// the resolver found it). Each expression is typed once; a + chain asks again at every level.
#pragma once

#include <optional>
#include <unordered_map>

#include "platform/tsql/ast.h"
#include "platform/tsql/sql_type.h"

namespace tsql {

class Typer {
 public:
  SqlType TypeOf(const Expr& expr);

  // The declared type of the column a column reference names. Set before anything that
  // contains the reference is typed.
  void SetColumnType(const Expr& column, const SqlType& type) { types_[&column] = type; }

 private:
  SqlType ComputeType(const Expr& expr);
  SqlType FunctionType(const Expr& expr);
  std::optional<SqlType> BuiltinFunctionType(const std::u16string& name, const Expr& expr);
  std::optional<SqlType> MathFunctionType(const std::u16string& name, const Expr& expr);

  std::unordered_map<const Expr*, SqlType> types_;
};

// CAST or CONVERT to sql_variant; and the value inside any such casts.
bool IsVariantCast(const Expr& expr);
const Expr& VariantBase(const Expr& expr);

// nvarchar(max) or varchar(max).
SqlType MaxText(bool national);

// The type of a numeric literal as written: int, decimal(p,s) or float.
SqlType NumberType(std::u16string_view text);

// Whether a number literal is a money constant ($12.50), and the number it holds ("12.50"; the
// empty text for "$", which is 0).
bool IsMoneyLiteral(std::u16string_view text);
std::u16string_view MoneyDigits(std::u16string_view text);

}  // namespace tsql
