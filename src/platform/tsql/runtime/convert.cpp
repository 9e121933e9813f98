// CAST and CONVERT with SQL Server's rules: the target type's meaning, its length and scale, the
// date styles, and SQL Server's messages when a value does not convert.
#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/oleaut/com_error.h"
#include "platform/oleaut/date.h"
#include "platform/oleaut/decimal.h"
#include "platform/oleaut/text.h"
#include "platform/tsql/runtime/detail.h"
#include "platform/tsql/runtime/runtime.h"

namespace tsql::detail {

std::u16string Ascii(std::string_view text) {
  return {text.begin(), text.end()};
}

namespace {

bool IsBlank(char16_t c) {
  return oleaut::IsWhitespace(c);
}

std::u16string_view TrimBlanks(std::u16string_view text) {
  return oleaut::TrimWhitespace(text);
}

int DecimalScale(sqlite3_value* value) {
  const unsigned subtype = sqlite3_value_subtype(value);
  return (subtype & 0xE0U) == kDecimalSubtype ? static_cast<int>(subtype & 0x1FU) : -1;
}

std::u16string DecimalText(double value, int scale) {
  try {
    const auto decimal = oleaut::Decimal::FromDoubleShortest(value);
    if (auto rescaled = decimal ? decimal->Rescale(scale) : std::nullopt) {
      return rescaled->ToString();
    }
  } catch (const oleaut::ComError&) {
  }
  return Ascii(fmt::format("{:.{}f}", value, scale));
}

// ---- dates ----
using oleaut::DaysInMonth;

bool Valid(const DateTime& d) {
  return d.year >= 1 && d.year <= 9999 && d.month >= 1 && d.month <= 12 && d.day >= 1 &&
         d.day <= DaysInMonth(d.year, d.month) && d.hour >= 0 && d.hour < 24 && d.minute >= 0 &&
         d.minute < 60 && d.second >= 0 && d.second < 60 && d.millisecond >= 0 &&
         d.millisecond < 1000;
}

class DateScanner {
 public:
  explicit DateScanner(std::u16string_view text) : text_(text) {}

  bool AtEnd() const { return at_ >= text_.size(); }
  bool AtSeparator() const { return Peek() == u'-' || Peek() == u'/' || Peek() == u'.'; }
  char16_t Peek() const { return AtEnd() ? 0 : text_[at_]; }
  bool Accept(char16_t c) {
    if (Peek() != c) return false;
    ++at_;
    return true;
  }
  void SkipBlanks() {
    while (!AtEnd() && IsBlank(text_[at_]))
      ++at_;
  }
  // Up to `max` digits; the count read goes to `count`.
  bool Number(int& out, int max, int* count = nullptr) {
    int n = 0;
    int value = 0;
    while (n < max && Peek() >= u'0' && Peek() <= u'9') {
      value = value * 10 + (Peek() - u'0');
      ++at_;
      ++n;
    }
    if (count) *count = n;
    out = value;
    return n > 0;
  }
  bool Word(std::u16string& out) {
    while ((Peek() >= u'a' && Peek() <= u'z') || (Peek() >= u'A' && Peek() <= u'Z')) {
      out += Peek();
      ++at_;
    }
    return !out.empty();
  }

 private:
  std::u16string_view text_;
  std::size_t at_ = 0;
};

int MonthFromName(std::u16string_view name) {
  static constexpr std::u16string_view kMonths[] = {u"JAN", u"FEB", u"MAR", u"APR", u"MAY", u"JUN",
                                                    u"JUL", u"AUG", u"SEP", u"OCT", u"NOV", u"DEC"};
  const std::u16string upper = oleaut::UCase(name);
  for (int i = 0; i < 12; ++i) {
    if (upper.size() >= 3 && std::u16string_view(upper).substr(0, 3) == kMonths[i]) return i + 1;
  }
  return 0;
}

// HH:MM[:SS[.fffffff]][AM|PM], after the date.
bool ParseTime(DateScanner& s, DateTime& d) {
  s.SkipBlanks();
  if (s.AtEnd()) return true;
  if (!s.Number(d.hour, 2) || !s.Accept(u':') || !s.Number(d.minute, 2)) return false;
  if (s.Accept(u':')) {
    if (!s.Number(d.second, 2)) return false;
    if (s.Accept(u'.')) {
      // Seven digits count (100 nanoseconds); more are read and dropped.
      int count = 0;
      int fraction = 0;
      if (!s.Number(fraction, kTimeDigits, &count)) return false;
      while (count++ < kTimeDigits)
        fraction *= 10;
      d.millisecond = fraction / 10000;
      d.sub_millisecond = fraction % 10000;
      int ignored = 0;
      s.Number(ignored, 9);
    }
  }
  s.SkipBlanks();
  std::u16string meridiem;
  if (s.Word(meridiem)) {
    const std::u16string upper = oleaut::UCase(meridiem);
    if ((upper != u"AM" && upper != u"PM") || d.hour < 1 || d.hour > 12) return false;
    if (upper == u"AM" && d.hour == 12) d.hour = 0;
    if (upper == u"PM" && d.hour != 12) d.hour += 12;
  }
  s.SkipBlanks();
  return s.AtEnd();
}

// "10:20", "9:05:30.5 PM": one or two digits and a colon.
bool IsTimeOnly(std::u16string_view text) {
  const auto digit = [&](std::size_t i) {
    return i < text.size() && text[i] >= u'0' && text[i] <= u'9';
  };
  if (!digit(0)) return false;
  const std::size_t colon = digit(1) ? 2 : 1;
  return colon < text.size() && text[colon] == u':';
}

// ---- targets ----
struct Target {
  enum class Kind {
    kText,
    kInteger,
    kBit,
    kDecimal,
    kFloat,
    kDate,
    kDateTime2,
    kTime,
    kOffset,
    kBinary
  } kind = Kind::kText;
  std::string name;
  int length = -1;   // text and binary; -1 for max
  bool pad = false;  // char(n), nchar(n)
  int precision = 18;
  int scale = 0;
  std::int64_t low = 0;
  std::int64_t high = 0;
  bool date_only = false;
};

Target ParseTarget(std::string_view declared) {
  Target t;
  const std::size_t open = declared.find('(');
  t.name = std::string(declared.substr(0, open));
  std::vector<int> args;
  bool max = false;
  if (open != std::string_view::npos) {
    std::string inside(declared.substr(open + 1, declared.size() - open - 2));
    if (inside == "max") {
      max = true;
    } else {
      for (const char* p = inside.c_str(); *p;) {
        char* end = nullptr;
        args.push_back(static_cast<int>(std::strtol(p, &end, 10)));
        p = *end == ',' ? end + 1 : end;
        if (end == p && *p) break;
      }
    }
  }
  const std::string& n = t.name;
  if (n == "bit") {
    t.kind = Target::Kind::kBit;
  } else if (n == "tinyint" || n == "smallint" || n == "int" || n == "bigint") {
    t.kind = Target::Kind::kInteger;
    t.high = n == "tinyint" ? 255 : n == "smallint" ? 32767 : n == "int" ? 2147483647 : INT64_MAX;
    t.low = n == "tinyint" ? 0 : n == "smallint" ? -32768 : n == "int" ? -2147483648LL : INT64_MIN;
  } else if (n == "decimal" || n == "numeric") {
    t.kind = Target::Kind::kDecimal;
    t.precision = args.empty() ? 18 : args[0];
    t.scale = args.size() > 1 ? args[1] : 0;
  } else if (n == "money" || n == "smallmoney") {
    t.kind = Target::Kind::kDecimal;
    t.precision = n == "money" ? 19 : 10;
    t.scale = 4;
  } else if (n == "float" || n == "real") {
    t.kind = Target::Kind::kFloat;
  } else if (n == "datetimeoffset") {
    t.kind = Target::Kind::kOffset;
    t.scale = args.empty() ? kTimeDigits : std::clamp(args[0], 0, kTimeDigits);
  } else if (n == "time") {
    t.kind = Target::Kind::kTime;
    t.scale = args.empty() ? kTimeDigits : std::clamp(args[0], 0, kTimeDigits);
  } else if (n == "datetime2") {
    // "datetime2" without a scale is the conversion of a column made when datetime2 kept
    // milliseconds only: its triggers keep three digits.
    t.kind = Target::Kind::kDateTime2;
    t.scale = args.empty() ? 3 : std::clamp(args[0], 0, kTimeDigits);
  } else if (n == "datetime" || n == "smalldatetime" || n == "date") {
    t.kind = Target::Kind::kDate;
    t.date_only = n == "date";
  } else if (n == "binary" || n == "varbinary" || n == "image") {
    t.kind = Target::Kind::kBinary;
    t.length = max || args.empty() ? -1 : args[0];
  } else {
    t.kind = Target::Kind::kText;
    t.length = max || args.empty() ? -1 : args[0];
    t.pad = n == "char" || n == "nchar";
  }
  return t;
}

bool IsLenient(sqlite3_context* context) {
  return sqlite3_user_data(context) == &kLenientConversion;
}

// The value does not convert: CAST and CONVERT fail, TRY_CAST and TRY_CONVERT give NULL.
void Fail(sqlite3_context* context, const std::string& message) {
  if (IsLenient(context)) return sqlite3_result_null(context);
  sqlite3_result_error(context, message.c_str(), static_cast<int>(message.size()));
}

// The conversion itself is not allowed (a style that does not exist, a type that never
// converts): TRY_CAST and TRY_CONVERT fail as well.
void Refuse(sqlite3_context* context, const std::string& message) {
  sqlite3_result_error(context, message.c_str(), static_cast<int>(message.size()));
}

void ToText(sqlite3_context* context, sqlite3_value* value, const Target& t, int style) {
  std::u16string text;
  if (sqlite3_value_type(value) == SQLITE_TEXT && style >= 0) {
    // A date-time with a style: reformat it; any other text stays as it is.
    if (auto date = ParseDateTime(Text16(value))) {
      auto formatted = FormatStyle(*date, style, FractionDigitsOf(Text16(value)));
      if (!formatted) {
        return Refuse(context, std::to_string(style) +
                                   " is not a valid style number when converting from datetime to "
                                   "a character string.");
      }
      text = std::move(*formatted);
    } else {
      text = Text16(value);
    }
  } else if (sqlite3_value_type(value) == SQLITE_FLOAT && style >= 0 && DecimalScale(value) < 0) {
    text = FloatText(sqlite3_value_double(value), style);
  } else {
    text = ValueText(value);
  }
  const int type = sqlite3_value_type(value);
  if ((type == SQLITE_INTEGER || type == SQLITE_FLOAT) && t.length >= 0 &&
      text.size() > static_cast<std::size_t>(t.length)) {
    // A number is never cut: an integer shows as * in char and varchar, anything else fails.
    const bool national = !t.name.empty() && t.name[0] == 'n';
    if (type == SQLITE_INTEGER && !national && DecimalScale(value) < 0) {
      return ResultText(context, u"*");
    }
    const char* from = type == SQLITE_INTEGER     ? "expression"
                       : DecimalScale(value) >= 0 ? "numeric"
                                                  : "float";
    return Fail(context, std::string("Arithmetic overflow error converting ") + from +
                             " to data type " + t.name + ".");
  }
  if (t.length >= 0 && text.size() > static_cast<std::size_t>(t.length)) text.resize(t.length);
  if (t.pad && t.length >= 0 && text.size() < static_cast<std::size_t>(t.length)) {
    text.append(static_cast<std::size_t>(t.length) - text.size(), u' ');
  }
  ResultText(context, text);
}

void ToInteger(sqlite3_context* context, sqlite3_value* value, const Target& t) {
  std::int64_t result = 0;
  switch (sqlite3_value_type(value)) {
    case SQLITE_INTEGER:
      result = sqlite3_value_int64(value);
      break;
    case SQLITE_FLOAT: {
      // Every double from -2^63 up to (not including) 2^63 is a 64-bit integer's value.
      constexpr double kTwoTo63 = 9223372036854775808.0;
      const double v = std::trunc(sqlite3_value_double(value));
      if (!(v >= -kTwoTo63 && v < kTwoTo63)) {
        return Fail(context,
                    "Arithmetic overflow error converting expression to data type " + t.name + ".");
      }
      result = static_cast<std::int64_t>(v);
      break;
    }
    case SQLITE_TEXT: {
      const std::u16string raw = Text16(value);
      const std::u16string_view text = TrimBlanks(raw);
      if (text.empty()) {
        result = 0;  // SQL Server converts the empty text to 0
      } else if (auto parsed = ParseInteger(text)) {
        result = *parsed;
      } else {
        return ResultConversionError(context, value, t.name);
      }
      break;
    }
    default: {
      // A binary value is the integer of its last bytes, as many as the type holds, read
      // big-endian in the type's two's complement: CAST(0xFFFFFFFF AS int) is -1.
      const auto* bytes = static_cast<const unsigned char*>(sqlite3_value_blob(value));
      const int size = sqlite3_value_bytes(value);
      const int width = t.name == "tinyint"    ? 1
                        : t.name == "smallint" ? 2
                        : t.name == "int"      ? 4
                                               : 8;
      std::uint64_t bits = 0;
      for (int i = std::max(0, size - width); i < size; ++i)
        bits = (bits << 8) | bytes[i];
      if (width < 8 && t.name != "tinyint" && (bits >> (width * 8 - 1)) != 0) {
        bits |= ~std::uint64_t{0} << (width * 8);
      }
      result = static_cast<std::int64_t>(bits);
      break;
    }
  }
  if (result < t.low || result > t.high) {
    return Fail(context,
                "Arithmetic overflow error converting expression to data type " + t.name + ".");
  }
  sqlite3_result_int64(context, result);
}

void ToBit(sqlite3_context* context, sqlite3_value* value) {
  switch (sqlite3_value_type(value)) {
    case SQLITE_INTEGER:
      return sqlite3_result_int(context, sqlite3_value_int64(value) != 0 ? 1 : 0);
    case SQLITE_FLOAT:
      return sqlite3_result_int(context, sqlite3_value_double(value) != 0 ? 1 : 0);
    case SQLITE_TEXT: {
      const std::u16string upper = oleaut::UCase(TrimBlanks(Text16(value)));
      if (upper == u"TRUE") return sqlite3_result_int(context, 1);
      if (upper == u"FALSE") return sqlite3_result_int(context, 0);
      if (auto parsed = ParseReal(upper)) return sqlite3_result_int(context, *parsed != 0 ? 1 : 0);
      return ResultConversionError(context, value, "bit");
    }
    default:
      return Refuse(context, "Explicit conversion from data type varbinary to bit is not allowed.");
  }
}

void ToDecimal(sqlite3_context* context, sqlite3_value* value, const Target& t) {
  std::optional<oleaut::Decimal> decimal;
  try {
    switch (sqlite3_value_type(value)) {
      case SQLITE_INTEGER:
        decimal = oleaut::Decimal::FromInt64(sqlite3_value_int64(value));
        break;
      case SQLITE_FLOAT:
        decimal = oleaut::Decimal::FromDoubleShortest(sqlite3_value_double(value));
        if (!decimal) decimal = oleaut::Decimal::FromDouble(sqlite3_value_double(value));
        break;
      case SQLITE_TEXT:
        decimal = oleaut::Decimal::Parse(Text16(value));
        if (!decimal) return Fail(context, "Error converting data type varchar to numeric.");
        break;
      default:
        return Refuse(context, "Explicit conversion from data type varbinary to " + t.name +
                                   " is not allowed.");
    }
  } catch (const oleaut::ComError&) {
    decimal.reset();
  }
  int scale = std::min(t.scale, oleaut::Decimal::kMaxScale);
  std::optional<oleaut::Decimal> rescaled = decimal ? decimal->Rescale(scale) : std::nullopt;
  // A value held exactly in 96 bits cannot take every digit of a wide scale (decimal(38,20));
  // the digits it gives up are beyond what the value holds, so the scale it can take serves.
  while (decimal && !rescaled && scale > 0)
    rescaled = decimal->Rescale(--scale);
  if (!rescaled) {
    return Fail(context,
                "Arithmetic overflow error converting " + t.name + " to data type " + t.name + ".");
  }
  if (t.name == "money" || t.name == "smallmoney") {
    // Money is a 64-bit count of ten-thousandths, smallmoney a 32-bit one.
    const std::uint64_t limit = t.name == "money" ? std::uint64_t{INT64_MAX} : INT32_MAX;
    if (rescaled->Scale() != 4 || rescaled->Hi() != 0 ||
        rescaled->Lo() > limit + (rescaled->IsNegative() ? 1 : 0)) {
      return Fail(context,
                  "Arithmetic overflow error converting expression to data type " + t.name + ".");
    }
  }
  const std::u16string text = rescaled->ToString();
  std::size_t integer_digits = 0;
  for (char16_t c : text) {
    if (c == u'.') break;
    if (c >= u'0' && c <= u'9') ++integer_digits;
  }
  if (integer_digits == 1 && (text[0] == u'0' || (text.size() > 1 && text[1] == u'0'))) {
    integer_digits = 0;
  }
  if (static_cast<int>(integer_digits) > t.precision - t.scale) {
    return Fail(context, "Arithmetic overflow error converting numeric to data type numeric.");
  }
  if (scale == 0 && rescaled->ToInt64()) {
    sqlite3_result_int64(context, *rescaled->ToInt64());
  } else {
    // A double keeps the value when its shortest form reads back as the same digits; beyond
    // that the exact text is kept.
    const double approximate = rescaled->ToDouble();
    const auto back = oleaut::Decimal::FromDoubleShortest(approximate);
    const auto back_scaled = back ? back->Rescale(scale) : std::nullopt;
    if (back_scaled && back_scaled->ToString() == text) {
      sqlite3_result_double(context, approximate);
    } else {
      ResultText(context, text);
    }
  }
  sqlite3_result_subtype(context, kDecimalSubtype | static_cast<unsigned>(scale));
}

// A real holds a single-precision float's range (3.40E+38 at most).
void ToFloat(sqlite3_context* context, sqlite3_value* value, bool real) {
  const auto result = [&](double v) {
    if (real && std::fabs(v) > 3.4028234663852886e38) {
      return Fail(context, "Arithmetic overflow error converting expression to data type real.");
    }
    sqlite3_result_double(context, v);
  };
  switch (sqlite3_value_type(value)) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
      return result(sqlite3_value_double(value));
    case SQLITE_TEXT: {
      const std::u16string text = Text16(value);
      // SQL Server converts the empty text to 0, as it does to int.
      if (TrimBlanks(text).empty()) return sqlite3_result_double(context, 0.0);
      if (auto parsed = ParseReal(text)) return result(*parsed);
      return Fail(context, "Error converting data type varchar to float.");
    }
    default:
      return Refuse(context,
                    "Explicit conversion from data type varbinary to float is not allowed.");
  }
}

void ToDate(sqlite3_context* context, sqlite3_value* value, const Target& t) {
  DateTime d;
  switch (sqlite3_value_type(value)) {
    case SQLITE_TEXT: {
      const std::u16string text = Text16(value);
      auto parsed = ParseDateTime(text);
      if (!parsed) {
        if ((t.name == "datetime" || t.name == "smalldatetime") && NumericDateOutOfRange(text)) {
          return Fail(context, "The conversion of a varchar data type to a " + t.name +
                                   " data type resulted in an out-of-range value.");
        }
        return Fail(context,
                    "Conversion failed when converting date and/or time from character string.");
      }
      d = *parsed;
      break;
    }
    case SQLITE_INTEGER:
    case SQLITE_FLOAT: {
      // Numbers count days from 1900-01-01, the fraction being the time of day; only datetime
      // and smalldatetime take them.
      if (t.name == "date") {
        return Refuse(context, std::string("Explicit conversion from data type ") +
                                   (sqlite3_value_type(value) == SQLITE_INTEGER ? "int" : "float") +
                                   " to " + t.name + " is not allowed.");
      }
      const double days = sqlite3_value_double(value);
      const double whole = std::floor(days);
      if (!(whole > -60000 && whole < 3000000)) {
        return Fail(context,
                    "Arithmetic overflow error converting expression to data type datetime.");
      }
      CivilFromDays(DaysFromCivil(1900, 1, 1) + static_cast<std::int64_t>(whole), d);
      auto ms = static_cast<std::int64_t>(std::llround((days - whole) * 86400000.0));
      if (ms >= 86400000) ms = 86399999;
      d.hour = static_cast<int>(ms / 3600000);
      d.minute = static_cast<int>(ms / 60000 % 60);
      d.second = static_cast<int>(ms / 1000 % 60);
      d.millisecond = static_cast<int>(ms % 1000);
      break;
    }
    default:
      return Refuse(context,
                    "Explicit conversion from data type varbinary to datetime is not allowed.");
  }
  if (t.date_only) d.hour = d.minute = d.second = d.millisecond = d.sub_millisecond = 0;
  // A text names a date the type cannot hold; a number of days overflows it.
  const auto out_of_range = [&] {
    if (sqlite3_value_type(value) != SQLITE_TEXT) {
      return Fail(context,
                  "Arithmetic overflow error converting expression to data type " + t.name + ".");
    }
    Fail(context, "The conversion of a varchar data type to a " + t.name +
                      " data type resulted in an out-of-range value.");
  };
  if (t.name == "datetime") {
    d = RoundedToDatetime(d);
    if (!InDatetimeRange(d)) return out_of_range();
  }
  if (t.name == "smalldatetime") {
    // 29.998 seconds round down, 29.999 up.
    const bool up = d.second * 1000 + d.millisecond >= 29999;
    d.second = d.millisecond = 0;
    if (up) {
      const std::int64_t minutes =
          DaysFromCivil(d.year, d.month, d.day) * 1440 + d.hour * 60 + d.minute + 1;
      CivilFromDays(minutes / 1440, d);
      d.hour = static_cast<int>(minutes % 1440 / 60);
      d.minute = static_cast<int>(minutes % 60);
    }
  }
  if (t.name == "smalldatetime" &&
      (d.year < 1900 || d.year > 2079 ||
       (d.year == 2079 && (d.month > 6 || (d.month == 6 && d.day > 6))))) {
    return out_of_range();
  }
  ResultText(context, FormatIso(d));
}

// A time of day holds 100-nanosecond ticks; time(n) rounds them to n digits of a second.
void ToTime(sqlite3_context* context, sqlite3_value* value, const Target& t) {
  if (sqlite3_value_type(value) != SQLITE_TEXT) return RefuseConversion(context, value, "time");
  const auto ticks = ParseTimeOfDay(Text16(value));
  if (!ticks) {
    return Fail(context,
                "Conversion failed when converting date and/or time from character string.");
  }
  ResultText(context, FormatTimeOfDay(*ticks, t.scale));
}

void ToBinary(sqlite3_context* context, sqlite3_value* value, const Target& t) {
  std::string bytes;
  if (sqlite3_value_type(value) == SQLITE_BLOB) {
    bytes.assign(static_cast<const char*>(sqlite3_value_blob(value)),
                 static_cast<std::size_t>(sqlite3_value_bytes(value)));
  } else if (sqlite3_value_type(value) == SQLITE_TEXT) {
    for (char16_t c : Text16(value)) {
      if (c > 0xFF)
        return Refuse(context, "Conversion of a Unicode text to binary is not supported.");
      bytes += static_cast<char>(c);
    }
  } else {
    return Refuse(context, "Conversion of a number to binary is not supported.");
  }
  if (t.length >= 0 && bytes.size() > static_cast<std::size_t>(t.length)) bytes.resize(t.length);
  sqlite3_result_blob64(context, bytes.data(), bytes.size(), kTransient);
}

}  // namespace

void RefuseConversion(sqlite3_context* context, sqlite3_value* value, std::string_view to) {
  const char* from = sqlite3_value_type(value) == SQLITE_INTEGER ? "int"
                     : sqlite3_value_type(value) == SQLITE_FLOAT ? "float"
                                                                 : "varbinary";
  Refuse(context, std::string("Explicit conversion from data type ") + from + " to " +
                      std::string(to) + " is not allowed.");
}

// Days from 1970-01-01 (proleptic Gregorian), and back.
std::int64_t DaysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy =
      (153 * static_cast<unsigned>(m + (m > 2 ? -3 : 9)) + 2) / 5 + static_cast<unsigned>(d) - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, DateTime& out) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  out.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  out.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  out.year = static_cast<int>(y + (out.month <= 2));
}

std::int64_t DatetimeTicks(const DateTime& d) {
  return ((DaysFromCivil(d.year, d.month, d.day) - DaysFromCivil(1900, 1, 1)) * 86400000LL) +
         d.hour * 3600000LL + d.minute * 60000LL + d.second * 1000LL + d.millisecond;
}

DateTime FromDatetimeTicks(std::int64_t ms) {
  // datetime keeps time in 1/300 of a second: .000, .003 or .007 in the last digit.
  const std::int64_t day_ms = 86400000LL;
  std::int64_t days = ms >= 0 ? ms / day_ms : -((-ms + day_ms - 1) / day_ms);
  std::int64_t in_day = ms - days * day_ms;
  const std::int64_t ticks = (in_day * 3 + 5) / 10;
  in_day = (ticks * 10 + 1) / 3;
  if (in_day >= day_ms) {
    ++days;
    in_day -= day_ms;
  }
  DateTime d;
  CivilFromDays(DaysFromCivil(1900, 1, 1) + days, d);
  d.hour = static_cast<int>(in_day / 3600000);
  d.minute = static_cast<int>(in_day / 60000 % 60);
  d.second = static_cast<int>(in_day / 1000 % 60);
  d.millisecond = static_cast<int>(in_day % 1000);
  return d;
}

bool InDatetimeRange(const DateTime& d) {
  return d.year >= 1753 && d.year <= 9999;
}

namespace {

// ".fff" of a date-time's fraction with `digits` digits (all seven of a datetime2(7)), or
// nothing for none: the fraction styles 21, 121 and 126 write.
std::string FractionText(const DateTime& d, int digits) {
  if (digits <= 0) return {};
  std::string text = fmt::format(".{:03}{:04}", d.millisecond, d.sub_millisecond);
  text.resize(1 + static_cast<std::size_t>(std::min(digits, kTimeDigits)));
  return text;
}

}  // namespace

std::optional<std::u16string> FormatStyle(const DateTime& d, int style, int digits) {
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const bool century = style >= 100 || style == 0 || style == 9 || style == 13 || style == 20 ||
                       style == 21 || style == 126;
  const int year = century ? d.year : d.year % 100;
  const int year_width = century ? 4 : 2;
  const int hour12 = d.hour % 12 == 0 ? 12 : d.hour % 12;
  const char* ampm = d.hour < 12 ? "AM" : "PM";
  const char* month = kMonths[d.month - 1];
  std::string text;
  switch (style) {
    case 0:
    case 100:
      text =
          fmt::format("{} {:>2} {:04} {:>2}:{:02}{}", month, d.day, d.year, hour12, d.minute, ampm);
      break;
    case 1:
    case 101:
      text = fmt::format("{:02}/{:02}/{:0{}}", d.month, d.day, year, year_width);
      break;
    case 2:
    case 102:
      text = fmt::format("{:0{}}.{:02}.{:02}", year, year_width, d.month, d.day);
      break;
    case 3:
    case 103:
      text = fmt::format("{:02}/{:02}/{:0{}}", d.day, d.month, year, year_width);
      break;
    case 4:
    case 104:
      text = fmt::format("{:02}.{:02}.{:0{}}", d.day, d.month, year, year_width);
      break;
    case 5:
    case 105:
      text = fmt::format("{:02}-{:02}-{:0{}}", d.day, d.month, year, year_width);
      break;
    case 6:
    case 106:
      text = fmt::format("{:02} {} {:0{}}", d.day, month, year, year_width);
      break;
    case 7:
    case 107:
      text = fmt::format("{} {:02}, {:0{}}", month, d.day, year, year_width);
      break;
    case 8:
    case 108:
      text = fmt::format("{:02}:{:02}:{:02}", d.hour, d.minute, d.second);
      break;
    case 9:
    case 109:
      text = fmt::format("{} {:>2} {:04} {:>2}:{:02}:{:02}:{:03}{}", month, d.day, d.year, hour12,
                         d.minute, d.second, d.millisecond, ampm);
      break;
    case 10:
    case 110:
      text = fmt::format("{:02}-{:02}-{:0{}}", d.month, d.day, year, year_width);
      break;
    case 11:
    case 111:
      text = fmt::format("{:0{}}/{:02}/{:02}", year, year_width, d.month, d.day);
      break;
    case 12:
    case 112:
      text = fmt::format("{:0{}}{:02}{:02}", year, year_width, d.month, d.day);
      break;
    case 13:
    case 113:
      text = fmt::format("{:02} {} {:04} {:02}:{:02}:{:02}:{:03}", d.day, month, d.year, d.hour,
                         d.minute, d.second, d.millisecond);
      break;
    case 14:
    case 114:
      text = fmt::format("{:02}:{:02}:{:02}:{:03}", d.hour, d.minute, d.second, d.millisecond);
      break;
    case 20:
    case 120:
      text = fmt::format("{:04}-{:02}-{:02} {:02}:{:02}:{:02}", d.year, d.month, d.day, d.hour,
                         d.minute, d.second);
      break;
    case 21:
    case 121:
      text = fmt::format("{:04}-{:02}-{:02} {:02}:{:02}:{:02}{}", d.year, d.month, d.day, d.hour,
                         d.minute, d.second, FractionText(d, digits));
      break;
    case 22:
      text = fmt::format("{:02}/{:02}/{:02} {:>2}:{:02}:{:02} {}", d.month, d.day, d.year % 100,
                         hour12, d.minute, d.second, ampm);
      break;
    case 23:
      text = fmt::format("{:04}-{:02}-{:02}", d.year, d.month, d.day);
      break;
    case 126:
      text = fmt::format("{:04}-{:02}-{:02}T{:02}:{:02}:{:02}{}", d.year, d.month, d.day, d.hour,
                         d.minute, d.second, FractionText(d, digits));
      break;
    default:
      return std::nullopt;
  }
  return Ascii(text);
}

std::u16string ValueText(sqlite3_value* value) {
  switch (sqlite3_value_type(value)) {
    case SQLITE_INTEGER:
      return Ascii(std::to_string(sqlite3_value_int64(value)));
    case SQLITE_FLOAT: {
      const double v = sqlite3_value_double(value);
      const int scale = DecimalScale(value);
      if (scale >= 0) return DecimalText(v, scale);
      return Ascii(fmt::format("{:.15g}", v));
    }
    case SQLITE_TEXT:
      return Text16(value);
    case SQLITE_BLOB: {
      const auto* bytes = static_cast<const unsigned char*>(sqlite3_value_blob(value));
      return std::u16string(bytes, bytes + sqlite3_value_bytes(value));
    }
    default:
      return {};
  }
}

std::u16string Text16(sqlite3_value* value) {
  const void* data = sqlite3_value_text16(value);
  const int bytes = sqlite3_value_bytes16(value);
  std::u16string text(static_cast<std::size_t>(bytes / 2), u'\0');
  if (bytes > 0) std::memcpy(text.data(), data, static_cast<std::size_t>(bytes / 2) * 2);
  return text;
}

void ResultText(sqlite3_context* context, std::u16string_view text) {
  sqlite3_result_text16(context, text.data(), static_cast<int>(text.size() * 2), kTransient);
}

void ResultError(sqlite3_context* context, const std::string& message) {
  sqlite3_result_error(context, message.c_str(), static_cast<int>(message.size()));
}

bool AnyNull(int argc, sqlite3_value** argv) {
  for (int i = 0; i < argc; ++i) {
    if (sqlite3_value_type(argv[i]) == SQLITE_NULL) return true;
  }
  return false;
}

void ResultConversionError(sqlite3_context* context, sqlite3_value* value,
                           std::string_view target) {
  if (IsLenient(context)) return sqlite3_result_null(context);
  std::string shown = oleaut::ToUtf8(ValueText(value));
  if (shown.size() > 60) {
    shown.resize(60);
    shown += "...";
  }
  const std::string message = fmt::format(
      "Conversion failed when converting the varchar value '{}' to data type {}.", shown, target);
  sqlite3_result_error(context, message.c_str(), static_cast<int>(message.size()));
}

std::optional<std::int64_t> ParseInteger(std::u16string_view text) {
  text = TrimBlanks(text);
  bool negative = false;
  if (!text.empty() && (text[0] == u'-' || text[0] == u'+')) {
    negative = text[0] == u'-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return std::nullopt;
    if (value > (UINT64_MAX - 9) / 10) return std::nullopt;
    value = value * 10 + static_cast<unsigned>(c - u'0');
  }
  if (value > static_cast<std::uint64_t>(INT64_MAX) + (negative ? 1 : 0)) return std::nullopt;
  return negative ? static_cast<std::int64_t>(0 - value) : static_cast<std::int64_t>(value);
}

std::optional<double> ParseReal(std::u16string_view text) {
  text = TrimBlanks(text);
  if (text.empty() || text.size() > 400) return std::nullopt;
  std::string ascii;
  for (char16_t c : text) {
    if (!((c >= u'0' && c <= u'9') || c == u'.' || c == u'-' || c == u'+' || c == u'e' ||
          c == u'E')) {
      return std::nullopt;
    }
    ascii += static_cast<char>(c);
  }
  char* end = nullptr;
  const double value = std::strtod(ascii.c_str(), &end);
  if (end != ascii.c_str() + ascii.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<DateTime> ParseDateTime(std::u16string_view raw) {
  const std::u16string_view text = TrimBlanks(raw);
  DateTime d;
  if (text.empty()) return d;  // SQL Server reads the empty text as 1900-01-01
  DateScanner s(text);
  int first = 0;
  int digits = 0;
  if (IsTimeOnly(text)) {
    // A time alone is that time on 1900-01-01.
    if (!ParseTime(s, d) || !Valid(d)) return std::nullopt;
    return d;
  }
  if (s.Number(first, 8, &digits)) {
    if (digits == 8) {  // yyyymmdd
      d.year = first / 10000;
      d.month = first / 100 % 100;
      d.day = first % 100;
    } else if (digits == 4) {  // yyyy-mm-dd, yyyy/mm/dd, yyyy.mm.dd
      d.year = first;
      const char16_t sep = s.Peek();
      if (sep != u'-' && sep != u'/' && sep != u'.') return std::nullopt;
      s.Accept(sep);
      if (!s.Number(d.month, 2) || !s.Accept(sep) || !s.Number(d.day, 2)) return std::nullopt;
      if (s.Accept(u'T')) {
        // ISO 8601's T joins date and time.
      }
    } else if (digits <= 2 && !s.AtSeparator()) {  // "5 Jan 2024"
      d.day = first;
      s.SkipBlanks();
      std::u16string month;
      if (!s.Word(month) || (d.month = MonthFromName(month)) == 0) return std::nullopt;
      s.SkipBlanks();
      s.Accept(u',');
      s.SkipBlanks();
      int year_digits = 0;
      if (!s.Number(d.year, 4, &year_digits) || year_digits != 4) return std::nullopt;
    } else if (digits <= 2) {  // mm/dd/yyyy, mm-dd-yyyy
      d.month = first;
      const char16_t sep = s.Peek();
      if (sep != u'-' && sep != u'/' && sep != u'.') return std::nullopt;
      s.Accept(sep);
      int year_digits = 0;
      if (!s.Number(d.day, 2) || !s.Accept(sep) || !s.Number(d.year, 4, &year_digits)) {
        return std::nullopt;
      }
      if (year_digits == 2) d.year += d.year < 50 ? 2000 : 1900;
      if (year_digits != 2 && year_digits != 4) return std::nullopt;
    } else {
      return std::nullopt;
    }
  } else {
    // "Jan  5 2024 10:00AM", as style 0 writes it.
    std::u16string month;
    if (!s.Word(month) || (d.month = MonthFromName(month)) == 0) return std::nullopt;
    s.SkipBlanks();
    if (!s.Number(d.day, 2)) return std::nullopt;
    s.SkipBlanks();
    s.Accept(u',');
    s.SkipBlanks();
    int year_digits = 0;
    if (!s.Number(d.year, 4, &year_digits) || year_digits != 4) return std::nullopt;
  }
  if (!ParseTime(s, d) || !Valid(d)) return std::nullopt;
  return d;
}

std::optional<std::int64_t> ParseTimeOfDay(std::u16string_view raw) {
  const std::u16string_view text = TrimBlanks(raw);
  constexpr std::int64_t kSecond = 10000000;
  if (!IsTimeOnly(text)) {
    // A date and time (with or without an offset): its time of day.
    auto date = ParseDateTime(text);
    if (!date) date = ParseDateTime(WithoutOffset(text));
    if (!date) return std::nullopt;
    return ((date->hour * 60LL + date->minute) * 60 + date->second) * kSecond +
           date->millisecond * 10000LL + date->sub_millisecond;
  }
  DateScanner s(text);
  int hour = 0;
  int minute = 0;
  int second = 0;
  std::int64_t fraction = 0;
  if (!s.Number(hour, 2) || !s.Accept(u':') || !s.Number(minute, 2)) return std::nullopt;
  if (s.Accept(u':')) {
    if (!s.Number(second, 2)) return std::nullopt;
    if (s.Accept(u'.')) {
      int count = 0;
      for (; count < kTimeDigits && s.Peek() >= u'0' && s.Peek() <= u'9'; ++count) {
        fraction = fraction * 10 + (s.Peek() - u'0');
        s.Accept(s.Peek());
      }
      if (count == 0) return std::nullopt;
      for (; count < kTimeDigits; ++count)
        fraction *= 10;
    }
  }
  s.SkipBlanks();
  std::u16string meridiem;
  if (s.Word(meridiem)) {
    const std::u16string upper = oleaut::UCase(meridiem);
    if ((upper != u"AM" && upper != u"PM") || hour < 1 || hour > 12) return std::nullopt;
    if (upper == u"AM" && hour == 12) hour = 0;
    if (upper == u"PM" && hour != 12) hour += 12;
  }
  s.SkipBlanks();
  if (!s.AtEnd() || hour > 23 || minute > 59 || second > 59) return std::nullopt;
  return ((hour * 60LL + minute) * 60 + second) * kSecond + fraction;
}

std::u16string FormatTimeOfDay(std::int64_t ticks, int digits) {
  constexpr std::int64_t kDay = 864000000000;
  std::int64_t unit = 1;
  for (int i = digits; i < kTimeDigits; ++i)
    unit *= 10;
  // Rounded to the digits kept; past midnight it is the next day's time.
  ticks = (ticks + unit / 2) / unit * unit % kDay;
  const std::int64_t seconds = ticks / 10000000;
  std::string text =
      fmt::format("{:02}:{:02}:{:02}", seconds / 3600, seconds / 60 % 60, seconds % 60);
  if (digits > 0) {
    text += fmt::format(".{:07}", ticks % 10000000);
    text.resize(9 + static_cast<std::size_t>(digits));
  }
  return Ascii(text);
}

std::u16string FormatIso(const DateTime& d) {
  return Ascii(fmt::format("{:04}-{:02}-{:02} {:02}:{:02}:{:02}.{:03}", d.year, d.month, d.day,
                           d.hour, d.minute, d.second, d.millisecond));
}

void ConvertFunction(sqlite3_context* context, int argc, sqlite3_value** argv) {
  // The target type is a constant of the statement: parse it once per statement.
  Target local;
  const Target* target = static_cast<const Target*>(sqlite3_get_auxdata(context, 0));
  if (!target) {
    const auto* declared = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    local = ParseTarget(declared ? declared : "varchar(30)");
    target = &local;
    sqlite3_set_auxdata(context, 0, new Target(local),
                        [](void* p) { delete static_cast<Target*>(p); });
  }
  sqlite3_value* value = argv[1];
  if (sqlite3_value_type(value) == SQLITE_NULL) return sqlite3_result_null(context);
  const int style =
      argc > 2 && sqlite3_value_type(argv[2]) != SQLITE_NULL ? sqlite3_value_int(argv[2]) : -1;
  switch (target->kind) {
    case Target::Kind::kText:
      return ToText(context, value, *target, style);
    case Target::Kind::kInteger:
      return ToInteger(context, value, *target);
    case Target::Kind::kBit:
      return ToBit(context, value);
    case Target::Kind::kDecimal:
      return ToDecimal(context, value, *target);
    case Target::Kind::kFloat:
      return ToFloat(context, value, target->name == "real");
    case Target::Kind::kDate:
      return ToDate(context, value, *target);
    case Target::Kind::kDateTime2:
      return ConvertToDateTime2(context, value, target->scale);
    case Target::Kind::kTime:
      return ToTime(context, value, *target);
    case Target::Kind::kOffset:
      return ConvertToDateTimeOffset(context, value, target->scale);
    case Target::Kind::kBinary:
      return ToBinary(context, value, *target);
  }
}

}  // namespace tsql::detail

namespace tsql {

std::optional<oleaut::CalendarFields> ParseSqlDateTime(std::u16string_view text) {
  auto parsed = detail::ParseDateTime(text);
  if (!parsed) return std::nullopt;
  return oleaut::CalendarFields{parsed->year,   parsed->month,  parsed->day,        parsed->hour,
                                parsed->minute, parsed->second, parsed->millisecond};
}

}  // namespace tsql
