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
  // Show only these columns (any letter case; those a result lacks are skipped); all when empty.
  std::vector<std::string> columns;
};

// Shows the head rows in the order of selection and the entry rows by their bill's position in
// it, as tables or (with options.json) as JSON.
void RunBillFill(const std::string& dsn, const BillFillRequest& request,
                 const OutputOptions& options, std::ostream& out);

// The file the head rows of a CSV export go to: "bills.csv" gives "bills-head.csv".
std::filesystem::path HeadCsvPath(const std::filesystem::path& entry_csv);

}  // namespace tavprint
