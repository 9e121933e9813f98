// Binding a batch's ? markers: each value is bound as its declared ADO type says (a text as
// text, a date in the stored text form, a decimal exactly), and a value longer than the declared
// size raises rather than being cut.
#pragma once

#include <sqlite3.h>

#include "platform/ado/provider.h"
#include "platform/ado/sqlite/engine.h"
#include "platform/tsql/program.h"

namespace ado::sqlite {

// Binds `value` to marker `index` (from 1) of `stmt`; `ordinal` (from 1) names the parameter in
// messages. Binary values are bound without a copy: `value` must outlive the statement's run.
void BindParameter(sqlite3_stmt* stmt, int index, const ParameterValue& value, int ordinal,
                   const ErrorContext& where);

// Binds a literal of the batch's text, which the translation made a marker, as SQLite would
// have read it in the text.
void BindLiteral(sqlite3_stmt* stmt, int index, const tsql::LiteralValue& value,
                 const ErrorContext& where);

}  // namespace ado::sqlite
