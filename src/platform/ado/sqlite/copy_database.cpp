#include "platform/ado/sqlite/copy_database.h"

#include <fmt/format.h>
#include <sqlite3.h>

#include <memory>
#include <string>

#include "platform/ado/sqlite/engine.h"
#include "platform/ado/sqlite/engine_setup.h"
#include "platform/oleaut/hresult.h"
#include "platform/oleaut/text.h"

namespace ado::sqlite {

namespace {

using Database = std::unique_ptr<sqlite3, int (*)(sqlite3*)>;

Database OpenFile(const std::filesystem::path& path, int flags) {
  ConfigureEngineOnce();
  sqlite3* db = nullptr;
  const int rc = sqlite3_open_v2(path.c_str(), &db, flags | SQLITE_OPEN_EXRESCODE, nullptr);
  Database owner(db, sqlite3_close_v2);
  if (rc != SQLITE_OK) {
    RaiseProviderError(oleaut::E_FAIL,
                       fmt::format("Cannot open the SQLite database '{}': {}", path.string(),
                                   db ? sqlite3_errmsg(db) : sqlite3_errstr(rc)),
                       {});
  }
  return owner;
}

}  // namespace

CopyOutcome CopyDatabaseInto(const std::filesystem::path& source,
                             const std::filesystem::path& target, int busy_timeout_ms) {
  const Database from = OpenFile(source, SQLITE_OPEN_READONLY);
  const Database to = OpenFile(target, SQLITE_OPEN_READWRITE);
  const ErrorContext where{u"SQLite " + oleaut::FromUtf8(target.string()), {}, {}};
  Check(to.get(), sqlite3_busy_timeout(to.get(), busy_timeout_ms), where);

  sqlite3_backup* backup = sqlite3_backup_init(to.get(), "main", from.get(), "main");
  if (backup == nullptr) RaiseEngineError(to.get(), sqlite3_errcode(to.get()), where);
  // One step copies every page in one write transaction on the target, begun once the busy
  // handler has waited for the target's writers.
  const int step = sqlite3_backup_step(backup, -1);
  const int finish = sqlite3_backup_finish(backup);
  const int rc = step == SQLITE_DONE ? finish : step;
  if ((rc & 0xFF) == SQLITE_NOTADB) return CopyOutcome::kTargetIsNoDatabase;
  if ((rc & 0xFF) == SQLITE_BUSY || (rc & 0xFF) == SQLITE_LOCKED) {
    RaiseProviderError(oleaut::E_FAIL,
                       fmt::format("Another connection has held the write lock of '{}' for "
                                   "longer than {} ms; try again when it has finished",
                                   target.string(), busy_timeout_ms),
                       {});
  }
  if (rc != SQLITE_OK) RaiseEngineError(to.get(), rc, where);
  return CopyOutcome::kCopied;
}

std::optional<std::vector<std::string>> TableNames(const std::filesystem::path& path,
                                                   int busy_timeout_ms) {
  const Database db = OpenFile(path, SQLITE_OPEN_READONLY);
  const ErrorContext where{u"SQLite " + oleaut::FromUtf8(path.string()), {}, {}};
  Check(db.get(), sqlite3_busy_timeout(db.get(), busy_timeout_ms), where);
  sqlite3_stmt* stmt = nullptr;
  const int prepared = sqlite3_prepare_v2(
      db.get(), "SELECT name FROM sqlite_schema WHERE type = 'table'", -1, &stmt, nullptr);
  const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> owner(stmt, sqlite3_finalize);
  if ((prepared & 0xFF) == SQLITE_NOTADB) return std::nullopt;
  Check(db.get(), prepared, where);
  std::vector<std::string> names;
  int rc = SQLITE_OK;
  while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    names.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
  }
  if ((rc & 0xFF) == SQLITE_NOTADB) return std::nullopt;
  Check(db.get(), rc, where);
  return names;
}

}  // namespace ado::sqlite
