// SQL Server's rules for grouped and distinct queries, which SQLite does not keep: a column of a
// grouped query's select list or HAVING must be grouped or aggregated (SQLite would take any
// row's value), and a SELECT DISTINCT orders only by what it selects.
#pragma once

#include "platform/tsql/ast.h"

namespace tsql {

// Raises SQL Server's error for the first item that breaks a rule.
void CheckGrouping(const SelectCore& core);
void CheckDistinctOrder(const Select& select);

// Whether the expression is, or holds, an aggregate (COUNT, SUM, AVG, MIN, MAX).
bool ContainsAggregate(const Expr& expr);

// Whether two expressions are written the same, names compared without regard to case and a
// column qualified on one side only matched by its own name.
bool SameExpression(const Expr& a, const Expr& b);

}  // namespace tsql
