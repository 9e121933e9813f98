// tavprint's "bill fill": the print client's sequence for filling selected bills of one bill type
// (GetBillTypeInfo, GetBillPackage, the request dictionaries built from the package, then
// GetHeadFillData and GetEntryFillData, all called by name), shown in the order of selection.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "data_commands.h"

namespace tavprint {

struct BillFillRequest {
  std::int32_t bill_type = 0;
  std::vector<std::int32_t> bill_ids;  // interior ids, in the order of selection
  bool sum = false;                    // summary printing of the head rows
  // Also write the entry rows to this CSV file, and the head rows beside it ("x-head.csv").
  std::optional<std::filesystem::path> csv;
  // Show, write and print only these columns, in this order (any letter case); all when empty.
  // Each must be a column of the head rows or of the entry rows, or the request is refused.
  std::vector<std::string> columns;
  // List the columns of both tables instead of the rows.
  bool list_columns = false;
};

// Shows the head rows in the order of selection and the entry rows by their bill's position in
// it, as tables or (with options.json) as JSON. Ids that are no bills of the bill type are
// refused, naming the first (printing/bill_lookup.h).
void RunBillFill(const std::string& dsn, const BillFillRequest& request,
                 const OutputOptions& options, std::ostream& out);

// The file the head rows of a CSV export go to: "bills.csv" gives "bills-head.csv".
std::filesystem::path HeadCsvPath(const std::filesystem::path& entry_csv);

}  // namespace tavprint
