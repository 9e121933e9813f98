// The SQLite generator: the neutral syntax tree of a batch into a Program of SQLite statements
// that keep SQL Server's meaning, or a ComError naming a construct that has no such form.
#pragma once

#include <string_view>

#include "platform/tsql/parser.h"
#include "platform/tsql/program.h"
#include "platform/tsql/schema.h"

namespace tsql {

// `schema` tells the columns of the database's tables; without it column references have no
// static type and only the data tell.
Program Generate(std::u16string_view batch, const ParsedBatch& parsed, Schema* schema);

}  // namespace tsql
