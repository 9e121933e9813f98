// The SQL Server types of a view's columns, kept in the text of the view's definition. SQLite
// declares a view's column only where it reads a table's column as it is; a column computed by
// an expression has no declared type there, though SQL Server gives it one
// (`qty * price` is a decimal(p,s)).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/tsql/sql_type.h"

namespace tsql {

// A comment naming each column's type in order ("/* tsql view column types: int, varchar(10) */");
// an unknown type is written "?".
std::string ViewColumnTypesComment(const std::vector<SqlType>& types);

// The types such a comment in a view's definition names, by column; empty when the definition
// holds none.
std::vector<std::optional<SqlType>> ViewColumnTypes(std::string_view definition);

}  // namespace tsql
