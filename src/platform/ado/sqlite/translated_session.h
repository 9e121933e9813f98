// The session that runs batches in SQL Server's dialect on a SQLite database: translates each
// batch (against the columns of the tables it reads, known once per table until the schema
// changes), runs its statements through a StatementBackend, keeps @@IDENTITY and IDENTITY_INSERT,
// carries out SELECT ... INTO and ALTER COLUMN, counts the transaction's levels as batches begin
// and end them, and undoes the transaction when an error ends a batch of it. Both providers that
// reach SQLite (the embedded one and the ODBC provider over the SQLite driver) run their batches
// here; they begin and end the caller's transaction and tell the session.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/ado/provider.h"
#include "platform/ado/sqlite/statement_backend.h"
#include "platform/ado/sqlite/transaction_levels.h"
#include "platform/ado/sqlite/translated_statements.h"
#include "platform/tsql/schema.h"

namespace ado::sqlite {

class TranslatedSession final : private StatementRunner, private tsql::Schema {
 public:
  // `description` names the data source in messages and the trace.
  TranslatedSession(StatementBackend& backend, std::u16string description)
      : backend_(backend), description_(std::move(description)), transactions_(backend) {}
  TranslatedSession(const TranslatedSession&) = delete;
  TranslatedSession& operator=(const TranslatedSession&) = delete;

  ExecuteResult Execute(std::u16string_view batch, std::span<const ParameterValue> parameters);

  // The messages of the last batch (PRINT, RAISERROR of severity 10 or less), ran or failed.
  std::vector<std::u16string> TakeMessages() { return std::exchange(messages_, {}); }

  // The caller began its transaction; the caller ends it: what became of it meanwhile.
  void CallerBegan() { transactions_.CallerBegan(); }
  TransactionLevels::CallerEnd CallerEnds() { return transactions_.CallerEnds(); }
  // What is known of the tables: read again when next needed (after a rollback).
  void ForgetTables();

  const std::u16string& Description() const { return description_; }

 private:
  using StatementRunner::Execute;  // the statements of a translated batch

  // Forgets the tables when another connection changed the schema. A batch asks when it first
  // needs a table's columns, so that a batch that reads no table reads nothing of the database.
  void ForgetTablesIfSchemaChanged();
  void DropTableVariables();
  // Runs `translation` of `batch` with `parameters` in the place of the batch being run.
  void RunNested(const tsql::Translation& translation, std::u16string_view batch,
                 std::span<const ParameterValue> parameters);
  BoundStatement Bind(const tsql::SqlStatement& statement, const std::string& sql);
  std::u16string_view SourceOf(const tsql::SqlStatement& statement) const;
  bool HasIdentity(const std::string& table, bool temp);
  std::shared_ptr<const tsql::TableColumns> WithViewTypes(
      std::shared_ptr<const tsql::TableColumns> columns, std::u16string_view name);

  // ---- tsql::Schema ----
  std::shared_ptr<const tsql::TableColumns> Columns(std::u16string_view name) override;

  // ---- StatementRunner ----
  void RunOptional(const std::string& sql) override {
    NoteRun(sql);
    backend_.RunOptional(sql);
  }
  void RunInternal(const char* sql) override { backend_.RunInternal(sql); }
  std::string TableDefinition(const std::string& table, bool temp) override {
    return backend_.TableDefinition(table, temp);
  }
  RaiseFunction RaiseFor(const tsql::SqlStatement& statement) override;
  bool TestCondition(const tsql::SqlStatement& condition) override;
  std::vector<oleaut::Variant> ReadRow(const tsql::SqlStatement& statement) override;
  void RunDynamic(const tsql::SqlStatement& statement) override;
  void Inform(std::u16string message) override { messages_.push_back(std::move(message)); }
  void DoomTransaction() override;
  bool TransactionDoomed() const override { return transactions_.Doomed(); }
  void RunTransaction(const tsql::SqlStatement& statement) override;
  [[noreturn]] void RaiseAtEndOfBatch(ServerError error);
  std::int64_t RunCommand(const tsql::SqlStatement& statement) override;
  std::int64_t RunToEnd(const tsql::SqlStatement& statement) override;
  std::int64_t RunQuery(const tsql::SqlStatement& statement) override;
  std::int64_t RunSelectInto(const tsql::SqlStatement& statement) override;
  void RunAlterColumn(const tsql::SqlStatement& statement) override;
  void RunGenerated(const tsql::SqlStatement& statement, const std::string& sql);

  StatementBackend& backend_;
  std::u16string description_;
  // "t:" or "m:" and a table's name in lower case: whether it has an identity column.
  std::unordered_map<std::string, bool> identity_tables_;
  // Columns of tables that batches were translated against (nullptr: no such table).
  std::unordered_map<std::u16string, std::shared_ptr<const tsql::TableColumns>> tables_;
  std::vector<std::u16string> messages_;  // of the batch being run, or the last one
  std::int64_t schema_version_ = -1;
  TransactionLevels transactions_;
  bool schema_checked_ = false;  // for the batch being run
};

}  // namespace ado::sqlite
