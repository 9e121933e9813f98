#include "odbc_driver.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace tavtest {

std::filesystem::path SqliteOdbcDriver() {
  namespace fs = std::filesystem;
  std::error_code error;
  for (const fs::path root : {"/usr/lib", "/usr/local/lib", "/usr/lib64"}) {
    if (fs::exists(root / "odbc" / "libsqlite3odbc.so", error)) {
      return root / "odbc" / "libsqlite3odbc.so";
    }
    for (const auto& entry : fs::directory_iterator(root, error)) {
      const fs::path candidate = entry.path() / "odbc" / "libsqlite3odbc.so";
      if (fs::exists(candidate, error)) return candidate;
    }
  }
  return {};
}

std::string SqliteOdbcConnectionString(const std::filesystem::path& database) {
  const std::filesystem::path driver = SqliteOdbcDriver();
  if (driver.empty()) {
    throw std::runtime_error("the SQLite ODBC driver is not installed (libsqliteodbc)");
  }
  return "Driver=" + driver.string() + ";Database=" + database.string();
}

std::string NewSqliteOdbcDatabase(const std::filesystem::path& database) {
  // SQLite takes an empty file for an empty database.
  if (!std::ofstream(database, std::ios::app)) {
    throw std::runtime_error("cannot create " + database.string());
  }
  return SqliteOdbcConnectionString(database);
}

bool TestsUseOdbc() {
  const char* provider = std::getenv("TAV_TEST_PROVIDER");
  return provider && std::string(provider) == "odbc";
}

std::string TestConnectionString(const std::filesystem::path& database) {
  if (TestsUseOdbc()) return SqliteOdbcConnectionString(database);
  return "Provider=SQLite;Data Source=" + database.string();
}

}  // namespace tavtest
