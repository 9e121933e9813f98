#include "platform/ado/sqlite/translated_statements.h"

#include <fmt/format.h>

#include <algorithm>

#include "platform/ado/sql_trace.h"
#include "platform/ado/sqlite/engine.h"
#include "platform/oleaut/text.h"
#include "platform/tsql/errors.h"
#include "platform/tsql/identity.h"
#include "platform/tsql/shape.h"

namespace ado::sqlite {

std::string LowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

void StatementRunner::IndexProbedColumns(const tsql::SqlStatement& statement) {
  for (const auto& [table, column] : statement.probes) {
    if (!probe_indexes_.insert(LowerAscii(table + '\0' + column)).second) continue;
    RunOptional("CREATE INDEX IF NOT EXISTS temp." + tsql::QuoteName(table + "$probe$" + column) +
                " ON " + tsql::QuoteName(table) + " (" + tsql::QuoteName(column) + ")");
  }
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
  runner_.deferred_.reset();
}

StatementRunner::BatchScope::~BatchScope() {
  const bool traced = runner_.as_run_ != nullptr;
  runner_.batch_ = {};
  runner_.translation_ = {};
  runner_.parameters_ = {};
  runner_.result_ = nullptr;
  runner_.as_run_ = nullptr;
  runner_.deferred_.reset();
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
  try {
    RunStatement(statement);
  } catch (const oleaut::ComError& error) {
    if (ScopeOfFailure(error) != FailureScope::kStatement) throw;
    Defer(error);
  }
}

std::optional<bool> StatementRunner::Test(const tsql::SqlStatement& condition) {
  std::optional<bool> chosen;
  try {
    IndexProbedColumns(condition);
    chosen = TestCondition(condition);
  } catch (const oleaut::ComError& error) {
    if (ScopeOfFailure(error) != FailureScope::kStatement) throw;
    Defer(error);
  }
  if (condition.row_count != tsql::RowCountEffect::kKept) row_count_ = 0;
  return chosen;
}

void StatementRunner::Defer(const oleaut::ComError& error) {
  if (!deferred_) deferred_ = error;
  row_count_ = 0;
}

void StatementRunner::RaiseDeferredFailure() {
  if (!deferred_) return;
  const oleaut::ComError error = *std::move(deferred_);
  deferred_.reset();
  throw error;
}

void StatementRunner::RunStatement(const tsql::SqlStatement& statement) {
  using Kind = tsql::StatementKind;
  IndexProbedColumns(statement);
  // A table dropped or made again has lost the indexes made for it.
  if (statement.kind != Kind::kQuery && statement.kind != Kind::kCommand &&
      statement.kind != Kind::kInsert && statement.kind != Kind::kAssign &&
      statement.kind != Kind::kSessionOption) {
    ForgetProbeIndexes();
  }
  std::int64_t rows = 0;
  switch (statement.kind) {
    case Kind::kQuery:
      rows = RunQuery(statement);
      break;
    case Kind::kSelectInto:
      // One statement to SQL Server: a failure leaves no table behind.
      RunAsOne("tsql_select_into", [&] { rows = RunSelectInto(statement); });
      break;
    case Kind::kAlterColumn:
      RunAlterColumn(statement);
      break;
    case Kind::kInsert:
      CheckIdentityValues(statement);
      rows = RunCommand(statement);
      break;
    case Kind::kCommand:
    case Kind::kDdl:
      rows = RunCommand(statement);
      break;
    case Kind::kAssign:
      rows = RunToEnd(statement);
      break;
    case Kind::kSessionOption:
      SetIdentityInsert(statement);
      break;
    case Kind::kSteps:
      rows = RunSteps(statement);
      break;
  }
  switch (statement.row_count) {
    case tsql::RowCountEffect::kCounted:
      row_count_ = statement.kind == Kind::kDdl ? 0 : rows;
      break;
    case tsql::RowCountEffect::kZero:
      row_count_ = 0;
      break;
    case tsql::RowCountEffect::kKept:
      break;
  }
}

// MERGE, or a change with OUTPUT, is one statement to SQL Server: its steps change all or
// nothing, it counts the rows its changes touched, and its OUTPUT rows are its result.
std::int64_t StatementRunner::RunSteps(const tsql::SqlStatement& statement) {
  using Kind = tsql::StatementKind;
  std::int64_t rows = 0;
  RunAsOne("tsql_steps", [&] {
    for (const tsql::SqlStatement& step : statement.steps) {
      if (step.kind == Kind::kQuery) {
        if (step.columns.empty()) {
          RunToEnd(step);
        } else {
          RunQuery(step);
        }
        continue;
      }
      if (step.kind == Kind::kInsert) CheckIdentityValues(step);
      const std::int64_t changed = RunCommand(step);
      if (step.row_count == tsql::RowCountEffect::kCounted) rows += changed;
    }
  });
  result_->records_affected = rows;
  return rows;
}

// Runs `body` inside a savepoint of that name: all it changed is undone when it fails.
void StatementRunner::RunAsOne(const std::string& savepoint, const std::function<void()>& body) {
  RunInternal(("SAVEPOINT " + savepoint).c_str());
  try {
    body();
  } catch (...) {
    try {
      RunInternal(("ROLLBACK TO " + savepoint).c_str());
      RunInternal(("RELEASE " + savepoint).c_str());
    } catch (...) {  // NOLINT(bugprone-empty-catch): the first failure is what the caller sees
    }
    throw;
  }
  RunInternal(("RELEASE " + savepoint).c_str());
}

// SQLite writes any value into an identity key; SQL Server only while IDENTITY_INSERT is on for
// the table, and then only explicit ones.
void StatementRunner::CheckIdentityValues(const tsql::SqlStatement& statement) {
  if (statement.identity_values == tsql::IdentityValues::kNoIdentity) return;
  const bool on =
      identity_insert_key_ == (statement.target_temp ? "t:" : "m:") + LowerAscii(statement.target);
  if (statement.identity_values == tsql::IdentityValues::kExplicit && !on) {
    RaiseFor(statement)(kErrorsInCommand,
                        fmt::format("Cannot insert explicit value for identity column in table "
                                    "'{}' when IDENTITY_INSERT is set to OFF.",
                                    statement.target));
  }
  if (statement.identity_values == tsql::IdentityValues::kGenerated && on) {
    RaiseFor(statement)(kErrorsInCommand,
                        fmt::format("Explicit value must be specified for identity column in "
                                    "table '{}' either when IDENTITY_INSERT is set to ON or when "
                                    "a replication user is inserting into a NOT FOR REPLICATION "
                                    "identity column.",
                                    statement.target));
  }
}

void StatementRunner::SetIdentityInsert(const tsql::SqlStatement& statement) {
  if (statement.target.empty()) return;  // SET NOCOUNT
  const std::string key = (statement.target_temp ? "t:" : "m:") + LowerAscii(statement.target);
  if (!statement.identity_insert_on) {
    if (identity_insert_key_ == key) identity_insert_key_.clear();
    return;
  }
  if (!identity_insert_key_.empty() && identity_insert_key_ != key) {
    RaiseFor(statement)(kErrorsInCommand,
                        fmt::format("IDENTITY_INSERT is already ON for table '{}'. Cannot perform "
                                    "SET operation for table '{}'.",
                                    identity_insert_name_, statement.target));
  }
  identity_insert_key_ = key;
  identity_insert_name_ = statement.target;
}

FailureScope ScopeOfFailure(const oleaut::ComError& error) {
  // A batch the translator refuses never ran; its message may quote anything.
  if (error.Source() == tsql::kErrorSource) return FailureScope::kBatch;
  // The engine's message comes first; the statement quoted after it may say anything.
  const std::u16string& description = error.Description();
  const std::u16string_view message =
      std::u16string_view(description).substr(0, description.find(u" while running \""));
  static constexpr std::u16string_view kEndsStatement[] = {
      u"Divide by zero error encountered",
      u"Arithmetic overflow error",
      u"Error converting data type",
      u"String or binary data would be truncated",
      u"Subquery returned more than 1 value",
      u"Adding a value to a 'datetime' column caused an overflow",
      u"data type resulted in an out-of-range value",
      u"Cannot construct data type",
      u"Percent values must be between 0 and 100",
      u"A TOP N or FETCH rows count value may not be negative",
      u"specified in a OFFSET clause may not be negative",
      u"provided for a FETCH clause must be greater then zero",
      u"The maximum recursion",
      u"An invalid floating point operation occurred",
      u"Cannot insert explicit value for identity column",
      u"Explicit value must be specified for identity column",
      u"IDENTITY_INSERT is already ON",
      u"constraint failed",
      u"Violation of UNIQUE KEY constraint",
      u"Cannot insert duplicate key row",
      u"The MERGE statement attempted to UPDATE or DELETE the same row more than once",
  };
  if (message.find(u"Conversion failed when converting") != std::u16string_view::npos) {
    return FailureScope::kBatchAndTransaction;
  }
  for (std::u16string_view known : kEndsStatement) {
    if (message.find(known) != std::u16string_view::npos) return FailureScope::kStatement;
  }
  return FailureScope::kBatch;
}

std::int64_t StatementRunner::NewIdentitySeed(const tsql::SqlStatement& statement) {
  if (!statement.identity) return 1;
  const tsql::NewIdentity& identity = *statement.identity;
  if (identity.source.empty()) return identity.seed;
  return tsql::IdentitySeedOf(TableDefinition(identity.source, identity.source_temp));
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

SelectIntoPlan SelectIntoStatements(const tsql::SqlStatement& statement,
                                    const std::vector<DescribedColumn>& columns,
                                    std::int64_t identity_seed, const RaiseFunction& raise) {
  std::string create = statement.target_temp ? "CREATE TEMP TABLE " : "CREATE TABLE ";
  create += tsql::QuoteName(statement.target) + " (";
  std::vector<std::pair<std::u16string, tsql::SqlType>> typed;
  bool identity_made = false;
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
    if (statement.identity && !identity_made &&
        oleaut::EqualsNoCase(name, statement.identity->column)) {
      // Copied keys keep their values, and SQLite numbers the rows of IDENTITY() (NULL here).
      create += tsql::IdentityColumnClause(identity_seed);
      identity_made = true;
    } else if (type) {
      create += tsql::ColumnClauses(name, *type, false);
      typed.emplace_back(name, *type);
    }
  }
  create += ')';
  SelectIntoPlan plan;
  plan.before.push_back(std::move(create));
  if (identity_made) {
    std::string seed = tsql::SeedStatement(statement.target, statement.target_temp, identity_seed);
    if (!seed.empty()) plan.before.push_back(std::move(seed));
  }
  std::vector<std::string>& triggers = statement.values_normalized ? plan.after : plan.before;
  const std::u16string target = oleaut::FromUtf8(statement.target);
  for (const auto& [name, type] : typed) {
    for (std::string& trigger : tsql::NormalizingTriggers(target, name, type)) {
      triggers.push_back(std::move(trigger));
    }
  }
  plan.insert = "INSERT INTO " + tsql::QuoteName(statement.target) + " " + statement.sql;
  return plan;
}

std::string TableInfoQuery(const tsql::SqlStatement& statement) {
  return "PRAGMA temp.table_info(" + tsql::QuoteName(statement.target) + ")";
}

std::vector<std::string> AlterColumnStatements(const tsql::SqlStatement& statement,
                                               const std::vector<TableInfoColumn>& columns,
                                               std::string_view stored_create,
                                               const RaiseFunction& raise) {
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
  const std::optional<tsql::SqlType> old_type = tsql::ParseDeclaredType(altered->type);
  const bool autoincrement = DeclaresIdentity(stored_create);
  const std::string table = tsql::QuoteName(statement.target);

  // The column list, with the altered column in its old or its new type.
  const auto definition = [&](bool changed) {
    std::string text = " (";
    std::vector<std::string> keys;
    for (std::size_t i = 0; i < columns.size(); ++i) {
      const TableInfoColumn& c = columns[i];
      const std::u16string name16 = oleaut::FromUtf8(c.name);
      if (i > 0) text += ", ";
      text += tsql::QuoteName(c.name);
      if (&c == &*altered && changed) {
        text += tsql::ColumnClauses(name16, *new_type, statement.column_not_null);
      } else if (c.key == 1 && autoincrement) {
        text += tsql::IdentityColumnClause(tsql::IdentitySeedOf(stored_create));
        continue;
      } else if (const auto type = tsql::ParseDeclaredType(c.type)) {
        text += tsql::ColumnClauses(name16, *type, c.not_null);
      } else {
        text += " " + c.type + (c.not_null ? " NOT NULL" : "");
      }
      if (!c.default_value.empty()) text += " DEFAULT (" + c.default_value + ")";
      if (c.key > 0) keys.push_back(tsql::QuoteName(c.name));
    }
    if (!keys.empty() && !autoincrement) {
      text += ", PRIMARY KEY (";
      for (std::size_t i = 0; i < keys.size(); ++i)
        text += (i > 0 ? ", " : "") + keys[i];
      text += ')';
    }
    return text + ')';
  };
  // The altered column's values in the new type; a decimal converts with every digit of its
  // scale, as SQL Server prints it.
  std::string converted = tsql::QuoteName(altered->name);
  if (old_type && old_type->cls == tsql::SqlType::Class::kDecimal) {
    converted = "tsql_convert('" + old_type->Declared() + "', " + converted + ")";
  }
  converted = "tsql_convert('" + new_type->Declared() + "', " + converted + ")";
  const std::u16string target = oleaut::FromUtf8(statement.target);
  const auto literal = [](std::string_view text) {
    return "'" + oleaut::ToUtf8(oleaut::Replace(oleaut::FromUtf8(text), u"'", u"''")) + "'";
  };

  std::vector<std::string> statements;
  if (stored_create == "CREATE TABLE " + table + definition(false)) {
    statements = {"PRAGMA writable_schema = ON",
                  "UPDATE temp.sqlite_master SET sql = " +
                      literal("CREATE TABLE " + table + definition(true)) +
                      " WHERE type = 'table' AND name = " + literal(statement.target) +
                      " COLLATE NOCASE",
                  kAlterColumnRecovery};
    for (const char* event : {"$insert", "$update"}) {
      statements.push_back("DROP TRIGGER IF EXISTS temp." +
                           tsql::QuoteName(statement.target + "$" + altered->name + event));
    }
    for (std::string& trigger :
         tsql::NormalizingTriggers(target, oleaut::FromUtf8(altered->name), *new_type)) {
      statements.push_back(std::move(trigger));
    }
    const bool unobservable = statement.values_replaced && old_type &&
                              tsql::ConvertsToTextWithoutError(*old_type, *new_type);
    if (!unobservable) {
      statements.push_back("UPDATE " + table + " SET " + tsql::QuoteName(altered->name) + " = " +
                           converted);
    }
    return statements;
  }

  const std::string rebuilt = tsql::QuoteName(statement.target + "$rebuild");
  std::string copy = "INSERT INTO " + rebuilt + " SELECT ";
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (i > 0) copy += ", ";
    copy += &columns[i] == &*altered ? converted : tsql::QuoteName(columns[i].name);
  }
  statements = {"CREATE TEMP TABLE " + rebuilt + definition(true), copy + " FROM " + table};
  if (autoincrement) {
    // The identity goes on from where the table's went, not from its largest key left.
    const std::string sequence = "temp.sqlite_sequence";
    statements.push_back("DELETE FROM " + sequence +
                         " WHERE name = " + literal(statement.target + "$rebuild"));
    statements.push_back("UPDATE " + sequence +
                         " SET name = " + literal(statement.target + "$rebuild") +
                         " WHERE name = " + literal(statement.target) + " COLLATE NOCASE");
  }
  statements.push_back("DROP TABLE temp." + table);
  statements.push_back("ALTER TABLE temp." + rebuilt + " RENAME TO " + table);
  // The triggers went with the table dropped: the table built again gets its own.
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

const char* ViewDefinitionQuery() {
  return "SELECT sql FROM main.sqlite_master WHERE type = 'view' AND name = ?1 COLLATE NOCASE";
}

bool DeclaresIdentity(std::string_view create_table) {
  return LowerAscii(create_table).find("autoincrement") != std::string::npos;
}

}  // namespace ado::sqlite
