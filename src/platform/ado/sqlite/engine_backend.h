// The StatementBackend of the embedded provider: statements run on the connection's own sqlite3
// handle, prepared once and kept in its statement cache; @@IDENTITY is kept in the runtime's
// session state, and the schema is read from what the connection holds in memory.
#pragma once

#include <sqlite3.h>

#include <string>

#include "platform/ado/sqlite/engine.h"
#include "platform/ado/sqlite/statement_backend.h"
#include "platform/tsql/runtime/runtime.h"

namespace ado::sqlite {

class EngineBackend final : public StatementBackend {
 public:
  // `db` stays open while the backend lives.
  EngineBackend(sqlite3* db, std::u16string description)
      : db_(db), description_(std::move(description)), cache_(db) {}

  // The runtime's state of the session (@@IDENTITY, variables), to install on the connection.
  tsql::SessionState& Session() { return session_; }
  // The caller's transaction. A deferred one begins on the engine when its first batch runs:
  // until a statement reads, BEGIN DEFERRED takes no lock and fixes no snapshot, so that the
  // work before it (the translation, with its look-up of the schema version) may run as
  // transactions of their own; a call that ends before any batch ran costs the engine nothing.
  void BeginTransaction(TransactionLock lock);
  void BeginTransaction() override { BeginTransaction(TransactionLock::Immediate); }
  // COMMIT or ROLLBACK of the engine's transaction, when one was begun.
  void EndTransaction(bool commit) override;
  // Whether the caller's transaction is open, begun on the engine or not yet.
  bool TransactionOpen() const { return begin_pending_ || InTransaction(); }

  bool TestCondition(const BoundStatement& condition) override;
  std::int64_t RunCommand(const BoundStatement& statement) override;
  std::int64_t RunToEnd(const BoundStatement& statement) override;
  void ReadRows(const BoundStatement& query, tsql::Schema& schema, RowSet& rows) override;
  std::vector<DescribedColumn> DescribeColumns(const BoundStatement& query,
                                               tsql::Schema& schema) override;
  void RunGenerated(std::u16string_view source, const std::string& sql) override;
  void KeepIdentity(bool table_has_identity) override;

  void RunInternal(const char* sql) override;
  bool RunQuietly(const char* sql) noexcept override;
  void RunOptional(const std::string& sql) override;
  std::vector<std::string> ReadTexts(const std::string& sql) override;

  std::shared_ptr<const tsql::TableColumns> ReadColumns(std::u16string_view name,
                                                        bool temp) override;
  std::string TableDefinition(const std::string& table, bool temp) override;
  std::string ViewDefinition(const std::string& view) override;
  std::vector<TableInfoColumn> TableInfo(const std::string& sql,
                                         std::u16string_view source) override;
  std::optional<std::int64_t> SchemaVersion() override;
  void ReloadSchema() override { RunInternal(kSchemaCheck); }

  bool InTransaction() const override { return !sqlite3_get_autocommit(db_); }
  void BeforeRunning(const tsql::Program& program) override;

  [[noreturn]] void Raise(std::int32_t hresult, const std::string& message,
                          std::u16string_view source, std::string_view sql) override;

 private:
  ErrorContext Where(std::u16string_view source, std::string_view sql) const {
    return {description_, source, sql};
  }
  sqlite3_stmt* PrepareBound(const BoundStatement& statement, const ErrorContext& where);
  std::int64_t StepToEnd(sqlite3_stmt* stmt, const ErrorContext& where);
  std::optional<std::int64_t> ReadSchemaVersion();
  bool Declares(bool temp, std::u16string_view name, sqlite3_stmt* stmt);
  bool IsAutoincrement(bool temp, const char* table, const char* column);
  std::string Definition(const std::string& sql, const std::string& name);

  sqlite3* db_;
  std::u16string description_;
  tsql::SessionState session_;
  StatementCache cache_;
  TransactionLock transaction_lock_ = TransactionLock::Deferred;
  bool begin_pending_ = false;  // a deferred transaction the engine is yet to begin
};

}  // namespace ado::sqlite
