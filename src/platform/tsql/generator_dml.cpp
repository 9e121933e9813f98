// SELECT, SELECT ... INTO, INSERT, UPDATE and DELETE as statements: which rows they write,
// converted to the columns' types, and the identity columns they number or copy.
#include <algorithm>

#include "platform/tsql/errors.h"
#include "platform/tsql/generator_internal.h"
#include "platform/tsql/grouping.h"

namespace tsql::generation {

void Generator::Generate(const IdentityInsertStmt& option, std::vector<Node>& nodes) {
  SqlStatement s = Begin(StatementKind::kSessionOption, option.table.IsTemp());
  s.target = Utf8(TableName(option.table));
  s.identity_insert_on = option.on;
  s.row_count = RowCountEffect::kZero;
  const std::shared_ptr<const TableColumns> columns =
      tables_.Require(option.table, MissingTable::kCannotFind);
  if (program_.typed) {
    if (!columns) {
      RaiseMissingTable(option.table.pos, option.table.Written(), MissingTable::kCannotFind);
    }
    if (std::none_of(columns->begin(), columns->end(),
                     [](const TableColumn& column) { return column.identity; })) {
      RaiseStatementError(option.table.pos, u"Table '" + option.table.Name() +
                                                u"' does not have the identity property. "
                                                u"Cannot perform SET operation.");
    }
  }
  Finish(s, nodes);
}

// Whether an INSERT numbers the identity column of its table or writes it itself.
IdentityValues Generator::IdentityValuesOf(const InsertStmt& insert) {
  const std::shared_ptr<const TableColumns> columns = tables_.Find(insert.table.Name());
  if (!columns) return IdentityValues::kNoIdentity;
  const auto identity = std::find_if(columns->begin(), columns->end(),
                                     [](const TableColumn& column) { return column.identity; });
  if (identity == columns->end()) return IdentityValues::kNoIdentity;
  for (const std::u16string& name : insert.columns) {
    if (oleaut::EqualsNoCase(name, identity->name)) return IdentityValues::kExplicit;
  }
  return IdentityValues::kGenerated;
}

void Generator::Generate(const SelectPtr& select, std::vector<Node>& nodes) {
  const SelectCore& first = select->cores.front();
  if (IsAssigningSelect(*select)) {
    SqlStatement s = Begin(StatementKind::kAssign);
    GenSelect(*select);
    Finish(s, nodes);
    return;
  }
  if ((select->for_xml || select->for_json) && !first.has_into) {
    // One row of one column: the rows as one XML or JSON text, named as SQL Server names it.
    SqlStatement s = Begin(StatementKind::kQuery);
    const std::u16string name = select->for_xml ? u"XML_F52E2B61-18A1-11d1-B105-00805F49916B"
                                                : u"JSON_F52E2B61-18A1-11d1-B105-00805F49916B";
    s.columns.push_back(ResultHint{name, true, false, "nvarchar(max)"});
    out_ += "SELECT ";
    GenScalarSubquery(*select);
    out_ += " AS ";
    AppendQuotedName(out_, name);
    Finish(s, nodes);
    return;
  }
  SqlStatement s = Begin(first.has_into ? StatementKind::kSelectInto : StatementKind::kQuery);
  if (first.has_into) {
    for (const SelectItem& item : first.items) {
      if (item.expr && IsVariantCast(*item.expr)) {
        RaiseUnsupported(batch_, item.pos, u"SELECT ... INTO a sql_variant column");
      }
    }
    s.target = Utf8(TableName(first.into));
    s.target_temp = first.into.IsTemp();
    s.identity = NewTableIdentity(*select);
    tables_.Define(first.into.Name(), WithIdentity(query_columns_, s.identity));
  }
  s.columns = Hints(*select);
  // A single SELECT stores its values as the new columns store them: plain columns come so
  // from their own tables, every other decimal or date is converted in the select list.
  if (first.has_into && select->cores.size() == 1) {
    into_hints_ = &s.columns;
    s.values_normalized = true;
  }
  GenSelect(*select);
  into_hints_ = nullptr;
  Finish(s, nodes);
}

void Generator::Generate(const InsertStmt& insert, std::vector<Node>& nodes) {
  if (GenInsertThrough(insert, nodes)) return;
  GenInsert(insert, insert, nodes);
}

// `into` names the table and the columns the rows of `insert` go into.
void Generator::GenInsert(const InsertStmt& insert, const InsertStmt& into,
                          std::vector<Node>& nodes) {
  if ((!insert.output.empty() || insert.output_into) && !output_) {
    GenWithOutput(
        insert.output, insert.output_into, OutputChange::kInsert, into.table, into.table, {},
        nullptr, insert.with, [&](std::vector<Node>& steps) { GenInsert(insert, into, steps); },
        nodes);
    return;
  }
  SqlStatement s = Begin(StatementKind::kInsert);
  s.target = Utf8(TableName(into.table));
  s.target_temp = into.table.IsTemp();
  s.identity_values = IdentityValuesOf(into);
  GenChangeWith(insert.with, through_);
  out_ += "INSERT INTO ";
  AppendTable(into.table);
  if (!into.columns.empty()) {
    out_ += " (";
    for (std::size_t i = 0; i < into.columns.size(); ++i) {
      if (i > 0) out_ += ", ";
      AppendQuotedName(out_, into.columns[i]);
    }
    out_ += ')';
  }
  const std::vector<std::optional<SqlType>> targets = InsertTargets(into);
  if (insert.default_values) {
    out_ += " DEFAULT VALUES";
  } else if (insert.select) {
    out_ += ' ';
    store_types_ = &targets;
    GenSelect(*insert.select);
    store_types_ = nullptr;
  } else {
    out_ += " VALUES ";
    for (std::size_t r = 0; r < insert.rows.size(); ++r) {
      if (r > 0) out_ += ", ";
      out_ += '(';
      for (std::size_t i = 0; i < insert.rows[r].size(); ++i) {
        if (i > 0) out_ += ", ";
        GenStored(*insert.rows[r][i], i < targets.size() ? targets[i] : std::nullopt);
      }
      out_ += ')';
    }
  }
  Finish(s, nodes);
}

// The identity column of the table a SELECT ... INTO makes: IDENTITY(...) of the select list,
// or the source's identity column copied as it is.
std::optional<NewIdentity> Generator::NewTableIdentity(const Select& select) {
  const SelectCore& core = select.cores.front();
  std::optional<NewIdentity> made;
  for (const SelectItem& item : core.items) {
    if (item.star || item.expr->kind != ExprKind::kIdentity) continue;
    const Expr& expr = *item.expr;
    if (made) {
      RaiseStatementError(expr.pos, u"Multiple identity columns specified for table '" +
                                        core.into.Name() +
                                        u"'. Only one identity column per table is allowed.");
    }
    CheckIdentityType(TypeOf(expr), item.alias, expr.type.pos);
    CheckIdentitySeed(expr.number, expr.pos);
    made = NewIdentity{item.alias, {}, false, expr.number};
  }
  std::optional<NewIdentity> copied = CopiedIdentity(select);
  if (made && copied) {
    RaiseStatementError(core.pos,
                        u"Cannot add identity column, using the SELECT INTO statement, "
                        u"to table '" +
                            core.into.Name() + u"', which already has column '" + copied->column +
                            u"' that inherits the identity property.");
  }
  return made ? made : copied;
}

// A column copied from an identity column stays one when the query reads one table, neither
// grouped nor aggregated nor joined to another query, and copies it once and as it is.
std::optional<NewIdentity> Generator::CopiedIdentity(const Select& select) {
  const SelectCore& core = select.cores.front();
  if (select.cores.size() != 1 || !core.group_by.empty() || core.having || core.from.size() != 1 ||
      core.from[0]->kind != TableRef::Kind::kTable) {
    return std::nullopt;
  }
  const TableRef& table = *core.from[0];
  const std::shared_ptr<const TableColumns> columns = tables_.Find(table.name.Name());
  if (!columns) return std::nullopt;
  const auto identity = std::find_if(columns->begin(), columns->end(),
                                     [](const TableColumn& c) { return c.identity; });
  if (identity == columns->end()) return std::nullopt;
  const std::u16string& qualifier = table.has_alias ? table.alias : table.name.Name();
  int copies = 0;
  std::u16string output;
  for (const SelectItem& item : core.items) {
    if (item.star) {
      if (item.star_qualifier.empty() ||
          oleaut::EqualsNoCase(item.star_qualifier.back(), qualifier)) {
        ++copies;
        output = identity->name;
      }
      continue;
    }
    if (ContainsAggregate(*item.expr)) return std::nullopt;
    const Expr& expr = *item.expr;
    if (expr.kind != ExprKind::kColumn ||
        !oleaut::EqualsNoCase(expr.names.back(), identity->name) ||
        (expr.names.size() > 1 &&
         !oleaut::EqualsNoCase(expr.names[expr.names.size() - 2], qualifier))) {
      continue;
    }
    ++copies;
    output = item.has_alias ? item.alias : expr.names.back();
  }
  if (copies != 1) return std::nullopt;
  return NewIdentity{output, Utf8(TableName(table.name)), table.name.IsTemp(), 1};
}

// The columns of a table SELECT ... INTO makes: the query's, of which only `identity` is one.
std::shared_ptr<const TableColumns> Generator::WithIdentity(
    const std::shared_ptr<const TableColumns>& query, const std::optional<NewIdentity>& identity) {
  if (!query) return nullptr;
  auto columns = std::make_shared<TableColumns>(*query);
  bool marked = false;
  for (TableColumn& column : *columns) {
    column.identity = identity && !marked && oleaut::EqualsNoCase(column.name, identity->column);
    marked = marked || column.identity;
  }
  return columns;
}

// The declared type of each column an INSERT writes, in its order, as far as known.
std::vector<std::optional<SqlType>> Generator::InsertTargets(const InsertStmt& insert) {
  std::vector<std::optional<SqlType>> targets;
  const std::shared_ptr<const TableColumns> columns = tables_.Find(insert.table.Name());
  if (!columns) return targets;
  if (insert.columns.empty()) {
    // Values for every column in order, or the engine refuses the statement anyway.
    if (!insert.rows.empty() && insert.rows[0].size() != columns->size()) return targets;
    for (const TableColumn& column : *columns)
      targets.emplace_back(column.type);
    return targets;
  }
  for (const std::u16string& name : insert.columns)
    targets.push_back(ColumnTypeOf(*columns, name));
  return targets;
}

std::optional<SqlType> Generator::ColumnTypeOf(const TableColumns& columns,
                                               std::u16string_view name) {
  for (const TableColumn& column : columns) {
    if (oleaut::EqualsNoCase(column.name, name)) return column.type;
  }
  return std::nullopt;
}

// A value stored in an integer or bit column is converted as SQL Server converts it on
// assignment: 1.7 becomes 1, 'abc' fails, 300 fails in a tinyint, any number but 0 is bit 1.
// SQLite's column affinity would instead keep 1.7, turn '1.7' into a number and store 'abc'.
void Generator::GenStored(const Expr& value, const std::optional<SqlType>& column) {
  if (column && ReadsAsDateText(value, *column)) return GenDateText(value, *column);
  // A datetime stored in a finer column keeps its 1/300 of a second (see GenConverted).
  const bool finer_date = column && column->HasFractionScale();
  const bool convert = column && (column->cls == SqlType::Class::kInteger ||
                                  column->cls == SqlType::Class::kBit || finer_date);
  if (!convert) return Gen(value);
  const SqlType type = TypeOf(value);
  if (finer_date && type.name != "datetime") return Gen(value);
  if (type.cls == SqlType::Class::kNull || (type.cls == column->cls && type.name == column->name)) {
    return Gen(value);
  }
  GenAs(value, column);
}

void Generator::Generate(const UpdateStmt& update, std::vector<Node>& nodes) {
  const ObjectName& table = update.from.empty() ? update.table : ChangedTable(update);
  if (GenUpdateThrough(update, table, nodes)) return;
  if ((!update.output.empty() || update.output_into) && !output_) {
    GenWithOutput(
        update.output, update.output_into, OutputChange::kUpdate, table, update.table, update.from,
        update.where.get(), update.with, [&](std::vector<Node>& steps) { Generate(update, steps); },
        nodes);
    return;
  }
  SqlStatement s = Begin(StatementKind::kCommand, table.IsTemp());
  s.target = Utf8(TableName(table));
  GenChangeWith(update.with);
  out_ += "UPDATE ";
  AppendTable(table);
  out_ += " SET ";
  const std::shared_ptr<const TableColumns> columns = tables_.Find(table.Name());
  for (std::size_t i = 0; i < update.sets.size(); ++i) {
    if (i > 0) out_ += ", ";
    AppendQuotedName(out_, update.sets[i].first);
    out_ += " = ";
    if (!update.from.empty()) {
      out_ += "\"tsql$from\".\"tsql$" + std::to_string(i) + '"';
      continue;
    }
    GenStored(*update.sets[i].second,
              columns ? ColumnTypeOf(*columns, update.sets[i].first) : std::nullopt);
  }
  if (!update.from.empty()) {
    // The new values are computed where the FROM clause's rows are, one row of them applied to
    // each target row (SQL Server leaves open which one when several join it, as SQLite does).
    out_ += " FROM (SELECT ";
    AppendChangedRowid(update.table, update.from);
    for (std::size_t i = 0; i < update.sets.size(); ++i) {
      out_ += ", ";
      GenStored(*update.sets[i].second,
                columns ? ColumnTypeOf(*columns, update.sets[i].first) : std::nullopt);
      out_ += " AS \"tsql$" + std::to_string(i) + '"';
    }
    GenChangeSource(update.from, update.where.get());
    out_ += ") AS \"tsql$from\" WHERE ";
    AppendTable(table);
    out_ += ".rowid = \"tsql$from\".\"tsql$rowid\"";
  } else if (update.where) {
    out_ += " WHERE ";
    Gen(*update.where);
  }
  Finish(s, nodes);
}

void Generator::Generate(const DeleteStmt& del, std::vector<Node>& nodes) {
  const ObjectName& table = del.from.empty() ? del.table : ChangedTable(del);
  if (GenDeleteThrough(del, table, nodes)) return;
  if ((!del.output.empty() || del.output_into) && !output_) {
    GenWithOutput(
        del.output, del.output_into, OutputChange::kDelete, table, del.table, del.from,
        del.where.get(), del.with, [&](std::vector<Node>& steps) { Generate(del, steps); }, nodes);
    return;
  }
  SqlStatement s = Begin(StatementKind::kCommand, table.IsTemp());
  s.target = Utf8(TableName(table));
  GenChangeWith(del.with);
  out_ += "DELETE FROM ";
  AppendTable(table);
  if (!del.from.empty()) {
    out_ += " WHERE rowid IN (SELECT ";
    AppendChangedRowid(del.table, del.from);
    GenChangeSource(del.from, del.where.get());
    out_ += ')';
  } else if (del.where) {
    out_ += " WHERE ";
    Gen(*del.where);
  }
  Finish(s, nodes);
}

// The table of the FROM clause an UPDATE or DELETE changes, as SQL Server finds it.
template <typename Change>
const ObjectName& Generator::ChangedTable(const Change& change) {
  const std::vector<const TableRef*> found = ChangedTables(change.table, change.from);
  if (found.size() > 1) {
    RaiseStatementError(change.table.pos,
                        u"The table '" + change.table.Written() + u"' is ambiguous.");
  }
  if (found.empty()) {
    // SQL Server would join one more copy of the table to the FROM clause's rows.
    RaiseUnsupported(batch_, change.table.pos,
                     u"UPDATE or DELETE with FROM whose target is none of the FROM clause's "
                     u"tables");
  }
  if (found.front()->kind != TableRef::Kind::kTable) {
    RaiseUnsupported(batch_, change.table.pos, u"UPDATE or DELETE of a derived table");
  }
  return found.front()->name;
}

// The key of the changed table's row in the FROM clause's rows.
void Generator::AppendChangedRowid(const ObjectName& target, const std::vector<TableRefPtr>& from) {
  const TableRef& changed = *ChangedTables(target, from).front();
  AppendQuotedName(out_, changed.has_alias ? changed.alias : TableName(changed.name));
  out_ += ".rowid AS \"tsql$rowid\"";
}

void Generator::GenChangeSource(const std::vector<TableRefPtr>& from, const Expr* where) {
  out_ += " FROM ";
  for (std::size_t i = 0; i < from.size(); ++i) {
    if (i > 0) out_ += ", ";
    GenTableRef(*from[i]);
  }
  if (where) {
    out_ += " WHERE ";
    Gen(*where);
  }
}

}  // namespace tsql::generation
