// Suggestions for a misspelled name: the known name closest to what was typed.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tavprint {

// The name of `known` nearest to `typed` (edit distance, letter case ignored), when it is close
// enough to be a likely slip (at most a third of its letters wrong, or `typed` a prefix of it);
// else the empty text.
std::string NearestName(std::string_view typed, const std::vector<std::string>& known);

}  // namespace tavprint
