#include "platform/oleaut/decimal.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "platform/oleaut/com_error.h"

namespace oleaut {
namespace {

__extension__ using U128 = unsigned __int128;  // a GCC and Clang extension

// Largest mantissa: 2^96 - 1, which has 29 decimal digits.
constexpr U128 kMaxMantissa = (static_cast<U128>(1) << 96) - 1;
constexpr int kMaxDigits = 29;

constexpr std::array<U128, 39> MakePowers() {
  std::array<U128, 39> powers{};
  U128 p = 1;
  for (auto& entry : powers) {
    entry = p;
    p *= 10;
  }
  return powers;
}
constexpr std::array<U128, 39> kPow10 = MakePowers();

U128 Mantissa(const Decimal& d) {
  return (static_cast<U128>(d.Hi()) << 64) | d.Lo();
}

Decimal FromMantissa(U128 m, int scale, bool negative) {
  return Decimal(static_cast<std::uint32_t>(m >> 64), static_cast<std::uint64_t>(m),
                 static_cast<std::uint8_t>(scale), negative);
}

// m / 10^digits, the discarded part rounded with halves to the even neighbour.
U128 DivideHalfEven(U128 m, int digits) {
  const U128 divisor = kPow10[digits];
  U128 q = m / divisor;
  const U128 r = m % divisor;
  const U128 twice = r * 2;
  if (twice > divisor || (twice == divisor && (q & 1) != 0)) ++q;
  return q;
}

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

// The decimal digits * 10^-scale. Digits beyond 29 significant ones or beyond the 28th decimal
// place are rounded off (halves to even); nullopt when the integer part alone does not fit.
std::optional<Decimal> FromDigits(std::string digits, int scale, bool negative) {
  // Leading zeros carry nothing.
  const auto first = digits.find_first_not_of('0');
  digits.erase(0, first == std::string::npos ? digits.size() : first);
  if (scale < 0) {
    if (digits.empty()) {
      scale = 0;
    } else {
      if (digits.size() + static_cast<std::size_t>(-scale) > kMaxDigits) return std::nullopt;
      digits.append(static_cast<std::size_t>(-scale), '0');
      scale = 0;
    }
  }
  // Too many digits, or too small a unit: round off digits at the right.
  int cut = scale > Decimal::kMaxScale ? scale - Decimal::kMaxScale : 0;
  if (static_cast<int>(digits.size()) - cut > kMaxDigits) {
    cut = static_cast<int>(digits.size()) - kMaxDigits;
  }
  if (cut > scale) return std::nullopt;
  bool round_up = false;
  std::size_t kept = digits.size();
  if (cut > 0) {
    if (static_cast<std::size_t>(cut) > digits.size()) {
      kept = 0;  // every digit is well below the last kept place
    } else {
      kept = digits.size() - static_cast<std::size_t>(cut);
      const char dropped = digits[kept];
      const bool more = digits.find_first_not_of('0', kept + 1) != std::string::npos;
      // Beside a kept part of nothing, the neighbour is 0, which is even.
      const bool odd = kept > 0 && ((digits[kept - 1] - '0') & 1) != 0;
      round_up = dropped > '5' || (dropped == '5' && (more || odd));
    }
    scale -= cut;
  }
  U128 m = 0;
  for (std::size_t i = 0; i < kept; ++i)
    m = m * 10 + static_cast<unsigned>(digits[i] - '0');
  if (round_up) ++m;
  // 29 digits may still exceed 96 bits: give up one more fractional digit.
  while (m > kMaxMantissa) {
    if (scale == 0) return std::nullopt;
    m = DivideHalfEven(m, 1);
    --scale;
  }
  return FromMantissa(m, scale, negative && m != 0);
}

}  // namespace

Decimal::Decimal(std::uint32_t hi, std::uint64_t lo, std::uint8_t scale, bool negative)
    : hi_(hi), lo_(lo), scale_(scale), negative_(negative) {
  if (scale > kMaxScale) {
    RaiseVbError(kOverflow, u"a decimal scale must be between 0 and 28");
  }
}

Decimal Decimal::FromInt64(std::int64_t value) {
  const bool negative = value < 0;
  const std::uint64_t magnitude =
      negative ? ~static_cast<std::uint64_t>(value) + 1 : static_cast<std::uint64_t>(value);
  return Decimal(0, magnitude, 0, negative);
}

Decimal Decimal::FromDouble(double value) {
  if (!std::isfinite(value) || std::fabs(value) >= 79228162514264337593543950335.0) {
    RaiseVbError(kOverflow, u"the number is too large for a Decimal");
  }
  if (value == 0.0) return Decimal();
  // 15 significant digits, as the runtime keeps of a double.
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.14e", std::fabs(value));
  const std::string text(buffer);
  const auto e = text.find('e');
  std::string digits = text.substr(0, 1) + text.substr(2, e - 2);
  const int exponent = std::stoi(text.substr(e + 1));
  int scale = 14 - exponent;
  std::optional<Decimal> result = FromDigits(digits, scale, value < 0);
  if (!result) RaiseVbError(kOverflow, u"the number is too large for a Decimal");
  // Trailing zeros of the 15 digits are not part of the value's written form.
  U128 m = Mantissa(*result);
  scale = result->Scale();
  while (scale > 0 && m % 10 == 0) {
    m /= 10;
    --scale;
  }
  return FromMantissa(m, scale, result->IsNegative());
}

std::optional<Decimal> Decimal::FromDoubleShortest(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  char buffer[32];
  const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  if (error != std::errc()) return std::nullopt;
  const std::u16string text(buffer, end);
  return Parse(text);
}

std::optional<Decimal> Decimal::Parse(std::u16string_view text) {
  std::size_t i = 0;
  std::size_t end = text.size();
  while (i < end && IsBlank(text[i]))
    ++i;
  while (end > i && IsBlank(text[end - 1]))
    --end;
  if (i == end) return std::nullopt;
  bool negative = false;
  if (text[i] == u'+' || text[i] == u'-') {
    negative = text[i] == u'-';
    ++i;
  }
  std::string digits;
  int fraction_digits = 0;
  bool any_digit = false;
  bool seen_point = false;
  for (; i < end; ++i) {
    const char16_t c = text[i];
    if (c >= u'0' && c <= u'9') {
      any_digit = true;
      digits.push_back(static_cast<char>(c));
      if (seen_point) ++fraction_digits;
    } else if (c == u'.' && !seen_point) {
      seen_point = true;
    } else {
      break;
    }
  }
  if (!any_digit) return std::nullopt;
  long exponent = 0;
  if (i < end && (text[i] == u'e' || text[i] == u'E')) {
    ++i;
    bool exponent_negative = false;
    if (i < end && (text[i] == u'+' || text[i] == u'-')) {
      exponent_negative = text[i] == u'-';
      ++i;
    }
    if (i == end) return std::nullopt;
    for (; i < end && text[i] >= u'0' && text[i] <= u'9'; ++i) {
      if (exponent < 100000) exponent = exponent * 10 + (text[i] - u'0');
    }
    if (exponent_negative) exponent = -exponent;
  }
  if (i != end) return std::nullopt;
  // Keep the scale bounded so that huge exponents cannot overflow the arithmetic below.
  const long scale = static_cast<long>(fraction_digits) - exponent;
  if (scale < -100) {
    if (digits.find_first_not_of('0') != std::string::npos) return std::nullopt;
    return Decimal();
  }
  if (scale > 100000) return Decimal();
  return FromDigits(std::move(digits), static_cast<int>(scale), negative);
}

double Decimal::ToDouble() const noexcept {
  // Through the text, so the double is the one nearest to the exact value.
  std::string text;
  for (char16_t c : ToString())
    text.push_back(static_cast<char>(c));
  return std::strtod(text.c_str(), nullptr);
}

std::optional<std::int64_t> Decimal::ToInt64() const noexcept {
  const U128 q = DivideHalfEven(Mantissa(*this), scale_);
  const U128 limit =
      static_cast<U128>(std::numeric_limits<std::int64_t>::max()) + (negative_ ? 1 : 0);
  if (q > limit) return std::nullopt;
  if (negative_) return static_cast<std::int64_t>(~static_cast<std::uint64_t>(q) + 1);
  return static_cast<std::int64_t>(q);
}

std::optional<Decimal> Decimal::Rescale(int scale) const noexcept {
  if (scale < 0 || scale > kMaxScale) return std::nullopt;
  U128 m = Mantissa(*this);
  if (scale >= scale_) {
    const U128 factor = kPow10[scale - scale_];
    if (m > kMaxMantissa / factor) return std::nullopt;
    m *= factor;
  } else {
    const U128 divisor = kPow10[scale_ - scale];
    const U128 r = m % divisor;
    m /= divisor;
    if (r * 2 >= divisor) ++m;  // halves away from zero
    if (m > kMaxMantissa) return std::nullopt;
  }
  return FromMantissa(m, scale, negative_ && m != 0);
}

std::u16string Decimal::ToString() const {
  U128 m = Mantissa(*this);
  std::u16string digits;
  do {
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + static_cast<int>(m % 10)));
    m /= 10;
  } while (m != 0);
  if (digits.size() <= scale_) digits.insert(0, scale_ + 1 - digits.size(), u'0');
  if (scale_ > 0) digits.insert(digits.size() - scale_, 1, u'.');
  if (negative_ && !IsZero()) digits.insert(0, 1, u'-');
  return digits;
}

std::strong_ordering operator<=>(const Decimal& a, const Decimal& b) noexcept {
  const bool a_negative = a.IsNegative() && !a.IsZero();
  const bool b_negative = b.IsNegative() && !b.IsZero();
  if (a_negative != b_negative) {
    return a_negative ? std::strong_ordering::less : std::strong_ordering::greater;
  }
  // Compare magnitudes: the one with the smaller scale against the other divided down, so that
  // nothing overflows.
  const U128 ma = Mantissa(a);
  const U128 mb = Mantissa(b);
  std::strong_ordering magnitude = std::strong_ordering::equal;
  if (a.Scale() == b.Scale()) {
    magnitude = ma <=> mb;
  } else if (a.Scale() < b.Scale()) {
    const U128 divisor = kPow10[b.Scale() - a.Scale()];
    const U128 q = mb / divisor;
    magnitude =
        ma != q ? ma <=> q
                : (mb % divisor != 0 ? std::strong_ordering::less : std::strong_ordering::equal);
  } else {
    const U128 divisor = kPow10[a.Scale() - b.Scale()];
    const U128 q = ma / divisor;
    magnitude =
        q != mb ? q <=> mb
                : (ma % divisor != 0 ? std::strong_ordering::greater : std::strong_ordering::equal);
  }
  if (a_negative) return 0 <=> magnitude;
  return magnitude;
}

}  // namespace oleaut
