// tavprint's discovery of bills: the bill types of a data source, and the bills of one type.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "data_commands.h"

namespace tavprint {

// The rows of ICTransactionType: each type's id, name, template and tables.
void RunBillTypes(const std::string& dsn, const OutputOptions& options, std::ostream& out);

// The bills of `bill_type` (printing/bill_lookup.h): interior id, number and date.
void RunBillList(const std::string& dsn, std::int32_t bill_type, const OutputOptions& options,
                 std::ostream& out);

}  // namespace tavprint
