// INSERT, UPDATE and DELETE through a view or a common table expression. SQL Server changes the
// table under one that reads a single table plainly, each of its columns written as the column of
// the table it shows. The rows to change are found among its rows with the keys of the table's
// rows beside them: a view's "v$rows", made with the view, or a common table expression's
// "c$rows", added to the statement's WITH; the change then reaches the table by those keys.
#include <algorithm>

#include "platform/tsql/errors.h"
#include "platform/tsql/generator_internal.h"
#include "platform/tsql/view_rows.h"

namespace tsql::generation {
namespace {

constexpr std::u16string_view kRowsSuffix = u"$rows";
constexpr const char* kChecked = "temp.\"tsql$checked\"";
constexpr const char* kFromKey = "\"tsql$rowid\"";

std::u16string_view QualifierOf(const TableRef& ref) {
  return ref.has_alias ? ref.alias : ref.name.Name();
}

// A FROM clause of the target alone, for a change without one.
std::vector<TableRefPtr> TargetAlone(const ObjectName& target) {
  auto ref = std::make_unique<TableRef>();
  ref->name = target;
  ref->pos = target.pos;
  std::vector<TableRefPtr> from;
  from.push_back(std::move(ref));
  return from;
}

}  // namespace

std::u16string ViewRowsName(std::u16string_view view) {
  return std::u16string(view) + std::u16string(kRowsSuffix);
}

std::u16string RowKeyName(ViewChange change, std::u16string_view table) {
  const std::u16string key = u"tsql$rowid";
  return change == ViewChange::kJoined ? key + u"$" + LowerAscii(table) : key;
}

std::vector<std::u16string> RowKeyNames(const QueryBase& base) {
  std::vector<std::u16string> names;
  for (const TableRef* table : base.tables)
    names.push_back(RowKeyName(base.change, table->name.Name()));
  return names;
}

std::string RowKeyItems(const QueryBase& base) {
  std::string items;
  for (const TableRef* table : base.tables) {
    if (!items.empty()) items += ", ";
    AppendQuotedName(items, QualifierOf(*table));
    items += ".rowid";
  }
  return items;
}

// name (columns, keys) AS query: the rows of a view or common table expression with the keys of
// its tables' rows; a common table expression's query stands between parentheses.
void Generator::GenRowsDefinition(const std::u16string& rows, const TableColumns& columns,
                                  const QueryBase& base, const Select& select, bool common) {
  AppendQuotedName(out_, rows);
  out_ += " (";
  for (const TableColumn& column : columns) {
    AppendQuotedName(out_, column.name);
    out_ += ", ";
  }
  const std::vector<std::u16string> keys = RowKeyNames(base);
  for (std::size_t i = 0; i < keys.size(); ++i) {
    if (i > 0) out_ += ", ";
    AppendQuotedName(out_, keys[i]);
  }
  out_ += common ? ") AS (" : ") AS ";
  const std::vector<std::string> key_items{RowKeyItems(base)};
  level_items_ = &key_items;
  GenNestedSelect(select);
  if (common) out_ += ')';
}

// The view or common table expression a change names as its target, if it is one.
std::optional<Generator::Through> Generator::ChangedThrough(const ObjectName& named,
                                                            const ChangeWith& with) {
  for (const CommonTable& table : with.tables) {
    if (named.parts.size() != 1 || !oleaut::EqualsNoCase(table.name, named.Name())) continue;
    Through through;
    const QueryBase base =
        BaseOf(*table.select, [&](const ObjectName& name) { return tables_.Find(name.Name()); });
    through.name = table.name;
    through.common = &table;
    through.rows = ViewRowsName(table.name);
    through.query = base;
    if (base.table) through.base = base.table->name;
    through.key = RowKeyName(base.change, through.base.parts.empty() ? u"" : through.base.Name());
    for (std::size_t i = 0; i < base.base_columns.size(); ++i) {
      TableColumn column;
      column.name = i < table.columns.size() ? table.columns[i] : base.names[i];
      column.view = base.change;
      column.base_table = base.base_tables[i];
      column.base_column = base.base_columns[i];
      through.columns.push_back(std::move(column));
    }
    through.change = base.change;
    return through;
  }
  if (named.IsTemp()) return std::nullopt;  // no view is temporary
  const std::shared_ptr<const TableColumns> columns = tables_.Find(named.Name());
  if (!columns || columns->empty() || columns->front().view == ViewChange::kNone) {
    return std::nullopt;
  }
  Through through;
  through.name = named.Name();
  through.columns = *columns;
  through.check_option = columns->front().check_option;
  through.change = columns->front().view;
  through.rows = ViewRowsName(TableName(named));
  if (through.change == ViewChange::kBaseTable) {
    through.base.parts = {columns->front().base_table};
    through.base.pos = named.pos;
    through.key = RowKeyName(through.change, through.base.Name());
  }
  return through;
}

// The columns of the table that a change of `changed` (columns of the view or common table
// expression) writes; refuses a change that reaches no table, or more than one, as SQL Server
// does.
std::vector<std::u16string> Generator::BaseColumns(Through& through,
                                                   const std::vector<std::u16string>& changed,
                                                   bool deletes, SourcePos pos) {
  const std::u16string multiple = u"View or function '" + through.name +
                                  u"' is not updatable because the modification affects "
                                  u"multiple base tables.";
  switch (through.change) {
    case ViewChange::kGrouped:
      RaiseStatementError(pos, u"Cannot update the view or function '" + through.name +
                                   u"' because it contains aggregates, or a DISTINCT or GROUP "
                                   u"BY clause, or PIVOT or UNPIVOT operator.");
    case ViewChange::kOther:
    case ViewChange::kNone:
      RaiseUnsupported(batch_, pos,
                       u"A change through a view or common table expression of a union, TOP, a "
                       u"derived table, a table function or another view");
    case ViewChange::kJoined:
      if (deletes) RaiseStatementError(pos, multiple);
      break;
    case ViewChange::kBaseTable:
      break;
  }
  std::vector<std::u16string> bases;
  std::vector<std::u16string> tables;
  for (const std::u16string& name : changed) {
    const auto column =
        std::find_if(through.columns.begin(), through.columns.end(),
                     [&](const TableColumn& c) { return oleaut::EqualsNoCase(c.name, name); });
    if (column == through.columns.end()) RaiseInvalidColumnName(pos, name);
    if (column->base_column.empty()) {
      RaiseStatementError(pos, u"Update or insert of view or function '" + through.name +
                                   u"' failed because it contains a derived or constant field.");
    }
    bases.push_back(column->base_column);
    if (std::none_of(tables.begin(), tables.end(), [&](const std::u16string& table) {
          return oleaut::EqualsNoCase(table, column->base_table);
        })) {
      tables.push_back(column->base_table);
    }
  }
  if (through.change == ViewChange::kJoined) {
    // The one table of a join whose columns the change writes is the table it changes.
    if (tables.size() > 1) RaiseStatementError(pos, multiple);
    if (tables.empty()) RaiseUnsupported(batch_, pos, u"A change of no column through a join");
    through.base.parts = {tables.front()};
    through.base.pos = pos;
    through.key = RowKeyName(through.change, tables.front());
  }
  return bases;
}

// WITH ... before a change; a change through a common table expression reads its rows with
// their keys, "c$rows", beside it.
void Generator::GenChangeWith(const ChangeWith& with, const Through* through) {
  if (with.tables.empty()) return;
  GenWith(with.tables, with.max_recursion);
  if (!through || !through->common) return;
  out_.back() = ',';
  out_ += ' ';
  GenRowsDefinition(through->rows, through->columns, through->query, *through->common->select,
                    true);
  out_ += ' ';
}

// The reference of a change's FROM clause to its target reads the rows with their keys.
bool Generator::GenThroughReference(const TableRef& ref) {
  if (!through_ || &ref != through_ref_) return false;
  AppendQuotedName(out_, through_->rows);
  out_ += " AS ";
  AppendQuotedName(out_, QualifierOf(ref));
  return true;
}

// FROM ... WHERE ... of the rows a change through `through` changes, the target read with its
// keys.
void Generator::GenThroughSource(const Through& through, const ObjectName& named,
                                 const std::vector<TableRefPtr>& from, const Expr* where) {
  std::vector<TableRefPtr> alone;
  if (from.empty()) alone = TargetAlone(named);
  const std::vector<TableRefPtr>& source = from.empty() ? alone : from;
  const TableRef& target = from.empty() ? *alone.front() : *ChangedTables(named, from).front();
  through_ = &through;
  through_ref_ = &target;
  GenChangeSource(source, where);
  through_ref_ = nullptr;
  through_ = nullptr;
}

bool Generator::GenUpdateThrough(const UpdateStmt& update, const ObjectName& named,
                                 std::vector<Node>& nodes) {
  std::optional<Through> through = ChangedThrough(named, update.with);
  if (!through) return false;
  if (!update.output.empty() || update.output_into) {
    RaiseUnsupported(batch_, named.pos, u"OUTPUT of a change through a view");
  }
  std::vector<std::u16string> changed;
  for (const auto& set : update.sets)
    changed.push_back(set.first);
  const std::vector<std::u16string> bases = BaseColumns(*through, changed, false, named.pos);
  const std::shared_ptr<const TableColumns> columns = tables_.Find(through->base.Name());
  const TableRef* target =
      update.from.empty() ? nullptr : ChangedTables(update.table, update.from).front();
  const auto append_key = [&] {
    AppendQuotedName(out_, target ? QualifierOf(*target) : update.table.Name());
    out_ += '.';
    AppendQuotedName(out_, through->key);
  };
  const auto generate = [&](std::vector<Node>& steps) {
    SqlStatement s = Begin(StatementKind::kCommand, through->base.IsTemp());
    GenChangeWith(update.with, &*through);
    out_ += "UPDATE ";
    AppendTable(through->base);
    out_ += " SET ";
    for (std::size_t i = 0; i < bases.size(); ++i) {
      if (i > 0) out_ += ", ";
      AppendQuotedName(out_, bases[i]);
      out_ += " = \"tsql$from\".\"tsql$" + std::to_string(i) + '"';
    }
    out_ += " FROM (SELECT ";
    append_key();
    out_ += std::string(" AS ") + kFromKey;
    for (std::size_t i = 0; i < bases.size(); ++i) {
      out_ += ", ";
      GenStored(*update.sets[i].second, columns ? ColumnTypeOf(*columns, bases[i]) : std::nullopt);
      out_ += " AS \"tsql$" + std::to_string(i) + '"';
    }
    GenThroughSource(*through, update.table, update.from, update.where.get());
    out_ += ") AS \"tsql$from\" WHERE ";
    AppendTable(through->base);
    out_ += std::string(".rowid = \"tsql$from\".") + kFromKey;
    Finish(s, steps);
  };
  if (!through->check_option) {
    generate(nodes);
    return true;
  }
  const auto keep = [&] {
    GenChangeWith(update.with, &*through);
    out_ += "SELECT ";
    append_key();
    GenThroughSource(*through, update.table, update.from, update.where.get());
  };
  GenChecked(*through, keep, generate, false, nodes);
  return true;
}

bool Generator::GenDeleteThrough(const DeleteStmt& del, const ObjectName& named,
                                 std::vector<Node>& nodes) {
  std::optional<Through> through = ChangedThrough(named, del.with);
  if (!through) return false;
  if (!del.output.empty() || del.output_into) {
    RaiseUnsupported(batch_, named.pos, u"OUTPUT of a change through a view");
  }
  BaseColumns(*through, {}, true, named.pos);
  SqlStatement s = Begin(StatementKind::kCommand, through->base.IsTemp());
  GenChangeWith(del.with, &*through);
  out_ += "DELETE FROM ";
  AppendTable(through->base);
  out_ += " WHERE rowid IN (SELECT ";
  const TableRef* target = del.from.empty() ? nullptr : ChangedTables(del.table, del.from).front();
  AppendQuotedName(out_, target ? QualifierOf(*target) : del.table.Name());
  out_ += '.';
  AppendQuotedName(out_, through->key);
  GenThroughSource(*through, del.table, del.from, del.where.get());
  out_ += ')';
  Finish(s, nodes);
  return true;
}

bool Generator::GenInsertThrough(const InsertStmt& insert, std::vector<Node>& nodes) {
  std::optional<Through> through = ChangedThrough(insert.table, insert.with);
  if (!through) return false;
  if (!insert.output.empty() || insert.output_into) {
    RaiseUnsupported(batch_, insert.table.pos, u"OUTPUT of a change through a view");
  }
  std::vector<std::u16string> changed = insert.columns;
  if (changed.empty() && !insert.default_values) {
    for (const TableColumn& column : through->columns)
      changed.push_back(column.name);
  }
  InsertStmt into;
  into.columns = BaseColumns(*through, changed, false, insert.table.pos);
  into.table = through->base;
  const auto generate = [&](std::vector<Node>& steps) {
    through_ = &*through;
    GenInsert(insert, into, steps);
    through_ = nullptr;
  };
  if (!through->check_option) {
    generate(nodes);
    return true;
  }
  const auto keep = [&] {
    out_ += "SELECT coalesce(max(rowid), 0) FROM ";
    AppendTable(through->base);
  };
  GenChecked(*through, keep, generate, true, nodes);
  return true;
}

// WITH CHECK OPTION: the rows a change writes through the view must be rows of the view after
// it, else it fails with SQL Server's error 550 and changes nothing. The rows are kept first
// (`keep` yields their keys, or for an INSERT the highest key before it), the change runs, and a
// query fails if one of them is not among the view's rows; all as one statement.
void Generator::GenChecked(const Through& through, const std::function<void()>& keep,
                           const std::function<void(std::vector<Node>&)>& change, bool inserts,
                           std::vector<Node>& nodes) {
  const bool temp = through.base.IsTemp();
  std::vector<Node> steps;
  const auto step = [&](StatementKind kind, const std::function<void()>& body) {
    GenStep(kind, temp, steps, body);
  };
  const auto drop = [&] { out_ += std::string("DROP TABLE IF EXISTS ") + kChecked; };
  step(StatementKind::kDdl, drop);
  step(StatementKind::kCommand,
       [&] { out_ += "CREATE TEMP TABLE \"tsql$checked\" (\"tsql$row\")"; });
  step(StatementKind::kCommand, [&] {
    out_ += std::string("INSERT INTO ") + kChecked + ' ';
    keep();
  });
  change(steps);
  step(StatementKind::kQuery, [&] {
    out_ +=
        "SELECT tsql_raise('The attempted insert or update failed because the target view either "
        "specifies WITH CHECK OPTION or spans a view that specifies WITH CHECK OPTION and one or "
        "more rows resulting from the operation did not qualify under the CHECK OPTION "
        "constraint.') FROM ";
    if (inserts) {
      AppendTable(through.base);
      out_ += std::string(" WHERE rowid > (SELECT \"tsql$row\" FROM ") + kChecked + ") AND rowid";
    } else {
      out_ += std::string(kChecked) + " WHERE \"tsql$row\"";
    }
    out_ += " NOT IN (SELECT ";
    AppendQuotedName(out_, through.key);
    out_ += " FROM ";
    AppendQuotedName(out_, through.rows);
    out_ += ") LIMIT 1";
  });
  step(StatementKind::kDdl, drop);
  FinishSteps(through.base, temp, steps, nodes);
}

}  // namespace tsql::generation
