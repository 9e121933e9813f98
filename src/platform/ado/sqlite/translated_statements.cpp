#include "platform/ado/sqlite/translated_statements.h"

#include <fmt/format.h>

#include <algorithm>
#include <stdexcept>

#include "platform/ado/sql_trace.h"
#include "platform/ado/sqlite/engine.h"
#include "platform/oleaut/convert.h"
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

std::string QuoteText(std::string_view text) {
  std::string out = "'";
  for (const char c : text) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out + "'";
}

namespace {

std::optional<std::int64_t> IntegerOf(const oleaut::Variant& value) {
  if (value.IsNull()) return std::nullopt;
  const double number = oleaut::ToDouble(value);
  if (!(number >= -9.2e18 && number <= 9.2e18)) return std::nullopt;
  return static_cast<std::int64_t>(number);
}

}  // namespace

StatementRunner::StatementRunner() {
  ParameterValue& first_day =
      session_values_[static_cast<std::size_t>(tsql::SessionValue::kDateFirst)];
  first_day.type = adInteger;
  first_day.value = std::int32_t{7};  // Sunday, as us_english has it
  ParameterValue& last_error =
      session_values_[static_cast<std::size_t>(tsql::SessionValue::kError)];
  last_error.type = adInteger;
  last_error.value = std::int32_t{0};
  SetSessionText(tsql::SessionValue::kDateFormat, u"mdy");
  SetSessionText(tsql::SessionValue::kLanguage, u"us_english");
}

// @@ERROR: the number of the error the statement that ran last raised, 0 when it raised none.
void StatementRunner::NoteError(const oleaut::ComError* error) {
  const auto* raised = dynamic_cast<const RaisedError*>(error);
  const std::int32_t number = !error   ? 0
                              : raised ? raised->Server().number
                                       : ServerErrorOf(*error, line_).number;
  if (number == last_error_) return;
  last_error_ = number;
  session_values_[static_cast<std::size_t>(tsql::SessionValue::kError)].value = number;
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
  runner_.try_depth_ = 0;
  runner_.caught_.clear();
  runner_.SetErrorValues();
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
  line_ = static_cast<int>(statement.pos.line);
  // A statement that fails hands back no rows: the next row set is the batch's first. (Those of
  // a nested batch's statements that ran are kept.)
  const bool had_rows =
      result_->rows.has_value() || statement.kind == tsql::StatementKind::kExecute;
  try {
    try {
      RunStatement(statement);
    } catch (const oleaut::ComError& error) {
      RethrowInServerWords(error);
    }
    NoteError(nullptr);
  } catch (const oleaut::ComError& error) {
    NoteError(&error);
    if (!had_rows) result_->rows.reset();
    // In a TRY block every error goes to its CATCH block, which decides.
    if (try_depth_ > 0 || ScopeOf(error) != FailureScope::kStatement) throw;
    Defer(error);
  }
}

std::optional<bool> StatementRunner::Test(const tsql::SqlStatement& condition) {
  line_ = static_cast<int>(condition.pos.line);
  std::optional<bool> chosen;
  try {
    try {
      IndexProbedColumns(condition);
      chosen = TestCondition(condition);
    } catch (const oleaut::ComError& error) {
      RethrowInServerWords(error);
    }
    NoteError(nullptr);
  } catch (const oleaut::ComError& error) {
    NoteError(&error);
    if (try_depth_ > 0 || ScopeOf(error) != FailureScope::kStatement) throw;
    Defer(error);
  }
  if (condition.row_count != tsql::RowCountEffect::kKept) row_count_ = 0;
  return chosen;
}

void StatementRunner::Defer(const oleaut::ComError& error) {
  if (!deferred_) deferred_ = error;
  row_count_ = 0;
}

// A CATCH block takes the errors that end a statement or the batch with its transaction, and
// those the batch raised itself; not those that end the batch alone (a missing table), as SQL
// Server's TRY takes no error of a statement it could not compile.
bool StatementRunner::Catch(const std::exception_ptr& error) {
  try {
    std::rethrow_exception(error);
  } catch (const RaisedError& raised) {
    if (ScopeOf(raised) == FailureScope::kBatchAndTransaction) DoomTransaction();
    caught_.push_back({raised.Server(), error});
  } catch (const oleaut::ComError& failure) {
    if (ScopeOfFailure(failure) == FailureScope::kBatch) return false;
    if (ScopeOf(failure) == FailureScope::kBatchAndTransaction) DoomTransaction();
    caught_.push_back({ServerErrorOf(failure, line_), error});
  } catch (...) {
    return false;
  }
  SetErrorValues();
  return true;
}

void StatementRunner::EndCatch() {
  caught_.pop_back();
  SetErrorValues();
}

void StatementRunner::SetErrorValues() {
  using V = tsql::SessionValue;
  const auto set = [this](V which, oleaut::Variant value) {
    ParameterValue& slot = session_values_[static_cast<std::size_t>(which)];
    slot.type = value.Type() == oleaut::VarType::String ? adVarWChar : adInteger;
    slot.value = std::move(value);
  };
  if (caught_.empty()) {
    for (V which : {V::kErrorNumber, V::kErrorSeverity, V::kErrorState, V::kErrorLine,
                    V::kErrorMessage, V::kErrorProcedure}) {
      set(which, oleaut::Variant(oleaut::kNull));
    }
    return;
  }
  const ServerError& error = caught_.back().server;
  set(V::kErrorNumber, oleaut::Variant(error.number));
  set(V::kErrorSeverity, oleaut::Variant(static_cast<std::int32_t>(error.severity)));
  set(V::kErrorState, oleaut::Variant(static_cast<std::int32_t>(error.state)));
  set(V::kErrorLine, oleaut::Variant(static_cast<std::int32_t>(error.line)));
  set(V::kErrorMessage, oleaut::Variant(error.message));
  set(V::kErrorProcedure, oleaut::Variant(oleaut::kNull));
}

// Raises `error` as the statement's own; it ends the batch outside a TRY block if `ends_batch`.
void StatementRunner::Throw(const tsql::SqlStatement& statement, ServerError error,
                            bool ends_batch) {
  error.line = static_cast<int>(statement.pos.line);
  try {
    RaiseFor(statement)(kErrorsInCommand, oleaut::ToUtf8(error.message));
  } catch (const oleaut::ComError& raised) {
    throw RaisedError(raised, std::move(error), ends_batch);
  }
  throw std::logic_error("RaiseFor returned");
}

std::int64_t StatementRunner::InRange(const tsql::SqlStatement& statement,
                                      const oleaut::Variant& value, std::int64_t low,
                                      std::int64_t high, std::int32_t number,
                                      std::string_view message, bool ends_batch) {
  const std::optional<std::int64_t> integer = IntegerOf(value);
  if (integer && *integer >= low && *integer <= high) return *integer;
  Throw(
      statement,
      {number, 16, 1, 1, oleaut::FromUtf8(fmt::format(fmt::runtime(message), integer.value_or(0)))},
      ends_batch);
}

// THROW raises its error, or the one its CATCH block handles, and ends the batch; RAISERROR of
// severity 11 to 18 raises an error that ends its statement alone, and one of 10 or less is a
// message.
void StatementRunner::RunRaise(const tsql::SqlStatement& statement) {
  if (statement.raise_form == tsql::RaiseForm::kRethrow) {
    if (caught_.empty()) return;
    try {
      std::rethrow_exception(caught_.back().error);
    } catch (const oleaut::ComError& error) {
      throw RaisedError(error, caught_.back().server, true);
    }
  }
  const std::vector<oleaut::Variant> row = ReadRow(statement);
  ServerError error;
  if (statement.raise_form == tsql::RaiseForm::kThrow) {
    const std::int64_t number =
        InRange(statement, row.at(0), 50000, 2147483647, 35100,
                "Error number {} in the THROW statement is outside the valid range. Specify an "
                "error number in the valid range of 50000 to 2147483647.",
                true);
    const std::int64_t state =
        InRange(statement, row.at(2), 0, 255, 35102,
                "State {} in the THROW statement is outside the valid range. Specify a state in "
                "the valid range of 0 to 255.",
                true);
    error.number = static_cast<std::int32_t>(number);
    error.state = static_cast<int>(state);
    error.message = row.at(1).IsNull() ? std::u16string() : oleaut::ToString(row.at(1));
    Throw(statement, std::move(error), true);
  }
  const std::int64_t severity = std::max<std::int64_t>(IntegerOf(row.at(1)).value_or(0), 0);
  if (severity > 18) {
    Throw(statement,
          {2754, 16, 1, 1,
           u"Error severity levels greater than 18 can only be specified by members of the "
           u"sysadmin role, using the WITH LOG option."},
          false);
  }
  error.message = row.at(0).IsNull() ? std::u16string() : oleaut::ToString(row.at(0));
  if (severity <= 10) {
    Inform(std::move(error.message));
    return;
  }
  error.severity = static_cast<int>(severity);
  const std::int64_t state = IntegerOf(row.at(2)).value_or(1);
  error.state = static_cast<int>(state < 0 ? 1 : state);
  Throw(statement, std::move(error), false);
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
      statement.kind != Kind::kSessionOption && statement.kind != Kind::kPrint &&
      statement.kind != Kind::kRaise) {
    ForgetProbeIndexes();
  }
  // Table variables are no part of the transaction: a CATCH block may still note in one what
  // failed.
  const bool changes_table_variable =
      (statement.kind == Kind::kInsert || statement.kind == Kind::kCommand) &&
      statement.target_temp && statement.target.starts_with('@');
  if (statement.kind != Kind::kQuery && statement.kind != Kind::kAssign &&
      statement.kind != Kind::kPrint && statement.kind != Kind::kRaise &&
      statement.kind != Kind::kExecute && statement.kind != Kind::kSessionOption &&
      statement.kind != Kind::kTransaction && !changes_table_variable && TransactionDoomed()) {
    Throw(statement,
          {3930, 16, 1, 1,
           u"The current transaction cannot be committed and cannot support operations that "
           u"write to the log file. Roll back the transaction."},
          false);
  }
  std::int64_t rows = 0;
  switch (statement.kind) {
    case Kind::kPrint: {
      const std::vector<oleaut::Variant> row = ReadRow(statement);
      Inform(row.at(0).IsNull() ? std::u16string() : oleaut::ToString(row.at(0)));
      break;
    }
    case Kind::kRaise:
      RunRaise(statement);
      break;
    case Kind::kExecute:
      RunDynamic(statement);
      break;
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
    case Kind::kTransaction:
      RunTransaction(statement);
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

FailureScope StatementRunner::ScopeOf(const oleaut::ComError& error) const {
  const FailureScope scope = ScopeOfFailure(error);
  if (!xact_abort_ || error.Source() == tsql::kErrorSource) return scope;
  const auto* raised = dynamic_cast<const RaisedError*>(&error);
  if (raised && !raised->EndsBatch()) return scope;
  return FailureScope::kBatchAndTransaction;
}

void StatementRunner::SetOption(const tsql::SqlStatement& statement) {
  if (statement.option == "XACT_ABORT") {
    xact_abort_ = statement.option_on;
    return;
  }
  if (statement.option == "DATEFORMAT") return SetDateFormat(statement);
  if (statement.option == "LANGUAGE") return SetLanguage(statement);
  const std::int64_t first_day =
      InRange(statement, ReadRow(statement).at(0), 1, 7, 1005,
              "SET DATEFIRST {} is out of range: the first day of the week is 1 (Monday) to 7 "
              "(Sunday).",
              false);
  session_values_[static_cast<std::size_t>(tsql::SessionValue::kDateFirst)].value =
      static_cast<std::int32_t>(first_day);
}

void StatementRunner::SetIdentityInsert(const tsql::SqlStatement& statement) {
  if (!statement.option.empty()) return SetOption(statement);
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
  if (const auto* raised = dynamic_cast<const RaisedError*>(&error)) {
    return raised->EndsBatch() ? FailureScope::kBatch : FailureScope::kStatement;
  }
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
      u"provided to AT TIME ZONE clause is invalid",
      u"An invalid floating point operation occurred",
      u"Cannot insert explicit value for identity column",
      u"Explicit value must be specified for identity column",
      u"IDENTITY_INSERT is already ON",
      u"constraint failed",
      u"Violation of UNIQUE KEY constraint",
      u"Cannot insert duplicate key row",
      u"The MERGE statement attempted to UPDATE or DELETE the same row more than once",
      u"did not qualify under the CHECK OPTION constraint",
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

  std::vector<std::string> statements;
  if (stored_create == "CREATE TABLE " + table + definition(false)) {
    statements = {"PRAGMA writable_schema = ON",
                  "UPDATE temp.sqlite_master SET sql = " +
                      QuoteText("CREATE TABLE " + table + definition(true)) +
                      " WHERE type = 'table' AND name = " + QuoteText(statement.target) +
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
                         " WHERE name = " + QuoteText(statement.target + "$rebuild"));
    statements.push_back("UPDATE " + sequence +
                         " SET name = " + QuoteText(statement.target + "$rebuild") +
                         " WHERE name = " + QuoteText(statement.target) + " COLLATE NOCASE");
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
