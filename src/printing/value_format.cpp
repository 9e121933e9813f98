#include "value_format.h"

#include <algorithm>
#include <cmath>

#include "platform/oleaut/convert.h"
#include "platform/oleaut/date.h"
#include "platform/oleaut/text.h"
#include "print_error.h"

namespace printing {

namespace {

using oleaut::Decimal;
using oleaut::Variant;
using oleaut::VarType;

constexpr int kMaxSumScale = 14;

std::string GroupThousands(const std::string& digits) {
  std::string grouped;
  const std::size_t n = digits.size();
  for (std::size_t i = 0; i < n; ++i) {
    if (i > 0 && (n - i) % 3 == 0) grouped += ',';
    grouped += digits[i];
  }
  return grouped;
}

std::string TwoDigits(int n) {
  return (n < 10 ? "0" : "") + std::to_string(n);
}

// The parts of a date pattern: the year in full, the others in two digits.
struct DatePatternPart {
  std::string_view token;
  int oleaut::CalendarFields::*field;
};
constexpr DatePatternPart kDatePatternParts[] = {
    {"yyyy", &oleaut::CalendarFields::year}, {"MM", &oleaut::CalendarFields::month},
    {"dd", &oleaut::CalendarFields::day},    {"HH", &oleaut::CalendarFields::hour},
    {"mm", &oleaut::CalendarFields::minute}, {"ss", &oleaut::CalendarFields::second},
};

// yyyy, MM, dd, HH, mm, ss replaced; everything else kept.
std::string FormatDate(const oleaut::Date& date, const std::string& pattern) {
  const oleaut::CalendarFields f = date.ToFields();
  std::string out;
  for (std::size_t i = 0; i < pattern.size();) {
    const std::string_view rest = std::string_view(pattern).substr(i);
    const auto part =
        std::find_if(std::begin(kDatePatternParts), std::end(kDatePatternParts),
                     [&](const DatePatternPart& p) { return rest.starts_with(p.token); });
    if (part == std::end(kDatePatternParts)) {
      out += pattern[i++];
      continue;
    }
    const int value = f.*(part->field);
    out += part->token == "yyyy" ? std::to_string(value) : TwoDigits(value);
    i += part->token.size();
  }
  return out;
}

std::optional<oleaut::Date> DateOf(const Variant& value) {
  if (value.Type() == VarType::Date) return value.AsDate();
  if (value.IsString()) return oleaut::Date::ParseIso(value.AsString());
  return std::nullopt;
}

}  // namespace

std::optional<Decimal> ExactDecimal(const Variant& value) {
  switch (value.Type()) {
    case VarType::Decimal:
      return value.AsDecimal();
    case VarType::Integer:
      return Decimal::FromInt64(value.AsInteger());
    case VarType::Long:
      return Decimal::FromInt64(value.AsLong());
    case VarType::Double:
      return std::isfinite(value.AsDouble()) ? Decimal::FromDoubleShortest(value.AsDouble())
                                             : std::nullopt;
    case VarType::String:
      return Decimal::Parse(value.AsString());
    default:
      return std::nullopt;
  }
}

std::string FormatDecimal(const Decimal& value, int decimals, bool thousands) {
  Decimal shown = value;
  if (decimals >= 0) {
    if (const auto rescaled = value.Rescale(decimals)) shown = *rescaled;
  }
  std::string text = oleaut::ToUtf8(shown.ToString());
  if (decimals < 0 && text.find('.') != std::string::npos) {
    while (text.back() == '0')
      text.pop_back();
    if (text.back() == '.') text.pop_back();
  }
  if (shown.IsZero() && text.starts_with('-')) text.erase(0, 1);
  if (!thousands) return text;
  const bool negative = text.starts_with('-');
  const std::size_t start = negative ? 1 : 0;
  const std::size_t point = text.find('.');
  const std::string whole =
      text.substr(start, point == std::string::npos ? std::string::npos : point - start);
  return (negative ? "-" : "") + GroupThousands(whole) +
         (point == std::string::npos ? "" : text.substr(point));
}

std::string FormatValue(const Variant& value, const ValueFormat& format,
                        const RowDecimals& decimals) {
  using Kind = ValueFormat::Kind;
  if (value.IsNull() || value.IsEmpty()) return {};
  switch (format.kind) {
    case Kind::kText:
      if (value.Type() == VarType::Date) {
        const oleaut::Date date = value.AsDate();
        return FormatDate(date, date.OleValue() == std::floor(date.OleValue())
                                    ? "yyyy-MM-dd"
                                    : "yyyy-MM-dd HH:mm:ss");
      }
      if (value.Type() == VarType::ByteArray) return {};
      if (const auto number = value.IsNumeric() ? ExactDecimal(value) : std::nullopt)
        return FormatDecimal(*number, -1, false);
      return oleaut::ToUtf8(oleaut::ToString(value));
    case Kind::kDate:
    case Kind::kDateTime: {
      const auto date = DateOf(value);
      if (!date) return oleaut::ToUtf8(oleaut::ToString(value));
      const std::string fallback = format.kind == Kind::kDate ? "yyyy-MM-dd" : "yyyy-MM-dd HH:mm";
      return FormatDate(*date, format.pattern.empty() ? fallback : format.pattern);
    }
    default:
      break;
  }
  const auto number = ExactDecimal(value);
  if (!number) return oleaut::ToUtf8(oleaut::ToString(value));
  if (format.blank_zero && number->IsZero()) return {};
  int digits = format.decimals;
  if (digits < 0) {
    if (format.kind == Kind::kAmount) digits = 2;
    if (format.kind == Kind::kQuantity) digits = decimals.quantity;
    if (format.kind == Kind::kPrice) digits = decimals.price;
  }
  return FormatDecimal(*number, digits, format.thousands);
}

void ExactSum::Align(int scale) {
  while (scale_ < scale) {
    mantissa_ *= 10;
    ++scale_;
  }
}

void ExactSum::Add(const Variant& value) {
  auto number = ExactDecimal(value);
  if (!number) return;
  if (number->Scale() > kMaxSumScale) number = number->Rescale(kMaxSumScale);
  if (!number) return;
  Int128 mantissa = (static_cast<Int128>(number->Hi()) << 64) | number->Lo();
  if (number->IsNegative()) mantissa = -mantissa;
  if (number->Scale() > scale_) Align(number->Scale());
  for (int s = number->Scale(); s < scale_; ++s)
    mantissa *= 10;
  mantissa_ += mantissa;
}

void ExactSum::Add(const ExactSum& other) {
  ExactSum aligned = other;
  if (aligned.scale_ < scale_) aligned.Align(scale_);
  Align(aligned.scale_);
  mantissa_ += aligned.mantissa_;
}

Decimal ExactSum::Value() const {
  const bool negative = mantissa_ < 0;
  __extension__ using UInt128 = unsigned __int128;
  const auto magnitude = static_cast<UInt128>(negative ? -mantissa_ : mantissa_);
  if ((magnitude >> 96) != 0) Fail("a summed column exceeds the largest decimal number");
  return Decimal(static_cast<std::uint32_t>(magnitude >> 64), static_cast<std::uint64_t>(magnitude),
                 static_cast<std::uint8_t>(scale_), negative);
}

}  // namespace printing
