// Recordsets for people and for programs: an aligned text table (Chinese text aligned by its
// display width) or JSON with each field's name and ADO type.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "json_values.h"
#include "platform/ado/recordset.h"

namespace tavprint {

// ADO's name of a field type: "adVarWChar" for 202; "" for a number ADO does not name.
std::string AdoTypeName(std::int32_t type);

// {"name": "FName", "type": 202, "type_name": "adVarWChar"}
Json FieldJson(const ado::Field& field);

// {"fields": [FieldJson, ...], "rows": [[...], ...]}. Reads the recordset from its first row and
// leaves it after the last.
Json RecordsetToJson(ado::Recordset& recordset, const ResultPrinter& values);

// A header, a rule and one line per row; Null shows as NULL, byte arrays as "<n bytes>". A closed
// recordset (a statement without rows) prints "(no rows returned)".
void PrintRecordsetTable(ado::Recordset& recordset, std::ostream& out);

// Rows of cells (the first row the header) as an aligned table with a rule under the header and
// the number of rows after it.
void PrintTextTable(const std::vector<std::vector<std::string>>& cells, std::ostream& out);

// A value as a table cell: Null as NULL, byte arrays as "<n bytes>", line breaks shown as \n.
std::string CellText(const oleaut::Variant& value);

// Columns a text occupies on a terminal: East Asian wide characters count two.
std::size_t DisplayWidth(std::string_view utf8);

// A ResultPrinter that also prints recordsets as JSON.
ResultPrinter MakeResultPrinter();

}  // namespace tavprint
