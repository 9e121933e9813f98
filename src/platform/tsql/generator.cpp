#include "platform/tsql/generator.h"

#include <algorithm>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>

#include "platform/oleaut/text.h"
#include "platform/tsql/engine_names.h"
#include "platform/tsql/errors.h"
#include "platform/tsql/grouping.h"
#include "platform/tsql/identity.h"
#include "platform/tsql/resolver.h"
#include "platform/tsql/sql_type.h"
#include "platform/tsql/typing.h"

namespace tsql {
namespace {

std::string Utf8(std::u16string_view text) {
  return oleaut::ToUtf8(text);
}

void AppendQuotedName(std::string& out, std::u16string_view name) {
  out += '"';
  for (char c : Utf8(name)) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

// A text literal; a NUL character, which would end the statement's text for the engine, is
// written as char(0) joined to the pieces around it.
void AppendStringLiteral(std::string& out, std::u16string_view value) {
  const bool has_nul = value.find(u'\0') != std::u16string_view::npos;
  if (has_nul) out += '(';
  out += '\'';
  for (char c : Utf8(value)) {
    if (c == '\0') {
      out += "' || char(0) || '";
      continue;
    }
    if (c == '\'') out += '\'';
    out += c;
  }
  out += '\'';
  if (has_nul) out += ')';
}

bool IsComparison(std::u16string_view op) {
  return op == u"=" || op == u"<>" || op == u"!=" || op == u"<" || op == u"<=" || op == u">" ||
         op == u">=" || op == u"!<" || op == u"!>";
}

bool IsBareColumn(const Expr& expr) {
  return expr.kind == ExprKind::kColumn;
}

class Generator {
 public:
  Generator(std::u16string_view batch, const ParsedBatch& parsed, Schema* schema)
      : batch_(batch), tables_(schema) {
    program_.marker_count = parsed.marker_count;
    program_.source = std::u16string(batch);
    program_.typed = schema != nullptr;
  }

  Program Run(const ParsedBatch& parsed) {
    for (std::size_t i = 0; i < parsed.statements.size(); ++i) {
      next_ = i + 1 < parsed.statements.size() ? parsed.statements[i + 1].get() : nullptr;
      GenerateStatement(*parsed.statements[i], program_.nodes);
    }
    next_ = nullptr;
    if (parsed.variable_count > 0) {
      // Every variable of a batch starts as NULL, wherever it is declared.
      current_ = parsed.statements.front().get();
      SqlStatement clear = Begin(StatementKind::kAssign);
      clear.row_count = RowCountEffect::kKept;
      out_ = "SELECT tsql_clear_variables()";
      std::vector<Node> first;
      Finish(clear, first);
      program_.nodes.insert(program_.nodes.begin(), std::move(first.front()));
    }
    program_.dependencies = tables_.TakeDependencies();
    return std::move(program_);
  }

 private:
  // ---- statements ----
  void GenerateStatement(const Statement& statement, std::vector<Node>& nodes) {
    current_ = &statement;
    query_columns_ = ResolveColumns(statement, tables_, typer_);
    std::visit([&](const auto& body) { Generate(body, nodes); }, statement.body);
  }

  // `temp`: the statement changes only a temporary table.
  SqlStatement Begin(StatementKind kind, bool temp = false) {
    SqlStatement s;
    s.kind = kind;
    s.target_temp = temp;
    s.pos = current_->pos;
    s.ordinal = program_.statement_count++;
    program_.statement_tokens.emplace_back(current_->first_token, current_->end_token);
    // SQLite takes no markers in a schema's definitions.
    bind_literals_ = kind != StatementKind::kDdl;
    s.source = std::u16string(
        batch_.substr(current_->pos.offset, current_->end_offset - current_->pos.offset));
    out_.clear();
    markers_.clear();
    probes_.clear();
    return s;
  }

  void Finish(SqlStatement& s, std::vector<Node>& nodes) {
    s.sql = std::move(out_);
    s.markers = std::move(markers_);
    s.probes = std::move(probes_);
    out_.clear();
    markers_.clear();
    probes_.clear();
    nodes.push_back(Node{std::move(s)});
  }

  // SET options reset @@ROWCOUNT, and nothing else here.
  void Generate(const NoOpStmt&, std::vector<Node>& nodes) {
    SqlStatement s = Begin(StatementKind::kSessionOption);
    s.row_count = RowCountEffect::kZero;
    Finish(s, nodes);
  }

  // SET @v = expr, DECLARE @v type = expr: one SELECT that sets each in order.
  void Generate(const AssignStmt& assign, std::vector<Node>& nodes) {
    if (assign.assignments.empty()) return;  // DECLARE alone runs nothing
    SqlStatement s = Begin(StatementKind::kAssign);
    out_ += "SELECT ";
    for (std::size_t i = 0; i < assign.assignments.size(); ++i) {
      if (i > 0) out_ += ", ";
      GenAssigned(*assign.assignments[i].first, *assign.assignments[i].second);
    }
    Finish(s, nodes);
  }

  // The value converted to the variable's declared type, as SQL Server converts on assignment.
  void GenAssigned(const Expr& target, const Expr& value) {
    const SqlType type = ColumnType(target.type);
    const SqlType value_type = TypeOf(value);
    out_ += "tsql_set_variable(" + std::to_string(target.index) + ", ";
    if (value_type.cls == SqlType::Class::kNull || value_type.Declared() == type.Declared()) {
      Gen(value);
    } else {
      GenAs(value, type);
    }
    out_ += ')';
  }

  // A SELECT that sets variables returns no rows, and may do nothing else.
  bool IsAssigningSelect(const Select& select) {
    const SelectCore& first = select.cores.front();
    const bool assigns = std::any_of(first.items.begin(), first.items.end(),
                                     [](const SelectItem& item) { return item.target != nullptr; });
    if (!assigns) return false;
    const bool all = std::all_of(first.items.begin(), first.items.end(),
                                 [](const SelectItem& item) { return item.target != nullptr; });
    if (!all || select.cores.size() > 1 || first.has_into) {
      RaiseStatementError(first.pos,
                          u"A SELECT statement that assigns a value to a variable must not be "
                          u"combined with data-retrieval operations.");
    }
    return true;
  }

  void Generate(const IdentityInsertStmt& option, std::vector<Node>& nodes) {
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
  IdentityValues IdentityValuesOf(const InsertStmt& insert) {
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

  void Generate(const SelectPtr& select, std::vector<Node>& nodes) {
    const SelectCore& first = select->cores.front();
    if (IsAssigningSelect(*select)) {
      SqlStatement s = Begin(StatementKind::kAssign);
      GenSelect(*select);
      Finish(s, nodes);
      return;
    }
    SqlStatement s = Begin(first.has_into ? StatementKind::kSelectInto : StatementKind::kQuery);
    if (first.has_into) {
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

  void Generate(const InsertStmt& insert, std::vector<Node>& nodes) {
    SqlStatement s = Begin(StatementKind::kInsert);
    s.target = Utf8(TableName(insert.table));
    s.target_temp = insert.table.IsTemp();
    s.identity_values = IdentityValuesOf(insert);
    out_ += "INSERT INTO ";
    AppendTable(insert.table);
    if (!insert.columns.empty()) {
      out_ += " (";
      for (std::size_t i = 0; i < insert.columns.size(); ++i) {
        if (i > 0) out_ += ", ";
        AppendQuotedName(out_, insert.columns[i]);
      }
      out_ += ')';
    }
    const std::vector<std::optional<SqlType>> targets = InsertTargets(insert);
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
  std::optional<NewIdentity> NewTableIdentity(const Select& select) {
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
  std::optional<NewIdentity> CopiedIdentity(const Select& select) {
    const SelectCore& core = select.cores.front();
    if (select.cores.size() != 1 || !core.group_by.empty() || core.having ||
        core.from.size() != 1 || core.from[0]->kind != TableRef::Kind::kTable) {
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
  static std::shared_ptr<const TableColumns> WithIdentity(
      const std::shared_ptr<const TableColumns>& query,
      const std::optional<NewIdentity>& identity) {
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
  std::vector<std::optional<SqlType>> InsertTargets(const InsertStmt& insert) {
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

  static std::optional<SqlType> ColumnTypeOf(const TableColumns& columns,
                                             std::u16string_view name) {
    for (const TableColumn& column : columns) {
      if (oleaut::EqualsNoCase(column.name, name)) return column.type;
    }
    return std::nullopt;
  }

  // A value stored in an integer or bit column is converted as SQL Server converts it on
  // assignment: 1.7 becomes 1, 'abc' fails, 300 fails in a tinyint, any number but 0 is bit 1.
  // SQLite's column affinity would instead keep 1.7, turn '1.7' into a number and store 'abc'.
  void GenStored(const Expr& value, const std::optional<SqlType>& column) {
    const bool convert =
        column && (column->cls == SqlType::Class::kInteger || column->cls == SqlType::Class::kBit);
    if (!convert) return Gen(value);
    const SqlType type = TypeOf(value);
    if (type.cls == SqlType::Class::kNull ||
        (type.cls == column->cls && type.name == column->name)) {
      return Gen(value);
    }
    GenAs(value, column);
  }

  void Generate(const UpdateStmt& update, std::vector<Node>& nodes) {
    SqlStatement s = Begin(StatementKind::kCommand, update.table.IsTemp());
    out_ += "UPDATE ";
    AppendTable(update.table);
    out_ += " SET ";
    for (std::size_t i = 0; i < update.sets.size(); ++i) {
      if (i > 0) out_ += ", ";
      AppendQuotedName(out_, update.sets[i].first);
      out_ += " = ";
      const std::shared_ptr<const TableColumns> columns = tables_.Find(update.table.Name());
      GenStored(*update.sets[i].second,
                columns ? ColumnTypeOf(*columns, update.sets[i].first) : std::nullopt);
    }
    if (update.where) {
      out_ += " WHERE ";
      Gen(*update.where);
    }
    Finish(s, nodes);
  }

  void Generate(const DeleteStmt& del, std::vector<Node>& nodes) {
    SqlStatement s = Begin(StatementKind::kCommand, del.table.IsTemp());
    out_ += "DELETE FROM ";
    AppendTable(del.table);
    if (del.where) {
      out_ += " WHERE ";
      Gen(*del.where);
    }
    Finish(s, nodes);
  }

  void Generate(const CreateTableStmt& create, std::vector<Node>& nodes) {
    SqlStatement s = Begin(StatementKind::kDdl);
    s.target = Utf8(TableName(create.table));
    s.target_temp = create.table.IsTemp();
    const ColumnDef* identity = nullptr;
    for (const ColumnDef& column : create.columns) {
      if (!column.identity) continue;
      if (identity) RaiseUnsupported(batch_, column.pos, u"A second identity column");
      identity = &column;
    }
    out_ += create.table.IsTemp() ? "CREATE TEMP TABLE " : "CREATE TABLE ";
    AppendTable(create.table);
    out_ += " (";
    for (std::size_t i = 0; i < create.columns.size(); ++i) {
      if (i > 0) out_ += ", ";
      GenColumnDef(create.columns[i]);
    }
    for (const TableConstraint& constraint : create.constraints) {
      GenTableConstraint(constraint, identity);
    }
    out_ += ')';
    Finish(s, nodes);
    auto columns = std::make_shared<TableColumns>();
    for (const ColumnDef& column : create.columns) {
      const SqlType type = ColumnType(column.type);
      if (!column.identity) GenNormalizingTriggers(create.table, column.name, type, nodes);
      columns->push_back({column.name, type, column.identity});
    }
    tables_.Define(create.table.Name(), std::move(columns));
    if (identity) {
      std::string seed = SeedStatement(Utf8(TableName(create.table)), create.table.IsTemp(),
                                       identity->identity_seed);
      if (!seed.empty()) {
        SqlStatement s_seed = Begin(StatementKind::kCommand, create.table.IsTemp());
        s_seed.row_count = RowCountEffect::kKept;
        out_ = std::move(seed);
        Finish(s_seed, nodes);
      }
    }
  }

  // A column's type and constraints. Text columns compare as SQL Server's default collation does
  // (letter case and trailing blanks do not count); an identity column is SQLite's AUTOINCREMENT
  // key, which never reuses a number, as an identity never does.
  void GenColumnDef(const ColumnDef& column) {
    AppendQuotedName(out_, column.name);
    const SqlType type = ColumnType(column.type);
    if (column.identity) {
      CheckIdentityType(type, column.name, column.pos);
      CheckIdentitySeed(column.identity_seed, column.pos);
      out_ += IdentityColumnClause(column.identity_seed);
    } else {
      out_ += ColumnClauses(column.name, type, column.not_null || column.primary_key);
      if (column.primary_key) out_ += " PRIMARY KEY";
      if (column.unique) out_ += " UNIQUE";
    }
    if (column.default_value) {
      out_ += " DEFAULT (";
      Gen(*column.default_value);
      out_ += ')';
    }
    if (column.check) {
      out_ += " CHECK (";
      Gen(*column.check);
      out_ += ')';
    }
    if (!column.references.parts.empty()) {
      out_ += " REFERENCES ";
      AppendTable(column.references);
      AppendNameList(column.references_columns);
    }
  }

  static void CheckIdentityType(const SqlType& type, std::u16string_view column, SourcePos pos) {
    if (type.cls != SqlType::Class::kInteger &&
        (type.cls != SqlType::Class::kDecimal || type.IsMoney() || type.scale != 0)) {
      RaiseStatementError(pos, u"Identity column '" + std::u16string(column) +
                                   u"' must be of data type int, bigint, smallint, tinyint, or "
                                   u"decimal or numeric with a scale of 0, and constrained to be "
                                   u"nonnullable.");
    }
  }

  // SQLite numbers a key from one past the sequence table's entry, and never below 1.
  void CheckIdentitySeed(std::int64_t seed, SourcePos pos) {
    if (seed < 1) RaiseUnsupported(batch_, pos, u"An identity seed below 1");
  }

  void GenTableConstraint(const TableConstraint& constraint, const ColumnDef* identity) {
    using K = TableConstraint::Kind;
    if (constraint.kind == K::kPrimaryKey && identity) {
      // The identity column is already the key SQLite needs; a key on it again is redundant,
      // and a key on other columns still keeps them unique.
      if (constraint.columns.size() == 1 &&
          oleaut::EqualsNoCase(constraint.columns[0], identity->name)) {
        return;
      }
      out_ += ", UNIQUE";
      AppendNameList(constraint.columns);
      return;
    }
    out_ += ", ";
    if (!constraint.name.empty()) {
      out_ += "CONSTRAINT ";
      AppendQuotedName(out_, constraint.name);
      out_ += ' ';
    }
    switch (constraint.kind) {
      case K::kPrimaryKey:
        out_ += "PRIMARY KEY";
        AppendNameList(constraint.columns);
        break;
      case K::kUnique:
        out_ += "UNIQUE";
        AppendNameList(constraint.columns);
        break;
      case K::kForeignKey:
        out_ += "FOREIGN KEY";
        AppendNameList(constraint.columns);
        out_ += " REFERENCES ";
        AppendTable(constraint.references);
        AppendNameList(constraint.references_columns);
        break;
      case K::kCheck:
        out_ += "CHECK (";
        Gen(*constraint.check);
        out_ += ')';
        break;
    }
  }

  void GenNormalizingTriggers(const ObjectName& table, const std::u16string& column,
                              const SqlType& type, std::vector<Node>& nodes) {
    for (std::string& trigger : NormalizingTriggers(TableName(table), column, type)) {
      SqlStatement s = Begin(StatementKind::kDdl, table.IsTemp());
      out_ = std::move(trigger);
      Finish(s, nodes);
    }
  }

  void AppendNameList(const std::vector<std::u16string>& names) {
    if (names.empty()) return;
    out_ += " (";
    for (std::size_t i = 0; i < names.size(); ++i) {
      if (i > 0) out_ += ", ";
      AppendQuotedName(out_, names[i]);
    }
    out_ += ')';
  }

  SqlType ColumnType(const TypeName& name) {
    std::optional<SqlType> type = ResolveType(name, false);
    if (!type) RaiseUnsupported(batch_, name.pos, u"The data type " + name.name);
    return *type;
  }

  void Generate(const DropTableStmt& drop, std::vector<Node>& nodes) {
    for (const ObjectName& table : drop.tables) {
      if (drop.if_exists && tables_.IsEngineTable(table.Name())) continue;  // none to drop
      tables_.RefuseEngineTable(table, MissingTable::kCannotDrop);
      SqlStatement s = Begin(StatementKind::kDdl);
      s.target = Utf8(TableName(table));
      s.target_temp = table.IsTemp();
      out_ += drop.if_exists ? "DROP TABLE IF EXISTS " : "DROP TABLE ";
      AppendTable(table);
      Finish(s, nodes);
      tables_.Drop(table.Name());
    }
  }

  // SQL Server names indexes per table, SQLite per schema: the table's name is part of the name.
  std::u16string IndexName(const ObjectName& table, std::u16string_view index) {
    return TableName(table) + u"$" + std::u16string(index);
  }

  void Generate(const CreateIndexStmt& create, std::vector<Node>& nodes) {
    tables_.RefuseEngineTable(create.table, MissingTable::kCannotFind);
    for (const auto& [column, descending] : create.columns) {
      if (!IsEngineColumnName(column)) continue;
      const std::shared_ptr<const TableColumns> columns = tables_.Find(create.table.Name());
      if (!columns || !ColumnTypeOf(*columns, column)) {
        RaiseStatementError(create.table.pos, u"Column name '" + column +
                                                  u"' does not exist in the target table or view.");
      }
    }
    SqlStatement s = Begin(StatementKind::kDdl, create.table.IsTemp());
    out_ += create.unique ? "CREATE UNIQUE INDEX " : "CREATE INDEX ";
    AppendQuotedName(out_, IndexName(create.table, create.name));
    out_ += " ON ";
    AppendTable(create.table);
    out_ += " (";
    for (std::size_t i = 0; i < create.columns.size(); ++i) {
      if (i > 0) out_ += ", ";
      AppendQuotedName(out_, create.columns[i].first);
      if (create.columns[i].second) out_ += " DESC";
    }
    out_ += ')';
    Finish(s, nodes);
  }

  void Generate(const DropIndexStmt& drop, std::vector<Node>& nodes) {
    for (const auto& [table, index] : drop.indexes) {
      SqlStatement s = Begin(StatementKind::kDdl, table.IsTemp());
      out_ += "DROP INDEX ";
      AppendQuotedName(out_, IndexName(table, index));
      Finish(s, nodes);
    }
  }

  // Whether the statement after `alter` is an UPDATE of the same table, without WHERE, that sets
  // the altered column to a constant (summary printing widens a column and then writes one text
  // into every row).
  bool NextReplacesEveryValue(const AlterColumnStmt& alter) const {
    const auto* update = next_ ? std::get_if<UpdateStmt>(&next_->body) : nullptr;
    if (!update || update->where ||
        !oleaut::EqualsNoCase(update->table.Name(), alter.table.Name())) {
      return false;
    }
    for (const auto& [column, value] : update->sets) {
      if (!oleaut::EqualsNoCase(column, alter.column)) continue;
      return value->kind == ExprKind::kNull || value->kind == ExprKind::kNumber ||
             value->kind == ExprKind::kString || value->kind == ExprKind::kMarker;
    }
    return false;
  }

  void Generate(const AlterColumnStmt& alter, std::vector<Node>& nodes) {
    if (!alter.table.IsTemp()) {
      RaiseUnsupported(batch_, alter.table.pos, u"ALTER COLUMN on a permanent table");
    }
    SqlStatement s = Begin(StatementKind::kAlterColumn);
    s.target = Utf8(TableName(alter.table));
    s.target_temp = true;
    s.column = Utf8(alter.column);
    const SqlType type = ColumnType(alter.type);
    s.column_type = type.Declared();
    s.column_not_null = alter.not_null;
    s.values_replaced = NextReplacesEveryValue(alter);
    Finish(s, nodes);
    if (auto before = tables_.Find(alter.table.Name())) {
      auto after = std::make_shared<TableColumns>(*before);
      for (TableColumn& column : *after) {
        if (oleaut::EqualsNoCase(column.name, alter.column)) column.type = type;
      }
      tables_.Define(alter.table.Name(), std::move(after));
    }
  }

  void Generate(const AddColumnsStmt& add, std::vector<Node>& nodes) {
    for (const ColumnDef& column : add.columns) {
      if (column.identity) RaiseUnsupported(batch_, column.pos, u"Adding an identity column");
      SqlStatement s = Begin(StatementKind::kDdl, add.table.IsTemp());
      out_ += "ALTER TABLE ";
      AppendTable(add.table);
      out_ += " ADD COLUMN ";
      GenColumnDef(column);
      Finish(s, nodes);
      const SqlType type = ColumnType(column.type);
      GenNormalizingTriggers(add.table, column.name, type, nodes);
      if (auto before = tables_.Find(add.table.Name())) {
        auto after = std::make_shared<TableColumns>(*before);
        after->push_back({column.name, type});
        tables_.Define(add.table.Name(), std::move(after));
      }
    }
  }

  void Generate(const TruncateStmt& truncate, std::vector<Node>& nodes) {
    tables_.RefuseEngineTable(truncate.table, MissingTable::kCannotFind);
    SqlStatement s = Begin(StatementKind::kCommand, truncate.table.IsTemp());
    s.row_count = RowCountEffect::kZero;
    out_ += "DELETE FROM ";
    AppendTable(truncate.table);
    Finish(s, nodes);
    // TRUNCATE starts the identity again from its seed, which the table's definition keeps;
    // SQLite keeps the sequence table only once a table of the schema has an AUTOINCREMENT key.
    const std::string schema = truncate.table.IsTemp() ? "temp" : "main";
    auto node = std::make_unique<IfNode>();
    node->condition = Begin(StatementKind::kQuery);
    node->condition.row_count = RowCountEffect::kKept;
    node->condition.sql =
        "SELECT EXISTS (SELECT 1 FROM " + schema + ".sqlite_master WHERE name = 'sqlite_sequence')";
    SqlStatement reset = Begin(StatementKind::kCommand, truncate.table.IsTemp());
    reset.row_count = RowCountEffect::kKept;
    out_ += "DELETE FROM " + schema + ".sqlite_sequence WHERE name = ";
    AppendStringLiteral(out_, TableName(truncate.table));
    out_ += " COLLATE NOCASE";
    Finish(reset, node->then_nodes);
    SqlStatement reseed = Begin(StatementKind::kCommand, truncate.table.IsTemp());
    reseed.row_count = RowCountEffect::kKept;
    out_ += "INSERT INTO " + schema + ".sqlite_sequence (name, seq) SELECT name, " +
            "tsql_identity_seed(sql) - 1 FROM " + schema +
            ".sqlite_master WHERE type = 'table' AND name = ";
    AppendStringLiteral(out_, TableName(truncate.table));
    out_ += " COLLATE NOCASE AND tsql_identity_seed(sql) <> 1";
    Finish(reseed, node->then_nodes);
    nodes.push_back(Node{std::move(node)});
  }

  void Generate(const IfStmt& branch, std::vector<Node>& nodes) {
    auto node = std::make_unique<IfNode>();
    const Statement* outer = current_;
    node->condition = Begin(StatementKind::kQuery);
    out_ += "SELECT CASE WHEN ";
    Gen(*branch.condition);
    out_ += " THEN 1 ELSE 0 END";
    node->condition.sql = std::move(out_);
    node->condition.markers = std::move(markers_);
    node->condition.probes = std::move(probes_);
    out_.clear();
    markers_.clear();
    probes_.clear();
    GenerateStatement(*branch.then_branch, node->then_nodes);
    if (branch.else_branch) GenerateStatement(*branch.else_branch, node->else_nodes);
    current_ = outer;
    nodes.push_back(Node{std::move(node)});
  }

  void Generate(const BlockStmt& block, std::vector<Node>& nodes) {
    const Statement* outer = current_;
    for (const StatementPtr& statement : block.body)
      GenerateStatement(*statement, nodes);
    current_ = outer;
  }

  // ---- names ----
  // The table's own name; SQL Server's schema "dbo" is SQLite's main schema, and no other
  // schema or database exists there.
  std::u16string TableName(const ObjectName& name) {
    const std::u16string& own = name.Name();
    if (own.size() > 1 && own[0] == u'#' && own[1] == u'#') {
      RaiseUnsupported(batch_, name.pos, u"A global temporary table (##name)");
    }
    for (std::size_t i = 0; i + 1 < name.parts.size(); ++i) {
      const std::u16string& part = name.parts[i];
      const bool schema = i + 2 == name.parts.size();
      if (part.empty()) continue;
      if (schema && oleaut::EqualsNoCase(part, u"dbo")) continue;
      RaiseUnsupported(batch_, name.pos,
                       schema ? u"A schema other than dbo" : u"A name qualified by a database");
    }
    return own;
  }

  void AppendTable(const ObjectName& name) { AppendQuotedName(out_, TableName(name)); }

  // ---- SELECT ----
  // Columns are named by the first SELECT of a UNION and typed by the highest type of each
  // position, as SQL Server types them.
  std::vector<ResultHint> Hints(const Select& select) {
    const SelectCore& core = select.cores.front();
    const std::vector<SqlType> types = ColumnTypes(select);
    std::vector<ResultHint> hints;
    for (std::size_t i = 0; i < core.items.size(); ++i) {
      const SelectItem& item = core.items[i];
      ResultHint hint;
      if (item.star) {
        hint.star = true;
      } else {
        hint.named = item.has_alias || item.expr->kind == ExprKind::kColumn;
        hint.name = item.has_alias                         ? item.alias
                    : item.expr->kind == ExprKind::kColumn ? item.expr->names.back()
                                                           : std::u16string();
        // A column of NULLs is an int, as SQL Server types it (and makes it in SELECT INTO).
        hint.type = types[i].cls == SqlType::Class::kNull ? "int" : types[i].Declared();
      }
      hints.push_back(std::move(hint));
    }
    return hints;
  }

  // The type of each column of a query: the highest type of the position over a UNION's
  // SELECTs; unknown where a * stands.
  std::vector<SqlType> ColumnTypes(const Select& select) {
    const SelectCore& core = select.cores.front();
    std::vector<SqlType> types;
    for (std::size_t i = 0; i < core.items.size(); ++i) {
      if (core.items[i].star) {
        types.push_back(SqlType::Unknown());
        continue;
      }
      SqlType type = TypeOf(*core.items[i].expr);
      for (std::size_t c = 1; c < select.cores.size(); ++c) {
        const auto& items = select.cores[c].items;
        if (i >= items.size() || items[i].star) {
          type = SqlType::Unknown();
          break;
        }
        const SqlType other = TypeOf(*items[i].expr);
        if (type.cls == SqlType::Class::kNull) {
          type = other;
        } else if (other.cls != SqlType::Class::kNull) {
          type = HigherType(type, other);
        }
      }
      types.push_back(type);
    }
    return types;
  }

  // A text where the result is a number or a date is converted to it, as SQL Server converts
  // the branches of CASE and COALESCE and the columns of a UNION: '' becomes 0, 'abc' an error.
  void GenBranch(const Expr& branch, const SqlType& result) {
    const SqlType type = TypeOf(branch);
    const bool convert = result.IsKnown() && result.cls != SqlType::Class::kNull &&
                         !result.IsText() && result.cls != SqlType::Class::kBinary && type.IsText();
    GenAs(branch, convert ? std::optional<SqlType>(result) : std::nullopt);
  }

  // A query inside another (derived table, subquery): SQL Server orders only the rows TOP
  // picks there, and refuses an ORDER BY without TOP rather than ignore it.
  void GenNestedSelect(const Select& select) {
    if (!select.order_by.empty() && (select.cores.size() > 1 || !select.cores[0].top)) {
      RaiseSyntaxError(batch_, select.pos,
                       u"The ORDER BY clause is invalid in views, inline functions, derived "
                       u"tables, subqueries, and common table expressions, unless TOP, OFFSET or "
                       u"FOR XML is also specified");
    }
    GenSelect(select);
  }

  void GenSelect(const Select& select) {
    // The columns an INSERT ... SELECT stores into, for its own SELECT alone.
    const std::vector<std::optional<SqlType>>* store_types = std::exchange(store_types_, nullptr);
    CheckDistinctOrder(select);
    const bool compound = select.cores.size() > 1;
    const std::vector<SqlType> column_types =
        compound ? ColumnTypes(select) : std::vector<SqlType>();
    for (std::size_t i = 0; i < select.cores.size(); ++i) {
      if (i > 0) {
        switch (select.ops[i - 1]) {
          case SetOp::kUnion:
            out_ += " UNION ";
            break;
          case SetOp::kUnionAll:
            out_ += " UNION ALL ";
            break;
          case SetOp::kExcept:
            out_ += " EXCEPT ";
            break;
          case SetOp::kIntersect:
            out_ += " INTERSECT ";
            break;
        }
      }
      const SelectCore& core = select.cores[i];
      if (compound && core.top) {
        // TOP limits its own SELECT, LIMIT the whole compound.
        out_ += "SELECT * FROM (";
        GenCore(core, column_types, store_types);
        GenLimit(core);
        out_ += ')';
      } else {
        GenCore(core, column_types, store_types);
      }
    }
    if (!select.order_by.empty()) {
      out_ += " ORDER BY ";
      for (std::size_t i = 0; i < select.order_by.size(); ++i) {
        if (i > 0) out_ += ", ";
        const Expr& expr = *select.order_by[i].expr;
        Pin(expr);  // a number orders by that column of the select list
        Gen(expr);
        if (NeedsCollation(expr) && !compound) out_ += " COLLATE TSQL";
        if (select.order_by[i].descending) out_ += " DESC";
      }
    }
    if (!compound && select.cores[0].top) GenLimit(select.cores[0]);
  }

  // TOP n, or TOP n PERCENT: that share of the rows the SELECT yields, rounded up.
  void GenLimit(const SelectCore& core) {
    out_ += " LIMIT ";
    if (!core.top_percent) {
      // A number written out is a count as it stands; anything else may be negative or NULL,
      // which SQL Server refuses and SQLite would read as no limit at all.
      if (core.top->kind == ExprKind::kNumber && !IsMoneyLiteral(core.top->text)) {
        Gen(*core.top);
        return;
      }
      out_ += "tsql_top_count(";
      Gen(*core.top);
      out_ += ')';
      return;
    }
    out_ += "tsql_top_percent(";
    Gen(*core.top);
    out_ += ", (SELECT count(*) FROM (";
    GenCore(core, {});
    out_ += ")))";
  }

  // Expressions that are neither columns nor numbers order and group under the default
  // collation too; columns carry it from their declaration.
  static bool NeedsCollation(const Expr& expr) {
    return expr.kind != ExprKind::kColumn && expr.kind != ExprKind::kNumber &&
           expr.kind != ExprKind::kMarker;
  }

  // `column_types`: of a UNION's columns, which each SELECT's items are converted to.
  void GenCore(const SelectCore& core, const std::vector<SqlType>& column_types,
               const std::vector<std::optional<SqlType>>* store_types = nullptr) {
    CheckGrouping(core);
    out_ += core.distinct ? "SELECT DISTINCT " : "SELECT ";
    for (std::size_t i = 0; i < core.items.size(); ++i) {
      if (i > 0) out_ += ", ";
      const SelectItem& item = core.items[i];
      if (item.star) {
        if (!item.star_qualifier.empty()) {
          AppendQuotedName(out_, item.star_qualifier.back());
          out_ += '.';
        }
        out_ += '*';
        continue;
      }
      if (item.target) {
        GenAssigned(*item.target, *item.expr);
        continue;
      }
      if (item.expr->kind == ExprKind::kIdentity && core.has_into) {
        out_ += "NULL";  // the key SQLite makes for each row
      } else if (store_types && i < store_types->size() && column_types.empty()) {
        GenStored(*item.expr, (*store_types)[i]);
      } else if (i < column_types.size()) {
        GenBranch(*item.expr, column_types[i]);
      } else if (const std::optional<SqlType> stored = StoredFormOf(core, i)) {
        out_ += "tsql_convert('" + stored->Declared() + "', ";
        Gen(*item.expr);
        out_ += ')';
      } else {
        Gen(*item.expr);
      }
      if (core.distinct && NeedsCollation(*item.expr)) out_ += " COLLATE TSQL";
      if (item.has_alias) {
        out_ += " AS ";
        AppendQuotedName(out_, item.alias);
      } else if (item.expr->kind != ExprKind::kColumn) {
        // SQL Server leaves an expression without alias unnamed.
        out_ += " AS \"\"";
      }
    }
    GenFromWhere(core);
    if (!core.group_by.empty()) {
      out_ += " GROUP BY ";
      for (std::size_t i = 0; i < core.group_by.size(); ++i) {
        if (i > 0) out_ += ", ";
        Pin(*core.group_by[i]);
        Gen(*core.group_by[i]);
        if (NeedsCollation(*core.group_by[i])) out_ += " COLLATE TSQL";
      }
    }
    if (core.having) {
      out_ += " HAVING ";
      Gen(*core.having);
    }
  }

  // The type whose stored form item `i` of a SELECT INTO must be converted to: one with a stored
  // form, of an item that is not a plain column. Nothing for other items and other queries.
  std::optional<SqlType> StoredFormOf(const SelectCore& core, std::size_t i) const {
    if (!into_hints_ || !core.has_into || i >= into_hints_->size()) return std::nullopt;
    const SelectItem& item = core.items[i];
    if (item.star || item.expr->kind == ExprKind::kColumn ||
        item.expr->kind == ExprKind::kConvert) {
      return std::nullopt;  // a column as its table stores it; a conversion yields the stored form
    }
    const std::optional<SqlType> type = ParseDeclaredType((*into_hints_)[i].type);
    if (!type || !HasStoredForm(*type)) return std::nullopt;
    return type;
  }

  void GenFromWhere(const SelectCore& core) {
    if (!core.from.empty()) {
      out_ += " FROM ";
      for (std::size_t i = 0; i < core.from.size(); ++i) {
        if (i > 0) out_ += ", ";
        GenTableRef(*core.from[i]);
      }
    }
    if (core.where) {
      out_ += " WHERE ";
      Gen(*core.where);
      NoteProbes(core);
    }
  }

  // A single temporary table filtered by `column = number` (with AND): the column is probed.
  // Only numbers: an index on a text column could change which of two values the collation
  // finds equal a MIN or MAX returns.
  void NoteProbes(const SelectCore& core) {
    if (core.from.size() != 1 || core.from[0]->kind != TableRef::Kind::kTable ||
        !core.from[0]->name.IsTemp()) {
      return;
    }
    const TableRef& table = *core.from[0];
    const std::u16string& qualifier = table.has_alias ? table.alias : table.name.Name();
    const auto constant = [](const Expr& e) { return e.kind == ExprKind::kNumber; };
    const auto column = [&](const Expr& e) -> const std::u16string* {
      if (e.kind != ExprKind::kColumn || e.names.empty() || e.names.size() > 2) return nullptr;
      if (e.names.size() == 2 && !oleaut::EqualsNoCase(e.names[0], qualifier)) return nullptr;
      return &e.names.back();
    };
    std::vector<const Expr*> pending{core.where.get()};
    while (!pending.empty()) {
      const Expr& e = *pending.back();
      pending.pop_back();
      if (e.kind != ExprKind::kBinaryOp || e.args.size() != 2) continue;
      if (e.text == u"AND") {
        pending.push_back(e.args[0].get());
        pending.push_back(e.args[1].get());
      } else if (e.text == u"=") {
        const std::u16string* probed = column(*e.args[0]);
        if (!probed || !constant(*e.args[1]))
          probed = constant(*e.args[0]) ? column(*e.args[1]) : nullptr;
        if (probed) probes_.emplace_back(Utf8(TableName(table.name)), Utf8(*probed));
      }
    }
  }

  // A subquery used as a value must yield at most one row; SQL Server raises when it yields
  // more, where SQLite would take the first. A plain subquery is counted as it is read.
  void GenScalarSubquery(const Select& select) {
    const SelectCore& core = select.cores.front();
    const bool plain = select.cores.size() == 1 && select.order_by.empty() && !core.top &&
                       !core.distinct && core.group_by.empty() && !core.having &&
                       !core.from.empty() && core.items.size() == 1 && !core.items[0].star &&
                       !ContainsAggregate(*core.items[0].expr);
    if (!plain) {
      out_ += '(';
      GenNestedSelect(select);
      out_ += ')';
      return;
    }
    out_ +=
        "(SELECT CASE WHEN count(*) > 1 THEN tsql_raise('Subquery returned more than 1 value. "
        "This is not permitted when the subquery follows =, !=, <, <= , >, >= or when the "
        "subquery is used as an expression.') ELSE min(\"v\") END FROM (SELECT ";
    Gen(*core.items[0].expr);
    out_ += " AS \"v\"";
    GenFromWhere(core);
    out_ += " LIMIT 2))";
  }

  void GenTableRef(const TableRef& ref) {
    switch (ref.kind) {
      case TableRef::Kind::kTable:
        AppendTable(ref.name);
        break;
      case TableRef::Kind::kDerived:
        out_ += '(';
        GenNestedSelect(*ref.select);
        out_ += ')';
        break;
      case TableRef::Kind::kJoin:
        GenTableRef(*ref.left);
        switch (ref.join) {
          case JoinType::kInner:
            out_ += " JOIN ";
            break;
          case JoinType::kLeft:
            out_ += " LEFT JOIN ";
            break;
          case JoinType::kRight:
            out_ += " RIGHT JOIN ";
            break;
          case JoinType::kFull:
            out_ += " FULL JOIN ";
            break;
          case JoinType::kCross:
            out_ += " CROSS JOIN ";
            break;
        }
        if (ref.right->kind == TableRef::Kind::kJoin) {
          out_ += '(';
          GenTableRef(*ref.right);
          out_ += ')';
        } else {
          GenTableRef(*ref.right);
        }
        if (ref.on) {
          out_ += " ON ";
          Gen(*ref.on);
        }
        return;
    }
    if (ref.has_alias) {
      out_ += " AS ";
      AppendQuotedName(out_, ref.alias);
    }
  }

  // ---- expressions ----
  void Gen(const Expr& expr) {
    switch (expr.kind) {
      case ExprKind::kNull:
        out_ += "NULL";
        return;
      case ExprKind::kNumber:
        if (IsMoneyLiteral(expr.text)) {
          // A money constant holds four decimals and money's range.
          out_ += "tsql_convert('money', ";
          GenLiteral(expr);
          out_ += ')';
          return;
        }
        GenLiteral(expr);
        return;
      case ExprKind::kString:
        GenLiteral(expr);
        return;
      case ExprKind::kBinary:
        out_ += "X'";
        if (expr.text.size() % 2 != 0) out_ += '0';
        out_ += Utf8(expr.text);
        out_ += '\'';
        return;
      case ExprKind::kMarker:
        markers_.push_back({BoundMarker::From::kParameter, expr.index});
        out_ += '?';
        out_ += std::to_string(markers_.size());
        return;
      case ExprKind::kColumn:
        GenColumn(expr);
        return;
      case ExprKind::kVariable:
        GenVariable(expr);
        return;
      case ExprKind::kUnary:
        GenUnary(expr);
        return;
      case ExprKind::kBinaryOp:
        GenBinary(expr);
        return;
      case ExprKind::kFunction:
        GenFunction(expr);
        return;
      case ExprKind::kCase:
        GenCase(expr);
        return;
      case ExprKind::kConvert:
        GenConvert(expr);
        return;
      case ExprKind::kSubquery:
        GenScalarSubquery(*expr.select);
        return;
      case ExprKind::kExists:
        out_ += "(EXISTS (";
        GenNestedSelect(*expr.select);
        out_ += "))";
        return;
      case ExprKind::kIn:
        GenIn(expr);
        return;
      case ExprKind::kBetween:
        GenBetween(expr);
        return;
      case ExprKind::kLike:
        GenLike(expr);
        return;
      case ExprKind::kIsNull:
        out_ += '(';
        Gen(*expr.args[0]);
        out_ += expr.negated ? " IS NOT NULL)" : " IS NULL)";
        return;
      case ExprKind::kIdentity:
        RaiseStatementError(expr.pos,
                            u"The IDENTITY function can only be used when the SELECT statement "
                            u"has an INTO clause.");
    }
  }

  // A literal becomes a marker bound to the value the running batch writes there, so that batches
  // that differ only in such values share one translation; one whose value the translation
  // depends on is written into the text, and the cache checks it. So is every literal past the
  // first kMaxBoundLiterals of a statement: SQLite looks numbered markers up one by one (a list
  // of thousands of ids would cost their square) and takes at most 32766 of them, and a
  // statement that long is not sent twice alike anyway.
  static constexpr std::size_t kMaxBoundLiterals = 100;
  void GenLiteral(const Expr& expr) {
    if (bind_literals_ && expr.literal >= 0 && !IsPinned(expr) &&
        markers_.size() < kMaxBoundLiterals) {
      markers_.push_back(
          {BoundMarker::From::kLiteral, static_cast<int>(program_.bound_literals.size())});
      program_.bound_literals.push_back(expr.literal);
      out_ += '?';
      out_ += std::to_string(markers_.size());
      return;
    }
    if (expr.literal >= 0) program_.fixed_literals.push_back({expr.literal, expr.text});
    if (expr.kind == ExprKind::kNumber) {
      const std::u16string_view digits = MoneyDigits(expr.text);
      out_ += digits.empty() ? std::string("0") : Utf8(digits);
    } else {
      AppendStringLiteral(out_, expr.text);
    }
  }

  // The translation depends on the literal's value: it is written into the text.
  void Pin(const Expr& expr) {
    if (expr.literal >= 0) pinned_.push_back(expr.literal);
  }
  bool IsPinned(const Expr& expr) const {
    return std::find(pinned_.begin(), pinned_.end(), expr.literal) != pinned_.end();
  }

  void GenCompared(const Expr& expr, bool collate) {
    Gen(expr);
    if (collate) out_ += " COLLATE TSQL";
  }

  // SQL Server compares a text with a number or a date as a number or a date: the text is
  // converted to the other side's type, so that '057' = 57 and '2024-01-05' equals midnight of
  // that day. The type to convert `side` to, when it needs converting.
  static std::optional<SqlType> ComparedAs(const SqlType& side, const SqlType& other) {
    if (side.IsTime() && other.cls == SqlType::Class::kDate) {
      // A time beside a date-time is that time on 1900-01-01; two times compare at the
      // precision of the finer, whose texts have the same digits.
      if (!other.IsTime()) return SqlType::DateTime();
      if (side.scale < other.scale) return other;
      return std::nullopt;
    }
    if (!side.IsText()) return std::nullopt;
    switch (other.cls) {
      case SqlType::Class::kBit:
      case SqlType::Class::kFloat:
        return other;
      case SqlType::Class::kInteger:
        return other.name == "bigint" ? other : SqlType::Int();
      case SqlType::Class::kDecimal:
        // Widest precision: the text's digits before the point need not fit the other side's.
        return SqlType::Decimal(38, other.scale);
      case SqlType::Class::kDate:
        return other.IsTime() ? other : SqlType::DateTime();
      default:
        return std::nullopt;
    }
  }

  // A value compared with a list (IN, the WHENs of CASE x): a text value takes the type of the
  // first item that is a number or a date; otherwise each item that is a text is converted to
  // the value's type.
  std::optional<SqlType> ListComparedAs(const SqlType& value,
                                        const std::vector<const Expr*>& items) {
    for (const Expr* item : items) {
      if (auto as = ComparedAs(value, TypeOf(*item))) return as;
    }
    return std::nullopt;
  }

  // The value compared with a list: converted, or under the default collation unless it is a
  // column with its own.
  void GenListValue(const Expr& value, const std::optional<SqlType>& value_as) {
    if (value_as) {
      GenAs(value, value_as);
    } else {
      GenCompared(value, !IsBareColumn(value));
    }
  }

  // An item of the list: a text converted to the value's type unless the value was converted.
  void GenListItem(const Expr& item, const SqlType& value, const std::optional<SqlType>& value_as) {
    GenAs(item, value_as ? std::nullopt : ComparedAs(TypeOf(item), value));
  }

  void GenAs(const Expr& expr, const std::optional<SqlType>& type) {
    if (!type) {
      Gen(expr);
      return;
    }
    out_ += "tsql_convert('" + type->Declared() + "', ";
    GenConverted(expr, *type);
    out_ += ')';
  }

  // The value a conversion to `type` starts from: money becomes an integer rounded (1.56 is 2),
  // where other numbers lose their fraction.
  void GenConverted(const Expr& value, const SqlType& type) {
    if (type.cls != SqlType::Class::kInteger || !TypeOf(value).IsMoney()) return Gen(value);
    out_ += "round(";
    Gen(value);
    out_ += ')';
  }

  void GenColumn(const Expr& expr) {
    const auto& names = expr.names;
    // database.schema.table.column and schema.table.column name the table by its own name.
    const std::size_t first = names.size() > 2 ? names.size() - 2 : 0;
    for (std::size_t i = 0; i + 2 < names.size(); ++i) {
      const bool schema = i + 3 == names.size();
      if (names[i].empty() || (schema && oleaut::EqualsNoCase(names[i], u"dbo"))) continue;
      RaiseUnsupported(batch_, expr.pos,
                       schema ? u"A schema other than dbo" : u"A name qualified by a database");
    }
    for (std::size_t i = first; i < names.size(); ++i) {
      if (i > first) out_ += '.';
      AppendQuotedName(out_, names[i]);
    }
  }

  void GenVariable(const Expr& expr) {
    if (IsKeyword(expr.text, u"@@IDENTITY")) {
      out_ += "tsql_identity()";
      return;
    }
    if (IsKeyword(expr.text, u"@@ROWCOUNT")) {
      markers_.push_back({BoundMarker::From::kRowCount, 0});
      out_ += '?';
      out_ += std::to_string(markers_.size());
      return;
    }
    if (expr.text.size() > 1 && expr.text[1] == u'@') {
      RaiseUnsupported(batch_, expr.pos, u"The system function " + expr.text);
    }
    out_ += "tsql_variable(" + std::to_string(expr.index) + ')';
  }

  void GenUnary(const Expr& expr) {
    const std::u16string& op = expr.text;
    if (op == u"+") {
      Gen(*expr.args[0]);
      return;
    }
    out_ += op == u"NOT" ? "(NOT " : op == u"-" ? "(-" : "(~";
    Gen(*expr.args[0]);
    out_ += ')';
  }

  void GenBinary(const Expr& expr) {
    const std::u16string& op = expr.text;
    const Expr& left = *expr.args[0];
    const Expr& right = *expr.args[1];
    if (op == u"AND" || op == u"OR") {
      out_ += '(';
      Gen(left);
      out_ += op == u"AND" ? " AND " : " OR ";
      Gen(right);
      out_ += ')';
      return;
    }
    if (IsComparison(op)) {
      // Two columns or a column and a value compare under the column's declared collation; any
      // other pair under SQL Server's default one.
      const bool collate = !IsBareColumn(left) && !IsBareColumn(right);
      const SqlType lt = TypeOf(left);
      const SqlType rt = TypeOf(right);
      const std::optional<SqlType> left_as = ComparedAs(lt, rt);
      const std::optional<SqlType> right_as = ComparedAs(rt, lt);
      out_ += '(';
      GenAs(left, left_as);
      if (op == u"!=") {
        out_ += " <> ";
      } else if (op == u"!<") {
        out_ += " >= ";
      } else if (op == u"!>") {
        out_ += " <= ";
      } else {
        out_ += ' ' + Utf8(op) + ' ';
      }
      if (right_as) {
        GenAs(right, right_as);
      } else {
        GenCompared(right, collate && !left_as);
      }
      out_ += ')';
      return;
    }
    if (op == u"+") {
      GenFitted(expr, [&] { GenPlus(left, right); });
      return;
    }
    if (op == u"-" || op == u"*" || op == u"/" || op == u"%") {
      GenFitted(expr, [&] { GenArithmetic(expr); });
      return;
    }
    if (op == u"^") {
      // SQLite has no exclusive or; a function evaluates each operand once.
      out_ += "tsql_bitxor(";
      Gen(left);
      out_ += ", ";
      Gen(right);
      out_ += ')';
      return;
    }
    out_ += '(';
    Gen(left);
    out_ += ' ' + Utf8(op) + ' ';
    Gen(right);
    out_ += ')';
  }

  // An expression of an integer type keeps to its type's range, as SQL Server's arithmetic does:
  // SQLite computes in 64 bits, and beyond them in floats.
  // A decimal result is rounded to its own scale at each step, as SQL Server rounds every
  // intermediate result, and fails beyond its precision.
  template <typename Body>
  void GenFitted(const Expr& expr, Body body) {
    const SqlType type = TypeOf(expr);
    // Beyond 28 digits the value is a double's approximation whatever is done to it.
    // Money keeps four decimals and its range, as every money result does.
    if (type.cls == SqlType::Class::kDecimal && (type.IsMoney() || type.precision <= 28)) {
      out_ += "tsql_convert('" + type.Declared() + "', ";
      body();
      out_ += ')';
      return;
    }
    if (type.cls != SqlType::Class::kInteger) return body();
    out_ += "tsql_fit(";
    body();
    out_ += ", '" + type.name + "')";
  }

  // - and * of two numbers are SQLite's; anything else (a text to convert, a type only the data
  // tell, a divisor that may be zero) goes through a function that raises SQL Server's errors.
  void GenArithmetic(const Expr& expr) {
    const std::u16string& op = expr.text;
    const Expr& left = *expr.args[0];
    const Expr& right = *expr.args[1];
    const SqlType lt = TypeOf(left);
    const SqlType rt = TypeOf(right);
    if (op == u"%" && (lt.cls == SqlType::Class::kFloat || rt.cls == SqlType::Class::kFloat)) {
      RaiseStatementError(
          expr.pos, oleaut::FromUtf8("The data types " + lt.Declared() + " and " + rt.Declared() +
                                     " are incompatible in the modulo operator."));
    }
    if (op == u"-" && (lt.cls == SqlType::Class::kDate || rt.cls == SqlType::Class::kDate)) {
      return GenDatePlus(left, right, -1);
    }
    const bool numbers = (lt.IsNumeric() || lt.cls == SqlType::Class::kNull) &&
                         (rt.IsNumeric() || rt.cls == SqlType::Class::kNull);
    if (numbers && (op == u"-" || op == u"*")) {
      out_ += '(';
      Gen(left);
      out_ += ' ' + Utf8(op) + ' ';
      Gen(right);
      out_ += ')';
      return;
    }
    // A quotient of a decimal or float type is not an integer division, whatever form SQLite
    // holds the operands in (3000000001 / 2 is 1500000000.5...).
    const SqlType result = TypeOf(expr);
    const bool real =
        result.cls == SqlType::Class::kDecimal || result.cls == SqlType::Class::kFloat;
    out_ += op == u"-"   ? "tsql_subtract("
            : op == u"*" ? "tsql_multiply("
            : op == u"/" ? (real ? "tsql_divide_real(" : "tsql_divide(")
                         : "tsql_modulo(";
    Gen(left);
    out_ += ", ";
    Gen(right);
    out_ += ')';
  }

  // A datetime plus or minus a number moves by days (the fraction a part of a day); a text on
  // the other side is read as a datetime, as SQL Server converts it.
  void GenDatePlus(const Expr& left, const Expr& right, int sign) {
    const SqlType lt = TypeOf(left);
    const SqlType rt = TypeOf(right);
    if (lt.IsTime() || rt.IsTime()) {
      // Only DATEADD moves a time.
      const SqlType& time = lt.IsTime() ? lt : rt;
      const SqlType& other = lt.IsTime() ? rt : lt;
      RaiseStatementError(
          left.pos,
          oleaut::FromUtf8("Operand type clash: " + time.Declared() + " is incompatible with " +
                           (other.IsKnown() && other.cls != SqlType::Class::kNull
                                ? other.Declared()
                                : std::string("int"))));
    }
    out_ += "tsql_date_plus(";
    Gen(left);
    out_ += ", ";
    Gen(right);
    out_ += sign > 0 ? ", 1)" : ", -1)";
  }

  // + concatenates texts and adds numbers. Where the operands' types are fixed by the text the
  // choice is made here; otherwise tsql_add decides on the values, as SQL Server would on their
  // types.
  void GenPlus(const Expr& left, const Expr& right) {
    const SqlType lt = TypeOf(left);
    const SqlType rt = TypeOf(right);
    if (lt.cls == SqlType::Class::kDate || rt.cls == SqlType::Class::kDate) {
      return GenDatePlus(left, right, 1);
    }
    const bool l_text = lt.IsText() || lt.cls == SqlType::Class::kNull;
    const bool r_text = rt.IsText() || rt.cls == SqlType::Class::kNull;
    const bool l_num = lt.IsNumeric() || lt.cls == SqlType::Class::kNull;
    const bool r_num = rt.IsNumeric() || rt.cls == SqlType::Class::kNull;
    const char* op = nullptr;
    if (l_text && r_text && (lt.IsText() || rt.IsText())) {
      op = " || ";
    } else if (l_num && r_num) {
      op = " + ";
    }
    if (op) {
      out_ += '(';
      Gen(left);
      out_ += op;
      Gen(right);
      out_ += ')';
      return;
    }
    out_ += "tsql_add(";
    Gen(left);
    out_ += ", ";
    Gen(right);
    out_ += ')';
  }

  void GenBetween(const Expr& expr) {
    const SqlType value = TypeOf(*expr.args[0]);
    const std::optional<SqlType> value_as =
        ListComparedAs(value, {expr.args[1].get(), expr.args[2].get()});
    out_ += '(';
    GenListValue(*expr.args[0], value_as);
    out_ += expr.negated ? " NOT BETWEEN " : " BETWEEN ";
    GenListItem(*expr.args[1], value, value_as);
    out_ += " AND ";
    GenListItem(*expr.args[2], value, value_as);
    out_ += ')';
  }

  void GenIn(const Expr& expr) {
    const SqlType value = TypeOf(*expr.args[0]);
    std::vector<const Expr*> items;
    for (std::size_t i = 1; i < expr.args.size(); ++i)
      items.push_back(expr.args[i].get());
    const std::optional<SqlType> value_as = ListComparedAs(value, items);
    out_ += '(';
    GenListValue(*expr.args[0], value_as);
    out_ += expr.negated ? " NOT IN (" : " IN (";
    if (expr.select) {
      GenNestedSelect(*expr.select);
    } else {
      for (std::size_t i = 1; i < expr.args.size(); ++i) {
        if (i > 1) out_ += ", ";
        GenListItem(*expr.args[i], value, value_as);
      }
    }
    out_ += "))";
  }

  // LIKE under the default collation, with SQL Server's [set] wildcards, trailing blanks of the
  // value ignored, and a pattern that may be any expression.
  void GenLike(const Expr& expr) {
    out_ += expr.negated ? "(NOT tsql_like(" : "(tsql_like(";
    Gen(*expr.args[0]);
    out_ += ", ";
    Gen(*expr.args[1]);
    if (expr.args.size() > 2) {
      out_ += ", ";
      Gen(*expr.args[2]);
    }
    out_ += "))";
  }

  void GenCase(const Expr& expr) {
    const SqlType result = TypeOf(expr);
    out_ += "CASE";
    std::size_t i = 0;
    const std::size_t pairs_end = expr.args.size() - (expr.has_else ? 1 : 0);
    std::optional<SqlType> operand_type;
    std::optional<SqlType> operand_as;
    if (expr.has_operand) {
      std::vector<const Expr*> whens;
      for (std::size_t w = 1; w + 1 < pairs_end; w += 2)
        whens.push_back(expr.args[w].get());
      operand_type = TypeOf(*expr.args[0]);
      operand_as = ListComparedAs(*operand_type, whens);
      out_ += ' ';
      GenListValue(*expr.args[0], operand_as);
      i = 1;
    }
    for (; i + 1 < pairs_end; i += 2) {
      out_ += " WHEN ";
      if (operand_type) {
        GenListItem(*expr.args[i], *operand_type, operand_as);
      } else {
        Gen(*expr.args[i]);
      }
      out_ += " THEN ";
      GenBranch(*expr.args[i + 1], result);
    }
    if (expr.has_else) {
      out_ += " ELSE ";
      GenBranch(*expr.args.back(), result);
    }
    out_ += " END";
  }

  void GenConvert(const Expr& expr) {
    const std::optional<SqlType> type = ResolveType(expr.type, true);
    if (!type) RaiseUnsupported(batch_, expr.type.pos, u"Conversion to the type " + expr.type.name);
    out_ += expr.lenient ? "tsql_try_convert('" : "tsql_convert('";
    out_ += type->Declared();
    out_ += "', ";
    const Expr& value = *expr.args[0];
    const SqlType value_type = TypeOf(value);
    if (type->IsText() && value_type.IsMoney() && expr.args.size() > 1) {
      // Money's styles: 0 two decimals, 1 with thousands commas, 2 four decimals.
      out_ += "tsql_money_text(";
      Gen(value);
      out_ += ", ";
      Pin(*expr.args[1]);
      Gen(*expr.args[1]);
      out_ += "))";
      return;
    }
    // A decimal becomes text with every digit of its scale ("1.5000000000"), money with two
    // ("1.50"); a column or a sum arrives as a plain number, so its type is given to it first.
    std::optional<SqlType> value_as;
    if (type->IsText() && value_type.cls == SqlType::Class::kDecimal && expr.args.size() == 1) {
      if (value_type.IsMoney()) {
        value_as = SqlType::Decimal(19, 2);
      } else if (value.kind != ExprKind::kConvert) {
        value_as = value_type;
      }
    }
    if (value_as) {
      GenAs(value, value_as);
    } else {
      GenConverted(value, *type);
    }
    if (expr.args.size() == 1 && type->IsText() && value_type.name == "date") {
      out_ += ", 23";  // a date alone becomes "yyyy-mm-dd"
    } else if (expr.args.size() == 1 && type->IsText() &&
               ((value_type.cls == SqlType::Class::kDate && !value_type.IsTime()) ||
                value_type.cls == SqlType::Class::kFloat)) {
      out_ += ", 0";  // a date-time or a float becomes text in style 0 unless told otherwise
    }
    if (expr.args.size() > 1) {
      out_ += ", ";
      Pin(*expr.args[1]);  // the style decides the form of the result
      Gen(*expr.args[1]);
    }
    out_ += ')';
  }

  void ExpectArgs(const Expr& expr, std::size_t low, std::size_t high) {
    if (expr.star || expr.args.size() < low || expr.args.size() > high) {
      RaiseSyntaxError(batch_, expr.pos,
                       u"the function " + expr.text + u" takes " +
                           oleaut::FromUtf8(std::to_string(low)) +
                           (low == high ? u"" : u" to " + oleaut::FromUtf8(std::to_string(high))) +
                           u" argument(s)");
    }
    if (expr.distinct) RaiseUnsupported(batch_, expr.pos, u"DISTINCT in " + expr.text);
  }

  void GenCall(const char* name, const Expr& expr) {
    out_ += name;
    out_ += '(';
    for (std::size_t i = 0; i < expr.args.size(); ++i) {
      if (i > 0) out_ += ", ";
      Gen(*expr.args[i]);
    }
    out_ += ')';
  }

  struct FunctionMap {
    std::u16string_view tsql;
    const char* sqlite;
    std::size_t low;
    std::size_t high;
  };

  void GenFunction(const Expr& expr) {
    static constexpr FunctionMap kFunctions[] = {
        {u"nullif", "nullif", 2, 2},
        {u"ltrim", "ltrim", 1, 1},
        {u"rtrim", "rtrim", 1, 1},
        {u"upper", "tsql_upper", 1, 1},
        {u"lower", "tsql_lower", 1, 1},
        {u"substring", "tsql_substring", 3, 3},
        {u"left", "tsql_left", 2, 2},
        {u"right", "tsql_right", 2, 2},
        {u"charindex", "tsql_charindex", 2, 3},
        {u"replace", "tsql_replace", 3, 3},
        {u"getdate", "tsql_getdate", 0, 0},
        {u"abs", "abs", 1, 1},
        {u"round", "tsql_round", 2, 3},
        {u"floor", "tsql_floor", 1, 1},
        {u"ceiling", "tsql_ceiling", 1, 1},
        {u"sign", "sign", 1, 1},
        {u"space", "tsql_space", 1, 1},
        {u"replicate", "tsql_replicate", 2, 2},
        {u"ascii", "unicode", 1, 1},
        {u"unicode", "unicode", 1, 1},
        {u"char", "char", 1, 1},
        {u"nchar", "char", 1, 1},
        {u"isnumeric", "tsql_isnumeric", 1, 1},
        {u"isdate", "tsql_isdate", 1, 1},
        {u"datefromparts", "tsql_datefromparts", 3, 3},
        {u"str", "tsql_str", 1, 3},
        {u"stuff", "tsql_stuff", 4, 4},
        {u"patindex", "tsql_patindex", 2, 2},
        {u"reverse", "tsql_reverse", 1, 1},
        {u"concat", "tsql_concat", 2, 254},
        {u"power", "tsql_power", 2, 2},
        {u"year", "tsql_year", 1, 1},
        {u"month", "tsql_month", 1, 1},
        {u"day", "tsql_day", 1, 1},
        {u"scope_identity", "tsql_identity", 0, 0},
    };
    const std::u16string name = LowerAscii(expr.text);
    if (name == u"count" || name == u"sum" || name == u"avg" || name == u"min" || name == u"max") {
      GenAggregate(name, expr);
      return;
    }
    if (name == u"count_big") {
      GenAggregate(u"count", expr);
      return;
    }
    if (name == u"iif" || name == u"choose") {
      GenChoice(name, expr);
      return;
    }
    if (name == u"square") {
      ExpectArgs(expr, 1, 1);
      out_ += "tsql_power(CAST(";
      Gen(*expr.args[0]);
      out_ += " AS REAL), 2)";
      return;
    }
    if (name == u"quotename") {
      GenQuoteName(expr);
      return;
    }
    if (name == u"object_id") {
      GenObjectId(expr);
      return;
    }
    if (name == u"isnull") {
      GenIsNull(expr);
      return;
    }
    if (name == u"len" || name == u"datalength") {
      GenLength(name, expr);
      return;
    }
    if (name == u"dateadd" || name == u"datediff" || name == u"datepart" || name == u"datename") {
      GenDateFunction(name, expr);
      return;
    }
    if (name == u"coalesce") {
      ExpectArgs(expr, 2, 100);
      const SqlType result = TypeOf(expr);
      out_ += "coalesce(";
      for (std::size_t i = 0; i < expr.args.size(); ++i) {
        if (i > 0) out_ += ", ";
        GenBranch(*expr.args[i], result);
      }
      out_ += ')';
      return;
    }
    for (const FunctionMap& f : kFunctions) {
      if (f.tsql != name) continue;
      ExpectArgs(expr, f.low, f.high);
      if (name == u"round") {
        // ROUND keeps its argument's type: 999.5 in decimal(4,1) rounds out of it.
        GenFitted(expr, [&] { GenCall(f.sqlite, expr); });
        return;
      }
      GenCall(f.sqlite, expr);
      return;
    }
    RaiseUnsupported(batch_, expr.pos, u"The function " + expr.text);
  }

  void GenAggregate(const std::u16string& name, const Expr& expr) {
    const std::size_t start = out_.size();
    out_ += Utf8(name);
    out_ += '(';
    if (expr.star) {
      if (name != u"count") RaiseSyntaxError(batch_, expr.pos, u"only COUNT takes *");
      out_ += "*)";
      return;
    }
    if (expr.args.size() != 1) {
      RaiseSyntaxError(batch_, expr.pos, u"the aggregate " + expr.text + u" takes one argument");
    }
    if (expr.distinct) out_ += "DISTINCT ";
    Gen(*expr.args[0]);
    if (expr.distinct && NeedsCollation(*expr.args[0])) out_ += " COLLATE TSQL";
    out_ += ')';
    // The average of integers is an integer on SQL Server, its fraction dropped.
    if (name == u"avg" && TypeOf(*expr.args[0]).cls == SqlType::Class::kInteger) {
      out_.insert(start, "CAST(");
      out_ += " AS INTEGER)";
    }
    if (name == u"sum" && TypeOf(expr).cls == SqlType::Class::kInteger) {
      out_.insert(start, "tsql_fit(");
      out_ += ", '" + TypeOf(expr).name + "')";
    }
  }

  // DATEADD(day, 1, d) and the others: the part is a word, not a value; its abbreviations are
  // read here.
  void GenDateFunction(const std::u16string& name, const Expr& expr) {
    const bool two = name == u"datepart" || name == u"datename";
    ExpectArgs(expr, two ? 2 : 3, two ? 2 : 3);
    const Expr& part = *expr.args[0];
    static constexpr std::pair<std::u16string_view, const char*> kParts[] = {
        {u"year", "year"},       {u"yy", "year"},
        {u"yyyy", "year"},       {u"quarter", "quarter"},
        {u"qq", "quarter"},      {u"q", "quarter"},
        {u"month", "month"},     {u"mm", "month"},
        {u"m", "month"},         {u"dayofyear", "dayofyear"},
        {u"dy", "dayofyear"},    {u"y", "dayofyear"},
        {u"day", "day"},         {u"dd", "day"},
        {u"d", "day"},           {u"week", "week"},
        {u"wk", "week"},         {u"ww", "week"},
        {u"weekday", "weekday"}, {u"dw", "weekday"},
        {u"w", "weekday"},       {u"hour", "hour"},
        {u"hh", "hour"},         {u"minute", "minute"},
        {u"mi", "minute"},       {u"n", "minute"},
        {u"second", "second"},   {u"ss", "second"},
        {u"s", "second"},        {u"millisecond", "millisecond"},
        {u"ms", "millisecond"},
    };
    const char* canonical = nullptr;
    if (part.kind == ExprKind::kColumn && part.names.size() == 1) {
      const std::u16string word = LowerAscii(part.names[0]);
      for (const auto& [written, known] : kParts) {
        if (word == written) canonical = known;
      }
    }
    if (!canonical) {
      RaiseStatementError(part.pos, u"'" + (part.names.empty() ? part.text : part.names.back()) +
                                        u"' is not a recognized datepart option.");
    }
    // DATEADD of a time is a time, which goes round the clock.
    const SqlType moved = name == u"dateadd" ? TypeOf(*expr.args[2]) : SqlType::Unknown();
    if (moved.IsTime()) out_ += "tsql_convert('" + moved.Declared() + "', ";
    out_ += "tsql_" + Utf8(name) + "('" + canonical + "'";
    for (std::size_t i = 1; i < expr.args.size(); ++i) {
      out_ += ", ";
      Gen(*expr.args[i]);
    }
    out_ += ')';
    if (moved.IsTime()) out_ += ')';
  }

  // LEN of a number counts the characters of its text as SQL Server writes it (12.50 has five),
  // DATALENGTH of a national text two bytes a character.
  void GenLength(const std::u16string& name, const Expr& expr) {
    ExpectArgs(expr, 1, 1);
    const Expr& value = *expr.args[0];
    const SqlType type = TypeOf(value);
    if (name == u"datalength") {
      out_ += "tsql_datalength(";
      Gen(value);
      out_ += type.IsText() && type.name[0] == 'n' ? ", 1)" : ", 0)";
      return;
    }
    out_ += "tsql_len(";
    if (type.cls == SqlType::Class::kFloat || type.cls == SqlType::Class::kDecimal) {
      out_ += "tsql_convert('varchar(8000)', ";
      GenAs(value, type.cls == SqlType::Class::kDecimal && !type.IsMoney() &&
                           value.kind != ExprKind::kConvert
                       ? std::optional<SqlType>(type)
                       : std::nullopt);
      out_ += type.cls == SqlType::Class::kFloat ? ", 0))" : "))";
      return;
    }
    Gen(value);
    out_ += ')';
  }

  // IIF(c, a, b) and CHOOSE(i, a, b, ...) are CASE in other words; their branches take the
  // highest type, as CASE's do.
  void GenChoice(const std::u16string& name, const Expr& expr) {
    const bool iif = name == u"iif";
    ExpectArgs(expr, iif ? 3 : 2, iif ? 3 : 255);
    const SqlType result = TypeOf(expr);
    out_ += iif ? "CASE WHEN " : "CASE ";
    Gen(*expr.args[0]);
    for (std::size_t i = 1; i < expr.args.size(); ++i) {
      if (iif) {
        out_ += i == 1 ? " THEN " : " ELSE ";
      } else {
        out_ += " WHEN " + std::to_string(i) + " THEN ";
      }
      GenBranch(*expr.args[i], result);
    }
    out_ += " END";
  }

  // QUOTENAME(s [, q]): s between [ ] (or the quote given) with the closing one doubled; NULL
  // for a name longer than 128 characters, as SQL Server gives.
  void GenQuoteName(const Expr& expr) {
    ExpectArgs(expr, 1, 2);
    std::u16string open = u"[";
    if (expr.args.size() > 1) {
      const Expr& quote = *expr.args[1];
      if (quote.kind != ExprKind::kString || quote.text.size() != 1) {
        RaiseUnsupported(batch_, quote.pos,
                         u"QUOTENAME with a quote that is not a literal character");
      }
      open = quote.text;
    }
    const std::u16string close = open == u"["   ? u"]"
                                 : open == u"(" ? u")"
                                 : open == u"<" ? u">"
                                 : open == u"{" ? u"}"
                                                : open;
    if (close != u"]" && close != u"'" && close != u"\"" && close != u")" && close != u">" &&
        close != u"}" && close != u"`") {
      out_ += "NULL";
      return;
    }
    out_ += "(SELECT CASE WHEN length(v) > 128 THEN NULL ELSE ";
    AppendStringLiteral(out_, open);
    out_ += " || replace(v, ";
    AppendStringLiteral(out_, close);
    out_ += ", ";
    AppendStringLiteral(out_, close + close);
    out_ += ") || ";
    AppendStringLiteral(out_, close);
    out_ += " END FROM (SELECT ";
    Gen(*expr.args[0]);
    out_ += " AS v))";
  }

  // ISNULL has its first argument's type: the second is converted to it, cut to its length
  // (isnull(FName, 'longer') keeps FName's length) or to its number ('' beside an int is 0).
  void GenIsNull(const Expr& expr) {
    ExpectArgs(expr, 2, 2);
    const SqlType first = TypeOf(*expr.args[0]);
    const SqlType second = TypeOf(*expr.args[1]);
    const bool longer =
        first.IsText() && first.length >= 0 && (second.length < 0 || second.length > first.length);
    const bool convert = first.IsKnown() && first.cls != SqlType::Class::kNull &&
                         second.IsKnown() && second.cls != SqlType::Class::kNull &&
                         (first.cls != second.cls || (second.IsText() && longer));
    out_ += "ifnull(";
    Gen(*expr.args[0]);
    out_ += ", ";
    GenAs(*expr.args[1], convert ? std::optional<SqlType>(first) : std::nullopt);
    out_ += ')';
  }

  // object_id('tempdb..#name') finds the connection's temporary table, object_id('name') a
  // permanent object; the answer is an id or NULL, as on SQL Server.
  void GenObjectId(const Expr& expr) {
    ExpectArgs(expr, 1, 2);
    const Expr& arg = *expr.args[0];
    if (arg.kind != ExprKind::kString) {
      RaiseUnsupported(batch_, arg.pos, u"object_id of a name that is not a literal");
    }
    std::vector<std::u16string> parts{std::u16string()};
    for (char16_t c : arg.text) {
      if (c == u'.') {
        parts.emplace_back();
      } else if (c != u'[' && c != u']' && c != u'"') {
        parts.back() += c;
      }
    }
    const std::u16string& own = parts.back();
    const bool in_tempdb = parts.size() >= 3 && oleaut::EqualsNoCase(parts[0], u"tempdb");
    const bool temp_name = !own.empty() && own[0] == u'#';
    if (own.empty() || parts.size() > 3 || temp_name != in_tempdb ||
        (!temp_name && tables_.IsEngineTable(own))) {
      // A temporary table is only found through tempdb, a permanent object only outside it; SQL
      // Server has none of SQLite's own tables.
      out_ += "NULL";
      return;
    }
    out_ += temp_name ? "(SELECT rowid FROM temp.sqlite_master WHERE name = "
                      : "(SELECT rowid FROM main.sqlite_master WHERE name = ";
    AppendStringLiteral(out_, own);
    out_ += " COLLATE NOCASE AND type IN ('table', 'view', 'index', 'trigger'))";
  }

  SqlType TypeOf(const Expr& expr) { return typer_.TypeOf(expr); }

  std::u16string_view batch_;
  BatchSchema tables_;
  Typer typer_;
  std::shared_ptr<const TableColumns> query_columns_;  // of the statement being generated
  Program program_;
  std::vector<std::pair<std::string, std::string>> probes_;  // of the statement being generated
  const std::vector<ResultHint>* into_hints_ = nullptr;      // of the SELECT ... INTO generated
  const Statement* next_ = nullptr;  // the statement after the one being generated, if any
  const Statement* current_ = nullptr;
  std::string out_;
  std::vector<BoundMarker> markers_;
  bool bind_literals_ = true;
  std::vector<int> pinned_;  // literals whose values the translation depends on
  const std::vector<std::optional<SqlType>>* store_types_ = nullptr;
};

}  // namespace

Program Generate(std::u16string_view batch, const ParsedBatch& parsed, Schema* schema) {
  return Generator(batch, parsed, schema).Run(parsed);
}

}  // namespace tsql
