#include "platform/ado/sqlite/sqlite_provider.h"

#include <fmt/format.h>
#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <unordered_map>
#include <utility>

#include "platform/ado/sql_trace.h"
#include "platform/ado/sqlite/column_types.h"
#include "platform/ado/sqlite/engine.h"
#include "platform/ado/sqlite/engine_setup.h"
#include "platform/ado/sqlite/parameters.h"
#include "platform/ado/sqlite/translated_statements.h"
#include "platform/io/regular_file.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/text.h"
#include "platform/tsql/engine_names.h"
#include "platform/tsql/program.h"
#include "platform/tsql/runtime/runtime.h"
#include "platform/tsql/shape.h"
#include "platform/tsql/sql_type.h"

namespace ado::sqlite {
namespace {

class SqliteProvider final : public Provider, private StatementRunner, private tsql::Schema {
 public:
  explicit SqliteProvider(const SqliteOptions& options) { Open(options); }

  ~SqliteProvider() override {
    cache_.reset();
    sqlite3_close_v2(db_);
  }

  SqliteProvider(const SqliteProvider&) = delete;
  SqliteProvider& operator=(const SqliteProvider&) = delete;

  ExecuteResult Execute(std::u16string_view batch,
                        std::span<const ParameterValue> parameters) override {
    ExecuteResult result;
    const BatchScope scope(*this, batch, description_, parameters, result);
    if (batch.find_first_not_of(u" \t\r\n") == std::u16string_view::npos) {
      RaiseProviderError(static_cast<std::int32_t>(0x80040E0CU),
                         "Command text was not set for the command object", {description_, {}, {}});
    }
    if (abandoned_) {
      RaiseProviderError(
          kEFail, std::string(kTransactionRolledBack) + ": end it before running more statements",
          {description_, batch, {}});
    }
    ForgetTablesIfSchemaChanged();
    tsql::Translation translation = tsql::Translate(batch, this);
    const std::shared_ptr<const tsql::Program>& program = translation.program;
    if (parameters.size() != static_cast<std::size_t>(program->marker_count)) {
      RaiseProviderError(static_cast<std::int32_t>(0x80040E10U),
                         fmt::format("The batch has {} parameter marker(s) but {} value(s) were "
                                     "given",
                                     program->marker_count, parameters.size()),
                         {description_, batch, {}});
    }
    TakeWriteLockBeforeWriting(*program);
    batch_ = batch;
    translation_ = std::move(translation);
    try {
      tsql::Run(*translation_.program, *this);
      RaiseDeferredFailure();
    } catch (const oleaut::ComError& error) {
      tables_.clear();  // a statement that failed may have changed tables before it failed
      ForgetProbeIndexes();
      if (ScopeOfFailure(error) == FailureScope::kBatchAndTransaction) AbandonTransaction();
      throw;
    } catch (...) {
      tables_.clear();
      ForgetProbeIndexes();
      throw;
    }
    return result;
  }

  void BeginTransaction(ado::TransactionLock lock) override {
    if (!sqlite3_get_autocommit(db_)) {
      RaiseProviderError(kEFail, "A transaction is already active on this connection",
                         {description_, {}, {}});
    }
    ForgetTablesIfSchemaChanged();
    RunInternal(lock == ado::TransactionLock::Immediate ? "BEGIN IMMEDIATE" : "BEGIN DEFERRED");
    transaction_lock_ = lock;
    abandoned_ = false;
  }

  void CommitTransaction() override {
    if (std::exchange(abandoned_, false)) {
      RaiseProviderError(kEFail,
                         std::string(kTransactionRolledBack) + ": nothing of it was committed",
                         {description_, {}, {}});
    }
    if (sqlite3_get_autocommit(db_)) {
      RaiseProviderError(kEFail, "No transaction is active on this connection",
                         {description_, {}, {}});
    }
    RunInternal("COMMIT");
  }

  void RollbackTransaction() override {
    if (std::exchange(abandoned_, false)) return;  // rolled back already
    if (sqlite3_get_autocommit(db_)) {
      RaiseProviderError(kEFail, "No transaction is active on this connection",
                         {description_, {}, {}});
    }
    RunInternal("ROLLBACK");
    identity_tables_.clear();
    tables_.clear();
    ForgetProbeIndexes();
  }

  std::u16string Describe() const override { return description_; }

 private:
  // A conversion error ends the batch and its transaction: the work of the transaction is undone
  // at once, and the caller's end of it only learns so.
  void AbandonTransaction() {
    if (sqlite3_get_autocommit(db_)) return;
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    abandoned_ = true;
    identity_tables_.clear();
  }

  using StatementRunner::Execute;  // the statements of a translated batch

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
      RaiseProviderError(kEFail,
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
      RaiseProviderError(
          kEFail, fmt::format("Cannot open the SQLite database '{}': {}", path, message), {});
    }
    try {
      Configure(options, memory, exists);
    } catch (...) {
      sqlite3_close_v2(db_);
      db_ = nullptr;
      throw;
    }
    cache_ = std::make_unique<StatementCache>(db_);
    RefreshSqlTraceFromEnvironment();
  }

  void Configure(const SqliteOptions& options, bool memory, bool existed) {
    const ErrorContext where{description_, {}, {}};
    // Quoted names must never silently become string literals.
    Check(db_, sqlite3_db_config(db_, SQLITE_DBCONFIG_DQS_DML, 0, nullptr), where);
    Check(db_, sqlite3_db_config(db_, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr), where);
    Check(db_, sqlite3_busy_timeout(db_, options.busy_timeout_ms), where);
    // Text crosses as UTF-16 on both sides: a new database stores it so.
    if (!existed || memory) RunInternal("PRAGMA encoding = 'UTF-16le'");
    if (!memory && options.mode != SqliteOptions::Mode::kReadOnly) {
      RunInternal("PRAGMA journal_mode = WAL");
      RunInternal("PRAGMA synchronous = NORMAL");
    }
    RunInternal("PRAGMA foreign_keys = ON");
    RunInternal("PRAGMA temp_store = MEMORY");
    tsql::InstallSqliteRuntime(db_, &session_);
  }

  // ---- tsql::Schema ----
  // The columns of a table as declared, known once per table until the schema changes. They
  // are read from a statement prepared and never run: inside a deferred transaction a read
  // would fix the snapshot before the batch's first write, which then could not wait for a
  // concurrent writer.
  std::shared_ptr<const tsql::TableColumns> Columns(std::u16string_view name) override {
    const std::u16string key = tsql::LowerAscii(name);
    if (auto found = tables_.find(key); found != tables_.end()) return found->second;
    const bool temp = !name.empty() && name[0] == u'#';
    const std::string sql = std::string(temp ? "SELECT * FROM temp." : "SELECT * FROM main.") +
                            tsql::QuoteName(oleaut::ToUtf8(name));
    sqlite3_stmt* stmt = nullptr;
    std::shared_ptr<const tsql::TableColumns> found;
    const int rc =
        sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size()), &stmt, nullptr);
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> owner(stmt, sqlite3_finalize);
    // No such table, or one of SQLite's own that the database does not declare.
    if (rc == SQLITE_OK && (!tsql::IsEngineTableName(name) || Declares(temp, name, stmt))) {
      auto columns = std::make_shared<tsql::TableColumns>();
      for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
        const auto* column = static_cast<const char16_t*>(sqlite3_column_name16(stmt, i));
        std::optional<tsql::SqlType> type;
        bool identity = false;
        if (const char* declared = sqlite3_column_decltype(stmt, i)) {
          type = tsql::ParseDeclaredType(declared);
          // An identity is the AUTOINCREMENT key, always declared INTEGER.
          identity = LowerAscii(declared) == "integer" &&
                     IsAutoincrement(temp, sqlite3_column_table_name(stmt, i),
                                     sqlite3_column_origin_name(stmt, i));
        }
        columns->push_back({column ? std::u16string(column) : std::u16string(),
                            type ? *type : tsql::SqlType::Unknown(), identity});
      }
      found = std::move(columns);
    }
    tables_.emplace(key, found);
    return found;
  }

  // Whether the database declares the table or view that `stmt` (prepared to read all of `name`)
  // reads, rather than SQLite answering with a table of its own. From the schema the connection
  // holds in memory, as the columns are: a declared table is there by its name; a view is not,
  // but its columns come from other tables, where those of SQLite's tables come from themselves.
  bool Declares(bool temp, std::u16string_view name, sqlite3_stmt* stmt) {
    if (tsql::IsEngineReservedName(name)) return false;
    const std::string table = oleaut::ToUtf8(name);
    if (sqlite3_table_column_metadata(db_, temp ? "temp" : "main", table.c_str(), nullptr, nullptr,
                                      nullptr, nullptr, nullptr, nullptr) == SQLITE_OK) {
      return true;
    }
    const char* origin =
        sqlite3_column_count(stmt) > 0 ? sqlite3_column_table_name(stmt, 0) : nullptr;
    return !origin || LowerAscii(origin) != LowerAscii(table);
  }

  // From the schema the connection holds in memory: no read of the database.
  bool IsAutoincrement(bool temp, const char* table, const char* column) {
    int autoincrement = 0;
    return table && column &&
           sqlite3_table_column_metadata(db_, temp ? "temp" : "main", table, column, nullptr,
                                         nullptr, nullptr, nullptr, &autoincrement) == SQLITE_OK &&
           autoincrement != 0;
  }

  // A deferred transaction that has read and written nothing yet takes the write lock before a
  // batch that writes, waiting for other writers as BEGIN IMMEDIATE does. Otherwise a batch
  // that reads first (IF EXISTS ... INSERT) would fix its snapshot, and its write could only
  // fail when another writer had committed since. Restarting the empty transaction loses nothing.
  void TakeWriteLockBeforeWriting(const tsql::Program& program) {
    if (sqlite3_get_autocommit(db_) || transaction_lock_ != ado::TransactionLock::Deferred) return;
    if (sqlite3_txn_state(db_, "main") > SQLITE_TXN_NONE ||
        sqlite3_txn_state(db_, "temp") > SQLITE_TXN_NONE || !Writes(program.nodes)) {
      return;
    }
    RunInternal("COMMIT");
    try {
      RunInternal("BEGIN IMMEDIATE");
    } catch (...) {
      RunInternal("BEGIN DEFERRED");  // the caller's transaction goes on, as it was
      throw;
    }
    transaction_lock_ = ado::TransactionLock::Immediate;
  }

  // Whether the statements change the database's own tables (temporary ones take no lock).
  static bool Writes(const std::vector<tsql::Node>& nodes) {
    return std::any_of(nodes.begin(), nodes.end(), [](const tsql::Node& node) {
      if (const auto* statement = std::get_if<tsql::SqlStatement>(&node.item)) {
        return statement->kind != tsql::StatementKind::kQuery &&
               statement->kind != tsql::StatementKind::kAssign &&
               statement->kind != tsql::StatementKind::kSessionOption && !statement->target_temp;
      }
      const auto& branch = *std::get<std::unique_ptr<tsql::IfNode>>(node.item);
      return Writes(branch.then_nodes) || Writes(branch.else_nodes);
    });
  }

  // Another connection may have changed the database's tables. Asked only outside a
  // transaction, where the question is a transaction of its own.
  void ForgetTablesIfSchemaChanged() {
    if (!sqlite3_get_autocommit(db_)) return;
    static constexpr const char* kSql = "PRAGMA main.schema_version";
    const ErrorContext where{description_, {}, kSql};
    StatementCache::Lease lease(cache_->Prepare(kSql, where));
    if (Check(db_, sqlite3_step(lease.Get()), where) != SQLITE_ROW) return;
    const std::int64_t version = sqlite3_column_int64(lease.Get(), 0);
    if (version != schema_version_) tables_.clear();
    schema_version_ = version;
  }

  // Statements of the provider's own (pragmas, transactions), not of a batch.
  void RunOptional(const std::string& sql) override {
    NoteRun(sql);
    sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr);
  }

  void RunInternal(const char* sql) override {
    char* message = nullptr;
    const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, &message);
    sqlite3_free(message);
    Check(db_, rc, {description_, {}, sql});
  }

  ErrorContext Where(const tsql::SqlStatement& statement, std::string_view sql) const {
    return {description_, translation_.SourceOf(batch_, statement), sql};
  }

  sqlite3_stmt* PrepareBound(const tsql::SqlStatement& statement, const std::string& sql) {
    const ErrorContext where = Where(statement, sql);
    sqlite3_stmt* stmt = cache_->Prepare(sql, where);
    BindMarkers(stmt, statement, where);
    return stmt;
  }

  void BindMarkers(sqlite3_stmt* stmt, const tsql::SqlStatement& statement,
                   const ErrorContext& where) {
    for (std::size_t k = 0; k < statement.markers.size(); ++k) {
      const tsql::BoundMarker marker = statement.markers[k];
      const auto index = static_cast<std::size_t>(marker.index);
      const int number = static_cast<int>(k + 1);
      switch (marker.from) {
        case tsql::BoundMarker::From::kLiteral:
          BindLiteral(stmt, number, translation_.binding->literals[index], where);
          break;
        case tsql::BoundMarker::From::kParameter:
          BindParameter(stmt, number, parameters_[index], marker.index + 1, where);
          break;
        case tsql::BoundMarker::From::kRowCount:
          Check(db_, sqlite3_bind_int64(stmt, number, row_count_), where);
          break;
      }
    }
  }

  // Steps to the end; the rows it stepped over.
  std::int64_t StepToEnd(sqlite3_stmt* stmt, const ErrorContext& where) {
    int rc;
    std::int64_t rows = 0;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
      ++rows;
    Check(db_, rc, where);
    return rows;
  }

  // ---- tsql::Executor ----
  bool TestCondition(const tsql::SqlStatement& condition) override {
    NoteRun(condition);
    StatementCache::Lease lease(PrepareBound(condition, condition.sql));
    const ErrorContext where = Where(condition, condition.sql);
    const int rc = Check(db_, sqlite3_step(lease.Get()), where);
    return rc == SQLITE_ROW && sqlite3_column_int(lease.Get(), 0) != 0;
  }

  std::int64_t RunCommand(const tsql::SqlStatement& statement) override {
    NoteRun(statement);
    StatementCache::Lease lease(PrepareBound(statement, statement.sql));
    StepToEnd(lease.Get(), Where(statement, statement.sql));
    if (statement.kind == tsql::StatementKind::kDdl) {
      identity_tables_.clear();
      tables_.clear();
      return 0;
    }
    const std::int64_t changes = sqlite3_changes64(db_);
    result_->records_affected = changes;
    if (statement.kind == tsql::StatementKind::kInsert && changes > 0) {
      // @@IDENTITY: the key just made in a table with an identity column, else NULL.
      if (HasIdentity(statement.target, statement.target_temp)) {
        session_.identity = sqlite3_last_insert_rowid(db_);
      } else {
        session_.identity.reset();
      }
    }
    return changes;
  }

  std::int64_t RunToEnd(const tsql::SqlStatement& statement) override {
    NoteRun(statement);
    StatementCache::Lease lease(PrepareBound(statement, statement.sql));
    return StepToEnd(lease.Get(), Where(statement, statement.sql));
  }

  std::int64_t RunQuery(const tsql::SqlStatement& statement) override {
    if (result_->rows) return RunToEnd(statement);  // only the first row set is handed back
    NoteRun(statement);
    StatementCache::Lease lease(PrepareBound(statement, statement.sql));
    const ErrorContext where = Where(statement, statement.sql);
    result_->rows.emplace();
    Collect(lease.Get(), statement, *result_->rows, where);
    return static_cast<std::int64_t>(result_->rows->RowCount());
  }

  void Collect(sqlite3_stmt* stmt, const tsql::SqlStatement& statement, RowSet& rows,
               const ErrorContext& where) {
    // The first step prepares a cached statement again when the schema changed since (a
    // temporary table made anew): only then do its columns describe what it reads.
    int rc = Check(db_, sqlite3_step(stmt), where);
    const int count = sqlite3_column_count(stmt);
    const std::vector<const tsql::ResultHint*> hints = MatchHints(statement.columns, count);
    std::vector<ColumnType> types(static_cast<std::size_t>(count));
    std::vector<bool> undecided(static_cast<std::size_t>(count), false);
    for (int i = 0; i < count; ++i) {
      // The translator's type comes first: it knows the columns and types a UNION as a whole,
      // where the engine describes the first SELECT's column alone.
      ColumnType& type = types[static_cast<std::size_t>(i)];
      const tsql::ResultHint* hint = hints[static_cast<std::size_t>(i)];
      if (hint && !hint->type.empty()) type = MapDeclaredType(hint->type);
      if (type.kind == ValueKind::kNatural) {
        if (const char* declared = sqlite3_column_decltype(stmt, i)) {
          type = MapDeclaredType(declared);
        }
      }
      if (type.kind == ValueKind::kNatural) undecided[static_cast<std::size_t>(i)] = true;
      if (hint && hint->named) {
        // SQL Server names a column as the statement spells it ("fname"); the engine would give
        // the declared spelling ("FName").
        type.info.name = hint->name;
      } else {
        const void* name = sqlite3_column_name16(stmt, i);
        type.info.name =
            name ? std::u16string(static_cast<const char16_t*>(name)) : std::u16string();
      }
    }
    std::vector<std::int32_t> text_length(static_cast<std::size_t>(count), 0);
    for (; rc == SQLITE_ROW; rc = sqlite3_step(stmt)) {
      for (int i = 0; i < count; ++i) {
        const auto c = static_cast<std::size_t>(i);
        oleaut::Variant value = ReadValue(stmt, i, types[c]);
        if (undecided[c]) {
          const int storage = sqlite3_column_type(stmt, i);
          if (storage != SQLITE_NULL) {
            std::u16string name = std::move(types[c].info.name);
            types[c] = NaturalType(storage);
            types[c].info.name = std::move(name);
            undecided[c] = false;
          }
        }
        if (types[c].kind == ValueKind::kNatural && value.IsString()) {
          text_length[c] =
              std::max(text_length[c], static_cast<std::int32_t>(value.AsString().size()));
        }
        rows.values.push_back(std::move(value));
      }
    }
    Check(db_, rc, where);
    rows.columns.reserve(types.size());
    for (std::size_t c = 0; c < types.size(); ++c) {
      if (types[c].kind == ValueKind::kNatural && types[c].info.type == adVarWChar) {
        types[c].info.defined_size = std::max(1, text_length[c]);
      }
      rows.columns.push_back(std::move(types[c].info));
    }
  }

  // SELECT ... INTO: the table is made with the declared types of the query's columns (or the
  // types their expressions fix), so that it keeps bit, datetime and decimal(p,s) columns as
  // SQL Server's would, then filled by the same query.
  std::int64_t RunSelectInto(const tsql::SqlStatement& statement) override {
    std::vector<DescribedColumn> described;
    {
      // Prepared afresh, not from the cache: a cached statement describes the schema it was
      // prepared for until it runs again.
      sqlite3_stmt* stmt = nullptr;
      Check(db_,
            sqlite3_prepare_v2(db_, statement.sql.c_str(), static_cast<int>(statement.sql.size()),
                               &stmt, nullptr),
            Where(statement, statement.sql));
      const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> owner(stmt, sqlite3_finalize);
      for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
        const void* raw = sqlite3_column_name16(stmt, i);
        DescribedColumn column;
        if (raw) column.name = static_cast<const char16_t*>(raw);
        if (const char* declared = sqlite3_column_decltype(stmt, i)) {
          column.declared = tsql::ParseDeclaredType(declared);
        }
        described.push_back(std::move(column));
      }
    }
    const SelectIntoPlan plan =
        SelectIntoStatements(statement, described, NewIdentitySeed(statement), RaiseFor(statement));
    tables_.clear();
    for (const std::string& sql : plan.before)
      RunGenerated(statement, sql);
    if (as_run_) NoteRun(tsql::WithLiteralsShown(plan.insert, statement, *translation_.binding));
    {
      StatementCache::Lease lease(PrepareBound(statement, plan.insert));
      StepToEnd(lease.Get(), Where(statement, plan.insert));
    }
    const std::int64_t rows = sqlite3_changes64(db_);
    result_->records_affected = rows;
    for (const std::string& sql : plan.after)
      RunGenerated(statement, sql);
    identity_tables_.clear();
    return rows;
  }

  RaiseFunction RaiseFor(const tsql::SqlStatement& statement) override {
    return [this, &statement](std::int32_t hresult, const std::string& message) {
      RaiseProviderError(hresult, message, Where(statement, {}));
    };
  }

  // A statement the provider made for the batch, without markers.
  void RunGenerated(const tsql::SqlStatement& statement, const std::string& sql) {
    NoteRun(sql);
    StatementCache::Lease lease(cache_->Prepare(sql, Where(statement, sql)));
    StepToEnd(lease.Get(), Where(statement, sql));
  }

  // SQLite cannot change a column's type: the temporary table is built again with the new type,
  // its rows converted as SQL Server converts them, all or nothing.
  void RunAlterColumn(const tsql::SqlStatement& statement) override {
    std::vector<TableInfoColumn> columns;
    const std::string info = TableInfoQuery(statement);
    {
      StatementCache::Lease lease(cache_->Prepare(info, Where(statement, info)));
      int rc;
      while ((rc = sqlite3_step(lease.Get())) == SQLITE_ROW) {
        TableInfoColumn c;
        const auto text = [&](int i) {
          const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(lease.Get(), i));
          return p ? std::string(p) : std::string();
        };
        c.name = text(1);
        c.type = text(2);
        c.not_null = sqlite3_column_int(lease.Get(), 3) != 0;
        c.default_value = text(4);
        c.key = sqlite3_column_int(lease.Get(), 5);
        columns.push_back(std::move(c));
      }
      Check(db_, rc, Where(statement, info));
    }
    const std::vector<std::string> statements = AlterColumnStatements(
        statement, columns, TableDefinition(statement.target, true), RaiseFor(statement));
    tables_.clear();
    RunInternal("SAVEPOINT tsql_alter_column");
    try {
      for (const std::string& sql : statements)
        RunGenerated(statement, sql);
      RunInternal("RELEASE tsql_alter_column");
    } catch (...) {
      sqlite3_exec(db_, "ROLLBACK TO tsql_alter_column", nullptr, nullptr, nullptr);
      sqlite3_exec(db_, kAlterColumnRecovery, nullptr, nullptr, nullptr);
      sqlite3_exec(db_, "RELEASE tsql_alter_column", nullptr, nullptr, nullptr);
      throw;
    }
    identity_tables_.clear();
  }

  bool HasIdentity(const std::string& table, bool temp) {
    const std::string key = (temp ? "t:" : "m:") + LowerAscii(table);
    if (auto found = identity_tables_.find(key); found != identity_tables_.end()) {
      return found->second;
    }
    const bool identity = DeclaresIdentity(TableDefinition(table, temp));
    identity_tables_.emplace(key, identity);
    return identity;
  }

  // The CREATE TABLE text SQLite keeps for `table`; empty when there is no such table.
  std::string TableDefinition(const std::string& table, bool temp) override {
    const std::string sql = TableDefinitionQuery(temp);
    const ErrorContext where{description_, {}, sql};
    StatementCache::Lease lease(cache_->Prepare(sql, where));
    Check(db_,
          sqlite3_bind_text(lease.Get(), 1, table.data(), static_cast<int>(table.size()), nullptr),
          where);
    std::string text;
    if (Check(db_, sqlite3_step(lease.Get()), where) == SQLITE_ROW) {
      if (const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(lease.Get(), 0))) {
        text = p;
      }
    }
    return text;
  }

  sqlite3* db_ = nullptr;
  std::u16string description_;
  tsql::SessionState session_;
  std::unique_ptr<StatementCache> cache_;
  std::unordered_map<std::string, bool> identity_tables_;
  // Columns of tables that batches were translated against (nullptr: no such table).
  std::unordered_map<std::u16string, std::shared_ptr<const tsql::TableColumns>> tables_;
  std::int64_t schema_version_ = -1;
  ado::TransactionLock transaction_lock_ = ado::TransactionLock::Deferred;
  bool abandoned_ = false;  // the caller's transaction was rolled back by a failed batch
};

}  // namespace

std::unique_ptr<Provider> OpenSqliteProvider(const SqliteOptions& options) {
  return std::make_unique<SqliteProvider>(options);
}

}  // namespace ado::sqlite
