// The embedded provider: ado::Provider on libsqlite3. Batches arrive in SQL Server's dialect and
// are translated (cached by their text) into SQLite statements that keep their meaning; session
// state (temporary tables, @@IDENTITY) belongs to the connection, as a SQL Server session's does.
//
// The database runs in WAL mode, so readers never wait for writers; writers wait for each other
// up to the busy timeout, and explicit transactions take the write lock when they begin, so two
// writers never deadlock upgrading a read lock.
//
// Connection string keys (OpenProvider): Provider=SQLite (or no provider and a Data Source
// ending in .db, .sqlite or .sqlite3); Data Source (also DataSource, Filename; ":memory:" for a
// private in-memory database); Mode=ReadWrite (the default: a missing file is an error),
// ReadWriteCreate, ReadOnly or Memory; Busy Timeout (also Default Timeout) in milliseconds,
// 10000 by default; Persist Security Info, and User ID and Password when empty, are accepted and
// ignored. Any other key is an error that names it.
#pragma once

#include <memory>
#include <string>

#include "platform/ado/provider.h"
#include "platform/io/file_lock.h"

namespace ado::sqlite {

struct SqliteOptions {
  enum class Mode { kReadWrite, kReadWriteCreate, kReadOnly, kMemory };
  std::u16string path;
  Mode mode = Mode::kReadWrite;
  int busy_timeout_ms = static_cast<int>(io::kBusyTimeout.count());
};

// Opens the database; a missing file (in kReadWrite and kReadOnly mode) raises a ComError
// saying so.
std::unique_ptr<Provider> OpenSqliteProvider(const SqliteOptions& options);

}  // namespace ado::sqlite
