// What runs the statements of a translated batch on a SQLite database: the embedded engine
// through its own handle, or the SQLite ODBC driver through ODBC statements. The translated
// session (translated_session.h) decides what runs, in which order and with which caches; a
// backend only runs statements, binds their markers, reads their results and reports failures
// in its own provider's words.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ado/provider.h"
#include "platform/ado/sqlite/translated_statements.h"
#include "platform/tsql/program.h"
#include "platform/tsql/schema.h"

namespace ado::sqlite {

// A statement of the translation with what its markers stand for: the batch's literals and
// parameters, and @@ROWCOUNT.
struct BoundStatement {
  const tsql::SqlStatement& statement;
  const std::string& sql;  // the SQLite text to run: the statement's own, or one made from it
  const tsql::Binding& binding;
  std::span<const ParameterValue> parameters;
  std::int64_t row_count = 0;
  std::u16string_view source;               // the T-SQL of the statement, for messages
  std::span<const ParameterValue> session;  // by tsql::SessionValue
};

// A statement that checks the schema it was prepared with, so that running it reloads a schema
// another connection changed.
inline constexpr const char* kSchemaCheck = "SELECT 1 FROM main.sqlite_master LIMIT 0";

class StatementBackend {
 public:
  virtual ~StatementBackend() = default;

  // ---- statements of a batch ----
  // Whether the condition's first value is true (a row whose first column is not 0).
  virtual bool TestCondition(const BoundStatement& condition) = 0;
  // Runs an UPDATE, DELETE, INSERT or DDL statement; the rows it changed (0 for DDL).
  virtual std::int64_t RunCommand(const BoundStatement& statement) = 0;
  // Runs to the end, dropping the rows; how many there were.
  virtual std::int64_t RunToEnd(const BoundStatement& statement) = 0;
  // Runs a query and reads its rows, typed by the translator's hints and the declared types
  // (`schema` knows the tables' columns).
  virtual void ReadRows(const BoundStatement& query, tsql::Schema& schema, RowSet& rows) = 0;
  // The result columns of a query, prepared against the schema as it is now and not run.
  virtual std::vector<DescribedColumn> DescribeColumns(const BoundStatement& query,
                                                       tsql::Schema& schema) = 0;
  // Runs a statement the session made for `source`, without markers.
  virtual void RunGenerated(std::u16string_view source, const std::string& sql) = 0;
  // Keeps @@IDENTITY after an INSERT that made rows: the key it made, or NULL when the table has
  // no identity column.
  virtual void KeepIdentity(bool table_has_identity) = 0;

  // ---- statements of the session's own ----
  // Raises when it fails.
  virtual void RunInternal(const char* sql) = 0;
  // Returns whether it ran; a failure is no error.
  virtual bool RunQuietly(const char* sql) noexcept = 0;
  // Runs a statement that only speeds later ones up; a failure is no error of the batch unless
  // it tells that the session itself is gone.
  virtual void RunOptional(const std::string& sql) = 0;
  // The first value of each row of `sql`, as UTF-8 text (empty for NULL); a failure raises.
  virtual std::vector<std::string> ReadTexts(const std::string& sql) = 0;

  // ---- the schema ----
  // The columns of a table as declared (nullptr when the database declares none of that name).
  virtual std::shared_ptr<const tsql::TableColumns> ReadColumns(std::u16string_view name,
                                                                bool temp) = 0;
  // The CREATE TABLE text SQLite keeps for `table`; empty when there is no such table.
  virtual std::string TableDefinition(const std::string& table, bool temp) = 0;
  // The CREATE VIEW text SQLite keeps for `view`; empty when there is no such view.
  virtual std::string ViewDefinition(const std::string& view) = 0;
  // The rows of TableInfoQuery's `sql`, run for the statement `source`.
  virtual std::vector<TableInfoColumn> TableInfo(const std::string& sql,
                                                 std::u16string_view source) = 0;
  // The database's schema version, as the session's next statement will see it; nullopt when it
  // cannot be asked without changing what the caller's transaction does (its locks, its
  // snapshot).
  virtual std::optional<std::int64_t> SchemaVersion() = 0;
  // Makes the engine read the schema again after another connection changed it: until a
  // statement that checks the schema runs, the copy it holds in memory (which table look-ups
  // read) is the old one.
  virtual void ReloadSchema() = 0;

  // ---- the session ----
  virtual bool InTransaction() const = 0;
  // Begins the engine's transaction, taking the write lock; ends it. The provider's own calls
  // begin and end the caller's transaction this way, BEGIN, COMMIT and ROLLBACK TRANSACTION of
  // a batch one that no caller began.
  virtual void BeginTransaction() = 0;
  virtual void EndTransaction(bool commit) = 0;
  // Called before each batch that is to run; returns true when the backend opened its session
  // anew (after it was lost), so that nothing known of the old one holds.
  virtual bool PrepareForBatch() { return false; }
  // Called between translating a batch and running it.
  virtual void BeforeRunning(const tsql::Program& /*program*/) {}

  // A provider error of this backend's provider; never returns. `source` and `sql` say where.
  [[noreturn]] virtual void Raise(std::int32_t hresult, const std::string& message,
                                  std::u16string_view source, std::string_view sql) = 0;
};

}  // namespace ado::sqlite
