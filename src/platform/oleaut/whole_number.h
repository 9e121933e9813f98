// Whole numbers written as text, read strictly: for values that are spliced into a statement or
// name a row, where "12abc" or "1,000" must be refused rather than read as some number.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace oleaut {

// The number a text stands for when it is blanks, an optional sign, one or more ASCII digits and
// blanks, and the number fits in 64 bits; nullopt otherwise.
std::optional<std::int64_t> ParseWholeNumber(std::u16string_view text) noexcept;

}  // namespace oleaut
