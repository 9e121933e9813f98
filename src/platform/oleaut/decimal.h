// Decimal: the Automation DECIMAL, exact. A 96-bit unsigned mantissa, a sign and a scale of 0..28
// (value = +/- mantissa / 10^scale). Text round trip is exact: "1.5000000000" keeps its scale.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace oleaut {

class Decimal {
 public:
  static constexpr int kMaxScale = 28;

  Decimal() = default;
  // From parts; raises Overflow (6) when scale > 28.
  Decimal(std::uint32_t hi, std::uint64_t lo, std::uint8_t scale, bool negative);
  static Decimal FromInt64(std::int64_t value);
  // The nearest decimal of at most 15 significant digits, as VarDecFromR8 does; raises Overflow.
  static Decimal FromDouble(double value);
  // The shortest decimal that reads back as the same double (at most 17 significant digits):
  // what a double holds that was written from decimal text. nullopt beyond a Decimal's range.
  static std::optional<Decimal> FromDoubleShortest(double value);
  // Parses "-123.4500", "1e3", " 12 " (blanks around allowed); nullopt when it is not a number or
  // does not fit 96 bits.
  static std::optional<Decimal> Parse(std::u16string_view text);

  std::uint32_t Hi() const noexcept { return hi_; }
  std::uint64_t Lo() const noexcept { return lo_; }
  std::uint8_t Scale() const noexcept { return scale_; }
  bool IsNegative() const noexcept { return negative_; }
  bool IsZero() const noexcept { return hi_ == 0 && lo_ == 0; }

  double ToDouble() const noexcept;
  // Rounded to an integer, halves to the even neighbour; nullopt when it does not fit.
  std::optional<std::int64_t> ToInt64() const noexcept;
  // The same value with exactly `scale` digits after the point, rounding halves away from zero
  // (SQL Server's convert to decimal(p,s)); nullopt when it does not fit.
  std::optional<Decimal> Rescale(int scale) const noexcept;
  // Plain text with every digit of the scale: "1.5000000000", "-0.25", "12".
  std::u16string ToString() const;

  // Numeric comparison: 1.50 == 1.5.
  friend std::strong_ordering operator<=>(const Decimal& a, const Decimal& b) noexcept;
  friend bool operator==(const Decimal& a, const Decimal& b) noexcept {
    return (a <=> b) == std::strong_ordering::equal;
  }

 private:
  std::uint32_t hi_ = 0;
  std::uint64_t lo_ = 0;
  std::uint8_t scale_ = 0;
  bool negative_ = false;
};

}  // namespace oleaut
