// Identity columns on SQLite: an identity is the table's AUTOINCREMENT key, whose next value is
// one past the largest of the sequence table's entry and the keys in the table. SQLite keeps no
// seed, so a seed other than 1 is written into the column's definition, where TRUNCATE TABLE and
// SELECT ... INTO find it again, and into the sequence table, where inserts find it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tsql {

// What follows an identity column's name in a SQLite column definition.
std::string IdentityColumnClause(std::int64_t seed);

// The seed of the identity column a SQLite CREATE TABLE text declares (1 when none is written).
std::int64_t IdentitySeedOf(std::string_view create_table);

// The statement that makes the next identity of `table` (as SQLite knows it, in the temporary
// schema or the main one) `seed`; empty for seed 1, where SQLite starts anyway.
std::string SeedStatement(std::string_view table, bool temp, std::int64_t seed);

}  // namespace tsql
