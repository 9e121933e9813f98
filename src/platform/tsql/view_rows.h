// How a change reaches the tables under a view or a common table expression: SQL Server changes
// the base table of a view whose query reads one table plainly, through the columns that show
// that table's columns as they are. The answer for a view rides along in the text of its
// definition, as its column types do (view_types.h).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/tsql/ast.h"
#include "platform/tsql/schema.h"

namespace tsql {

struct QueryBase {
  ViewChange change = ViewChange::kOther;
  const TableRef* table = nullptr;      // kBaseTable: the one table of its FROM clause
  std::vector<const TableRef*> tables;  // kBaseTable and kJoined: the tables of its FROM clause
  // By column of the query: its name (empty when it has none), and the table and the column of it
  // shown as it is (empty when computed).
  std::vector<std::u16string> names;
  std::vector<std::u16string> base_tables;
  std::vector<std::u16string> base_columns;
  bool check_option = false;  // a view's WITH CHECK OPTION
};

// A table's columns by its name, nullptr when unknown.
using ColumnsOf = std::function<std::shared_ptr<const TableColumns>(const ObjectName&)>;

// How changes reach the tables `select` reads, for each column it yields (a * stands for the
// columns of its table, which must be known).
QueryBase BaseOf(const Select& select, const ColumnsOf& columns_of);

// A comment that records `base` for the columns of a view ("/* tsql view base: ... */").
std::string ViewBaseComment(const QueryBase& base);

// Sets `view`, `base_table` and `base_column` of a view's columns from the comment in its
// definition; leaves them as they are when there is none, or it does not fit the columns.
void ReadViewBase(std::string_view definition, TableColumns& columns);

}  // namespace tsql
