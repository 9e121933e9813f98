// Texts that belong to numbers (an error's description, a type's name), kept as a table that one
// lookup reads, so that adding a number is adding a row.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace oleaut {

struct NumberedText {
  std::int32_t number;
  std::u16string_view text;
};

// The text of `number` in `table`, or `otherwise` when the table has no row for it.
constexpr std::u16string_view TextOfNumber(std::span<const NumberedText> table, std::int32_t number,
                                           std::u16string_view otherwise = {}) noexcept {
  for (const NumberedText& row : table) {
    if (row.number == number) return row.text;
  }
  return otherwise;
}

}  // namespace oleaut
