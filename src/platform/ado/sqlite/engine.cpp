#include "platform/ado/sqlite/engine.h"

#include <fmt/format.h>

#include "platform/ado/errors.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/hresult.h"
#include "platform/oleaut/text.h"

namespace ado::sqlite {
namespace {

std::string Describe(const ErrorContext& where) {
  return DescribeWhere(where.statement, where.engine_text, where.data_source);
}

std::int32_t HresultOf(int rc, std::string_view message) {
  switch (rc & 0xFF) {
    case SQLITE_CONSTRAINT:
      return kIntegrityViolation;
    case SQLITE_TOOBIG:
      return kDataOverflow;
    case SQLITE_ERROR:
      return message.rfind("no such table", 0) == 0 ? kNoTable : kErrorsInCommand;
    default:
      return oleaut::E_FAIL;
  }
}

}  // namespace

int Check(sqlite3* db, int rc, const ErrorContext& where) {
  if (rc == SQLITE_OK || rc == SQLITE_ROW || rc == SQLITE_DONE) return rc;
  RaiseEngineError(db, rc, where);
}

void RaiseEngineError(sqlite3* db, int rc, const ErrorContext& where) {
  const std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
  const std::string description =
      fmt::format("{} [SQLite error {}: {}]{}", message, rc, sqlite3_errstr(rc), Describe(where));
  throw oleaut::ComError(HresultOf(rc, message), std::u16string(kSource),
                         oleaut::FromUtf8(description));
}

void RaiseProviderError(std::int32_t hresult, const std::string& message,
                        const ErrorContext& where) {
  throw oleaut::ComError(hresult, std::u16string(kSource),
                         oleaut::FromUtf8(message + Describe(where)));
}

StatementCache::~StatementCache() {
  Clear();
}

void StatementCache::Clear() {
  index_.clear();
  for (auto& [sql, stmt] : order_)
    sqlite3_finalize(stmt);
  order_.clear();
}

sqlite3_stmt* StatementCache::Prepare(const std::string& sql, const ErrorContext& where) {
  if (auto found = index_.find(sql); found != index_.end()) {
    order_.splice(order_.begin(), order_, found->second);
    return found->second->second;
  }
  sqlite3_stmt* stmt = nullptr;
  const char* tail = nullptr;
  const int rc = sqlite3_prepare_v3(db_, sql.c_str(), static_cast<int>(sql.size()),
                                    SQLITE_PREPARE_PERSISTENT, &stmt, &tail);
  if (rc != SQLITE_OK) {
    sqlite3_finalize(stmt);
    RaiseEngineError(db_, rc, where);
  }
  if (!stmt) RaiseProviderError(kErrorsInCommand, "The statement is empty", where);
  order_.emplace_front(sql, stmt);
  index_.emplace(order_.front().first, order_.begin());
  if (order_.size() > kCapacity) {
    index_.erase(order_.back().first);
    sqlite3_finalize(order_.back().second);
    order_.pop_back();
  }
  return stmt;
}

}  // namespace ado::sqlite
