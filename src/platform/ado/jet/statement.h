// The statements the Jet provider runs, parsed from Jet's SQL: SELECT [TOP n] with * or a column
// list (AS aliases) FROM one table, WHERE comparisons of columns and literals joined by AND, OR
// and NOT (with IS [NOT] NULL and parentheses), ORDER BY columns. Writes raise Jet's read-only
// error; joins, functions, LIKE and the rest raise an error that names them.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/oleaut/variant.h"

namespace ado::jet {

struct ColumnRef {
  std::u16string qualifier;  // the table or its alias, when written
  std::u16string name;
};

struct Literal {
  oleaut::Variant value;  // Long, Double, String, Date, Boolean or Null
};

using Operand = std::variant<ColumnRef, Literal>;

enum class CompareOp { kEqual, kNotEqual, kLess, kLessOrEqual, kGreater, kGreaterOrEqual };

struct Condition {
  enum class Kind { kCompare, kIsNull, kIsNotNull, kAnd, kOr, kNot };
  Kind kind = Kind::kCompare;
  CompareOp op = CompareOp::kEqual;
  Operand left;
  Operand right;
  std::unique_ptr<Condition> first;   // kAnd, kOr, kNot
  std::unique_ptr<Condition> second;  // kAnd, kOr
};

struct SelectItem {
  bool all_columns = false;  // * or table.*
  ColumnRef column;          // for all_columns, only its qualifier counts
  std::u16string alias;
};

struct OrderItem {
  ColumnRef column;
  bool descending = false;
};

struct SelectStatement {
  std::optional<std::int64_t> top;
  std::vector<SelectItem> items;
  std::u16string table;
  std::u16string table_alias;
  std::unique_ptr<Condition> where;
  std::vector<OrderItem> order_by;
};

SelectStatement ParseJetSelect(std::u16string_view statement);

}  // namespace ado::jet
