// Errors as a CATCH block sees them (ERROR_NUMBER(), ERROR_MESSAGE(), ...): SQL Server's number,
// severity and state of an engine error, known by its message; and the errors a batch raises
// itself (THROW, RAISERROR), which carry their own.
#pragma once

#include <cstdint>
#include <string>

#include "platform/oleaut/com_error.h"

namespace ado::sqlite {

struct ServerError {
  std::int32_t number = 50000;
  int severity = 16;
  int state = 1;
  int line = 1;  // of the statement that raised it, in its batch
  std::u16string message;
};

// An error THROW or RAISERROR raised, or one a CATCH block throws again. `ends_batch`: it ends
// the batch when no TRY block takes it (THROW does; RAISERROR ends its statement alone).
class RaisedError : public oleaut::ComError {
 public:
  RaisedError(const oleaut::ComError& error, ServerError server, bool ends_batch)
      : ComError(error), server_(std::move(server)), ends_batch_(ends_batch) {}

  const ServerError& Server() const noexcept { return server_; }
  bool EndsBatch() const noexcept { return ends_batch_; }

 private:
  ServerError server_;
  bool ends_batch_;
};

// The message of a provider's error without what the provider adds after it (the statement,
// the engine's code, the data source).
std::u16string_view EngineMessage(const oleaut::ComError& error);

// SQL Server's number, severity and state for an engine error raised by the statement on
// `line`; 50000 and severity 16 for a message SQL Server has no number for.
ServerError ServerErrorOf(const oleaut::ComError& error, int line);

// Rethrows the error being handled, with SQLite's words for a table or column it cannot find
// ("no such table: t") or cannot tell ("ambiguous column name: x") put as SQL Server says them
// ("Invalid object name 't'.", "Ambiguous column name 'x'."): the statements
// reach the engine with the names the batch wrote, and SQL Server resolves them only as the
// statement runs too. Any other error is rethrown as it is.
[[noreturn]] void RethrowInServerWords(const oleaut::ComError& error);

}  // namespace ado::sqlite
