// The statements that carry out the translated batch's steps SQLite has no single statement for
// (SELECT ... INTO with SQL Server's column types, ALTER TABLE ... ALTER COLUMN), and how result
// columns meet the translator's hints. Shared by every provider that runs translated batches on
// SQLite, whichever way it reaches the engine (directly, or through the SQLite ODBC driver).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "platform/ado/provider.h"
#include "platform/ado/sqlite/server_errors.h"
#include "platform/oleaut/com_error.h"
#include "platform/tsql/program.h"
#include "platform/tsql/sql_type.h"

namespace ado::sqlite {

// ASCII letters in lower case, for names SQLite compares so.
std::string LowerAscii(std::string_view text);

// `text` as a SQLite text literal: in single quotes, each quote in it doubled.
std::string QuoteText(std::string_view text);

// Raises a provider error with this HRESULT and message; never returns.
using RaiseFunction = std::function<void(std::int32_t hresult, const std::string& message)>;

// How far a failed statement takes the batch down with it, as SQL Server decides with
// XACT_ABORT off: most errors end the statement alone (its changes undone, the batch going on and
// failing at its end); a conversion error ends the batch and rolls back its transaction; any
// other failure (a missing table, the engine's own trouble) ends the batch and leaves the
// transaction as it was.
enum class FailureScope : std::uint8_t { kStatement, kBatch, kBatchAndTransaction };
FailureScope ScopeOfFailure(const oleaut::ComError& error);

// An executor of translated batches that runs each kind of statement its own way, and the
// state of the batch it is running and of the session it runs in (@@ROWCOUNT, IDENTITY_INSERT).
class StatementRunner : public tsql::Executor {
 public:
  StatementRunner();

  void Execute(const tsql::SqlStatement& statement) final;
  std::optional<bool> Test(const tsql::SqlStatement& condition) final;
  void BeginTry() final { ++try_depth_; }
  void EndTry() final { --try_depth_; }
  bool Catch(const std::exception_ptr& error) final;
  void EndCatch() final;

 protected:
  // The line, in its batch, of the statement that runs or ran last.
  int Line() const noexcept { return line_; }
  // Indexes, once, the columns of temporary tables that `statement` probes (an IF EXISTS over a
  // table that grows row by row would otherwise scan it once per row). Call it before running a
  // condition; Execute calls it for every other statement.
  void IndexProbedColumns(const tsql::SqlStatement& statement);
  // After a rollback or a failed batch the indexes made may be gone again.
  void ForgetProbeIndexes() { probe_indexes_.clear(); }
  // Runs a statement that only speeds later ones up; a failure is no error of the batch.
  virtual void RunOptional(const std::string& sql) = 0;
  // Runs a statement of the provider's own (a savepoint); a failure raises.
  virtual void RunInternal(const char* sql) = 0;

  // Sets the batch's state for its run; when the run ends, ran or failed, clears it and traces
  // the batch with what ran of it. Costs one test of a flag while no trace is active.
  class BatchScope {
   public:
    BatchScope(StatementRunner& runner, std::u16string_view batch, std::u16string_view provider,
               std::span<const ParameterValue> parameters, ExecuteResult& result);
    BatchScope(const BatchScope&) = delete;
    BatchScope& operator=(const BatchScope&) = delete;
    ~BatchScope();

   private:
    StatementRunner& runner_;
    std::u16string_view batch_;
    std::u16string_view provider_;
    std::string as_run_;
  };

  // How far a failure takes the batch down: as ScopeOfFailure says, and with SET XACT_ABORT ON
  // every run-time error but RAISERROR's ends the batch and rolls back its transaction.
  FailureScope ScopeOf(const oleaut::ComError& error) const;

  // After the program of a batch ran: raises the first error of a statement that failed without
  // ending the batch.
  void RaiseDeferredFailure();

  // Notes a statement that ran, for the trace.
  void NoteRun(std::string_view sql);
  // Notes a statement of the translation, with the literals it binds shown in their places.
  void NoteRun(const tsql::SqlStatement& statement);

  // The CREATE TABLE text SQLite keeps for `table`; empty when there is no such table.
  virtual std::string TableDefinition(const std::string& table, bool temp) = 0;
  // The seed of the identity column a SELECT ... INTO makes (1 when it makes none).
  std::int64_t NewIdentitySeed(const tsql::SqlStatement& statement);
  virtual RaiseFunction RaiseFor(const tsql::SqlStatement& statement) = 0;

  // Each returns the rows the statement changed, returned or read, for @@ROWCOUNT.
  virtual std::int64_t RunQuery(const tsql::SqlStatement& statement) = 0;
  virtual std::int64_t RunSelectInto(const tsql::SqlStatement& statement) = 0;
  virtual void RunAlterColumn(const tsql::SqlStatement& statement) = 0;
  // UPDATE, DELETE, INSERT and DDL.
  virtual std::int64_t RunCommand(const tsql::SqlStatement& statement) = 0;
  // A statement whose rows are read to the end and dropped (it sets variables as it goes).
  virtual std::int64_t RunToEnd(const tsql::SqlStatement& statement) = 0;
  virtual bool TestCondition(const tsql::SqlStatement& condition) = 0;
  // Raises `error` as the statement's own (its line set); it ends the batch outside a TRY block
  // if `ends_batch`, else the statement alone.
  [[noreturn]] void Throw(const tsql::SqlStatement& statement, ServerError error, bool ends_batch);
  // sp_executesql, EXEC (text): the batch the statement yields, run as a batch of its own.
  virtual void RunDynamic(const tsql::SqlStatement& statement) = 0;
  // The values of the first row a statement yields (PRINT's message, THROW's error).
  virtual std::vector<oleaut::Variant> ReadRow(const tsql::SqlStatement& statement) = 0;
  // A message for the caller (PRINT, RAISERROR of severity 10 or less).
  virtual void Inform(std::u16string message) = 0;
  // A failure a CATCH block handles would have rolled back the transaction outside a TRY block:
  // it is rolled back, and the batch may not write until a ROLLBACK ends it.
  virtual void DoomTransaction() = 0;
  virtual bool TransactionDoomed() const = 0;
  // BEGIN, COMMIT, ROLLBACK and SAVE TRANSACTION.
  virtual void RunTransaction(const tsql::SqlStatement& statement) = 0;

  // The values kSession markers stand for (XACT_STATE() set by the session as it binds).
  std::array<ParameterValue, static_cast<std::size_t>(tsql::SessionValue::kCount)> session_values_;

  // The batch being run.
  std::u16string_view batch_;
  tsql::Translation translation_;
  std::span<const ParameterValue> parameters_;
  ExecuteResult* result_ = nullptr;
  std::string* as_run_ = nullptr;
  // @@ROWCOUNT: of the session's last statement, as SQL Server counts it.
  std::int64_t row_count_ = 0;

 private:
  void RunStatement(const tsql::SqlStatement& statement);
  std::int64_t RunSteps(const tsql::SqlStatement& statement);
  void RunAsOne(const std::string& savepoint, const std::function<void()>& body);
  void CheckIdentityValues(const tsql::SqlStatement& statement);
  void SetIdentityInsert(const tsql::SqlStatement& statement);
  void SetOption(const tsql::SqlStatement& statement);
  void SetDateFormat(const tsql::SqlStatement& statement);
  void SetLanguage(const tsql::SqlStatement& statement);
  void SetSessionText(tsql::SessionValue which, std::u16string text);
  void Defer(const oleaut::ComError& error);
  void RunRaise(const tsql::SqlStatement& statement);
  // The value as a whole number from `low` to `high`; else raises error `number` with `message`,
  // whose {} is the value.
  std::int64_t InRange(const tsql::SqlStatement& statement, const oleaut::Variant& value,
                       std::int64_t low, std::int64_t high, std::int32_t number,
                       std::string_view message, bool ends_batch);
  void SetErrorValues();
  void NoteError(const oleaut::ComError* error);

  // An error a CATCH block handles, as the error functions tell it and THROW raises it again.
  struct CaughtError {
    ServerError server;
    std::exception_ptr error;
  };

  std::unordered_set<std::string> probe_indexes_;
  bool xact_abort_ = false;          // SET XACT_ABORT, for the session
  std::int32_t last_error_ = 0;      // @@ERROR
  int try_depth_ = 0;                // TRY blocks the batch is in
  int line_ = 1;                     // of the statement that runs
  std::vector<CaughtError> caught_;  // innermost last
  std::optional<oleaut::ComError> deferred_;
  // The table SET IDENTITY_INSERT ... ON names ("t:" or "m:" and its name in lower case), as
  // written; empty when it is off for every table.
  std::string identity_insert_key_;
  std::string identity_insert_name_;
};

// The hint of each result column: items before the first * match the first columns, items after
// the last * the last ones; columns a * stands for have none.
std::vector<const tsql::ResultHint*> MatchHints(const std::vector<tsql::ResultHint>& hints,
                                                int column_count);

// A result column of a prepared query, as the engine describes it.
struct DescribedColumn {
  std::u16string name;
  std::optional<tsql::SqlType> declared;  // the engine's declared type, when it has one
};

// SELECT ... INTO: the CREATE TABLE with the columns' SQL Server types, the triggers that store
// values as such columns do, and the INSERT of the query's rows: the triggers after the INSERT
// when the query yields stored forms already, else before it. Unnamed or repeated columns raise
// SQL Server's errors.
struct SelectIntoPlan {
  std::vector<std::string> before;  // run first
  std::string insert;               // the query's markers are bound here
  std::vector<std::string> after;   // run last
};
// `identity_seed`: of the statement's identity column, if it makes one.
SelectIntoPlan SelectIntoStatements(const tsql::SqlStatement& statement,
                                    const std::vector<DescribedColumn>& columns,
                                    std::int64_t identity_seed, const RaiseFunction& raise);

// A row of PRAGMA temp.table_info.
struct TableInfoColumn {
  std::string name;
  std::string type;
  bool not_null = false;
  std::string default_value;
  int key = 0;
};

// What reads a temporary table's columns for AlterColumnStatements.
std::string TableInfoQuery(const tsql::SqlStatement& statement);

// ALTER COLUMN of a temporary table, which SQLite cannot do. Where `stored_create` (the table's
// CREATE TABLE text as SQLite keeps it) is the text these statements write, the declaration is
// changed in place, as SQLite's documentation describes for changes that leave the stored
// records valid, and the altered column alone is converted; otherwise the table is built again
// with the new type. Either way its rows are converted as SQL Server converts them, except where
// the next statement replaces every value and the conversion cannot fail. Run all or nothing;
// after a failure, ROLLBACK TO the savepoint and then kAlterColumnRecovery.
std::vector<std::string> AlterColumnStatements(const tsql::SqlStatement& statement,
                                               const std::vector<TableInfoColumn>& columns,
                                               std::string_view stored_create,
                                               const RaiseFunction& raise);

// Makes the connection read the schema again after a failed in-place change was rolled back.
inline constexpr const char* kAlterColumnRecovery = "PRAGMA writable_schema = RESET";

// The query whose first row holds the CREATE TABLE text of ?1 (temporary or not), and whether
// that text declares an identity column.
const char* TableDefinitionQuery(bool temp);
// The query whose first row holds the CREATE VIEW text of ?1.
const char* ViewDefinitionQuery();
bool DeclaresIdentity(std::string_view create_table);

}  // namespace ado::sqlite
