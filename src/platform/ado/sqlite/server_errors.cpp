#include "platform/ado/sqlite/server_errors.h"

namespace ado::sqlite {
namespace {

struct KnownError {
  std::u16string_view message;  // the start, or a part, of the engine's message
  std::int32_t number;
  int severity;
  int state;
};

// The errors the runtime and the engine raise with SQL Server's messages, and SQLite's own
// constraint messages, which stand for SQL Server's errors of the same cause.
constexpr KnownError kKnownErrors[] = {
    {u"Divide by zero error encountered", 8134, 16, 1},
    {u"Conversion failed when converting", 245, 16, 1},
    {u"Arithmetic overflow error converting", 8115, 16, 2},
    {u"Arithmetic overflow error", 8115, 16, 1},
    {u"Error converting data type", 8114, 16, 5},
    {u"String or binary data would be truncated", 8152, 16, 14},
    {u"Subquery returned more than 1 value", 512, 16, 1},
    {u"Adding a value to a 'datetime' column caused an overflow", 517, 16, 1},
    {u"data type resulted in an out-of-range value", 242, 16, 3},
    {u"The maximum recursion", 530, 16, 1},
    {u"provided to AT TIME ZONE clause is invalid", 9820, 16, 1},
    {u"is invalid for argument", 8116, 16, 1},
    {u"An invalid floating point operation occurred", 3623, 16, 1},
    {u"Cannot insert explicit value for identity column", 544, 16, 1},
    {u"Explicit value must be specified for identity column", 545, 16, 1},
    {u"UNIQUE constraint failed", 2627, 14, 1},
    {u"NOT NULL constraint failed", 515, 16, 2},
    {u"CHECK constraint failed", 547, 16, 0},
    {u"FOREIGN KEY constraint failed", 547, 16, 0},
    // The translator's, for a batch sp_executesql runs.
    {u"Incorrect syntax near", 102, 15, 1},
    {u"Invalid object name", 208, 16, 1},
    {u"Invalid column name", 207, 16, 1},
    {u"Ambiguous column name", 209, 16, 1},
    {u"Must declare the", 137, 15, 2},
    {u"conflicts with the type of other columns specified in the UNPIVOT list", 8167, 16, 1},
    {u"did not qualify under the CHECK OPTION constraint", 550, 16, 1},
    {u"because it contains aggregates, or a DISTINCT or GROUP BY clause", 4403, 16, 1},
    {u"because the modification affects multiple base tables", 4405, 16, 1},
    {u"because it contains a derived or constant field", 4406, 16, 1},
};

}  // namespace

// The embedded engine adds " [SQLite error 1: ...]"; the SQLite ODBC driver puts "[SQLite]"
// before the message and " (1)" after it, and the ODBC provider " [SQLSTATE ...] (call)".
std::u16string_view EngineMessage(const oleaut::ComError& error) {
  std::u16string_view message = error.Description();
  for (std::u16string_view added : {u" [SQLite error", u" while running \"", u" [SQLSTATE"}) {
    message = message.substr(0, message.find(added));
  }
  constexpr std::u16string_view kDriver = u"[SQLite]";
  if (message.starts_with(kDriver)) {
    message.remove_prefix(kDriver.size());
    const std::size_t code = message.rfind(u" (");
    if (code != std::u16string_view::npos && message.ends_with(u')')) {
      message = message.substr(0, code);
    }
  }
  return message;
}

void RethrowInServerWords(const oleaut::ComError& error) {
  const std::u16string_view message = EngineMessage(error);
  std::u16string words;
  if (message.starts_with(u"no such table: ")) {
    words = u"Invalid object name '" + std::u16string(message.substr(15)) + u"'.";
  } else if (message.starts_with(u"ambiguous column name: ")) {
    words = u"Ambiguous column name '" + std::u16string(message.substr(23)) + u"'.";
  } else if (message.starts_with(u"no such column: ")) {
    // "t.x": the translator has checked the qualifiers it knows, so the column is the one missing.
    const std::u16string_view name = message.substr(16);
    words = u"Invalid column name '" + std::u16string(name.substr(name.rfind(u'.') + 1)) + u"'.";
  } else {
    throw;
  }
  std::u16string description = error.Description();
  description.replace(description.find(message), message.size(), words);
  throw oleaut::ComError(error.Number(), error.Source(), std::move(description));
}

ServerError ServerErrorOf(const oleaut::ComError& error, int line) {
  ServerError server;
  server.message = std::u16string(EngineMessage(error));
  server.line = line;
  for (const KnownError& known : kKnownErrors) {
    if (server.message.find(known.message) == std::u16string::npos) continue;
    server.number = known.number;
    server.severity = known.severity;
    server.state = known.state;
    break;
  }
  return server;
}

}  // namespace ado::sqlite
