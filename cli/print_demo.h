// The printing part of `tavprint demo`.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>

namespace tavprint {

// Prepares the demo data source for printing (item photos, a bill of 60 lines), saves and
// selects the demo's layout documents as the administrator's templates, and prints a few bills
// of each to PDFs in `folder`. With `industry` the receipts, whose lines are then a size matrix,
// are left out.
void RunPrintDemo(const std::string& dsn, const std::filesystem::path& folder, bool industry,
                  std::ostream& out);

}  // namespace tavprint
