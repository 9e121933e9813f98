// Numbers read from and written as text the way the Automation runtime does it: the strict form
// that conversions accept (CDbl("12.5")), and the shortest ordinary form that CStr writes.
// Internal to oleaut; other units go through convert.h.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace oleaut::detail {

// The number a whole text stands for, as VarR8FromStr reads it: blanks around it, an optional
// sign, digits with thousands commas in the integer part, an optional fraction and exponent, or
// "&H"/"&O" followed by hexadecimal or octal digits. nullopt when the text is not such a number;
// an infinite result means the number is too large for a double.
std::optional<double> ParseNumber(std::u16string_view text);

// The same texts in their plain ASCII form for exact decimal parsing ("1,000.50" -> "1000.50");
// nullopt when the text is not a plain decimal number (hexadecimal and octal forms included).
std::optional<std::u16string> PlainDecimalText(std::u16string_view text);

}  // namespace oleaut::detail
