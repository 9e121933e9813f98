// The Options argument of Connection.Execute, Recordset.Open and Command.Execute: how the
// command text is to be read (text, table name, ...) and whether rows are wanted at all.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ado {

struct ExecuteOptions {
  // A CommandTypeEnum value; adCmdUnknown when the caller left it to us.
  std::int32_t command_type;
  // adExecuteNoRecords: rows the statement returns are thrown away.
  bool no_records = false;
};

// Splits `options` (-1 for unspecified); `fallback_type` is the command type to use when the
// options name none (a Command's CommandType). Raises 3001 from `source` for values ADO does not
// define or that this stand-in cannot honour (asynchronous execution, files).
ExecuteOptions DecodeExecuteOptions(std::int32_t options, std::int32_t fallback_type,
                                    std::u16string_view source);

// The statement to run for `text` read as `command_type`: text as it is, a table name as a
// select of all its rows. Stored procedures raise 3251: no provider here has them. An empty text
// raises OLE DB's "Command text was not set" (0x80040E0C).
std::u16string StatementFor(std::u16string_view text, std::int32_t command_type,
                            std::u16string_view source);

}  // namespace ado
