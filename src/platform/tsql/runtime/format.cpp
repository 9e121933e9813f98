// FORMAT(value, format [, culture]) as SQL Server does it through .NET's format strings: the
// standard and custom formats of numbers and of dates, for the invariant culture, en-US and
// zh-CN. A format .NET refuses gives NULL; a culture outside those three is refused with SQL
// Server's message for a culture it does not know.
#include <fmt/format.h>
#include <sqlite3.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "platform/oleaut/text.h"
#include "platform/tsql/runtime/detail.h"

namespace tsql::detail {
namespace {

struct Culture {
  const char* name;
  // Dates.
  const char* short_date;
  const char* long_date;
  const char* short_time;
  const char* long_time;
  const char* month_day;
  const char* year_month;
  const char* const* months;  // 12 of them
  const char* const* abbreviated_months;
  const char* const* days;  // 7, from Sunday
  const char* const* abbreviated_days;
  const char* am;
  const char* pm;
  // Numbers: the currency symbol, the pattern of a negative amount (0: ($n), 1: -$n, 2: $-n),
  // and that of a percentage (0: n %, 1: n%).
  const char* currency;
  int currency_negative;
  int percent_positive;
};

constexpr const char* kEnglishMonths[] = {"January",   "February", "March",    "April",
                                          "May",       "June",     "July",     "August",
                                          "September", "October",  "November", "December"};
constexpr const char* kEnglishMonthAbbreviations[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr const char* kEnglishDays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                        "Thursday", "Friday", "Saturday"};
constexpr const char* kEnglishDayAbbreviations[] = {"Sun", "Mon", "Tue", "Wed",
                                                    "Thu", "Fri", "Sat"};
constexpr const char* kChineseMonths[] = {
    "\u4e00\u6708", "\u4e8c\u6708", "\u4e09\u6708",       "\u56db\u6708",
    "\u4e94\u6708", "\u516d\u6708", "\u4e03\u6708",       "\u516b\u6708",
    "\u4e5d\u6708", "\u5341\u6708", "\u5341\u4e00\u6708", "\u5341\u4e8c\u6708"};
constexpr const char* kChineseMonthAbbreviations[] = {
    "1\u6708", "2\u6708", "3\u6708", "4\u6708",  "5\u6708",  "6\u6708",
    "7\u6708", "8\u6708", "9\u6708", "10\u6708", "11\u6708", "12\u6708"};
constexpr const char* kChineseDays[] = {
    "\u661f\u671f\u65e5", "\u661f\u671f\u4e00", "\u661f\u671f\u4e8c", "\u661f\u671f\u4e09",
    "\u661f\u671f\u56db", "\u661f\u671f\u4e94", "\u661f\u671f\u516d"};
constexpr const char* kChineseDayAbbreviations[] = {"\u5468\u65e5", "\u5468\u4e00", "\u5468\u4e8c",
                                                    "\u5468\u4e09", "\u5468\u56db", "\u5468\u4e94",
                                                    "\u5468\u516d"};

constexpr Culture kInvariant = {
    "",
    "MM/dd/yyyy",
    "dddd, dd MMMM yyyy",
    "HH:mm",
    "HH:mm:ss",
    "MMMM dd",
    "yyyy MMMM",
    kEnglishMonths,
    kEnglishMonthAbbreviations,
    kEnglishDays,
    kEnglishDayAbbreviations,
    "AM",
    "PM",
    "\u00A4",
    0,
    0,
};

constexpr Culture kEnglishUs = {
    "en-us",
    "M/d/yyyy",
    "dddd, MMMM d, yyyy",
    "h:mm tt",
    "h:mm:ss tt",
    "MMMM d",
    "MMMM yyyy",
    kEnglishMonths,
    kEnglishMonthAbbreviations,
    kEnglishDays,
    kEnglishDayAbbreviations,
    "AM",
    "PM",
    "$",
    0,
    0,
};

constexpr Culture kChinese = {
    "zh-cn",
    "yyyy/M/d",
    "yyyy'\u5e74'M'\u6708'd'\u65e5'",
    "H:mm",
    "H:mm:ss",
    "M'\u6708'd'\u65e5'",
    "yyyy'\u5e74'M'\u6708'",
    kChineseMonths,
    kChineseMonthAbbreviations,
    kChineseDays,
    kChineseDayAbbreviations,
    "\u4e0a\u5348",
    "\u4e0b\u5348",
    "\u00a5",
    2,
    1,
};

const Culture* FindCulture(std::string_view name) {
  std::string lower(name);
  for (char& c : lower)
    c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  if (lower.empty()) return &kInvariant;
  if (lower == "en-us" || lower == "en") return &kEnglishUs;
  if (lower == "zh-cn" || lower == "zh-hans" || lower == "zh") return &kChinese;
  return nullptr;
}

// ---- dates ----
// A .NET custom date format: runs of the same letter are fields, quotes and \ literals.
std::string FormatDate(const DateTime& d, std::int64_t ticks7, std::string_view format,
                       const Culture& culture) {
  std::string out;
  const int weekday = static_cast<int>(((DaysFromCivil(d.year, d.month, d.day) + 4) % 7 + 7) % 7);
  for (std::size_t i = 0; i < format.size();) {
    const char c = format[i];
    std::size_t run = 1;
    while (i + run < format.size() && format[i + run] == c)
      ++run;
    const auto number = [&](int value, std::size_t width) {
      out += fmt::format("{:0{}}", value, width);
    };
    switch (c) {
      case 'y':
        if (run <= 2) {
          number(d.year % 100, run);
        } else {
          number(d.year, run);
        }
        break;
      case 'M':
        if (run <= 2) {
          number(d.month, run);
        } else {
          out += run == 3 ? culture.abbreviated_months[d.month - 1] : culture.months[d.month - 1];
        }
        break;
      case 'd':
        if (run <= 2) {
          number(d.day, run);
        } else {
          out += run == 3 ? culture.abbreviated_days[weekday] : culture.days[weekday];
        }
        break;
      case 'H':
        number(d.hour, std::min<std::size_t>(run, 2));
        break;
      case 'h':
        number(d.hour % 12 == 0 ? 12 : d.hour % 12, std::min<std::size_t>(run, 2));
        break;
      case 'm':
        number(d.minute, std::min<std::size_t>(run, 2));
        break;
      case 's':
        number(d.second, std::min<std::size_t>(run, 2));
        break;
      case 'f':
      case 'F': {
        std::string digits = fmt::format("{:07}", ticks7).substr(0, std::min<std::size_t>(run, 7));
        if (c == 'F') {
          while (!digits.empty() && digits.back() == '0')
            digits.pop_back();
          if (digits.empty() && !out.empty() && out.back() == '.') out.pop_back();
        }
        out += digits;
        break;
      }
      case 't': {
        const std::string marker = d.hour < 12 ? culture.am : culture.pm;
        out += run == 1 ? marker.substr(0, 1) : marker;
        break;
      }
      case '\'':
      case '"': {
        const std::size_t close = format.find(c, i + 1);
        out +=
            format.substr(i + 1, (close == std::string_view::npos ? format.size() : close) - i - 1);
        i = close == std::string_view::npos ? format.size() : close + 1;
        continue;
      }
      case '\\':
        if (i + 1 < format.size()) out += format[i + 1];
        i += 2;
        continue;
      default:
        out.append(run, c);
    }
    i += run;
  }
  return out;
}

std::optional<std::string> StandardDateFormat(char letter, const Culture& culture) {
  switch (letter) {
    case 'd':
      return culture.short_date;
    case 'D':
      return culture.long_date;
    case 't':
      return culture.short_time;
    case 'T':
      return culture.long_time;
    case 'f':
      return std::string(culture.long_date) + " " + culture.short_time;
    case 'F':
      return std::string(culture.long_date) + " " + culture.long_time;
    case 'g':
      return std::string(culture.short_date) + " " + culture.short_time;
    case 'G':
      return std::string(culture.short_date) + " " + culture.long_time;
    case 'm':
    case 'M':
      return culture.month_day;
    case 'y':
    case 'Y':
      return culture.year_month;
    case 's':
      return "yyyy'-'MM'-'dd'T'HH':'mm':'ss";
    case 'u':
      return "yyyy'-'MM'-'dd HH':'mm':'ss'Z'";
    case 'o':
    case 'O':
      return "yyyy'-'MM'-'dd'T'HH':'mm':'ss'.'fffffff";
    default:
      return std::nullopt;
  }
}

// ---- numbers ----
// A number's decimal digits: whole part and fraction, without sign.
struct Digits {
  bool negative = false;
  std::string whole;
  std::string fraction;

  static Digits Of(double value) {
    Digits d;
    d.negative = std::signbit(value);
    std::string text = fmt::format("{}", std::fabs(value));
    int exponent = 0;
    if (const std::size_t e = text.find('e'); e != std::string::npos) {
      exponent = std::stoi(text.substr(e + 1));
      text.resize(e);
    }
    const std::size_t point = text.find('.');
    std::string digits = text;
    int point_at = static_cast<int>(text.size());
    if (point != std::string::npos) {
      digits.erase(point, 1);
      point_at = static_cast<int>(point);
    }
    point_at += exponent;
    if (point_at <= 0) {
      digits.insert(0, static_cast<std::size_t>(-point_at) + 1, '0');
      point_at = 1;
    }
    if (point_at > static_cast<int>(digits.size())) digits.append(point_at - digits.size(), '0');
    d.whole = digits.substr(0, static_cast<std::size_t>(point_at));
    d.fraction = digits.substr(static_cast<std::size_t>(point_at));
    while (d.whole.size() > 1 && d.whole[0] == '0')
      d.whole.erase(0, 1);
    return d;
  }

  // Rounded half away from zero to `places` digits of fraction.
  void Round(std::size_t places) {
    if (fraction.size() <= places) {
      fraction.append(places - fraction.size(), '0');
      return;
    }
    const bool up = fraction[places] >= '5';
    fraction.resize(places);
    if (!up) return;
    std::string all = whole + fraction;
    int i = static_cast<int>(all.size()) - 1;
    while (i >= 0 && all[static_cast<std::size_t>(i)] == '9')
      all[static_cast<std::size_t>(i--)] = '0';
    if (i < 0) {
      all.insert(0, 1, '1');
    } else {
      ++all[static_cast<std::size_t>(i)];
    }
    whole = all.substr(0, all.size() - places);
    fraction = all.substr(all.size() - places);
  }

  bool IsZero() const {
    return whole.find_first_not_of('0') == std::string::npos &&
           fraction.find_first_not_of('0') == std::string::npos;
  }

  std::string Grouped() const {
    std::string out;
    for (std::size_t i = 0; i < whole.size(); ++i) {
      if (i > 0 && (whole.size() - i) % 3 == 0) out += ',';
      out += whole[i];
    }
    return out;
  }

  std::string Text(bool grouped) const {
    std::string out = grouped ? Grouped() : whole;
    if (!fraction.empty()) out += "." + fraction;
    return out;
  }
};

// A .NET custom number format ("#,##0.00", "0.###", "000"): literals before and after the
// digit placeholders kept, % scaling by 100.
std::string FormatCustomNumber(double value, std::string_view format) {
  const std::size_t section_end = format.find(';');
  if (value < 0 && section_end != std::string_view::npos) {
    // The second section writes negative numbers without their sign.
    const std::string_view second = format.substr(section_end + 1);
    return FormatCustomNumber(-value, second.substr(0, second.find(';')));
  }
  format = format.substr(0, section_end);
  std::string prefix;
  std::string suffix;
  bool grouped = false;
  bool percent = false;
  bool in_fraction = false;
  bool seen_placeholder = false;
  std::size_t whole_minimum = 0;
  std::size_t fraction_minimum = 0;
  std::size_t fraction_maximum = 0;
  for (std::size_t i = 0; i < format.size(); ++i) {
    const char c = format[i];
    if (c == '0' || c == '#') {
      seen_placeholder = true;
      if (in_fraction) {
        ++fraction_maximum;
        if (c == '0') fraction_minimum = fraction_maximum;
      } else if (c == '0' || whole_minimum > 0) {
        ++whole_minimum;
      }
      suffix.clear();
      continue;
    }
    if (c == '.' && !in_fraction) {
      in_fraction = true;
      continue;
    }
    if (c == ',' && seen_placeholder && !in_fraction) {
      grouped = true;
      continue;
    }
    std::string literal(1, c);
    if (c == '\'' || c == '"') {
      const std::size_t close = format.find(c, i + 1);
      literal = std::string(
          format.substr(i + 1, (close == std::string_view::npos ? format.size() : close) - i - 1));
      i = close == std::string_view::npos ? format.size() : close;
    } else if (c == '\\' && i + 1 < format.size()) {
      literal = std::string(1, format[++i]);
    }
    if (c == '%') percent = true;
    (seen_placeholder ? suffix : prefix) += literal;
  }
  Digits digits = Digits::Of(percent ? value * 100 : value);
  digits.Round(fraction_maximum);
  while (digits.fraction.size() > fraction_minimum && digits.fraction.back() == '0')
    digits.fraction.pop_back();
  if (digits.whole == "0" && whole_minimum == 0) digits.whole.clear();
  if (digits.whole.size() < whole_minimum) {
    digits.whole.insert(0, whole_minimum - digits.whole.size(), '0');
  }
  const std::string sign = digits.negative && !digits.IsZero() ? "-" : "";
  return sign + prefix + digits.Text(grouped) + suffix;
}

// A standard number format ("N2", "C", "P1", "D5", "X", "F3", "E2"); nullopt when .NET refuses
// it for the value.
std::optional<std::string> FormatStandardNumber(sqlite3_value* value, char letter, int precision,
                                                int integer_bits, const Culture& culture) {
  const bool integral = sqlite3_value_type(value) == SQLITE_INTEGER && integer_bits > 0;
  const double number = sqlite3_value_double(value);
  const auto fixed = [&](double v, int default_places, bool grouped) {
    Digits digits = Digits::Of(v);
    digits.Round(static_cast<std::size_t>(precision >= 0 ? precision : default_places));
    const std::string sign = digits.negative && !digits.IsZero() ? "-" : "";
    return std::pair{sign, digits.Text(grouped)};
  };
  switch (letter) {
    case 'N':
    case 'n': {
      const auto [sign, text] = fixed(number, 2, true);
      return sign + text;
    }
    case 'F':
    case 'f': {
      const auto [sign, text] = fixed(number, 2, false);
      return sign + text;
    }
    case 'C':
    case 'c': {
      const auto [sign, text] = fixed(number, 2, true);
      const std::string symbol = culture.currency;
      if (sign.empty()) return symbol + text;
      switch (culture.currency_negative) {
        case 0:
          return "(" + symbol + text + ")";
        case 1:
          return "-" + symbol + text;
        default:
          return symbol + "-" + text;
      }
    }
    case 'P':
    case 'p': {
      const auto [sign, text] = fixed(number * 100, 2, true);
      return sign + text + (culture.percent_positive == 0 ? " %" : "%");
    }
    case 'D':
    case 'd': {
      if (!integral) return std::nullopt;
      const std::int64_t v = sqlite3_value_int64(value);
      const std::string digits =
          std::to_string(v < 0 ? -static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v));
      return (v < 0 ? "-" : "") + fmt::format("{:0>{}}", digits, std::max(precision, 0));
    }
    case 'X':
    case 'x': {
      if (!integral) return std::nullopt;
      std::uint64_t v = static_cast<std::uint64_t>(sqlite3_value_int64(value));
      if (integer_bits < 64) v &= (std::uint64_t{1} << integer_bits) - 1;
      const std::string hex = letter == 'X' ? fmt::format("{:X}", v) : fmt::format("{:x}", v);
      return fmt::format("{:0>{}}", hex, std::max(precision, 0));
    }
    case 'E':
    case 'e': {
      std::string text = fmt::format("{:.{}e}", number, precision >= 0 ? precision : 6);
      const std::size_t e = text.find('e');
      const int exponent = std::stoi(text.substr(e + 1));
      text = text.substr(0, e) + (letter == 'E' ? "E" : "e") + (exponent < 0 ? "-" : "+") +
             fmt::format("{:03}", std::abs(exponent));
      return text;
    }
    case 'G':
    case 'g':
      if (integral) return std::to_string(sqlite3_value_int64(value));
      return Digits::Of(number).negative ? "-" + Digits::Of(number).Text(false)
                                         : Digits::Of(number).Text(false);
    default:
      return std::nullopt;
  }
}

// tsql_format(value, format, culture, kind): kind 'D' a date-time, or the bits of an integer
// type (8, 16, 32, 64), or 0 for any other number.
void Format(sqlite3_context* context, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
    return sqlite3_result_null(context);
  }
  const std::string culture_name =
      sqlite3_value_type(argv[2]) == SQLITE_NULL
          ? "en-US"
          : std::string(reinterpret_cast<const char*>(sqlite3_value_text(argv[2])));
  const Culture* culture = FindCulture(culture_name);
  if (!culture) {
    return ResultError(context, "The culture parameter '" + culture_name +
                                    "' provided in the function call is not supported.");
  }
  const std::string format = reinterpret_cast<const char*>(sqlite3_value_text(argv[1]));
  if (format.empty()) return sqlite3_result_null(context);
  const bool date = sqlite3_value_type(argv[3]) == SQLITE_TEXT;
  std::optional<std::string> out;
  if (date) {
    const std::u16string text = ValueText(argv[0]);
    const auto parsed = ParseDateTime(text);
    if (!parsed) return sqlite3_result_null(context);
    const auto ticks = ParseTimeOfDay(text);
    const std::int64_t fraction = ticks ? *ticks % 10000000 : parsed->millisecond * 10000LL;
    std::string pattern = format;
    if (format.size() == 1) {
      const auto standard = StandardDateFormat(format[0], *culture);
      if (!standard) return sqlite3_result_null(context);
      pattern = *standard;
    }
    out = FormatDate(*parsed, fraction, pattern, *culture);
  } else {
    const int bits = sqlite3_value_int(argv[3]);
    const bool standard =
        (format[0] >= 'A' && format[0] <= 'Z') || (format[0] >= 'a' && format[0] <= 'z');
    if (standard) {
      int precision = -1;
      if (format.size() > 1) {
        const auto parsed = ParseInteger(std::u16string(format.begin() + 1, format.end()));
        if (!parsed || *parsed < 0 || *parsed > 99) return sqlite3_result_null(context);
        precision = static_cast<int>(*parsed);
      }
      out = FormatStandardNumber(argv[0], format[0], precision, bits, *culture);
    } else {
      out = FormatCustomNumber(sqlite3_value_double(argv[0]), format);
    }
  }
  if (!out) return sqlite3_result_null(context);
  ResultText(context, oleaut::FromUtf8(*out));
}

}  // namespace

int InstallFormatFunctions(sqlite3* db) {
  static constexpr PureFunction kFunctions[] = {{"tsql_format", 4, Format}};
  return RegisterPureFunctions(db, kFunctions);
}

}  // namespace tsql::detail
