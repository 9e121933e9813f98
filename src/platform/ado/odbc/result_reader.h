// Reading a statement's row set through ODBC: how the driver describes each column, the ADO type
// SQL Server's provider gives it, and the values row after row, long text and binary data read in
// pieces.
#pragma once

#include <string>
#include <vector>

#include "platform/ado/odbc/odbc_call.h"
#include "platform/ado/odbc/parameter_binding.h"
#include "platform/ado/provider.h"
#include "platform/ado/sqlite/column_types.h"

namespace ado::odbc {

// A result column as the driver describes it.
struct DriverColumn {
  std::u16string name;
  SQLSMALLINT sql_type = SQL_UNKNOWN_TYPE;
  SQLULEN size = 0;
  SQLSMALLINT digits = 0;
  std::string type_name;  // "money", "varchar"; for the SQLite driver the declared type's name
  std::u16string table;   // the table the column comes from, when the driver says
};

std::vector<DriverColumn> DescribeColumns(SQLHSTMT stmt, TextApi api, const CallContext& where);

// The ADO type SQL Server's OLE DB provider gives a column of this description.
sqlite::ColumnType SqlServerColumnType(const DriverColumn& column);

// How values read as text leave the driver: each through a SQLGetData call of its own, or
// copied into bound buffers as the row is fetched (drivers for which
// DriverReadsBoundColumnsAgain holds).
enum class TextFetch { kPerValue, kBound };

// Reads every row of the current result into `rows` (whose columns are `types`, one per driver
// column). kSqlite reads values as the SQLite driver hands them (as text) and gives them the
// meaning the embedded provider gives stored values; kSqlServer reads them in their own types.
// Each text column of kNatural kind gets the longest text it held as its defined size.
void ReadRows(SQLHSTMT stmt, std::vector<sqlite::ColumnType> types, ValueStyle style,
              TextFetch fetch, RowSet& rows, const CallContext& where);

}  // namespace ado::odbc
