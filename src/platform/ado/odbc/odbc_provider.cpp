#include "platform/ado/odbc/odbc_provider.h"

#include <memory>
#include <utility>

#include "platform/ado/odbc/driver_backend.h"
#include "platform/ado/odbc/odbc_call.h"
#include "platform/ado/odbc/odbc_connection.h"
#include "platform/ado/odbc/result_reader.h"
#include "platform/ado/sql_trace.h"
#include "platform/ado/sqlite/translated_session.h"
#include "platform/oleaut/hresult.h"
#include "platform/oleaut/text.h"

namespace ado::odbc {
namespace {

constexpr std::int32_t kNoCommandText = oleaut::DB_E_NOCOMMAND;

// Traces a batch sent unchanged, ran or failed, as the translated session traces its batches.
class PassThroughTrace {
 public:
  PassThroughTrace(std::u16string_view batch, std::u16string_view provider)
      : batch_(batch), provider_(provider), active_(SqlTraceActive()) {}
  PassThroughTrace(const PassThroughTrace&) = delete;
  PassThroughTrace& operator=(const PassThroughTrace&) = delete;
  ~PassThroughTrace() {
    if (active_) TraceSql({std::u16string(batch_), std::move(as_run_), std::u16string(provider_)});
  }
  // The batch went to the engine.
  void Ran() {
    if (active_) as_run_ = oleaut::ToUtf8(batch_) + '\n';
  }

 private:
  std::u16string_view batch_;
  std::u16string_view provider_;
  bool active_;
  std::string as_run_;
};

class OdbcProvider final : public Provider {
 public:
  explicit OdbcProvider(OdbcTarget target) : connection_(std::move(target)) {
    if (connection_.EngineDialect() == Dialect::kSqlite) {
      backend_ = std::make_unique<DriverBackend>(connection_);
      translated_ =
          std::make_unique<sqlite::TranslatedSession>(*backend_, connection_.Target().description);
    }
    RefreshSqlTraceFromEnvironment();
  }

  ~OdbcProvider() override {
    const bool abandoned =
        translated_ && translated_->CallerEnds() != sqlite::TransactionLevels::CallerEnd::kOpen;
    if (connection_.InTransaction() && connection_.Dbc() && !connection_.Lost() && !abandoned) {
      try {
        EndTransaction(/*commit=*/false);
      } catch (...) {  // NOLINT(bugprone-empty-catch): the session ends anyway, taking its work
      }
    }
  }

  OdbcProvider(const OdbcProvider&) = delete;
  OdbcProvider& operator=(const OdbcProvider&) = delete;

  ExecuteResult Execute(std::u16string_view batch,
                        std::span<const ParameterValue> parameters) override {
    try {
      if (translated_) return translated_->Execute(batch, parameters);
      return RunPassThrough(batch, parameters);
    } catch (...) {
      if (connection_.Lost()) connection_.Disconnect();
      throw;
    }
  }

  std::vector<std::u16string> TakeMessages() override {
    return translated_ ? translated_->TakeMessages() : std::vector<std::u16string>{};
  }

  void BeginTransaction(TransactionLock /*lock*/) override {
    Reconnect();
    if (connection_.InTransaction()) {
      RaiseProviderError(oleaut::E_FAIL, "A transaction is already active on this connection",
                         connection_.Where());
    }
    if (translated_) {
      backend_->BeginTransaction();
      translated_->CallerBegan();
      return;
    }
    connection_.SetAutocommit(false);
    connection_.SetInTransaction(true);
  }

  void CommitTransaction() override {
    if (translated_) {
      const std::string ended = sqlite::EndedTransactionError(translated_->CallerEnds());
      if (!ended.empty()) {
        connection_.SetInTransaction(false);
        RaiseProviderError(oleaut::E_FAIL, ended, connection_.Where());
      }
    }
    RequireTransaction();
    if (connection_.Lost()) {
      connection_.SetInTransaction(false);
      RaiseProviderError(oleaut::E_FAIL,
                         "The connection was lost during the transaction, which the server has "
                         "rolled back",
                         connection_.Where());
    }
    EndTransaction(/*commit=*/true);
  }

  void RollbackTransaction() override {
    // A failed batch or a batch's own COMMIT or ROLLBACK may have ended it already.
    if (translated_ && translated_->CallerEnds() != sqlite::TransactionLevels::CallerEnd::kOpen) {
      connection_.SetInTransaction(false);
      return;
    }
    RequireTransaction();
    // A lost connection took its transaction with it.
    if (connection_.Lost()) {
      connection_.SetInTransaction(false);
      return;
    }
    if (translated_) translated_->ForgetTables();
    EndTransaction(/*commit=*/false);
  }

  std::u16string Describe() const override { return connection_.Target().description; }

 private:
  // Opens the session again when it was lost: nothing known of the old one holds.
  void Reconnect() {
    if (connection_.ReconnectIfLost() && translated_) translated_->ForgetTables();
  }

  void RequireTransaction() {
    if (!connection_.InTransaction()) {
      RaiseProviderError(oleaut::E_FAIL, "No transaction is active on this connection",
                         connection_.Where());
    }
  }

  void EndTransaction(bool commit) {
    if (translated_) {
      backend_->EndTransaction(commit);
      return;
    }
    connection_.SetInTransaction(false);
    try {
      TAV_ODBC_CALL(SQL_HANDLE_DBC, connection_.Dbc(), connection_.Where(), SQLEndTran,
                    SQL_HANDLE_DBC, connection_.Dbc(),
                    static_cast<SQLSMALLINT>(commit ? SQL_COMMIT : SQL_ROLLBACK));
    } catch (...) {
      // Back to committing each statement even so: a session left in manual mode would hold
      // every later statement in a transaction that nothing ends, and lose them all on close.
      if (!connection_.Lost()) {
        try {
          connection_.SetAutocommit(true);
        } catch (...) {  // NOLINT(bugprone-empty-catch): the failed end is what the caller sees
        }
      }
      throw;
    }
    connection_.SetAutocommit(true);
  }

  // ---- SQL Server and other drivers: the batch as it is ----
  ExecuteResult RunPassThrough(std::u16string_view batch,
                               std::span<const ParameterValue> parameters) {
    ExecuteResult result;
    PassThroughTrace trace(batch, connection_.Target().description);
    if (batch.find_first_not_of(u" \t\r\n") == std::u16string_view::npos) {
      RaiseProviderError(kNoCommandText, "Command text was not set for the command object",
                         connection_.Where());
    }
    Reconnect();
    std::vector<const ParameterValue*> values;
    for (const ParameterValue& p : parameters)
      values.push_back(&p);
    trace.Ran();
    const CallContext where = connection_.Where(batch);
    Handle stmt = connection_.Run(std::u16string(batch), values, where, ValueStyle::kSqlServer);
    for (;;) {
      SQLSMALLINT count = 0;
      TAV_ODBC_CALL(SQL_HANDLE_STMT, stmt.Get(), where, SQLNumResultCols, stmt.Get(), &count);
      if (count > 0) {
        // Only the first row set of a batch is handed back; later ones still run.
        if (!result.rows) {
          result.rows.emplace();
          std::vector<sqlite::ColumnType> types;
          for (DriverColumn& column : DescribeColumns(stmt.Get(), connection_.Api(), where)) {
            types.push_back(SqlServerColumnType(column));
            types.back().info.name = std::move(column.name);
          }
          ReadRows(stmt.Get(), std::move(types), ValueStyle::kSqlServer, TextFetch::kPerValue,
                   *result.rows, where);
        }
      } else {
        SQLLEN changed = -1;
        TAV_ODBC_CALL(SQL_HANDLE_STMT, stmt.Get(), where, SQLRowCount, stmt.Get(), &changed);
        if (changed >= 0) result.records_affected = changed;
      }
      if (TAV_ODBC_CALL(SQL_HANDLE_STMT, stmt.Get(), where, SQLMoreResults, stmt.Get()) ==
          SQL_NO_DATA) {
        break;
      }
    }
    return result;
  }

  OdbcConnection connection_;
  std::unique_ptr<DriverBackend> backend_;  // the SQLite driver's; before translated_
  std::unique_ptr<sqlite::TranslatedSession> translated_;
};

}  // namespace

std::unique_ptr<Provider> OpenOdbcProvider(const ConnectionSettings& settings) {
  return std::make_unique<OdbcProvider>(MapConnectionString(settings));
}

}  // namespace ado::odbc
