// Column references resolved to the columns they name. A batch is translated before any of it
// runs, so the tables it sees are the database's as the schema describes them, changed by the
// batch's own statements before (CREATE TABLE, SELECT INTO, DROP TABLE, ALTER TABLE).
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/tsql/ast.h"
#include "platform/tsql/errors.h"
#include "platform/tsql/schema.h"
#include "platform/tsql/typing.h"

namespace tsql {

class BatchSchema {
 public:
  // `schema` may be null: then only the tables the batch makes are known.
  explicit BatchSchema(Schema* schema) : schema_(schema) {}

  // The columns of a table by its own name ("#tmp" for a temporary one); nullptr when unknown.
  std::shared_ptr<const TableColumns> Find(std::u16string_view name);
  // The batch makes or changes a table; nullptr: its columns are unknown.
  void Define(std::u16string_view name, std::shared_ptr<const TableColumns> columns);
  void Drop(std::u16string_view name) { Define(name, nullptr); }

  // Whether the name reaches a table of SQLite's own (engine_names.h): neither the database nor
  // the batch declares a table of that name. Other names are not looked up.
  bool IsEngineTable(std::u16string_view name);
  // Refuses a name that reaches a table of SQLite's own as SQL Server refuses a table it does not
  // have.
  void RefuseEngineTable(const ObjectName& table, MissingTable how);
  // The columns of a table a statement reads or changes (nullptr when unknown); a table of
  // SQLite's own is refused.
  std::shared_ptr<const TableColumns> Require(const ObjectName& table,
                                              MissingTable how = MissingTable::kInvalidObjectName);

  // The database's tables looked up so far, and what was found.
  std::vector<SchemaDependency> TakeDependencies() { return std::move(dependencies_); }

 private:
  Schema* schema_;
  std::unordered_map<std::u16string, std::shared_ptr<const TableColumns>> own_;
  std::vector<SchemaDependency> dependencies_;
};

// The tables of an UPDATE's or DELETE's FROM clause that `target` may name: those whose alias it
// is, else those without alias of that name. One is the table whose rows the statement changes.
std::vector<const TableRef*> ChangedTables(const ObjectName& target,
                                           const std::vector<TableRefPtr>& from);

// Gives every column reference of the statement whose column is known its declared type in
// `typer`. IF conditions are resolved, not the statements of their branches. For a SELECT the
// columns it yields (named and typed as far as known) are returned, else nullptr.
std::shared_ptr<const TableColumns> ResolveColumns(const Statement& statement, BatchSchema& schema,
                                                   Typer& typer);

}  // namespace tsql
