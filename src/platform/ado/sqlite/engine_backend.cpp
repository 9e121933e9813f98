#include "platform/ado/sqlite/engine_backend.h"

#include <algorithm>
#include <utility>

#include "platform/ado/sqlite/column_types.h"
#include "platform/ado/sqlite/parameters.h"
#include "platform/oleaut/text.h"
#include "platform/tsql/engine_names.h"
#include "platform/tsql/shape.h"
#include "platform/tsql/sql_type.h"

namespace ado::sqlite {
namespace {

using FinalizedStatement = std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)>;

// Whether the statements change the database's own tables (temporary ones take no lock).
bool Writes(const std::vector<tsql::Node>& nodes) {
  bool writes = false;
  tsql::ForEachStatement(nodes, [&](const tsql::SqlStatement& statement) {
    writes =
        writes || (statement.kind != tsql::StatementKind::kQuery &&
                   statement.kind != tsql::StatementKind::kAssign &&
                   statement.kind != tsql::StatementKind::kSessionOption &&
                   statement.kind != tsql::StatementKind::kPrint &&
                   statement.kind != tsql::StatementKind::kRaise &&
                   statement.kind != tsql::StatementKind::kTransaction && !statement.target_temp);
  });
  return writes;
}

}  // namespace

sqlite3_stmt* EngineBackend::PrepareBound(const BoundStatement& bound, const ErrorContext& where) {
  sqlite3_stmt* stmt = cache_.Prepare(bound.sql, where);
  const std::vector<tsql::BoundMarker>& markers = bound.statement.markers;
  for (std::size_t k = 0; k < markers.size(); ++k) {
    const tsql::BoundMarker marker = markers[k];
    const auto index = static_cast<std::size_t>(marker.index);
    const int number = static_cast<int>(k + 1);
    switch (marker.from) {
      case tsql::BoundMarker::From::kLiteral:
        BindLiteral(stmt, number, bound.binding.literals[index], where);
        break;
      case tsql::BoundMarker::From::kParameter:
        BindParameter(stmt, number, bound.parameters[index], marker.index + 1, where);
        break;
      case tsql::BoundMarker::From::kRowCount:
        Check(db_, sqlite3_bind_int64(stmt, number, bound.row_count), where);
        break;
      case tsql::BoundMarker::From::kSession:
        BindParameter(stmt, number, bound.session[index], marker.index + 1, where);
        break;
    }
  }
  return stmt;
}

// Steps to the end; the rows it stepped over.
std::int64_t EngineBackend::StepToEnd(sqlite3_stmt* stmt, const ErrorContext& where) {
  int rc;
  std::int64_t rows = 0;
  while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
    ++rows;
  Check(db_, rc, where);
  return rows;
}

bool EngineBackend::TestCondition(const BoundStatement& condition) {
  const ErrorContext where = Where(condition.source, condition.sql);
  StatementCache::Lease lease(PrepareBound(condition, where));
  const int rc = Check(db_, sqlite3_step(lease.Get()), where);
  return rc == SQLITE_ROW && sqlite3_column_int(lease.Get(), 0) != 0;
}

std::int64_t EngineBackend::RunCommand(const BoundStatement& statement) {
  const ErrorContext where = Where(statement.source, statement.sql);
  StatementCache::Lease lease(PrepareBound(statement, where));
  StepToEnd(lease.Get(), where);
  return sqlite3_changes64(db_);
}

std::int64_t EngineBackend::RunToEnd(const BoundStatement& statement) {
  const ErrorContext where = Where(statement.source, statement.sql);
  StatementCache::Lease lease(PrepareBound(statement, where));
  return StepToEnd(lease.Get(), where);
}

void EngineBackend::ReadRows(const BoundStatement& query, tsql::Schema& /*schema*/, RowSet& rows) {
  const ErrorContext where = Where(query.source, query.sql);
  StatementCache::Lease lease(PrepareBound(query, where));
  sqlite3_stmt* stmt = lease.Get();
  // The first step prepares a cached statement again when the schema changed since (a
  // temporary table made anew): only then do its columns describe what it reads.
  int rc = Check(db_, sqlite3_step(stmt), where);
  const int count = sqlite3_column_count(stmt);
  const std::vector<const tsql::ResultHint*> hints = MatchHints(query.statement.columns, count);
  std::vector<ColumnType> types(static_cast<std::size_t>(count));
  std::vector<bool> undecided(static_cast<std::size_t>(count), false);
  for (int i = 0; i < count; ++i) {
    // The translator's type comes first: it knows the columns and types a UNION as a whole,
    // where the engine describes the first SELECT's column alone.
    ColumnType& type = types[static_cast<std::size_t>(i)];
    const tsql::ResultHint* hint = hints[static_cast<std::size_t>(i)];
    if (hint && !hint->type.empty()) type = MapDeclaredType(hint->type);
    if (type.kind == ValueKind::kNatural) {
      if (const char* declared = sqlite3_column_decltype(stmt, i)) type = MapDeclaredType(declared);
    }
    if (type.kind == ValueKind::kNatural) undecided[static_cast<std::size_t>(i)] = true;
    if (hint && hint->named) {
      // SQL Server names a column as the statement spells it ("fname"); the engine would give
      // the declared spelling ("FName").
      type.info.name = hint->name;
    } else {
      const void* name = sqlite3_column_name16(stmt, i);
      type.info.name = name ? std::u16string(static_cast<const char16_t*>(name)) : std::u16string();
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

std::vector<DescribedColumn> EngineBackend::DescribeColumns(const BoundStatement& query,
                                                            tsql::Schema& /*schema*/) {
  // Prepared afresh, not from the cache: a cached statement describes the schema it was
  // prepared for until it runs again.
  sqlite3_stmt* stmt = nullptr;
  Check(db_,
        sqlite3_prepare_v2(db_, query.sql.c_str(), static_cast<int>(query.sql.size()), &stmt,
                           nullptr),
        Where(query.source, query.sql));
  const FinalizedStatement owner(stmt, sqlite3_finalize);
  std::vector<DescribedColumn> described;
  for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
    const void* raw = sqlite3_column_name16(stmt, i);
    DescribedColumn column;
    if (raw) column.name = static_cast<const char16_t*>(raw);
    if (const char* declared = sqlite3_column_decltype(stmt, i)) {
      column.declared = tsql::ParseDeclaredType(declared);
    }
    described.push_back(std::move(column));
  }
  return described;
}

void EngineBackend::RunGenerated(std::u16string_view source, const std::string& sql) {
  const ErrorContext where = Where(source, sql);
  StatementCache::Lease lease(cache_.Prepare(sql, where));
  StepToEnd(lease.Get(), where);
}

void EngineBackend::KeepIdentity(bool table_has_identity) {
  if (table_has_identity) {
    session_.identity = sqlite3_last_insert_rowid(db_);
  } else {
    session_.identity.reset();
  }
}

void EngineBackend::RunInternal(const char* sql) {
  char* message = nullptr;
  const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, &message);
  sqlite3_free(message);
  Check(db_, rc, {description_, {}, sql});
}

bool EngineBackend::RunQuietly(const char* sql) noexcept {
  return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

void EngineBackend::RunOptional(const std::string& sql) {
  RunQuietly(sql.c_str());
}

// The columns are read from a statement prepared and never run: inside a deferred transaction
// a read would fix the snapshot before the batch's first write, which then could not wait for a
// concurrent writer.
std::shared_ptr<const tsql::TableColumns> EngineBackend::ReadColumns(std::u16string_view name,
                                                                     bool temp) {
  const std::string sql = std::string(temp ? "SELECT * FROM temp." : "SELECT * FROM main.") +
                          tsql::QuoteName(oleaut::ToUtf8(name));
  sqlite3_stmt* stmt = nullptr;
  const int rc = sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size()), &stmt, nullptr);
  const FinalizedStatement owner(stmt, sqlite3_finalize);
  // No such table, or one of SQLite's own that the database does not declare.
  if (rc != SQLITE_OK || (tsql::IsEngineTableName(name) && !Declares(temp, name, stmt))) {
    return nullptr;
  }
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
  return columns;
}

// Whether the database declares the table or view that `stmt` (prepared to read all of `name`)
// reads, rather than SQLite answering with a table of its own. From the schema the connection
// holds in memory, as the columns are: a declared table is there by its name; a view is not,
// but its columns come from other tables, where those of SQLite's tables come from themselves.
bool EngineBackend::Declares(bool temp, std::u16string_view name, sqlite3_stmt* stmt) {
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
bool EngineBackend::IsAutoincrement(bool temp, const char* table, const char* column) {
  int autoincrement = 0;
  return table && column &&
         sqlite3_table_column_metadata(db_, temp ? "temp" : "main", table, column, nullptr, nullptr,
                                       nullptr, nullptr, &autoincrement) == SQLITE_OK &&
         autoincrement != 0;
}

std::string EngineBackend::TableDefinition(const std::string& table, bool temp) {
  return Definition(TableDefinitionQuery(temp), table);
}

std::string EngineBackend::ViewDefinition(const std::string& view) {
  return Definition(ViewDefinitionQuery(), view);
}

// The text of the first row of a definition query whose ?1 is `name`.
std::string EngineBackend::Definition(const std::string& sql, const std::string& name) {
  const ErrorContext where{description_, {}, sql};
  StatementCache::Lease lease(cache_.Prepare(sql, where));
  Check(db_, sqlite3_bind_text(lease.Get(), 1, name.data(), static_cast<int>(name.size()), nullptr),
        where);
  std::string text;
  if (Check(db_, sqlite3_step(lease.Get()), where) == SQLITE_ROW) {
    if (const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(lease.Get(), 0))) {
      text = p;
    }
  }
  return text;
}

std::vector<TableInfoColumn> EngineBackend::TableInfo(const std::string& sql,
                                                      std::u16string_view source) {
  const ErrorContext where = Where(source, sql);
  StatementCache::Lease lease(cache_.Prepare(sql, where));
  std::vector<TableInfoColumn> columns;
  int rc;
  while ((rc = sqlite3_step(lease.Get())) == SQLITE_ROW) {
    const auto text = [&](int i) {
      const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(lease.Get(), i));
      return p ? std::string(p) : std::string();
    };
    columns.push_back({text(1), text(2), sqlite3_column_int(lease.Get(), 3) != 0, text(4),
                       sqlite3_column_int(lease.Get(), 5)});
  }
  Check(db_, rc, where);
  return columns;
}

std::vector<std::string> EngineBackend::ReadTexts(const std::string& sql) {
  const ErrorContext where = Where({}, sql);
  StatementCache::Lease lease(cache_.Prepare(sql, where));
  std::vector<std::string> texts;
  int rc;
  while ((rc = sqlite3_step(lease.Get())) == SQLITE_ROW) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(lease.Get(), 0));
    texts.emplace_back(text ? text : "",
                       static_cast<std::size_t>(sqlite3_column_bytes(lease.Get(), 0)));
  }
  Check(db_, rc, where);
  return texts;
}

std::optional<std::int64_t> EngineBackend::ReadSchemaVersion() {
  static constexpr const char* kSql = "PRAGMA main.schema_version";
  const ErrorContext where{description_, {}, kSql};
  StatementCache::Lease lease(cache_.Prepare(kSql, where));
  if (Check(db_, sqlite3_step(lease.Get()), where) != SQLITE_ROW) return std::nullopt;
  return sqlite3_column_int64(lease.Get(), 0);
}

std::optional<std::int64_t> EngineBackend::SchemaVersion() {
  // Outside a transaction the question is a transaction of its own; in one whose snapshot is
  // fixed (or that holds the write lock) it fixes nothing.
  if (sqlite3_get_autocommit(db_) || sqlite3_txn_state(db_, "main") > SQLITE_TXN_NONE) {
    return ReadSchemaVersion();
  }
  // A deferred transaction that has read nothing: asking in it would fix its snapshot before
  // its first write (see BeforeRunning). Restarting it empty loses nothing; one that wrote
  // temporary tables is not restarted, and asks nothing.
  if (sqlite3_txn_state(db_, "temp") > SQLITE_TXN_NONE) return std::nullopt;
  RunInternal("COMMIT");
  std::optional<std::int64_t> version;
  try {
    version = ReadSchemaVersion();
  } catch (...) {
    RunInternal("BEGIN DEFERRED");  // the caller's transaction goes on, as it was
    throw;
  }
  RunInternal("BEGIN DEFERRED");
  return version;
}

void EngineBackend::BeginTransaction(TransactionLock lock) {
  if (lock == TransactionLock::Immediate) RunInternal("BEGIN IMMEDIATE");
  transaction_lock_ = lock;
  begin_pending_ = lock == TransactionLock::Deferred;
}

void EngineBackend::EndTransaction(bool commit) {
  if (std::exchange(begin_pending_, false)) return;
  RunInternal(commit ? "COMMIT" : "ROLLBACK");
}

// A deferred transaction that has read and written nothing yet takes the write lock before a
// batch that writes, waiting for other writers as BEGIN IMMEDIATE does. Otherwise a batch that
// reads first (IF EXISTS ... INSERT) would fix its snapshot, and its write could only fail when
// another writer had committed since. Restarting the empty transaction loses nothing.
void EngineBackend::BeforeRunning(const tsql::Program& program) {
  if (begin_pending_) {
    const bool writes = Writes(program.nodes);
    RunInternal(writes ? "BEGIN IMMEDIATE" : "BEGIN DEFERRED");
    begin_pending_ = false;
    if (writes) transaction_lock_ = TransactionLock::Immediate;
    return;
  }
  if (sqlite3_get_autocommit(db_) || transaction_lock_ != TransactionLock::Deferred) return;
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
  transaction_lock_ = TransactionLock::Immediate;
}

void EngineBackend::Raise(std::int32_t hresult, const std::string& message,
                          std::u16string_view source, std::string_view sql) {
  RaiseProviderError(hresult, message, Where(source, sql));
}

}  // namespace ado::sqlite
