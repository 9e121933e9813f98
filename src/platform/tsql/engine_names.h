// Names SQLite answers to that SQL Server has no object or column for: SQLite's own tables
// (sqlite_master, sqlite_sequence, sqlite_stat1), its table-valued functions (pragma_table_info,
// dbstat, json_each) and the hidden key of every row (rowid, oid, _rowid_). A batch that names
// one reads or changes what no SQL Server database shows (the database's path, its schema, the
// identity counters), so the translator refuses it as SQL Server refuses a name it does not know,
// unless the database or the batch itself declares a table or column of that name.
#pragma once

#include <string_view>

namespace tsql {

// A table name that SQLite itself may answer to. Names are compared as SQLite compares them
// (ASCII letters without regard to case).
bool IsEngineTableName(std::u16string_view name);

// A name SQLite keeps for itself (sqlite_...): no database declares a table of such a name, though
// SQLite lists its own there (sqlite_sequence, sqlite_stat1).
bool IsEngineReservedName(std::u16string_view name);

// rowid, oid or _rowid_.
bool IsEngineColumnName(std::u16string_view name);

}  // namespace tsql
