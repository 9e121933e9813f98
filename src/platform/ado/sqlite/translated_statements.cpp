#include "platform/ado/sqlite/translated_statements.h"

#include <fmt/format.h>

#include <algorithm>

#include "platform/ado/sql_trace.h"
#include "platform/ado/sqlite/engine.h"
#include "platform/oleaut/text.h"
#include "platform/tsql/shape.h"

namespace ado::sqlite {

std::string LowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

StatementRunner::BatchScope::BatchScope(StatementRunner& runner, std::u16string_view batch,
                                        std::u16string_view provider,
                                        std::span<const ParameterValue> parameters,
                                        ExecuteResult& result)
    : runner_(runner), batch_(batch), provider_(provider) {
  runner_.batch_ = batch;
  runner_.parameters_ = parameters;
  runner_.result_ = &result;
  runner_.as_run_ = SqlTraceActive() ? &as_run_ : nullptr;
}

StatementRunner::BatchScope::~BatchScope() {
  const bool traced = runner_.as_run_ != nullptr;
  runner_.batch_ = {};
  runner_.translation_ = {};
  runner_.parameters_ = {};
  runner_.result_ = nullptr;
  runner_.as_run_ = nullptr;
  if (traced) TraceSql({std::u16string(batch_), std::move(as_run_), std::u16string(provider_)});
}

void StatementRunner::NoteRun(std::string_view sql) {
  if (!as_run_) return;
  *as_run_ += sql;
  *as_run_ += '\n';
}

void StatementRunner::NoteRun(const tsql::SqlStatement& statement) {
  if (as_run_) NoteRun(tsql::WithLiteralsShown(statement, *translation_.binding));
}

void StatementRunner::Execute(const tsql::SqlStatement& statement) {
  using Kind = tsql::StatementKind;
  switch (statement.kind) {
    case Kind::kQuery:
      return RunQuery(statement);
    case Kind::kSelectInto:
      return RunSelectInto(statement);
    case Kind::kAlterColumn:
      return RunAlterColumn(statement);
    case Kind::kCommand:
    case Kind::kInsert:
    case Kind::kDdl:
      return RunCommand(statement);
  }
}

std::vector<const tsql::ResultHint*> MatchHints(const std::vector<tsql::ResultHint>& hints,
                                                int column_count) {
  std::vector<const tsql::ResultHint*> matched(static_cast<std::size_t>(column_count), nullptr);
  std::size_t front = 0;
  while (front < hints.size() && !hints[front].star && front < matched.size()) {
    matched[front] = &hints[front];
    ++front;
  }
  if (front == hints.size()) return matched;
  std::size_t back = 0;
  while (back < hints.size() - front && !hints[hints.size() - 1 - back].star &&
         back < matched.size() - front) {
    matched[matched.size() - 1 - back] = &hints[hints.size() - 1 - back];
    ++back;
  }
  return matched;
}

std::vector<std::string> SelectIntoStatements(const tsql::SqlStatement& statement,
                                              const std::vector<DescribedColumn>& columns,
                                              const RaiseFunction& raise) {
  std::string create = statement.target_temp ? "CREATE TEMP TABLE " : "CREATE TABLE ";
  create += tsql::QuoteName(statement.target) + " (";
  std::vector<std::pair<std::u16string, tsql::SqlType>> typed;
  const std::vector<const tsql::ResultHint*> hints =
      MatchHints(statement.columns, static_cast<int>(columns.size()));
  for (std::size_t i = 0; i < columns.size(); ++i) {
    const std::u16string& name = columns[i].name;
    if (name.empty()) {
      raise(kErrorsInCommand,
            "An object or column name is missing or empty. For SELECT INTO statements, verify "
            "each column has a name");
    }
    for (std::size_t j = 0; j < i; ++j) {
      if (oleaut::EqualsNoCase(columns[j].name, name)) {
        raise(kErrorsInCommand,
              fmt::format("Column names in each table must be unique. Column name '{}' in table "
                          "'{}' is specified more than once",
                          oleaut::ToUtf8(name), statement.target));
      }
    }
    std::optional<tsql::SqlType> type;
    if (hints[i] && !hints[i]->type.empty()) type = tsql::ParseDeclaredType(hints[i]->type);
    if (!type) type = columns[i].declared;
    if (i > 0) create += ", ";
    create += tsql::QuoteName(oleaut::ToUtf8(name));
    if (type) {
      create += tsql::ColumnClauses(name, *type, false);
      typed.emplace_back(name, *type);
    }
  }
  create += ')';
  std::vector<std::string> statements{std::move(create)};
  const std::u16string target = oleaut::FromUtf8(statement.target);
  for (const auto& [name, type] : typed) {
    for (std::string& trigger : tsql::NormalizingTriggers(target, name, type)) {
      statements.push_back(std::move(trigger));
    }
  }
  statements.push_back("INSERT INTO " + tsql::QuoteName(statement.target) + " " + statement.sql);
  return statements;
}

std::string TableInfoQuery(const tsql::SqlStatement& statement) {
  return "PRAGMA temp.table_info(" + tsql::QuoteName(statement.target) + ")";
}

std::vector<std::string> AlterColumnStatements(const tsql::SqlStatement& statement,
                                               const std::vector<TableInfoColumn>& columns,
                                               bool autoincrement, const RaiseFunction& raise) {
  if (columns.empty()) {
    raise(kNoTable,
          fmt::format("Cannot find the object \"{}\" because it does not exist", statement.target));
  }
  const auto altered = std::find_if(columns.begin(), columns.end(), [&](const TableInfoColumn& c) {
    return LowerAscii(c.name) == LowerAscii(statement.column);
  });
  if (altered == columns.end()) {
    raise(kErrorsInCommand, fmt::format("Invalid column name '{}' in table '{}'", statement.column,
                                        statement.target));
  }
  const std::optional<tsql::SqlType> new_type = tsql::ParseDeclaredType(statement.column_type);
  if (!new_type) raise(kErrorsInCommand, "Unknown type " + statement.column_type);
  const std::string table = tsql::QuoteName(statement.target);
  const std::string rebuilt = tsql::QuoteName(statement.target + "$rebuild");
  std::string create = "CREATE TEMP TABLE " + rebuilt + " (";
  std::string copy = "INSERT INTO " + rebuilt + " SELECT ";
  std::vector<std::string> keys;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    const TableInfoColumn& c = columns[i];
    const std::u16string name16 = oleaut::FromUtf8(c.name);
    if (i > 0) {
      create += ", ";
      copy += ", ";
    }
    create += tsql::QuoteName(c.name);
    if (&c == &*altered) {
      create += tsql::ColumnClauses(name16, *new_type, statement.column_not_null);
      // A decimal column converts with every digit of its scale, as SQL Server prints it.
      const auto old_type = tsql::ParseDeclaredType(c.type);
      std::string value = tsql::QuoteName(c.name);
      if (old_type && old_type->cls == tsql::SqlType::Class::kDecimal) {
        value = "tsql_convert('" + old_type->Declared() + "', " + value + ")";
      }
      copy += "tsql_convert('" + new_type->Declared() + "', " + value + ")";
    } else {
      copy += tsql::QuoteName(c.name);
      if (c.key == 1 && autoincrement) {
        create += " INTEGER PRIMARY KEY AUTOINCREMENT";
        continue;
      }
      if (const auto type = tsql::ParseDeclaredType(c.type)) {
        create += tsql::ColumnClauses(name16, *type, c.not_null);
      } else {
        create += " " + c.type + (c.not_null ? " NOT NULL" : "");
      }
    }
    if (!c.default_value.empty()) create += " DEFAULT (" + c.default_value + ")";
    if (c.key > 0) keys.push_back(tsql::QuoteName(c.name));
  }
  if (!keys.empty() && !autoincrement) {
    create += ", PRIMARY KEY (";
    for (std::size_t i = 0; i < keys.size(); ++i)
      create += (i > 0 ? ", " : "") + keys[i];
    create += ')';
  }
  create += ')';
  copy += " FROM " + table;
  std::vector<std::string> statements{create, copy, "DROP TABLE temp." + table,
                                      "ALTER TABLE temp." + rebuilt + " RENAME TO " + table};
  // The triggers went with the table dropped: the table built again gets its own.
  const std::u16string target = oleaut::FromUtf8(statement.target);
  for (const TableInfoColumn& c : columns) {
    const auto type = &c == &*altered ? new_type : tsql::ParseDeclaredType(c.type);
    if (!type) continue;
    for (std::string& trigger :
         tsql::NormalizingTriggers(target, oleaut::FromUtf8(c.name), *type)) {
      statements.push_back(std::move(trigger));
    }
  }
  return statements;
}

const char* TableDefinitionQuery(bool temp) {
  return temp ? "SELECT sql FROM temp.sqlite_master WHERE type = 'table' AND name = ?1 COLLATE "
                "NOCASE"
              : "SELECT sql FROM main.sqlite_master WHERE type = 'table' AND name = ?1 COLLATE "
                "NOCASE";
}

bool DeclaresIdentity(std::string_view create_table) {
  return LowerAscii(create_table).find("autoincrement") != std::string::npos;
}

}  // namespace ado::sqlite
