// Values as printed text, and exact running sums of numeric columns.
#pragma once

#include <optional>
#include <string>

#include "layout.h"
#include "platform/oleaut/decimal.h"
#include "platform/oleaut/variant.h"

namespace printing {

// The exact decimal a value holds: a Decimal as it is, a whole number, a Double as the shortest
// decimal that reads back as it (what was written into the database), numeric text. Nothing for
// Null, Empty and anything else.
std::optional<oleaut::Decimal> ExactDecimal(const oleaut::Variant& value);

// The decimal digits of a quantity or price of one row (its FQtyDecimal, FPriceDecimal).
struct RowDecimals {
  int quantity = 4;
  int price = 2;
};

// `value` as text by `format`. Null and Empty print as nothing; a value that is not a number
// where a number is asked for prints as its text.
std::string FormatValue(const oleaut::Variant& value, const ValueFormat& format,
                        const RowDecimals& decimals);
// A number rounded to `decimals` (halves away from zero), -1 keeping its own digits without
// trailing zeros; with `thousands` the whole part in groups of three.
std::string FormatDecimal(const oleaut::Decimal& value, int decimals, bool thousands);

// A running sum of decimals without rounding (up to 14 digits after the point, as the fill's
// decimal(28,14) columns hold).
class ExactSum {
 public:
  void Add(const oleaut::Variant& value);
  void Add(const ExactSum& other);
  oleaut::Decimal Value() const;

 private:
  __extension__ using Int128 = __int128;
  void Align(int scale);
  Int128 mantissa_ = 0;
  int scale_ = 0;
};

}  // namespace printing
