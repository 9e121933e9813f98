#include "platform/ado/sqlite/translated_session.h"

#include <fmt/format.h>

#include <algorithm>
#include <stdexcept>

#include "platform/oleaut/com_error.h"
#include "platform/oleaut/convert.h"
#include "platform/oleaut/hresult.h"
#include "platform/tsql/errors.h"
#include "platform/tsql/shape.h"
#include "platform/tsql/token.h"
#include "platform/tsql/view_rows.h"
#include "platform/tsql/view_types.h"

namespace ado::sqlite {
namespace {

constexpr std::int32_t kNoCommandText = oleaut::DB_E_NOCOMMAND;
constexpr std::int32_t kParameterCount = oleaut::DB_E_PARAMNOTOPTIONAL;

}  // namespace

ExecuteResult TranslatedSession::Execute(std::u16string_view batch,
                                         std::span<const ParameterValue> parameters) {
  ExecuteResult result;
  messages_.clear();
  const BatchScope scope(*this, batch, description_, parameters, result);
  if (batch.find_first_not_of(u" \t\r\n") == std::u16string_view::npos) {
    backend_.Raise(kNoCommandText, "Command text was not set for the command object", {}, {});
  }
  if (transactions_.Abandoned()) {
    backend_.Raise(oleaut::E_FAIL,
                   fmt::format("{}: end it before running more statements", kTransactionRolledBack),
                   batch, {});
  }
  if (backend_.PrepareForBatch()) ForgetTables();
  schema_checked_ = false;
  try {
    translation_ = tsql::Translate(batch, this);
    const tsql::Program& program = *translation_.program;
    if (parameters.size() != static_cast<std::size_t>(program.marker_count)) {
      backend_.Raise(kParameterCount,
                     fmt::format("The batch has {} parameter marker(s) but {} value(s) were given",
                                 program.marker_count, parameters.size()),
                     batch, {});
    }
    backend_.BeforeRunning(program);
    tsql::Run(program, *this);
    std::optional<ServerError> uncommittable = transactions_.EndOfBatch();
    DropTableVariables();
    RaiseDeferredFailure();
    if (uncommittable) RaiseAtEndOfBatch(*std::move(uncommittable));
  } catch (const oleaut::ComError& error) {
    DropTableVariables();
    // A statement that failed may have changed tables before it failed.
    ForgetTables();
    if (ScopeOf(error) == FailureScope::kBatchAndTransaction) transactions_.Abandon();
    transactions_.EndOfBatch();
    throw;
  } catch (...) {
    DropTableVariables();
    ForgetTables();
    throw;
  }
  return result;
}

namespace {

// An argument's value as a parameter of the nested batch, typed as the value is.
ParameterValue ParameterOf(oleaut::Variant value) {
  ParameterValue parameter;
  switch (value.Type()) {
    case oleaut::VarType::Integer:
      parameter.type = adSmallInt;
      break;
    case oleaut::VarType::Long:
      parameter.type = adInteger;
      break;
    case oleaut::VarType::Double:
      parameter.type = adDouble;
      break;
    case oleaut::VarType::Decimal:
      parameter.type = adDecimal;
      break;
    case oleaut::VarType::Date:
      parameter.type = adDBTimeStamp;
      break;
    case oleaut::VarType::Boolean:
      parameter.type = adBoolean;
      break;
    case oleaut::VarType::ByteArray:
      parameter.type = adVarBinary;
      break;
    default:
      parameter.type = adVarWChar;
      break;
  }
  parameter.value = std::move(value);
  return parameter;
}

// The names of the parameters `definitions` declares ("@a int, @b varchar(10)"), in order.
std::vector<std::u16string> DefinedParameters(std::u16string_view definitions) {
  std::vector<std::u16string> names;
  for (const tsql::Token& token : tsql::Tokenize(definitions)) {
    if (token.kind == tsql::TokenKind::kVariable) names.push_back(token.text);
  }
  return names;
}

}  // namespace

// sp_executesql: the statement runs as a batch of its own, which declares the parameters the
// definitions name and sets them to the arguments' values (by position, or by name) before its
// first statement. Its variables and table variables are its own.
void TranslatedSession::RunDynamic(const tsql::SqlStatement& statement) {
  const std::vector<oleaut::Variant> row = ReadRow(statement);
  if (row.at(0).IsNull()) return;
  const std::u16string text = oleaut::ToString(row.at(0));
  const std::u16string definitions =
      row.at(1).IsNull() ? std::u16string() : oleaut::ToString(row.at(1));
  const std::vector<std::u16string> names = DefinedParameters(definitions);
  const auto raise = [&](std::int32_t number, const std::string& message) -> void {
    Throw(statement, {number, 16, 1, 1, oleaut::FromUtf8(message)}, false);
  };
  std::vector<ParameterValue> values(names.size());
  std::vector<bool> given(names.size(), false);
  for (std::size_t i = 0; i < statement.argument_names.size(); ++i) {
    std::size_t slot = i;
    const std::u16string& name = statement.argument_names[i];
    if (!name.empty()) {
      const auto found = std::find_if(names.begin(), names.end(), [&](const std::u16string& n) {
        return oleaut::EqualsNoCase(n, name);
      });
      if (found == names.end()) {
        raise(8145, oleaut::ToUtf8(name) + " is not a parameter for procedure sp_executesql.");
      }
      slot = static_cast<std::size_t>(found - names.begin());
    }
    if (slot >= names.size()) {
      raise(8144, "Procedure or function sp_executesql has too many arguments specified.");
    }
    values[slot] = ParameterOf(row.at(2 + i));
    given[slot] = true;
  }
  std::u16string batch;
  if (!names.empty()) {
    for (std::size_t i = 0; i < names.size(); ++i) {
      if (given[i]) continue;
      raise(8178, "The parameterized query '(" + oleaut::ToUtf8(definitions) + ")" +
                      oleaut::ToUtf8(text.substr(0, 40)) + "' expects the parameter '" +
                      oleaut::ToUtf8(names[i]) + "', which was not supplied.");
    }
    // On the statement's first line, so that ERROR_LINE counts the statement's own lines.
    batch = u"DECLARE " + definitions + u"; SELECT ";
    for (std::size_t i = 0; i < names.size(); ++i) {
      batch += (i > 0 ? u", " : u"") + names[i] + u" = ?";
    }
    batch += u"; ";
  }
  batch += text;
  // The batch is compiled as the statement runs: its compile errors are the statement's, which a
  // TRY block around it takes and which end the statement alone.
  tsql::Translation translation;
  try {
    translation = tsql::Translate(batch, this);
  } catch (const oleaut::ComError& error) {
    if (error.Source() != tsql::kErrorSource) throw;
    throw RaisedError(error, ServerErrorOf(error, static_cast<int>(statement.pos.line)), false);
  }
  if (translation.program->marker_count != static_cast<int>(values.size())) {
    raise(8144, "The statement of sp_executesql may hold no ? marker");
  }
  // Table variables are temporary tables of their name: one of the nested batch would take the
  // place of the caller's.
  for (const std::string& name : translation.program->table_variables) {
    if (backend_.TableDefinition(name, true).empty()) continue;
    tsql::RaiseUnsupported(batch, {},
                           u"A table variable of sp_executesql named as one of the batch that "
                           u"runs it (" +
                               oleaut::FromUtf8(name) + u")");
  }
  const int levels = transactions_.Count();
  RunNested(translation, batch, values);
  if (transactions_.Count() != levels) {
    raise(266, fmt::format("Transaction count after EXECUTE indicates a mismatching number of "
                           "BEGIN and COMMIT statements. Previous count = {}, current count = {}.",
                           levels, transactions_.Count()));
  }
}

void TranslatedSession::RunNested(const tsql::Translation& translation, std::u16string_view batch,
                                  std::span<const ParameterValue> parameters) {
  RunInternal("SELECT tsql_push_variables()");
  const tsql::Translation outer = std::exchange(translation_, translation);
  const std::u16string_view outer_batch = std::exchange(batch_, batch);
  const std::span<const ParameterValue> outer_parameters = std::exchange(parameters_, parameters);
  const auto restore = [&] {
    DropTableVariables();
    translation_ = outer;
    batch_ = outer_batch;
    parameters_ = outer_parameters;
    backend_.RunQuietly("SELECT tsql_pop_variables()");
  };
  try {
    tsql::Run(*translation.program, *this);
  } catch (const RaisedError&) {
    restore();
    throw;
  } catch (const oleaut::ComError& error) {
    restore();
    // An error that ends the nested batch alone (a table it names is not there) is, to the
    // caller, an error of its EXEC statement: a TRY block around it takes it, and without one
    // the caller's batch goes on, as SQL Server has it for errors at a lower level.
    if (ScopeOfFailure(error) != FailureScope::kBatch) throw;
    throw RaisedError(error, ServerErrorOf(error, Line()), false);
  } catch (...) {
    restore();
    throw;
  }
  restore();
}

// A table variable lives for its batch alone.
void TranslatedSession::DropTableVariables() {
  if (!translation_.program) return;
  for (const std::string& name : translation_.program->table_variables) {
    const std::string sql = "DROP TABLE IF EXISTS temp." + tsql::QuoteName(name);
    backend_.RunQuietly(sql.c_str());
  }
}

void TranslatedSession::ForgetTables() {
  tables_.clear();
  identity_tables_.clear();
  ForgetProbeIndexes();
}

void TranslatedSession::ForgetTablesIfSchemaChanged() {
  const std::optional<std::int64_t> version = backend_.SchemaVersion();
  if (!version) return;
  if (*version == schema_version_) return;
  backend_.ReloadSchema();
  tables_.clear();
  schema_version_ = *version;
}

// The work of the transaction is undone at once; the transaction counts on, uncommittable,
// until a ROLLBACK ends it.
void TranslatedSession::DoomTransaction() {
  transactions_.Doom();
  ForgetTables();
}

void TranslatedSession::RunTransaction(const tsql::SqlStatement& statement) {
  if (as_run_) NoteRun("-- " + oleaut::ToUtf8(SourceOf(statement)));
  std::u16string name = statement.transaction_name;
  if (!statement.sql.empty()) {
    const oleaut::Variant value = ReadRow(statement).at(0);
    if (!value.IsNull()) name = oleaut::ToString(value);
  }
  std::optional<ServerError> error;
  switch (statement.transaction) {
    case tsql::TransactionAction::kBegin:
      transactions_.Begin(name);
      break;
    case tsql::TransactionAction::kCommit:
      error = transactions_.Commit();
      break;
    case tsql::TransactionAction::kRollback:
      error = transactions_.Rollback(name);
      ForgetTables();
      break;
    case tsql::TransactionAction::kSave:
      error = transactions_.Save(name);
      break;
  }
  if (error) Throw(statement, *std::move(error), false);
}

// An error of the batch as a whole, raised after its last statement.
void TranslatedSession::RaiseAtEndOfBatch(ServerError error) {
  error.line = Line();
  try {
    backend_.Raise(kErrorsInCommand, oleaut::ToUtf8(error.message), batch_, {});
  } catch (const oleaut::ComError& raised) {
    throw RaisedError(raised, std::move(error), true);
  }
  throw std::logic_error("Raise returned");
}

std::u16string_view TranslatedSession::SourceOf(const tsql::SqlStatement& statement) const {
  return translation_.SourceOf(batch_, statement);
}

BoundStatement TranslatedSession::Bind(const tsql::SqlStatement& statement,
                                       const std::string& sql) {
  for (const tsql::BoundMarker& marker : statement.markers) {
    if (marker.from != tsql::BoundMarker::From::kSession) continue;
    ParameterValue& state =
        session_values_[static_cast<std::size_t>(tsql::SessionValue::kXactState)];
    state.type = adSmallInt;
    state.value = static_cast<std::int16_t>(transactions_.State());
    ParameterValue& count =
        session_values_[static_cast<std::size_t>(tsql::SessionValue::kTranCount)];
    count.type = adInteger;
    count.value = std::int32_t{transactions_.Count()};
    break;
  }
  return {statement,      sql, *translation_.binding, parameters_, row_count_, SourceOf(statement),
          session_values_};
}

std::vector<oleaut::Variant> TranslatedSession::ReadRow(const tsql::SqlStatement& statement) {
  NoteRun(statement);
  RowSet rows;
  backend_.ReadRows(Bind(statement, statement.sql), *this, rows);
  if (rows.RowCount() == 0) return std::vector<oleaut::Variant>(rows.columns.size(), oleaut::kNull);
  return {rows.values.begin(),
          rows.values.begin() + static_cast<std::ptrdiff_t>(rows.columns.size())};
}

// The columns of a table as declared, known once per table until the schema changes.
std::shared_ptr<const tsql::TableColumns> TranslatedSession::Columns(std::u16string_view name) {
  if (!std::exchange(schema_checked_, true)) ForgetTablesIfSchemaChanged();
  std::u16string key = tsql::LowerAscii(name);
  if (auto found = tables_.find(key); found != tables_.end()) return found->second;
  const bool temp = tsql::IsTemporaryName(name);
  std::shared_ptr<const tsql::TableColumns> found = backend_.ReadColumns(name, temp);
  if (found && !temp) found = WithViewTypes(std::move(found), name);
  tables_.emplace(std::move(key), found);
  return found;
}

// A view's computed columns have no declared type in SQLite: the types SQL Server gives them
// are kept in the view's definition, with how changes reach the view's tables (view_rows.h).
std::shared_ptr<const tsql::TableColumns> TranslatedSession::WithViewTypes(
    std::shared_ptr<const tsql::TableColumns> columns, std::u16string_view name) {
  const std::string definition = backend_.ViewDefinition(oleaut::ToUtf8(name));
  if (definition.empty()) return columns;
  auto typed = std::make_shared<tsql::TableColumns>(*columns);
  tsql::ReadViewBase(definition, *typed);
  const std::vector<std::optional<tsql::SqlType>> types = tsql::ViewColumnTypes(definition);
  if (types.size() != typed->size()) return typed;
  for (std::size_t i = 0; i < types.size(); ++i) {
    if (!(*typed)[i].type.IsKnown() && types[i]) (*typed)[i].type = *types[i];
  }
  return typed;
}

bool TranslatedSession::HasIdentity(const std::string& table, bool temp) {
  std::string key = (temp ? "t:" : "m:") + LowerAscii(table);
  if (auto found = identity_tables_.find(key); found != identity_tables_.end()) {
    return found->second;
  }
  const bool identity = DeclaresIdentity(TableDefinition(table, temp));
  identity_tables_.emplace(std::move(key), identity);
  return identity;
}

RaiseFunction TranslatedSession::RaiseFor(const tsql::SqlStatement& statement) {
  return [this, &statement](std::int32_t hresult, const std::string& message) {
    backend_.Raise(hresult, message, SourceOf(statement), {});
  };
}

bool TranslatedSession::TestCondition(const tsql::SqlStatement& condition) {
  NoteRun(condition);
  return backend_.TestCondition(Bind(condition, condition.sql));
}

std::int64_t TranslatedSession::RunCommand(const tsql::SqlStatement& statement) {
  NoteRun(statement);
  const std::int64_t changes = backend_.RunCommand(Bind(statement, statement.sql));
  if (statement.kind == tsql::StatementKind::kDdl) {
    identity_tables_.clear();
    tables_.clear();
    return 0;
  }
  result_->records_affected = changes;
  if (statement.kind == tsql::StatementKind::kInsert && changes > 0) {
    // @@IDENTITY: the key just made in a table with an identity column, else NULL.
    backend_.KeepIdentity(HasIdentity(statement.target, statement.target_temp));
  }
  return changes;
}

std::int64_t TranslatedSession::RunToEnd(const tsql::SqlStatement& statement) {
  NoteRun(statement);
  return backend_.RunToEnd(Bind(statement, statement.sql));
}

std::int64_t TranslatedSession::RunQuery(const tsql::SqlStatement& statement) {
  // Only the first row set of a batch is handed back; later ones still run.
  if (result_->rows) return RunToEnd(statement);
  NoteRun(statement);
  result_->rows.emplace();
  backend_.ReadRows(Bind(statement, statement.sql), *this, *result_->rows);
  return static_cast<std::int64_t>(result_->rows->RowCount());
}

// SELECT ... INTO: the table is made with the declared types of the query's columns (or the
// types their expressions fix), so that it keeps bit, datetime and decimal(p,s) columns as
// SQL Server's would, then filled by the same query.
std::int64_t TranslatedSession::RunSelectInto(const tsql::SqlStatement& statement) {
  const std::vector<DescribedColumn> described =
      backend_.DescribeColumns(Bind(statement, statement.sql), *this);
  const SelectIntoPlan plan =
      SelectIntoStatements(statement, described, NewIdentitySeed(statement), RaiseFor(statement));
  tables_.clear();
  for (const std::string& sql : plan.before)
    RunGenerated(statement, sql);
  if (as_run_) NoteRun(tsql::WithLiteralsShown(plan.insert, statement, *translation_.binding));
  const std::int64_t rows = backend_.RunCommand(Bind(statement, plan.insert));
  result_->records_affected = rows;
  for (const std::string& sql : plan.after)
    RunGenerated(statement, sql);
  identity_tables_.clear();
  return rows;
}

// SQLite cannot change a column's type: the temporary table is built again with the new type,
// its rows converted as SQL Server converts them, all or nothing.
void TranslatedSession::RunAlterColumn(const tsql::SqlStatement& statement) {
  const std::vector<TableInfoColumn> columns =
      backend_.TableInfo(TableInfoQuery(statement), SourceOf(statement));
  const std::vector<std::string> statements = AlterColumnStatements(
      statement, columns, TableDefinition(statement.target, true), RaiseFor(statement));
  tables_.clear();
  RunInternal("SAVEPOINT tsql_alter_column");
  try {
    for (const std::string& sql : statements)
      RunGenerated(statement, sql);
    RunInternal("RELEASE tsql_alter_column");
  } catch (...) {
    // The first failure is what the caller sees; what was not undone is not released.
    if (backend_.RunQuietly("ROLLBACK TO tsql_alter_column") &&
        backend_.RunQuietly(kAlterColumnRecovery)) {
      backend_.RunQuietly("RELEASE tsql_alter_column");
    }
    throw;
  }
  identity_tables_.clear();
}

// A statement the session made for the batch, without markers.
void TranslatedSession::RunGenerated(const tsql::SqlStatement& statement, const std::string& sql) {
  NoteRun(sql);
  backend_.RunGenerated(SourceOf(statement), sql);
}

}  // namespace ado::sqlite
