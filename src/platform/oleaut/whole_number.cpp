#include "platform/oleaut/whole_number.h"

#include <limits>

namespace oleaut {

std::optional<std::int64_t> ParseWholeNumber(std::u16string_view text) noexcept {
  std::size_t at = 0;
  const auto skip_blanks = [&] {
    while (at < text.size() && text[at] == u' ')
      ++at;
  };
  skip_blanks();
  bool negative = false;
  if (at < text.size() && (text[at] == u'-' || text[at] == u'+')) negative = text[at++] == u'-';
  const std::size_t digits_start = at;
  // Accumulated as a negative number, whose range holds the smallest int64 too.
  std::int64_t value = 0;
  constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
  for (; at < text.size() && text[at] >= u'0' && text[at] <= u'9'; ++at) {
    const int digit = text[at] - u'0';
    if (value < (kMin + digit) / 10) return std::nullopt;
    value = value * 10 - digit;
  }
  if (at == digits_start) return std::nullopt;
  skip_blanks();
  if (at != text.size()) return std::nullopt;
  if (negative) return value;
  if (value == kMin) return std::nullopt;
  return -value;
}

}  // namespace oleaut
