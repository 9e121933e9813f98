#include "platform/ado/sqlite/sqlite_provider.h"

#include <fmt/format.h>
#include <sqlite3.h>

#include <filesystem>
#include <memory>

#include "platform/ado/sql_trace.h"
#include "platform/ado/sqlite/engine.h"
#include "platform/ado/sqlite/engine_backend.h"
#include "platform/ado/sqlite/engine_setup.h"
#include "platform/ado/sqlite/translated_session.h"
#include "platform/io/regular_file.h"
#include "platform/oleaut/hresult.h"
#include "platform/oleaut/text.h"
#include "platform/tsql/runtime/runtime.h"

namespace ado::sqlite {
namespace {

class SqliteProvider final : public Provider {
 public:
  explicit SqliteProvider(const SqliteOptions& options) { Open(options); }

  ~SqliteProvider() override {
    session_.reset();
    backend_.reset();
    sqlite3_close_v2(db_);
  }

  SqliteProvider(const SqliteProvider&) = delete;
  SqliteProvider& operator=(const SqliteProvider&) = delete;

  ExecuteResult Execute(std::u16string_view batch,
                        std::span<const ParameterValue> parameters) override {
    return session_->Execute(batch, parameters);
  }

  std::vector<std::u16string> TakeMessages() override { return session_->TakeMessages(); }

  void BeginTransaction(ado::TransactionLock lock) override {
    if (backend_->TransactionOpen()) {
      RaiseProviderError(oleaut::E_FAIL, "A transaction is already active on this connection",
                         {description_, {}, {}});
    }
    backend_->BeginTransaction(lock);
    session_->CallerBegan();
  }

  void CommitTransaction() override {
    const std::string ended = EndedTransactionError(session_->CallerEnds());
    if (!ended.empty()) RaiseProviderError(oleaut::E_FAIL, ended, {description_, {}, {}});
    if (!backend_->TransactionOpen()) {
      RaiseProviderError(oleaut::E_FAIL, "No transaction is active on this connection",
                         {description_, {}, {}});
    }
    backend_->EndTransaction(/*commit=*/true);
  }

  void RollbackTransaction() override {
    // A failed batch or a batch's own COMMIT or ROLLBACK may have ended it already.
    if (session_->CallerEnds() != TransactionLevels::CallerEnd::kOpen) return;
    if (!backend_->TransactionOpen()) {
      RaiseProviderError(oleaut::E_FAIL, "No transaction is active on this connection",
                         {description_, {}, {}});
    }
    backend_->EndTransaction(/*commit=*/false);
    session_->ForgetTables();
  }

  std::u16string Describe() const override { return description_; }

 private:
  void Open(const SqliteOptions& options) {
    using Mode = SqliteOptions::Mode;
    const bool memory = options.mode == Mode::kMemory || options.path == u":memory:";
    const std::string path = memory ? std::string(":memory:") : oleaut::ToUtf8(options.path);
    description_ = u"SQLite " + (memory ? std::u16string(u":memory:") : options.path);
    // SQLite would open a FIFO or a device too, and then wait on it or write into it.
    if (!memory) io::RequireRegularOrAbsent(path);
    std::error_code ignored;
    const bool exists = !memory && std::filesystem::exists(path, ignored);
    if (!memory && !exists && options.mode != Mode::kReadWriteCreate) {
      RaiseProviderError(oleaut::E_FAIL,
                         fmt::format("The SQLite database file '{}' does not exist (add "
                                     "Mode=ReadWriteCreate to the connection string to create it)",
                                     path),
                         {});
    }
    int flags = SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_EXRESCODE;
    flags |= options.mode == Mode::kReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    if (options.mode == Mode::kReadWriteCreate || memory) flags |= SQLITE_OPEN_CREATE;
    ConfigureEngineOnce();
    const int rc = sqlite3_open_v2(path.c_str(), &db_, flags, nullptr);
    if (rc != SQLITE_OK) {
      const std::string message = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
      sqlite3_close_v2(db_);
      db_ = nullptr;
      RaiseProviderError(oleaut::E_FAIL,
                         fmt::format("Cannot open the SQLite database '{}': {}", path, message),
                         {});
    }
    try {
      backend_ = std::make_unique<EngineBackend>(db_, description_);
      Configure(options, memory, exists);
      session_ = std::make_unique<TranslatedSession>(*backend_, description_);
    } catch (...) {
      backend_.reset();
      sqlite3_close_v2(db_);
      db_ = nullptr;
      throw;
    }
    RefreshSqlTraceFromEnvironment();
  }

  void Configure(const SqliteOptions& options, bool memory, bool existed) {
    const ErrorContext where{description_, {}, {}};
    // Quoted names must never silently become string literals.
    Check(db_, sqlite3_db_config(db_, SQLITE_DBCONFIG_DQS_DML, 0, nullptr), where);
    Check(db_, sqlite3_db_config(db_, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr), where);
    Check(db_, sqlite3_busy_timeout(db_, options.busy_timeout_ms), where);
    // Text crosses as UTF-16 on both sides: a new database stores it so.
    if (!existed || memory) backend_->RunInternal("PRAGMA encoding = 'UTF-16le'");
    if (!memory && options.mode != SqliteOptions::Mode::kReadOnly) {
      backend_->RunInternal("PRAGMA journal_mode = WAL");
      backend_->RunInternal("PRAGMA synchronous = NORMAL");
    }
    backend_->RunInternal("PRAGMA foreign_keys = ON");
    backend_->RunInternal("PRAGMA temp_store = MEMORY");
    tsql::InstallSqliteRuntime(db_, &backend_->Session());
  }

  sqlite3* db_ = nullptr;
  std::u16string description_;
  std::unique_ptr<EngineBackend> backend_;  // before session_: outlives it
  std::unique_ptr<TranslatedSession> session_;
};

}  // namespace

std::unique_ptr<Provider> OpenSqliteProvider(const SqliteOptions& options) {
  return std::make_unique<SqliteProvider>(options);
}

}  // namespace ado::sqlite
