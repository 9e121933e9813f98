// The numbers behind two conversions SQL Server allows: a datetime is a count of days from
// 1900-01-01 (its time the fraction of a day, in 1/300 of a second), and an integer is the bytes
// of its type, big-endian.
#include <sqlite3.h>

#include <cstdint>
#include <string>

#include "platform/tsql/runtime/detail.h"

namespace tsql::detail {
namespace {

// tsql_datetime_days(datetime): the days from 1900-01-01 with the time as their fraction.
void DatetimeDays(sqlite3_context* context, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(context);
  const auto date = ParseDateTime(ValueText(argv[0]));
  if (!date) {
    return ResultError(context,
                       "Conversion failed when converting date and/or time from character string.");
  }
  constexpr std::int64_t kDayMs = 86400000;
  const std::int64_t ms = DatetimeTicks(*date);
  const std::int64_t days = ms >= 0 ? ms / kDayMs : -((-ms + kDayMs - 1) / kDayMs);
  const std::int64_t in_day = ms - days * kDayMs;
  const std::int64_t three_hundredths = (in_day * 3 + 5) / 10;
  sqlite3_result_double(context, static_cast<double>(days) +
                                     static_cast<double>(three_hundredths) / (kDayMs * 3 / 10));
}

// tsql_integer_bytes(value, width, length, fixed): the `width` bytes of an integer type, the
// last `length` of them, and for a fixed-length binary zeros before them up to `length`.
void IntegerBytes(sqlite3_context* context, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(context);
  const auto bits = static_cast<std::uint64_t>(sqlite3_value_int64(argv[0]));
  const int width = sqlite3_value_int(argv[1]);
  const int length = sqlite3_value_int(argv[2]);  // -1 for max
  const bool fixed = sqlite3_value_int(argv[3]) != 0;
  std::string bytes;
  for (int i = width - 1; i >= 0; --i)
    bytes += static_cast<char>((bits >> (8 * i)) & 0xFF);
  if (length >= 0 && bytes.size() > static_cast<std::size_t>(length)) {
    bytes.erase(0, bytes.size() - static_cast<std::size_t>(length));
  }
  if (fixed && length >= 0 && bytes.size() < static_cast<std::size_t>(length)) {
    bytes.insert(0, static_cast<std::size_t>(length) - bytes.size(), '\0');
  }
  sqlite3_result_blob64(context, bytes.data(), bytes.size(), kTransient);
}

}  // namespace

int InstallNumericFormFunctions(sqlite3* db) {
  static constexpr PureFunction kFunctions[] = {
      {"tsql_datetime_days", 1, DatetimeDays},
      {"tsql_integer_bytes", 4, IntegerBytes},
  };
  return RegisterPureFunctions(db, kFunctions);
}

}  // namespace tsql::detail
