#include "platform/ado/sqlite/transaction_levels.h"

#include <algorithm>

#include "platform/oleaut/com_error.h"
#include "platform/tsql/sql_type.h"

namespace ado::sqlite {
namespace {

ServerError Error(std::int32_t number, std::u16string message) {
  return {number, 16, 1, 1, std::move(message)};
}

const std::u16string kCannotCommit =
    u"The current transaction cannot be committed and cannot support operations that write to "
    u"the log file. Roll back the transaction.";
const std::u16string kCannotRollBackToSavepoint =
    u"The current transaction cannot be committed and cannot be rolled back to a savepoint. "
    u"Roll back the entire transaction.";

std::string SavepointName(std::size_t depth) {
  return "tsql_save_" + std::to_string(depth);
}

// A table variable as it stands: the statements that make it (table, triggers, indexes) and
// those that put its rows back, each row written out by SQLite's quote(), which keeps every
// stored value exactly.
struct KeptTable {
  std::string name;
  std::vector<std::string> definition;
  std::vector<std::string> rows;
};

KeptTable Keep(StatementBackend& backend, const std::string& name) {
  const std::string literal = QuoteText(name);
  const std::string table = "temp." + tsql::QuoteName(name);
  KeptTable kept{
      name,
      backend.ReadTexts("SELECT sql FROM temp.sqlite_master WHERE tbl_name = " + literal +
                        " AND sql IS NOT NULL ORDER BY type <> 'table', rowid"),
      {}};
  const std::vector<std::string> columns =
      backend.ReadTexts("SELECT name FROM pragma_table_info(" + literal + ", 'temp')");
  std::string insert = "INSERT INTO " + table + " (";
  std::string values;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    insert += (i > 0 ? ", " : "") + tsql::QuoteName(columns[i]);
    values += (i > 0 ? " || ', ' || quote(" : "quote(") + tsql::QuoteName(columns[i]) + ")";
  }
  insert += ") VALUES (";
  kept.rows = backend.ReadTexts("SELECT " + QuoteText(insert) + " || " + values + " || ')' FROM " +
                                table + " ORDER BY rowid");
  return kept;
}

}  // namespace

std::string EndedTransactionError(TransactionLevels::CallerEnd end) {
  switch (end) {
    case TransactionLevels::CallerEnd::kOpen:
      return {};
    case TransactionLevels::CallerEnd::kRolledBack:
      return std::string(kTransactionRolledBack) + ": nothing of it was committed";
    case TransactionLevels::CallerEnd::kEnded:
      return "A batch's COMMIT or ROLLBACK ended the transaction before its caller's commit: The "
             "COMMIT TRANSACTION request has no corresponding BEGIN TRANSACTION.";
  }
  return {};
}

void TransactionLevels::CallerBegan() {
  Forget();
  levels_ = 1;
  caller_ = true;
}

// A transaction a batch began after ending the caller's is the one the caller ends.
TransactionLevels::CallerEnd TransactionLevels::CallerEnds() {
  const CallerEnd end = abandoned_                        ? CallerEnd::kRolledBack
                        : ended_by_batch_ && levels_ == 0 ? CallerEnd::kEnded
                                                          : CallerEnd::kOpen;
  Forget();
  return end;
}

void TransactionLevels::Forget() {
  EndAll(/*ended_by_batch=*/false);
  caller_ = false;
  abandoned_ = false;
  ended_by_batch_ = false;
}

void TransactionLevels::Begin(const std::u16string& name) {
  if (levels_ == 0) {
    backend_.BeginTransaction();
    name_ = name;
  }
  ++levels_;
}

std::optional<ServerError> TransactionLevels::Commit() {
  if (levels_ == 0) {
    return Error(3902, u"The COMMIT TRANSACTION request has no corresponding BEGIN TRANSACTION.");
  }
  if (doomed_) return Error(3930, kCannotCommit);
  if (levels_ == 1) {
    backend_.EndTransaction(/*commit=*/true);
    EndAll(/*ended_by_batch=*/true);
    return std::nullopt;
  }
  --levels_;
  return std::nullopt;
}

std::optional<ServerError> TransactionLevels::Rollback(const std::u16string& name) {
  if (levels_ == 0) {
    return Error(3903, u"The ROLLBACK TRANSACTION request has no corresponding BEGIN TRANSACTION.");
  }
  if (!name.empty() && name != name_) {
    // Names are compared as written, as SQL Server compares them whatever its collation.
    const auto found = std::find(savepoints_.rbegin(), savepoints_.rend(), name);
    if (found == savepoints_.rend()) {
      return Error(6401, u"Cannot roll back " + name +
                             u". No transaction or savepoint of that name was found.");
    }
    if (doomed_) return Error(3931, kCannotRollBackToSavepoint);
    const auto depth = static_cast<std::size_t>(savepoints_.rend() - found) - 1;
    RollBackKeepingTableVariables(("ROLLBACK TO " + SavepointName(depth)).c_str());
    savepoints_.resize(depth + 1);
    return std::nullopt;
  }
  if (!doomed_) RollBackKeepingTableVariables(nullptr);
  EndAll(/*ended_by_batch=*/true);
  return std::nullopt;
}

std::optional<ServerError> TransactionLevels::Save(const std::u16string& name) {
  if (levels_ == 0) {
    return Error(628, u"Cannot issue SAVE TRANSACTION when there is no active transaction.");
  }
  if (doomed_) return Error(3931, kCannotRollBackToSavepoint);
  backend_.RunInternal(("SAVEPOINT " + SavepointName(savepoints_.size())).c_str());
  savepoints_.push_back(name);
  return std::nullopt;
}

void TransactionLevels::Doom() {
  if (levels_ == 0 || doomed_) return;
  RollBackKeepingTableVariables(nullptr);
  doomed_ = true;
}

void TransactionLevels::Abandon() {
  if (levels_ == 0) return;
  if (!doomed_ && backend_.InTransaction()) {
    try {
      backend_.EndTransaction(/*commit=*/false);
    } catch (const oleaut::ComError&) {
      return;  // the batch's own failure is what the caller sees
    }
  }
  if (caller_) abandoned_ = true;
  EndAll(/*ended_by_batch=*/false);
}

std::optional<ServerError> TransactionLevels::EndOfBatch() {
  if (!doomed_) return std::nullopt;
  if (caller_) abandoned_ = true;
  EndAll(/*ended_by_batch=*/false);
  return Error(3998,
               u"Uncommittable transaction is detected at the end of the batch. The transaction "
               u"is rolled back.");
}

void TransactionLevels::EndAll(bool ended_by_batch) {
  if (caller_ && ended_by_batch) ended_by_batch_ = true;
  caller_ = caller_ && !ended_by_batch;
  levels_ = 0;
  doomed_ = false;
  name_.clear();
  savepoints_.clear();
}

// `rollback` null: the whole transaction. The rows are read before and written back after, in
// a transaction of their own when the rollback ended the engine's.
void TransactionLevels::RollBackKeepingTableVariables(const char* rollback) {
  std::vector<KeptTable> kept;
  for (const std::string& name : backend_.ReadTexts(
           "SELECT name FROM temp.sqlite_master WHERE type = 'table' AND name LIKE '@%'")) {
    kept.push_back(Keep(backend_, name));
  }
  if (rollback) {
    backend_.RunInternal(rollback);
  } else if (backend_.InTransaction()) {
    backend_.EndTransaction(/*commit=*/false);
  }
  if (kept.empty()) return;
  backend_.RunInternal("SAVEPOINT tsql_keep_table_variables");
  try {
    for (const KeptTable& table : kept) {
      if (backend_.TableDefinition(table.name, true).empty()) {
        // SQLite keeps a temporary table's definition without its TEMP; its triggers and
        // indexes follow the table.
        for (std::string sql : table.definition) {
          if (sql.starts_with("CREATE TABLE ")) sql.insert(7, "TEMP ");
          backend_.RunInternal(sql.c_str());
        }
      } else {
        backend_.RunInternal(("DELETE FROM temp." + tsql::QuoteName(table.name)).c_str());
      }
      for (const std::string& sql : table.rows)
        backend_.RunInternal(sql.c_str());
    }
  } catch (...) {
    backend_.RunQuietly("ROLLBACK TO tsql_keep_table_variables");
    backend_.RunQuietly("RELEASE tsql_keep_table_variables");
    throw;
  }
  backend_.RunInternal("RELEASE tsql_keep_table_variables");
}

}  // namespace ado::sqlite
