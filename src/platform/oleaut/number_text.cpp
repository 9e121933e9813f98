#include "platform/oleaut/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <system_error>

#include "platform/oleaut/com_error.h"
#include "platform/oleaut/convert.h"
#include "platform/oleaut/text.h"

namespace oleaut {
namespace {

bool IsBlank(char16_t c) {
  return oleaut::IsWhitespace(c);
}
bool IsDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}

std::u16string_view TrimBlanks(std::u16string_view text) {
  return oleaut::TrimWhitespace(text);
}

// Reads the digits of "&H..." or "&O..." (after the prefix). Values above 16 bits wrap to a
// 32-bit signed Long and those up to 16 bits to a signed Integer, as the runtime's literals do.
std::optional<double> RadixValue(std::u16string_view digits, int radix) {
  if (digits.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (char16_t c : digits) {
    int digit = -1;
    if (IsDigit(c)) digit = c - u'0';
    if (radix == 16 && c >= u'a' && c <= u'f') digit = c - u'a' + 10;
    if (radix == 16 && c >= u'A' && c <= u'F') digit = c - u'A' + 10;
    if (digit < 0 || digit >= radix) return std::nullopt;
    value = value * static_cast<unsigned>(radix) + static_cast<unsigned>(digit);
    if (value > 0xFFFFFFFFULL) return std::numeric_limits<double>::infinity();
  }
  if (value <= 0xFFFF) return static_cast<double>(static_cast<std::int16_t>(value));
  return static_cast<double>(static_cast<std::int32_t>(static_cast<std::uint32_t>(value)));
}

std::optional<double> ParseAscii(const std::string& ascii) {
  double value = 0;
  const char* first = ascii.data();
  const char* last = first + ascii.size();
  const auto [end, error] = std::from_chars(first, last, value);
  if (end != last) return std::nullopt;
  if (error == std::errc::result_out_of_range) {
    // Too small underflows to zero; too large is an overflow the caller reports.
    const auto e = ascii.find_first_of("eE");
    const bool tiny = e != std::string::npos && ascii.find('-', e) != std::string::npos;
    return tiny ? 0.0 : std::numeric_limits<double>::infinity();
  }
  if (error != std::errc()) return std::nullopt;
  return value;
}

}  // namespace

namespace detail {

std::optional<std::u16string> PlainDecimalText(std::u16string_view text) {
  text = TrimBlanks(text);
  std::u16string out;
  std::size_t i = 0;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
    if (text[i] == u'-') out.push_back(u'-');
    ++i;
  }
  bool digits = false;
  for (; i < text.size(); ++i) {
    if (IsDigit(text[i])) {
      digits = true;
      out.push_back(text[i]);
    } else if (text[i] == u',' && digits && i + 1 < text.size() && IsDigit(text[i + 1])) {
      continue;  // a thousands separator
    } else {
      break;
    }
  }
  if (i < text.size() && text[i] == u'.') {
    out.push_back(u'.');
    for (++i; i < text.size() && IsDigit(text[i]); ++i) {
      digits = true;
      out.push_back(text[i]);
    }
  }
  if (!digits) return std::nullopt;
  if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
    out.push_back(u'e');
    ++i;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) out.push_back(text[i++]);
    const std::size_t start = i;
    for (; i < text.size() && IsDigit(text[i]); ++i)
      out.push_back(text[i]);
    if (i == start) return std::nullopt;
  }
  if (i != text.size()) return std::nullopt;
  return out;
}

std::optional<double> ParseNumber(std::u16string_view text) {
  const std::u16string_view trimmed = TrimBlanks(text);
  if (trimmed.size() > 2 && trimmed[0] == u'&') {
    if (trimmed[1] == u'H' || trimmed[1] == u'h') return RadixValue(trimmed.substr(2), 16);
    if (trimmed[1] == u'O' || trimmed[1] == u'o') return RadixValue(trimmed.substr(2), 8);
  }
  const std::optional<std::u16string> plain = PlainDecimalText(trimmed);
  if (!plain) return std::nullopt;
  return ParseAscii(std::string(plain->begin(), plain->end()));
}

}  // namespace detail

double Val(std::u16string_view text) {
  // The leading number with every blank dropped; the first other character ends it.
  std::string number;
  std::size_t i = 0;
  auto skip_blanks = [&] {
    while (i < text.size() && IsBlank(text[i]))
      ++i;
  };
  skip_blanks();
  if (i + 1 < text.size() && text[i] == u'&') {
    const char16_t kind = text[i + 1];
    const int radix = (kind == u'H' || kind == u'h') ? 16 : (kind == u'O' || kind == u'o') ? 8 : 0;
    if (radix != 0) {
      std::u16string digits;
      for (i += 2; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (IsBlank(c)) continue;
        const bool hex = (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
        if (!(IsDigit(c) && c - u'0' < radix) && !(radix == 16 && hex)) break;
        digits.push_back(c);
      }
      const std::optional<double> value = RadixValue(digits, radix);
      if (value && std::isinf(*value))
        RaiseVbError(kOverflow, u"the number in the text is too large");
      return value.value_or(0.0);
    }
  }
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
    if (text[i] == u'-') number.push_back('-');
    ++i;
  }
  bool digits = false;
  bool point = false;
  for (; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (IsBlank(c)) continue;
    if (IsDigit(c)) {
      digits = true;
      number.push_back(static_cast<char>(c));
    } else if (c == u'.' && !point) {
      point = true;
      number.push_back('.');
    } else {
      break;
    }
  }
  if (!digits) return 0.0;
  // An exponent counts only when digits follow it ("1e" is 1); "D" is the double-precision mark.
  if (i < text.size() &&
      (text[i] == u'e' || text[i] == u'E' || text[i] == u'd' || text[i] == u'D')) {
    std::string exponent = "e";
    std::size_t j = i + 1;
    while (j < text.size() && IsBlank(text[j]))
      ++j;
    if (j < text.size() && (text[j] == u'+' || text[j] == u'-')) {
      exponent.push_back(static_cast<char>(text[j]));
      ++j;
    }
    bool exponent_digits = false;
    for (; j < text.size(); ++j) {
      if (IsBlank(text[j])) continue;
      if (!IsDigit(text[j])) break;
      exponent_digits = true;
      exponent.push_back(static_cast<char>(text[j]));
    }
    if (exponent_digits) number += exponent;
  }
  const std::optional<double> value = ParseAscii(number);
  if (!value) return 0.0;
  if (std::isinf(*value)) RaiseVbError(kOverflow, u"the number in the text is too large");
  return *value;
}

Bstr DoubleToString(double value) {
  if (std::isnan(value)) return u"NaN";
  if (std::isinf(value)) return value > 0 ? u"1.#INF" : u"-1.#INF";
  if (value == 0.0) return u"0";  // negative zero too
  // Shortest round-trip digits, laid out as the runtime lays out "%.15G": plain for exponents
  // -5 < e < 15, scientific with a signed two-digit exponent otherwise.
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                    std::chars_format::scientific);
  const std::string scientific(buffer, result.ptr);
  const auto e = scientific.find('e');
  std::string digits = scientific.substr(0, 1);
  if (e > 2) digits += scientific.substr(2, e - 2);
  const int exponent = std::stoi(scientific.substr(e + 1));
  std::string out = value < 0 ? "-" : "";
  if (exponent < -4 || exponent >= 15) {
    out += digits.substr(0, 1);
    if (digits.size() > 1) {
      out += '.';
      out.append(digits, 1);
    }
    const int magnitude = exponent < 0 ? -exponent : exponent;
    out += exponent < 0 ? "E-" : "E+";
    if (magnitude < 10) out += '0';
    out += std::to_string(magnitude);
  } else if (exponent >= 0) {
    const auto integer_digits = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() <= integer_digits) {
      out += digits + std::string(integer_digits - digits.size(), '0');
    } else {
      out += digits.substr(0, integer_digits) + "." + digits.substr(integer_digits);
    }
  } else {
    out += "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
  }
  return Bstr(out.begin(), out.end());
}

Bstr FormatZeroPadded(std::int64_t number, int digits) {
  if (digits > 255) RaiseVbError(kInvalidProcedureCall, u"a format of more than 255 digits");
  const bool negative = number < 0;
  const std::uint64_t magnitude =
      negative ? ~static_cast<std::uint64_t>(number) + 1 : static_cast<std::uint64_t>(number);
  std::string text = std::to_string(magnitude);
  if (digits > 0 && text.size() < static_cast<std::size_t>(digits)) {
    text.insert(0, static_cast<std::size_t>(digits) - text.size(), '0');
  }
  if (negative) text.insert(0, 1, '-');
  return Bstr(text.begin(), text.end());
}

int CompareBinary(std::u16string_view a, std::u16string_view b) noexcept {
  return a.compare(b);
}

}  // namespace oleaut
