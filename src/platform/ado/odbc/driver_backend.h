// The StatementBackend over the SQLite ODBC driver: each statement of a translated batch goes to
// the driver with its markers made plain and its values bound as ODBC parameters; @@IDENTITY is
// kept by the runtime the driver's connection loaded, which only SQL reaches; the schema is read
// through pragmas.
#pragma once

#include <string>
#include <vector>

#include "platform/ado/odbc/odbc_connection.h"
#include "platform/ado/sqlite/statement_backend.h"

namespace ado::odbc {

class DriverBackend final : public sqlite::StatementBackend {
 public:
  explicit DriverBackend(OdbcConnection& connection) : connection_(connection) {}

  bool TestCondition(const sqlite::BoundStatement& condition) override;
  std::int64_t RunCommand(const sqlite::BoundStatement& statement) override;
  std::int64_t RunToEnd(const sqlite::BoundStatement& statement) override;
  void ReadRows(const sqlite::BoundStatement& query, tsql::Schema& schema, RowSet& rows) override;
  std::vector<sqlite::DescribedColumn> DescribeColumns(const sqlite::BoundStatement& query,
                                                       tsql::Schema& schema) override;
  void RunGenerated(std::u16string_view source, const std::string& sql) override;
  void KeepIdentity(bool table_has_identity) override;

  void RunInternal(const char* sql) override { connection_.RunInternal(sql); }
  bool RunQuietly(const char* sql) noexcept override;
  void RunOptional(const std::string& sql) override;
  std::vector<std::string> ReadTexts(const std::string& sql) override;

  std::shared_ptr<const tsql::TableColumns> ReadColumns(std::u16string_view name,
                                                        bool temp) override;
  std::string TableDefinition(const std::string& table, bool temp) override;
  std::string ViewDefinition(const std::string& view) override;
  std::vector<sqlite::TableInfoColumn> TableInfo(const std::string& sql,
                                                 std::u16string_view source) override;
  std::optional<std::int64_t> SchemaVersion() override;
  void ReloadSchema() override { connection_.RunInternal(sqlite::kSchemaCheck); }

  bool InTransaction() const override { return connection_.InTransaction(); }
  // Through the driver as SQL: the driver commits each statement until BEGIN, and leaves the
  // transaction to the statements after it.
  void BeginTransaction() override;
  void EndTransaction(bool commit) override;
  bool PrepareForBatch() override { return connection_.ReconnectIfLost(); }

  [[noreturn]] void Raise(std::int32_t hresult, const std::string& message,
                          std::u16string_view source, std::string_view sql) override;

 private:
  // Runs a statement of the translation with the batch's values bound to its markers.
  Handle Run(const sqlite::BoundStatement& bound);
  bool Declares(bool temp, std::u16string_view name);
  std::string Definition(std::string sql, const std::string& name);
  CallContext Where(const sqlite::BoundStatement& bound) {
    return connection_.Where(bound.source, bound.sql);
  }

  OdbcConnection& connection_;
  // The batch's literals and @@ROWCOUNT as parameters of the statement being run.
  std::vector<ParameterValue> bound_values_;
};

}  // namespace ado::odbc
