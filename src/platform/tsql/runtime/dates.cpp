// Date arithmetic as SQL Server does it on datetime: a number added to a date is days, DATEADD,
// DATEDIFF (boundaries crossed), DATEPART and DATENAME with us_english and DATEFIRST 7, ISDATE.
#include <fmt/format.h>
#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "platform/oleaut/date.h"
#include "platform/tsql/runtime/detail.h"

namespace tsql::detail {
namespace {

constexpr std::int64_t kDayMs = 86400000;

// A value as milliseconds from 1900-01-01: a date-time text, or a number of days.
bool ReadTicks(sqlite3_context* context, sqlite3_value* value, std::int64_t& out) {
  switch (sqlite3_value_type(value)) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT: {
      const double days = sqlite3_value_double(value);
      if (!(std::fabs(days) < 4e6)) {
        ResultError(context,
                    "Arithmetic overflow error converting expression to data type datetime.");
        return false;
      }
      // A number of days is a datetime, in 1/300 of a second.
      out = DatetimeTicks(FromDatetimeTicks(std::llround(days * kDayMs)));
      return true;
    }
    case SQLITE_TEXT:
      if (auto date = ParseDateTime(Text16(value))) {
        out = DatetimeTicks(*date);
        return true;
      }
      if (auto offset_date = ParseDateTime(WithoutOffset(Text16(value)))) {
        out = DatetimeTicks(*offset_date);
        return true;
      }
      ResultError(context,
                  "Conversion failed when converting date and/or time from character string.");
      return false;
    default:
      ResultError(context, "Operand type clash: varbinary is incompatible with datetime");
      return false;
  }
}

bool ResultDate(sqlite3_context* context, std::int64_t ticks) {
  const DateTime d = FromDatetimeTicks(ticks);
  if (!InDatetimeRange(d)) {
    ResultError(context, "Adding a value to a 'datetime' column caused an overflow.");
    return false;
  }
  ResultText(context, FormatIso(d));
  return true;
}

enum class Part {
  kYear,
  kQuarter,
  kMonth,
  kDayOfYear,
  kDay,
  kWeek,
  kWeekday,
  kHour,
  kMinute,
  kSecond,
  kMillisecond,
  kMicrosecond,
  kNanosecond,
  kIsoWeek,
  kTzOffset
};

// The part named by the generator, which has already read SQL Server's abbreviations.
bool ReadPart(sqlite3_context* context, sqlite3_value* value, Part& out) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
  const std::string name = text ? text : "";
  static constexpr std::pair<const char*, Part> kParts[] = {
      {"year", Part::kYear},
      {"quarter", Part::kQuarter},
      {"month", Part::kMonth},
      {"dayofyear", Part::kDayOfYear},
      {"day", Part::kDay},
      {"week", Part::kWeek},
      {"weekday", Part::kWeekday},
      {"hour", Part::kHour},
      {"minute", Part::kMinute},
      {"second", Part::kSecond},
      {"millisecond", Part::kMillisecond},
      {"microsecond", Part::kMicrosecond},
      {"nanosecond", Part::kNanosecond},
      {"iso_week", Part::kIsoWeek},
      {"tzoffset", Part::kTzOffset},
  };
  for (const auto& [part_name, part] : kParts) {
    if (name == part_name) {
      out = part;
      return true;
    }
  }
  ResultError(context, "'" + name + "' is not a recognized datepart option.");
  return false;
}

std::int64_t DayNumber(std::int64_t ticks) {
  return ticks >= 0 ? ticks / kDayMs : -((-ticks + kDayMs - 1) / kDayMs);
}

// Sunday is 1 (DATEFIRST 7); 1900-01-01 was a Monday.
int Weekday(std::int64_t day_number) {
  return static_cast<int>(((day_number + 1) % 7 + 7) % 7) + 1;
}

int DayOfYear(const DateTime& d) {
  return static_cast<int>(DaysFromCivil(d.year, d.month, d.day) - DaysFromCivil(d.year, 1, 1)) + 1;
}

// ISO 8601's week: weeks start on Monday, and week 1 holds the year's first Thursday.
int IsoWeek(const DateTime& d) {
  const std::int64_t days = DaysFromCivil(d.year, d.month, d.day);
  const std::int64_t monday_based = ((days + 3) % 7 + 7) % 7;  // 1970-01-01 was a Thursday
  const std::int64_t thursday = days - monday_based + 3;
  DateTime week_day;
  CivilFromDays(thursday, week_day);
  return static_cast<int>((thursday - DaysFromCivil(week_day.year, 1, 1)) / 7 + 1);
}

// The value's fraction of a second in 100-nanosecond ticks: all its digits when a text has
// more than datetime's three.
std::int64_t FractionTicks(sqlite3_value* value, std::int64_t ticks) {
  if (sqlite3_value_type(value) == SQLITE_TEXT) {
    if (auto fraction = SecondFraction(WithoutOffset(Text16(value)))) return *fraction;
  }
  const std::int64_t in_second = ticks % 1000;
  return (in_second < 0 ? in_second + 1000 : in_second) * 10000;
}

// The offset from UTC in minutes of a datetimeoffset text ("... +08:00"); 0 for other values.
std::int64_t OffsetMinutes(sqlite3_value* value) {
  if (sqlite3_value_type(value) != SQLITE_TEXT) return 0;
  const std::u16string text = Text16(value);
  if (text.size() < 6) return 0;
  const std::u16string_view tail = std::u16string_view(text).substr(text.size() - 6);
  if ((tail[0] != u'+' && tail[0] != u'-') || tail[3] != u':') return 0;
  const auto hours = ParseInteger(tail.substr(1, 2));
  const auto minutes = ParseInteger(tail.substr(4, 2));
  if (!hours || !minutes) return 0;
  return (tail[0] == u'-' ? -1 : 1) * (*hours * 60 + *minutes);
}

// The calendar fields of milliseconds from 1900-01-01 as they are: a datetime2's .9999999 is
// still in its second, where FromDatetimeTicks rounds to datetime's 1/300 of a second.
DateTime FieldsOf(std::int64_t ms) {
  return DateTimeOfTicks(ms * 10000 + TicksOf(DateTime{}));
}

std::int64_t PartValue(Part part, std::int64_t ticks, sqlite3_value* value) {
  const DateTime d = FieldsOf(ticks);
  switch (part) {
    case Part::kYear:
      return d.year;
    case Part::kQuarter:
      return (d.month - 1) / 3 + 1;
    case Part::kMonth:
      return d.month;
    case Part::kDayOfYear:
      return DayOfYear(d);
    case Part::kDay:
      return d.day;
    case Part::kWeek: {
      const std::int64_t jan1 = DaysFromCivil(d.year, 1, 1) - DaysFromCivil(1900, 1, 1);
      return (DayOfYear(d) - 1 + Weekday(jan1) - 1) / 7 + 1;
    }
    case Part::kWeekday:
      return Weekday(DayNumber(ticks));
    case Part::kHour:
      return d.hour;
    case Part::kMinute:
      return d.minute;
    case Part::kSecond:
      return d.second;
    case Part::kMillisecond:
      return d.millisecond;
    case Part::kMicrosecond:
      return FractionTicks(value, ticks) / 10;
    case Part::kNanosecond:
      return FractionTicks(value, ticks) * 100;
    case Part::kIsoWeek:
      return IsoWeek(d);
    case Part::kTzOffset:
      return OffsetMinutes(value);
  }
  return 0;
}

// The count of the part's boundaries from the day (or time) 0 to `ticks`: DATEDIFF is the
// difference of two such counts.
std::int64_t Boundaries(Part part, std::int64_t ticks) {
  const DateTime d = FieldsOf(ticks);
  const std::int64_t days = DayNumber(ticks);
  switch (part) {
    case Part::kYear:
      return d.year;
    case Part::kQuarter:
      return d.year * 4LL + (d.month - 1) / 3;
    case Part::kMonth:
      return d.year * 12LL + d.month - 1;
    case Part::kDayOfYear:
    case Part::kDay:
    case Part::kWeekday:
      return days;
    case Part::kWeek:
      return days + 1 >= 0 ? (days + 1) / 7 : -((-(days + 1) + 6) / 7);  // weeks from Sunday
    case Part::kHour:
      return days * 24 + d.hour;
    case Part::kMinute:
      return (days * 24 + d.hour) * 60 + d.minute;
    case Part::kSecond:
      return ((days * 24 + d.hour) * 60 + d.minute) * 60 + d.second;
    case Part::kMillisecond:
      return ticks;
    case Part::kMicrosecond:
    case Part::kNanosecond:  // counted in ticks by DateDiff
    case Part::kIsoWeek:
    case Part::kTzOffset:
      break;
  }
  return 0;
}

// The value's fraction of a millisecond in 100-nanosecond ticks, which a datetime2 text writes
// in its fourth to seventh digits; 0 for other values.
std::int64_t SubMillisecondTicks(sqlite3_value* value) {
  if (sqlite3_value_type(value) != SQLITE_TEXT) return 0;
  const auto fraction = SecondFraction(WithoutOffset(Text16(value)));
  return fraction ? *fraction % 10000 : 0;
}

// `d` moved by `months` months, its day kept unless the month is shorter; false when the year
// leaves first_year to 9999.
bool AddMonths(DateTime& d, std::int64_t months, int first_year) {
  const std::int64_t moved = d.year * 12LL + d.month - 1 + months;
  if (moved < first_year * 12LL || moved >= 10000 * 12LL) return false;
  d.year = static_cast<int>(moved / 12);
  d.month = static_cast<int>(moved % 12) + 1;
  d.day = std::min(d.day, oleaut::DaysInMonth(d.year, d.month));
  return true;
}

// The length of a part in 100-nanosecond ticks: a day for the parts that count days, one tick
// for a nanosecond (DATEADD rounds nanoseconds to ticks).
std::int64_t PartTicks(Part part) {
  switch (part) {
    case Part::kWeek:
      return 7 * kTicksPerDay;
    case Part::kHour:
      return 60 * kTicksPerMinute;
    case Part::kMinute:
      return kTicksPerMinute;
    case Part::kSecond:
      return kTicksPerSecond;
    case Part::kMillisecond:
      return 10000;
    case Part::kMicrosecond:
      return 10;
    case Part::kNanosecond:
      return 1;
    default:
      return kTicksPerDay;
  }
}

std::int64_t MonthsOfPart(Part part, std::int64_t n) {
  return n * (part == Part::kYear ? 12 : part == Part::kQuarter ? 3 : 1);
}

// DATEADD on a datetime2(digits) or datetimeoffset(digits): 100-nanosecond ticks in the
// type's range, 0001 to 9999, the offset kept. A number of nanoseconds is rounded to whole
// ticks (49 adds nothing, 50 one tick).
void DateAddTicks(sqlite3_context* context, Part part, std::int64_t n, sqlite3_value* value,
                  int digits) {
  const std::u16string text =
      sqlite3_value_type(value) == SQLITE_TEXT ? Text16(value) : std::u16string();
  const std::u16string_view local = WithoutOffset(text);
  const auto parsed = ParseDateTime(local);
  if (!parsed || text.empty()) {
    return ResultError(context,
                       "Conversion failed when converting date and/or time from character string.");
  }
  DateTime d = *parsed;
  const std::u16string_view offset = std::u16string_view(text).substr(local.size());
  const std::string overflow = std::string("Adding a value to a '") +
                               (offset.empty() ? "datetime2" : "datetimeoffset") +
                               "' column caused an overflow.";
  if (part == Part::kYear || part == Part::kQuarter || part == Part::kMonth) {
    if (!AddMonths(d, MonthsOfPart(part, n), 1)) return ResultError(context, overflow);
    n = 0;
  }
  std::int64_t unit = PartTicks(part);
  if (part == Part::kNanosecond) n = (n >= 0 ? n + 50 : n - 50) / 100;
  // Ten thousand years are about 3.2e18 ticks: a larger move leaves the range (and n * unit
  // would leave a 64-bit integer's).
  constexpr std::int64_t kRangeTicks = 4000000000000000000;
  if (n > kRangeTicks / unit || n < -kRangeTicks / unit) return ResultError(context, overflow);
  const auto moved = FormatDateTime2(TicksOf(d) + n * unit, digits);
  if (!moved) return ResultError(context, overflow);
  ResultText(context, *moved + std::u16string(offset));
}

}  // namespace

std::optional<std::int64_t> SecondFraction(std::u16string_view text) {
  const std::size_t colon = text.rfind(u':');
  if (colon == std::u16string_view::npos) return std::nullopt;
  const std::size_t point = text.find(u'.', colon);
  if (point == std::u16string_view::npos) return std::nullopt;
  std::int64_t fraction = 0;
  int digits = 0;
  for (std::size_t i = point + 1; i < text.size() && digits < kTimeDigits; ++i, ++digits) {
    if (text[i] < u'0' || text[i] > u'9') break;
    fraction = fraction * 10 + (text[i] - u'0');
  }
  for (; digits < kTimeDigits; ++digits)
    fraction *= 10;
  return fraction;
}

// tsql_date_plus(a, b, sign): a + b or a - b where one side is a datetime; the other is days
// (or a datetime, counted from 1900-01-01).
void DatePlus(sqlite3_context* context, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
    return sqlite3_result_null(context);
  }
  std::int64_t a = 0;
  std::int64_t b = 0;
  if (!ReadTicks(context, argv[0], a) || !ReadTicks(context, argv[1], b)) return;
  ResultDate(context, a + sqlite3_value_int(argv[2]) * b);
}

void DateAdd(sqlite3_context* context, int argc, sqlite3_value** argv) {
  Part part;
  if (!ReadPart(context, argv[0], part)) return;
  if (sqlite3_value_type(argv[1]) == SQLITE_NULL || sqlite3_value_type(argv[2]) == SQLITE_NULL) {
    return sqlite3_result_null(context);
  }
  const double amount = std::trunc(sqlite3_value_double(argv[1]));
  if (!(std::fabs(amount) <= 2147483647.0)) {
    return ResultError(context,
                       "Arithmetic overflow error converting expression to data type int.");
  }
  const auto n = static_cast<std::int64_t>(amount);
  // tsql_dateadd(part, n, value, digits) moves a datetime2(digits).
  if (argc > 3) return DateAddTicks(context, part, n, argv[2], sqlite3_value_int(argv[3]));
  std::int64_t ticks = 0;
  if (!ReadTicks(context, argv[2], ticks)) return;
  if (part == Part::kYear || part == Part::kQuarter || part == Part::kMonth) {
    DateTime d = FromDatetimeTicks(ticks);
    if (!AddMonths(d, MonthsOfPart(part, n), 1753)) {
      return ResultError(context, "Adding a value to a 'datetime' column caused an overflow.");
    }
    ResultDate(context, DatetimeTicks(d));
    return;
  }
  if (part == Part::kMicrosecond || part == Part::kNanosecond) {
    // Milliseconds are the finest the stored form keeps: a smaller amount is cut.
    ResultDate(context, ticks + n / (part == Part::kMicrosecond ? 1000 : 1000000));
    return;
  }
  const std::int64_t unit = PartTicks(part) / 10000;
  ResultDate(context, ticks + n * unit);
}

void DateDiff(sqlite3_context* context, int, sqlite3_value** argv) {
  Part part;
  if (!ReadPart(context, argv[0], part)) return;
  if (sqlite3_value_type(argv[1]) == SQLITE_NULL || sqlite3_value_type(argv[2]) == SQLITE_NULL) {
    return sqlite3_result_null(context);
  }
  std::int64_t from = 0;
  std::int64_t to = 0;
  if (!ReadTicks(context, argv[1], from) || !ReadTicks(context, argv[2], to)) return;
  // Two datetimeoffsets are apart by their instants: each counts from UTC.
  from -= OffsetMinutes(argv[1]) * 60000;
  to -= OffsetMinutes(argv[2]) * 60000;
  std::int64_t difference = 0;
  bool beyond_bigint = false;
  if (part == Part::kMicrosecond || part == Part::kNanosecond) {
    // In 100-nanosecond ticks, which a datetime2 writes past its milliseconds.
    const std::int64_t to_ticks = to * 10000 + SubMillisecondTicks(argv[2]);
    const std::int64_t from_ticks = from * 10000 + SubMillisecondTicks(argv[1]);
    const auto tens = [](std::int64_t t) { return t >= 0 ? t / 10 : -((-t + 9) / 10); };
    const std::int64_t ticks = to_ticks - from_ticks;
    // Past about 292 years nanoseconds leave even DATEDIFF_BIG's range.
    beyond_bigint =
        part == Part::kNanosecond && (ticks > INT64_MAX / 100 || ticks < INT64_MIN / 100);
    difference = part == Part::kMicrosecond ? tens(to_ticks) - tens(from_ticks)
                 : beyond_bigint            ? 0
                                            : ticks * 100;
  } else {
    difference = Boundaries(part, to) - Boundaries(part, from);
  }
  const bool big = sqlite3_user_data(context) == &kBigDifference;
  if (beyond_bigint || (!big && (difference < INT32_MIN || difference > INT32_MAX))) {
    const std::string function = big ? "datediff_big" : "datediff";
    return ResultError(context, "The " + function +
                                    " function resulted in an overflow. The number of dateparts "
                                    "separating two date/time instances is too large. Try to use " +
                                    function + " with a less precise datepart.");
  }
  sqlite3_result_int64(context, difference);
}

void DatePart(sqlite3_context* context, int, sqlite3_value** argv) {
  Part part;
  if (!ReadPart(context, argv[0], part)) return;
  if (sqlite3_value_type(argv[1]) == SQLITE_NULL) return sqlite3_result_null(context);
  std::int64_t ticks = 0;
  if (!ReadTicks(context, argv[1], ticks)) return;
  sqlite3_result_int64(context, PartValue(part, ticks, argv[1]));
}

void DateName(sqlite3_context* context, int, sqlite3_value** argv) {
  static constexpr const char16_t* kMonths[] = {
      u"January", u"February", u"March",     u"April",   u"May",      u"June",
      u"July",    u"August",   u"September", u"October", u"November", u"December"};
  static constexpr const char16_t* kDays[] = {u"Sunday",   u"Monday", u"Tuesday", u"Wednesday",
                                              u"Thursday", u"Friday", u"Saturday"};
  Part part;
  if (!ReadPart(context, argv[0], part)) return;
  if (sqlite3_value_type(argv[1]) == SQLITE_NULL) return sqlite3_result_null(context);
  std::int64_t ticks = 0;
  if (!ReadTicks(context, argv[1], ticks)) return;
  const std::int64_t value = PartValue(part, ticks, argv[1]);
  if (part == Part::kMonth) return ResultText(context, kMonths[value - 1]);
  if (part == Part::kWeekday) return ResultText(context, kDays[value - 1]);
  if (part == Part::kTzOffset) {
    const std::string offset = fmt::format("{}{:02}:{:02}", value < 0 ? '-' : '+',
                                           std::abs(value) / 60, std::abs(value) % 60);
    return ResultText(context, std::u16string(offset.begin(), offset.end()));
  }
  const std::string text = std::to_string(value);
  ResultText(context, std::u16string(text.begin(), text.end()));
}

void IsDate(sqlite3_context* context, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) != SQLITE_TEXT) return sqlite3_result_int(context, 0);
  const std::u16string text = Text16(argv[0]);
  const bool blank = text.find_first_not_of(u" \t") == std::u16string::npos;
  // ISDATE answers for datetime, whose range starts in 1753.
  const auto date = blank ? std::nullopt : ParseDateTime(text);
  sqlite3_result_int(context, date && InDatetimeRange(*date) ? 1 : 0);
}

void DateFromParts(sqlite3_context* context, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(context);
  int parts[3] = {};
  for (int i = 0; i < 3; ++i) {
    std::int64_t value = 0;
    switch (sqlite3_value_type(argv[i])) {
      case SQLITE_INTEGER:
        value = sqlite3_value_int64(argv[i]);
        break;
      case SQLITE_FLOAT:
        value = static_cast<std::int64_t>(std::clamp(sqlite3_value_double(argv[i]), -1e10, 1e10));
        break;
      default: {
        const auto parsed = ParseInteger(ValueText(argv[i]));
        if (!parsed) return ResultConversionError(context, argv[i], "int");
        value = *parsed;
      }
    }
    parts[i] = static_cast<int>(std::clamp<std::int64_t>(value, -1, 100000));
  }
  DateTime d;
  d.year = parts[0];
  d.month = parts[1];
  d.day = parts[2];
  if (d.year < 1 || d.year > 9999 || d.month < 1 || d.month > 12 || d.day < 1 ||
      d.day > oleaut::DaysInMonth(d.year, d.month)) {
    return ResultError(context,
                       "Cannot construct data type date, some of the arguments have values which "
                       "are not valid.");
  }
  ResultText(context, FormatIso(d));
}

}  // namespace tsql::detail
