// Every table reference of a query: in its FROM clauses and joins, its derived tables, its
// subqueries and its common table expressions.
#pragma once

#include <functional>

#include "platform/tsql/ast.h"

namespace tsql {

// Whether `found` holds for a table reference anywhere in `select`.
bool AnyTableRef(const Select& select, const std::function<bool(const TableRef&)>& found);

}  // namespace tsql
