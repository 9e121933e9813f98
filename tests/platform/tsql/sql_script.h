// SQL test scripts in the shape of SQLite's and DuckDB's: records of
//
//   statement ok | statement error [fragment of the expected message]
//   <batch, one or more lines>
//
//   query <one type letter per column> [rowsort]
//   <batch>
//   ----
//   <rows: values separated by tabs (or by blanks when a line has no tab); NULL for null,
//    (empty) for the empty text>
//
// a blank line ending each record, and "load <file>" running a file of the same folder as one
// batch. "skipif <provider>" or "onlyif <provider>" on the line before a record ("embedded",
// "odbc") keeps it from, or to, one provider, as sqllogictest does for engines. Type letters: T
// text, I Integer or Long, D Decimal, R Double, B Boolean, A date, X bytes, ? any; a lone * accepts
// any number of columns of any type.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tavtest {

struct SqlRecord {
  enum class Kind { kStatementOk, kStatementError, kQuery, kLoad } kind;
  std::string sql;  // the batch, or the file to load
  std::string expected_error;
  std::string types;
  bool rowsort = false;
  std::vector<std::string> expected_rows;  // values joined by tabs
  int line = 0;
  std::string skip_if;  // the provider that does not run this record
  std::string only_if;  // the only provider that runs it
};

std::vector<SqlRecord> ReadSqlScript(const std::filesystem::path& file);

}  // namespace tavtest
