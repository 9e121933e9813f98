// The one wrapper around libsqlite3 calls: every result code goes through Check, which raises a
// ComError carrying the engine's code and message, the data source and the statement text; and
// the connection's cache of prepared statements.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <list>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/oleaut/hresult.h"

namespace ado::sqlite {

// What an error message says about where the failure happened.
struct ErrorContext {
  std::u16string data_source;     // "SQLite /path/demo.db"
  std::u16string_view statement;  // the T-SQL the component built, when there is one
  std::string_view engine_text;   // the SQLite text that ran
};

// HRESULTs an OLE DB provider reports for these failures.
inline constexpr std::int32_t kErrorsInCommand = oleaut::DB_E_ERRORSINCOMMAND;
inline constexpr std::int32_t kIntegrityViolation = oleaut::DB_E_INTEGRITYVIOLATION;
inline constexpr std::int32_t kNoTable = oleaut::DB_E_NOTABLE;
inline constexpr std::int32_t kDataOverflow = oleaut::DB_E_DATAOVERFLOW;
inline constexpr std::u16string_view kSource = u"TAV SQLite provider";

// Returns rc when it is SQLITE_OK, SQLITE_ROW or SQLITE_DONE; otherwise raises.
int Check(sqlite3* db, int rc, const ErrorContext& where);
[[noreturn]] void RaiseEngineError(sqlite3* db, int rc, const ErrorContext& where);
// A provider error that is not the engine's (a bad parameter, an unknown column in ALTER).
[[noreturn]] void RaiseProviderError(std::int32_t hresult, const std::string& message,
                                     const ErrorContext& where);

// Prepared statements by SQLite text, most recently used first. A statement handed out is reset
// and its bindings cleared when its lease ends.
class StatementCache {
 public:
  explicit StatementCache(sqlite3* db) : db_(db) {}
  StatementCache(const StatementCache&) = delete;
  StatementCache& operator=(const StatementCache&) = delete;
  ~StatementCache();

  class Lease {
   public:
    explicit Lease(sqlite3_stmt* stmt) : stmt_(stmt) {}
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;
    ~Lease() {
      sqlite3_reset(stmt_);
      sqlite3_clear_bindings(stmt_);
    }
    sqlite3_stmt* Get() const { return stmt_; }

   private:
    sqlite3_stmt* stmt_;
  };

  // The prepared form of `sql` (one statement), prepared now if it is not cached.
  sqlite3_stmt* Prepare(const std::string& sql, const ErrorContext& where);
  void Clear();

 private:
  static constexpr std::size_t kCapacity = 128;
  sqlite3* db_;
  std::list<std::pair<std::string, sqlite3_stmt*>> order_;
  std::unordered_map<std::string_view, std::list<std::pair<std::string, sqlite3_stmt*>>::iterator>
      index_;
};

}  // namespace ado::sqlite
