// The translator's errors: a batch that does not parse, and a construct that has no faithful
// SQLite form. Both are ComErrors (DB_E_ERRORSINCOMMAND, as SQL Server's provider reports a
// syntax error) whose description quotes the fragment and says where it stands.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/oleaut/hresult.h"
#include "platform/tsql/token.h"

namespace tsql {

inline constexpr std::int32_t kErrorsInCommand = oleaut::DB_E_ERRORSINCOMMAND;
// DB_E_NOTABLE: SQL Server's providers report "Invalid object name" (error 208) so.
inline constexpr std::int32_t kNoTable = oleaut::DB_E_NOTABLE;
inline constexpr std::u16string_view kErrorSource = u"TAV T-SQL translator";

// "Incorrect syntax near 'fragment' (line L, column C): <what>".
[[noreturn]] void RaiseSyntaxError(std::u16string_view batch, SourcePos pos,
                                   std::u16string_view what);

// SQL Server's own message for a statement it refuses as written (a column not grouped, ...),
// followed by " (line L, column C)".
[[noreturn]] void RaiseStatementError(SourcePos pos, std::u16string_view message);

// How SQL Server refuses a statement that names a table it does not have.
enum class MissingTable : std::uint8_t {
  kInvalidObjectName,  // a query or a change of rows: "Invalid object name 'x'." (208)
  kCannotFind,         // TRUNCATE, ALTER TABLE, CREATE INDEX, SET IDENTITY_INSERT: "Cannot find the
                       // object "x" because it does not exist or you do not have permissions."
  kCannotDrop,  // DROP TABLE: "Cannot drop the table 'x', because it does not exist or you do not
                // have permission."
};
[[noreturn]] void RaiseMissingTable(SourcePos pos, std::u16string_view name, MissingTable how);

// "Invalid column name 'x'." (SQL Server's error 207), followed by " (line L, column C)".
[[noreturn]] void RaiseInvalidColumnName(SourcePos pos, std::u16string_view name);

// "<construct> is not supported by the SQLite provider (line L, column C, near 'fragment')".
[[noreturn]] void RaiseUnsupported(std::u16string_view batch, SourcePos pos,
                                   std::u16string_view construct);

}  // namespace tsql
