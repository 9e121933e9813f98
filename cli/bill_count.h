// tavprint's "bill count": how often bills of a bill type were printed, and counting one print of
// each, the way the print client counts (printing/print_count.h). A counter column of another
// table (the bill head's own FPrintCount, say) is raised through the component's
// clsPrintSetupUpdate.UpdatePrintCount instead, and that same counter is shown.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "data_commands.h"

namespace tavprint {

// Another counter than ICPrintCount: `field` of the rows of `table` whose `key` holds the bills'
// interior ids. An empty table means ICPrintCount.
struct PrintCounter {
  std::string table;
  std::string field = "FPrintCount";
  std::string key = "FInterID";
};

// Shows the count of each bill (and what its printout says); with `raise`, counts one print of
// each first, in one transaction, and shows the counts before and after. Ids that are no bills
// of `bill_type` are refused, naming the first, before anything is written.
void RunBillCount(const std::string& dsn, std::int32_t bill_type,
                  const std::vector<std::int32_t>& bill_ids, bool raise,
                  const PrintCounter& counter, const OutputOptions& options, std::ostream& out);

}  // namespace tavprint
