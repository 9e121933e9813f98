// The SQLite ODBC driver for tests of the ODBC path: found by its library path, so that no test
// depends on (or writes) the system's odbcinst.ini, and the connection strings that reach a
// database through it, as the component's data sources name them.
#pragma once

#include <filesystem>
#include <string>

namespace tavtest {

// The driver library (libsqlite3odbc.so of Debian's libsqliteodbc); empty when not installed.
std::filesystem::path SqliteOdbcDriver();

// "Driver=<library>;Database=<path>": the database through the SQLite ODBC driver.
std::string SqliteOdbcConnectionString(const std::filesystem::path& database);
// The same for a new, empty database made at `database` first: the driver creates none.
std::string NewSqliteOdbcDatabase(const std::filesystem::path& database);

// Which provider tests that run through both reach their databases with, from TAV_TEST_PROVIDER
// ("odbc" for the SQLite ODBC driver, anything else the embedded provider).
bool TestsUseOdbc();

// The connection string for `database` through the provider TestsUseOdbc names.
std::string TestConnectionString(const std::filesystem::path& database);

}  // namespace tavtest
