// The SQLite generator: the neutral syntax tree of a batch into a Program of SQLite statements
// that keep SQL Server's meaning, or a ComError naming a construct that has no such form.
#pragma once

#include <string_view>

#include "platform/tsql/parser.h"
#include "platform/tsql/program.h"

namespace tsql {

Program Generate(std::u16string_view batch, const ParsedBatch& parsed);

}  // namespace tsql
