// What SQLite needs on every connection to run translated T-SQL: the functions that keep
// SQL Server's meaning where SQLite's own differ (+ by type precedence, CONVERT with its styles
// and decimal scales, LEN, CHARINDEX, ...), @@IDENTITY from the session, and the collation TSQL
// that compares text as SQL Server's default collation does (letter case and trailing blanks
// do not count, accents do).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/oleaut/date.h"

struct sqlite3;
struct sqlite3_value;

namespace tsql {

struct FreeSqliteValue {
  void operator()(sqlite3_value* value) const noexcept;
};

// Per-connection state the functions read: the session's last identity value (@@IDENTITY,
// SCOPE_IDENTITY()), NULL until an insert into a table with an identity column; and the local
// variables of the batch being run, by their number in the batch.
// `saved` holds the variables of the batches that run a nested one (sp_executesql), which has
// its own.
struct SessionState {
  using Variables = std::vector<std::unique_ptr<sqlite3_value, FreeSqliteValue>>;
  std::optional<std::int64_t> identity;
  Variables variables;
  std::vector<Variables> saved;
};

// Installs the functions and the collation on `db`. `state` must outlive the connection.
// Raises a ComError when the engine refuses a registration.
void InstallSqliteRuntime(sqlite3* db, SessionState* state);
// The same with `state` handed to the engine: `destroy_state` frees it with the connection.
void InstallSqliteRuntime(sqlite3* db, SessionState* state, void (*destroy_state)(void*));

// For a connection that a client reaches only through SQL (the SQLite ODBC driver, the sqlite3
// shell): the runtime with a session the connection owns, and tsql_set_identity(x), through
// which such a client records the session's @@IDENTITY after an insert, and
// tsql_reject_quoted_literals(), which makes "x" a name only, as the embedded provider has it.
void InstallSqliteRuntimeWithOwnSession(sqlite3* db);

// A date-time text as SQL Server reads it (the stored form "YYYY-MM-DD HH:MM:SS.fff", other ISO
// forms, yyyymmdd, mm/dd/yyyy, "Jan 5 2024 10:00AM"); nullopt when it is none of them.
std::optional<oleaut::CalendarFields> ParseSqlDateTime(std::u16string_view text);

// The subtype tsql_convert gives a decimal(p,s) result, so that a CONVERT to text around it
// prints every digit of the scale: kDecimalSubtype | scale.
inline constexpr unsigned kDecimalSubtype = 0xA0;

}  // namespace tsql
