// What the translator knows of the database: the declared columns of its tables. With it a
// column reference has the type SQL Server gives it (decimal(28,10), varchar(80), datetime), so
// that comparisons, arithmetic and conversions of columns keep SQL Server's meaning.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/tsql/sql_type.h"

namespace tsql {

// Which changes reach a view's base tables, as SQL Server decides it from the view's query.
enum class ViewChange : std::uint8_t {
  kNone,       // a table's column, or a view made before views said
  kBaseTable,  // the view reads one table, plainly: its rows change through it
  kJoined,     // the view joins tables: a change of more than one of them fails (error 4405)
  kGrouped,    // aggregates, DISTINCT or GROUP BY: no change reaches it (error 4403)
  kOther,      // UNION, TOP, a derived table, ...: refused by name
};

struct TableColumn {
  std::u16string name;
  SqlType type;
  bool identity = false;  // the table's identity column
  // A view's column: how changes reach the view's tables, the table the column shows a column of
  // as it is (`base_table`, as SQLite knows it) and that column (`base_column`, empty for a
  // computed column, whose table is the view's one table when it has one).
  ViewChange view = ViewChange::kNone;
  std::u16string base_table = {};
  std::u16string base_column = {};
  bool check_option = false;  // the view's WITH CHECK OPTION
};
using TableColumns = std::vector<TableColumn>;

class Schema {
 public:
  virtual ~Schema() = default;
  // The columns of the table or view the database declares as `name` ("#tmp" for a temporary
  // table), in their order; nullptr when there is no such table. A table of SQLite's own that a
  // name of engine_names.h reaches is none the database declares: nullptr.
  virtual std::shared_ptr<const TableColumns> Columns(std::u16string_view name) = 0;
};

// A table that the translation of a batch looked up, and what it found. A cached translation
// holds while every table it depends on has the same columns.
struct SchemaDependency {
  std::u16string name;
  std::shared_ptr<const TableColumns> seen;  // nullptr: there was no such table
};

// Same names (without regard to case), types, identity and view bases and checks, in the same
// order; two nullptrs are equal.
bool SameColumns(const TableColumns* a, const TableColumns* b);

}  // namespace tsql
