// libtavsqlite.so: the T-SQL runtime functions and the TSQL collation as a loadable SQLite
// extension, for connections the platform does not open itself: the SQLite ODBC driver loads it
// through its LoadExt attribute, and the stock sqlite3 shell with ".load", so that
// "PRAGMA integrity_check" and ad-hoc queries work on databases whose indexes use the collation.
//
// The extension calls libsqlite3 directly rather than through the loader's table of routines:
// its hosts here (the sqlite3 shell and the ODBC driver of Debian) use the shared libsqlite3,
// the same library this one is linked with.
#include <sqlite3.h>

#include <exception>

#include "platform/tsql/runtime/runtime.h"

extern "C" __attribute__((visibility("default"))) int sqlite3_extension_init(
    sqlite3* db, char** error, const sqlite3_api_routines* /*api*/) {
  try {
    tsql::InstallSqliteRuntimeWithOwnSession(db);
    return SQLITE_OK;
  } catch (const std::exception& e) {
    if (error) *error = sqlite3_mprintf("%s", e.what());
    return SQLITE_ERROR;
  }
}
