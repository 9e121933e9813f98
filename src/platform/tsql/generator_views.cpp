// Views: CREATE VIEW, ALTER VIEW, CREATE OR ALTER VIEW and DROP VIEW. A view is SQLite's own,
// its query translated as any other; the SQL Server types of its columns ride along in its
// definition (view_types.h), so that a statement reading the view gets them as it gets a
// table's.
#include <algorithm>

#include "platform/tsql/errors.h"
#include "platform/tsql/generator_internal.h"
#include "platform/tsql/table_refs.h"
#include "platform/tsql/view_rows.h"
#include "platform/tsql/view_types.h"

namespace tsql::generation {

// The view's columns as SQL Server makes them: named by the column list or the query, each name
// given and used once; a column of NULLs is an int.
std::vector<TableColumn> Generator::ViewColumns(const CreateViewStmt& create) {
  const std::u16string& view = create.view.Name();
  const Select& select = *create.select;
  const SelectCore& first = select.cores.front();
  const bool has_star = std::any_of(first.items.begin(), first.items.end(),
                                    [](const SelectItem& item) { return item.star; });
  std::vector<TableColumn> columns;
  if (query_columns_) {
    columns = *query_columns_;
  } else if (!has_star) {
    for (const SelectItem& item : first.items) {
      columns.push_back({item.has_alias                         ? item.alias
                         : item.expr->kind == ExprKind::kColumn ? item.expr->names.back()
                                                                : std::u16string(),
                         SqlType::Unknown()});
    }
  } else {
    return columns;  // the columns of a table nobody knows: SQLite names them
  }
  if (!has_star) {
    // Over a UNION a column has the highest type of its SELECTs.
    const std::vector<SqlType> types = ColumnTypes(select);
    for (std::size_t i = 0; i < columns.size() && i < types.size(); ++i)
      columns[i].type = types[i];
  }
  if (!create.columns.empty() && create.columns.size() != columns.size()) {
    RaiseStatementError(create.view.pos,
                        u"'" + view + u"' has " +
                            (create.columns.size() < columns.size() ? u"more" : u"fewer") +
                            u" columns than were specified in the column list.");
  }
  for (std::size_t i = 0; i < columns.size(); ++i) {
    TableColumn& column = columns[i];
    if (!create.columns.empty()) column.name = create.columns[i];
    column.identity = false;
    if (column.type.cls == SqlType::Class::kNull) column.type = SqlType::Int();
    if (column.name.empty()) {
      RaiseStatementError(create.view.pos,
                          u"Create View or Function failed because no column name was specified "
                          u"for column " +
                              oleaut::FromUtf8(std::to_string(i + 1)) + u".");
    }
    for (std::size_t j = 0; j < i; ++j) {
      if (!oleaut::EqualsNoCase(columns[j].name, column.name)) continue;
      RaiseStatementError(create.view.pos,
                          u"Column names in each view or function must be unique. Column name '" +
                              column.name + u"' in view or function '" + view +
                              u"' is specified more than once.");
    }
  }
  return columns;
}

void Generator::Generate(const CreateViewStmt& create, std::vector<Node>& nodes) {
  using Mode = CreateViewStmt::Mode;
  const ObjectName& view = create.view;
  if (view.IsTemp()) {
    RaiseStatementError(view.pos,
                        u"\"" + view.Name() + u"\": Temporary views or functions are not allowed.");
  }
  if (AnyTableRef(*create.select, [](const TableRef& ref) {
        return ref.kind == TableRef::Kind::kTable && ref.name.IsTemp();
      })) {
    RaiseStatementError(create.select->pos,
                        u"Views or functions are not allowed on temporary tables. Table names "
                        u"that begin with '#' denote temporary tables.");
  }
  const std::u16string name = TableName(view);
  const bool exists = tables_.Find(view.Name()) != nullptr;
  if (create.mode == Mode::kCreate && exists) {
    RaiseStatementError(view.pos,
                        u"There is already an object named '" + name + u"' in the database.");
  }
  if (create.mode == Mode::kAlter && !exists) {
    RaiseMissingTable(view.pos, view.Written(), MissingTable::kInvalidObjectName);
  }
  const std::vector<TableColumn> columns = ViewColumns(create);
  QueryBase base =
      BaseOf(*create.select, [&](const ObjectName& table) { return tables_.Find(table.Name()); });
  // Its rows are kept with their keys only where its columns are known one for one.
  if (!base.tables.empty() && base.base_columns.size() != columns.size()) base = QueryBase{};
  base.check_option = create.check_option;
  if (create.mode != Mode::kCreate) {
    for (const std::u16string& dropped : {name, ViewRowsName(name)}) {
      SqlStatement drop = Begin(StatementKind::kDdl);
      drop.target = Utf8(dropped);
      out_ += "DROP VIEW IF EXISTS ";
      AppendQuotedName(out_, dropped);
      Finish(drop, nodes);
    }
  }
  SqlStatement s = Begin(StatementKind::kDdl);
  s.target = Utf8(name);
  out_ += "CREATE VIEW ";
  AppendQuotedName(out_, name);
  std::vector<SqlType> types;
  if (!columns.empty()) {
    out_ += " (";
    for (std::size_t i = 0; i < columns.size(); ++i) {
      if (i > 0) out_ += ", ";
      AppendQuotedName(out_, columns[i].name);
      types.push_back(columns[i].type);
    }
    out_ += ')';
  }
  out_ += " AS " + ViewColumnTypesComment(types) + ' ' + ViewBaseComment(base) + ' ';
  GenNestedSelect(*create.select);
  Finish(s, nodes);
  if (!base.tables.empty()) GenViewRows(create, columns, base, nodes);
  auto described = std::make_shared<TableColumns>(columns);
  for (std::size_t i = 0; i < described->size(); ++i) {
    TableColumn& column = (*described)[i];
    column.view = base.change;
    column.check_option = base.check_option;
    if (i < base.base_columns.size()) {
      column.base_table = base.base_tables[i];
      column.base_column = base.base_columns[i];
    }
  }
  tables_.Define(view.Name(), columns.empty() ? nullptr : std::move(described));
}

// The view's rows with the key of its table's row beside them ("v$rows"): a change through the
// view finds the rows it changes there.
void Generator::GenViewRows(const CreateViewStmt& create, const std::vector<TableColumn>& columns,
                            const QueryBase& base, std::vector<Node>& nodes) {
  const std::u16string rows = ViewRowsName(TableName(create.view));
  SqlStatement s = Begin(StatementKind::kDdl);
  s.target = Utf8(rows);
  out_ += "CREATE VIEW ";
  GenRowsDefinition(rows, columns, base, *create.select, false);
  Finish(s, nodes);
}

void Generator::Generate(const DropViewStmt& drop, std::vector<Node>& nodes) {
  for (const ObjectName& view : drop.views) {
    const std::u16string name = TableName(view);
    if (!drop.if_exists && (view.IsTemp() || !tables_.Find(view.Name()))) {
      RaiseStatementError(view.pos, u"Cannot drop the view '" + view.Written() +
                                        u"', because it does not exist or you do not have "
                                        u"permission.");
    }
    SqlStatement s = Begin(StatementKind::kDdl);
    s.target = Utf8(name);
    out_ += drop.if_exists ? "DROP VIEW IF EXISTS " : "DROP VIEW ";
    AppendQuotedName(out_, name);
    Finish(s, nodes);
    SqlStatement rows = Begin(StatementKind::kDdl);
    rows.target = Utf8(ViewRowsName(name));
    out_ += "DROP VIEW IF EXISTS ";
    AppendQuotedName(out_, ViewRowsName(name));
    Finish(rows, nodes);
    tables_.Drop(view.Name());
  }
}

}  // namespace tsql::generation
