// ADO's Errors collection of a Connection, as far as callers read it: what the provider reported
// on the connection's last batch. Informational messages (PRINT, RAISERROR of severity 10 or
// less) come as SQL Server's provider reports them: Number 0, SQLState "01000"; the error that
// failed the batch, if any, follows them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/oleaut/com_error.h"

namespace ado {

struct Error {
  std::int32_t number = 0;  // the HRESULT; 0 for a message
  std::u16string description;
  std::u16string source;
  std::u16string sql_state;
};

using Errors = std::vector<Error>;

// The entries of a batch's messages, in order.
void AppendMessages(const std::vector<std::u16string>& messages, std::u16string_view source,
                    Errors& errors);

// The entry of the error that failed a batch.
Error ErrorOf(const oleaut::ComError& error);

}  // namespace ado
