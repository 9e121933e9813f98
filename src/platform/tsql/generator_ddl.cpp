// Tables, their columns and constraints, indexes, ALTER and TRUNCATE: the statements that
// change the schema, with the triggers and sequence entries that keep SQL Server's storage rules.
#include <algorithm>

#include "platform/tsql/engine_names.h"
#include "platform/tsql/errors.h"
#include "platform/tsql/generator_internal.h"
#include "platform/tsql/unique_keys.h"

namespace tsql::generation {

void Generator::Generate(const CreateTableStmt& create, std::vector<Node>& nodes) {
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
    if (column.unique && !column.primary_key) {
      GenSchemaStatements(UniqueNullTriggers({TableName(create.table), {}, {column.name}}),
                          create.table.IsTemp(), nodes);
    }
  }
  for (const TableConstraint& constraint : create.constraints) {
    if (constraint.kind != TableConstraint::Kind::kUnique) continue;
    GenSchemaStatements(
        UniqueNullTriggers({TableName(create.table), constraint.name, constraint.columns}),
        create.table.IsTemp(), nodes);
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
void Generator::GenColumnDef(const ColumnDef& column) {
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

void Generator::CheckIdentityType(const SqlType& type, std::u16string_view column, SourcePos pos) {
  if (type.cls != SqlType::Class::kInteger &&
      (type.cls != SqlType::Class::kDecimal || type.IsMoney() || type.scale != 0)) {
    RaiseStatementError(pos, u"Identity column '" + std::u16string(column) +
                                 u"' must be of data type int, bigint, smallint, tinyint, or "
                                 u"decimal or numeric with a scale of 0, and constrained to be "
                                 u"nonnullable.");
  }
}

// SQLite numbers a key from one past the sequence table's entry, and never below 1.
void Generator::CheckIdentitySeed(std::int64_t seed, SourcePos pos) {
  if (seed < 1) RaiseUnsupported(batch_, pos, u"An identity seed below 1");
}

void Generator::GenTableConstraint(const TableConstraint& constraint, const ColumnDef* identity) {
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

void Generator::GenNormalizingTriggers(const ObjectName& table, const std::u16string& column,
                                       const SqlType& type, std::vector<Node>& nodes) {
  GenSchemaStatements(NormalizingTriggers(TableName(table), column, type), table.IsTemp(), nodes);
}

// Statements of the schema made whole for the statement being generated (triggers, drops).
void Generator::GenSchemaStatements(std::vector<std::string> statements, bool temp,
                                    std::vector<Node>& nodes) {
  for (std::string& sql : statements) {
    SqlStatement s = Begin(StatementKind::kDdl, temp);
    out_ = std::move(sql);
    Finish(s, nodes);
  }
}

void Generator::AppendNameList(const std::vector<std::u16string>& names) {
  if (names.empty()) return;
  out_ += " (";
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) out_ += ", ";
    AppendQuotedName(out_, names[i]);
  }
  out_ += ')';
}

SqlType Generator::ColumnType(const TypeName& name) {
  std::optional<SqlType> type = ResolveType(name, false);
  if (!type) RaiseUnsupported(batch_, name.pos, u"The data type " + name.name);
  return *type;
}

void Generator::Generate(const DropTableStmt& drop, std::vector<Node>& nodes) {
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
std::u16string Generator::IndexName(const ObjectName& table, std::u16string_view index) {
  return TableName(table) + u"$" + std::u16string(index);
}

void Generator::Generate(const CreateIndexStmt& create, std::vector<Node>& nodes) {
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
  if (!create.unique) return;
  std::vector<std::u16string> columns;
  for (const auto& [column, descending] : create.columns)
    columns.push_back(column);
  GenSchemaStatements(
      UniqueNullTriggers({TableName(create.table), create.name, std::move(columns), true}),
      create.table.IsTemp(), nodes);
}

void Generator::Generate(const DropIndexStmt& drop, std::vector<Node>& nodes) {
  for (const auto& [table, index] : drop.indexes) {
    SqlStatement s = Begin(StatementKind::kDdl, table.IsTemp());
    out_ += "DROP INDEX ";
    AppendQuotedName(out_, IndexName(table, index));
    Finish(s, nodes);
    GenSchemaStatements(DropUniqueNullTriggers(TableName(table), index), table.IsTemp(), nodes);
  }
}

// Whether the statement after `alter` is an UPDATE of the same table, without WHERE, that sets
// the altered column to a constant (summary printing widens a column and then writes one text
// into every row).
bool Generator::NextReplacesEveryValue(const AlterColumnStmt& alter) const {
  const auto* update = next_ ? std::get_if<UpdateStmt>(&next_->body) : nullptr;
  if (!update || update->where || !update->from.empty() ||
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

void Generator::Generate(const AlterColumnStmt& alter, std::vector<Node>& nodes) {
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

void Generator::Generate(const AddColumnsStmt& add, std::vector<Node>& nodes) {
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

void Generator::Generate(const TruncateStmt& truncate, std::vector<Node>& nodes) {
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

}  // namespace tsql::generation
