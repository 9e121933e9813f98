// Counting prints the way the print client counts them: ICPrintCount holds one row per printed
// bill, keyed by the bill type (FID) and the bill's interior id (FInterID). A print raises the
// row of that bill type's bill only, and a bill printed for the first time gets its row, at 1.
//
// The component's UpdatePrintCount raises a counter keyed by the interior id alone (bills of
// another type with the same id would be counted too) and creates no rows, so the counting is
// done here, as one batch through clsGetData.ExecuteSQL: one component call, one transaction.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/oleaut/text.h"

namespace printing {

// A bill's count as ICPrintCount holds it; none when it has no row (never counted).
struct PrintCount {
  std::int32_t inter_id = 0;
  std::optional<std::int32_t> count;

  friend bool operator==(const PrintCount&, const PrintCount&) = default;
};

// What a raise did to one bill's count: `before` is none when the bill had no row.
struct PrintCountChange {
  std::int32_t inter_id = 0;
  std::optional<std::int32_t> before;
  std::int32_t after = 0;

  friend bool operator==(const PrintCountChange&, const PrintCountChange&) = default;
};

// The print counts of bills of `bill_type` on `dsn`, one per distinct id in the order given.
// Raises a ComError, naming the bill, when an id is no bill of that type (bill_lookup.h).
std::vector<PrintCount> ReadPrintCounts(const oleaut::Bstr& dsn, std::int32_t bill_type,
                                        std::span<const std::int32_t> inter_ids);

// Counts one print of each bill (each distinct id once): its row of `bill_type` is raised by one,
// or made at 1. Every id is checked first, and an id that is no bill of that type raises a
// ComError naming it with nothing written; the counting itself is one transaction, all or
// nothing. Returns the counts before and after, one per distinct id in the order given.
std::vector<PrintCountChange> RaisePrintCounts(const oleaut::Bstr& dsn, std::int32_t bill_type,
                                               std::span<const std::int32_t> inter_ids);

}  // namespace printing
