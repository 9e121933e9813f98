// SQL Server's rule for NULL in a UNIQUE constraint or unique index: NULL equals NULL there, so a
// key admits one row whose key is NULL (or, over several columns, one row per combination of
// values and NULLs). SQLite's unique indexes admit any number of them: triggers refuse the
// second with SQL Server's error.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tsql {

struct UniqueKey {
  std::u16string table;  // as SQLite knows it ("#t" for a temporary table)
  std::u16string name;   // the constraint's or the index's name; empty for an unnamed constraint
  std::vector<std::u16string> columns;
  bool index = false;  // a unique index (error 2601) rather than a UNIQUE constraint (2627)
};

// The triggers (BEFORE INSERT, BEFORE UPDATE OF the key's columns) that refuse a second row with
// the same key where one of its columns is NULL.
std::vector<std::string> UniqueNullTriggers(const UniqueKey& key);

// The statements that drop those triggers of a unique index.
std::vector<std::string> DropUniqueNullTriggers(std::u16string_view table,
                                                std::u16string_view index);

}  // namespace tsql
