// Runs a parsed SELECT on an open Jet file: resolves its names against the table, checks the
// types of its comparisons as Jet does (a text compared with a number is Jet's "Data type
// mismatch"), scans the rows, keeps those the WHERE clause holds for (three-valued, as SQL), orders
// them and takes the TOP ones. Text compares without regard to case, as Jet's General sort order.
#pragma once

#include "platform/ado/jet/mdb_file.h"
#include "platform/ado/jet/statement.h"
#include "platform/ado/provider.h"

namespace ado::jet {

RowSet RunSelect(MdbFile& file, const SelectStatement& select);

}  // namespace ado::jet
