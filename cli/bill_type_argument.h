// The argument most commands start with: the bill type they work on.
#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <string>

namespace tavprint {

// A subcommand `name` of `parent` whose first, required argument "type" is read into
// `bill_type`.
inline CLI::App* AddBillTypeCommand(CLI::App& parent, const std::string& name,
                                    const std::string& help, std::int32_t& bill_type) {
  CLI::App* command = parent.add_subcommand(name, help);
  command->add_option("type", bill_type, "Bill type (ICTransactionType.FID)")->required();
  return command;
}

}  // namespace tavprint
