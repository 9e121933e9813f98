// Dates built from their parts and moved to a month's end: EOMONTH, DATETIMEFROMPARTS,
// DATETIME2FROMPARTS, SMALLDATETIMEFROMPARTS and TIMEFROMPARTS, with SQL Server's error when a
// part is out of its range.
#include <fmt/format.h>
#include <sqlite3.h>

#include <array>
#include <cmath>
#include <string>

#include "platform/oleaut/date.h"
#include "platform/tsql/runtime/detail.h"

namespace tsql::detail {
namespace {

// An integer argument, a text or a float taken as SQL Server converts it to int; nullopt (and
// the statement's error) when it is none.
std::optional<std::int64_t> IntegerArgument(sqlite3_context* context, sqlite3_value* value) {
  switch (sqlite3_value_type(value)) {
    case SQLITE_INTEGER:
      return sqlite3_value_int64(value);
    case SQLITE_FLOAT: {
      const double v = std::trunc(sqlite3_value_double(value));
      if (std::fabs(v) < 9e18) return static_cast<std::int64_t>(v);
      break;
    }
    default:
      if (auto parsed = ParseInteger(ValueText(value))) return parsed;
      break;
  }
  ResultConversionError(context, value, "int");
  return std::nullopt;
}

template <std::size_t N>
bool ReadParts(sqlite3_context* context, sqlite3_value** argv, std::array<std::int64_t, N>& out) {
  for (std::size_t i = 0; i < N; ++i) {
    const auto value = IntegerArgument(context, argv[i]);
    if (!value) return false;
    out[i] = *value;
  }
  return true;
}

void CannotConstruct(sqlite3_context* context, const char* type) {
  ResultError(context, fmt::format("Cannot construct data type {}, some of the arguments have "
                                   "values which are not valid.",
                                   type));
}

bool ValidDay(std::int64_t year, std::int64_t month, std::int64_t day) {
  return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
         day <= oleaut::DaysInMonth(static_cast<int>(year), static_cast<int>(month));
}

bool ValidTime(std::int64_t hour, std::int64_t minute, std::int64_t second) {
  return hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60;
}

// The fraction of a second `fractions` at `precision` digits, and whether it fits them.
bool ValidFraction(std::int64_t fractions, std::int64_t precision) {
  if (precision < 0 || precision > kTimeDigits || fractions < 0) return false;
  std::int64_t limit = 1;
  for (std::int64_t i = 0; i < precision; ++i)
    limit *= 10;
  return fractions < limit;
}

std::string FractionText(std::int64_t fractions, std::int64_t precision) {
  if (precision == 0) return {};
  return fmt::format(".{:0{}}", fractions, precision);
}

// EOMONTH(date [, months]): the last day of the date's month, months later.
void EndOfMonth(sqlite3_context* context, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(context);
  const auto date = ParseDateTime(ValueText(argv[0]));
  if (!date) {
    return ResultError(context,
                       "Conversion failed when converting date and/or time from character string.");
  }
  std::int64_t months = 0;
  if (argc > 1) {
    const auto added = IntegerArgument(context, argv[1]);
    if (!added) return;
    months = *added;
  }
  const std::int64_t index = date->year * 12LL + date->month - 1 + months;
  if (index < 12 || index >= 10000 * 12) {
    return ResultError(context, "Adding a value to a 'date' column caused an overflow.");
  }
  DateTime end;
  end.year = static_cast<int>(index / 12);
  end.month = static_cast<int>(index % 12) + 1;
  end.day = oleaut::DaysInMonth(end.year, end.month);
  ResultText(context, FormatIso(end));
}

void DatetimeFromParts(sqlite3_context* context, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(context);
  std::array<std::int64_t, 7> p{};
  if (!ReadParts(context, argv, p)) return;
  if (!ValidDay(p[0], p[1], p[2]) || !ValidTime(p[3], p[4], p[5]) || p[6] < 0 || p[6] > 999) {
    return CannotConstruct(context, "datetime");
  }
  const DateTime d{static_cast<int>(p[0]), static_cast<int>(p[1]), static_cast<int>(p[2]),
                   static_cast<int>(p[3]), static_cast<int>(p[4]), static_cast<int>(p[5]),
                   static_cast<int>(p[6])};
  const DateTime rounded = FromDatetimeTicks(DatetimeTicks(d));
  if (!InDatetimeRange(d) || !InDatetimeRange(rounded)) return CannotConstruct(context, "datetime");
  ResultText(context, FormatIso(rounded));
}

void SmalldatetimeFromParts(sqlite3_context* context, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(context);
  std::array<std::int64_t, 5> p{};
  if (!ReadParts(context, argv, p)) return;
  const bool in_range =
      p[0] >= 1900 && (p[0] < 2079 || (p[0] == 2079 && (p[1] < 6 || (p[1] == 6 && p[2] <= 6))));
  if (!ValidDay(p[0], p[1], p[2]) || !ValidTime(p[3], p[4], 0) || !in_range) {
    return CannotConstruct(context, "smalldatetime");
  }
  ResultText(context,
             FormatIso({static_cast<int>(p[0]), static_cast<int>(p[1]), static_cast<int>(p[2]),
                        static_cast<int>(p[3]), static_cast<int>(p[4]), 0, 0}));
}

// DATETIME2FROMPARTS(year, month, day, hour, minute, seconds, fractions, precision).
void Datetime2FromParts(sqlite3_context* context, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(context);
  std::array<std::int64_t, 8> p{};
  if (!ReadParts(context, argv, p)) return;
  if (!ValidDay(p[0], p[1], p[2]) || !ValidTime(p[3], p[4], p[5]) || !ValidFraction(p[6], p[7])) {
    return CannotConstruct(context, "datetime2");
  }
  ResultText(context, Ascii(fmt::format("{:04}-{:02}-{:02} {:02}:{:02}:{:02}{}", p[0], p[1], p[2],
                                        p[3], p[4], p[5], FractionText(p[6], p[7]))));
}

// TIMEFROMPARTS(hour, minute, seconds, fractions, precision).
void TimeFromParts(sqlite3_context* context, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(context);
  std::array<std::int64_t, 5> p{};
  if (!ReadParts(context, argv, p)) return;
  if (!ValidTime(p[0], p[1], p[2]) || !ValidFraction(p[3], p[4])) {
    return CannotConstruct(context, "time");
  }
  ResultText(context,
             Ascii(fmt::format("{:02}:{:02}:{:02}{}", p[0], p[1], p[2], FractionText(p[3], p[4]))));
}

}  // namespace

int InstallDateConstructionFunctions(sqlite3* db) {
  static constexpr PureFunction kFunctions[] = {
      {"tsql_eomonth", 1, EndOfMonth},
      {"tsql_eomonth", 2, EndOfMonth},
      {"tsql_datetimefromparts", 7, DatetimeFromParts},
      {"tsql_smalldatetimefromparts", 5, SmalldatetimeFromParts},
      {"tsql_datetime2fromparts", 8, Datetime2FromParts},
      {"tsql_timefromparts", 5, TimeFromParts},
  };
  return RegisterPureFunctions(db, kFunctions);
}

}  // namespace tsql::detail
