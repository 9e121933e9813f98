// The values of the columns a layout reads, taken from a fill member's recordset row by row.
#pragma once

#include <string>
#include <vector>

#include "platform/ado/field.h"
#include "platform/ado/recordset.h"

namespace printing {

// The names of a recordset's fields, in order.
std::vector<std::string> ColumnNames(const ado::Recordset& recordset);

class ColumnReader {
 public:
  // `names` are the columns wanted, by slot; the first `optional` of them may be missing (they
  // read as Empty). A missing column raises naming it, `rows` ("the entry rows of bill type 1")
  // and `layout_name` (the template).
  ColumnReader(const ado::Recordset& recordset, const std::vector<std::string>& names,
               std::size_t optional, const std::string& rows, const std::string& layout_name);

  // The current row's values, by slot.
  std::vector<oleaut::Variant> Read() const;

 private:
  std::vector<com::Ptr<ado::Field>> fields_;  // null where an optional column is missing
};

}  // namespace printing
