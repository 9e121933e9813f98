#include "platform/ado/sqlite/engine_setup.h"

#include <sqlite3.h>

#include <mutex>

namespace ado::sqlite {

void ConfigureEngineOnce() {
  static std::once_flag once;
  std::call_once(once, [] {
    // It answers SQLITE_MISUSE when the library was started before (by code outside the
    // providers): it then goes on as it was, only slower.
    sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
    sqlite3_initialize();
  });
}

}  // namespace ado::sqlite
