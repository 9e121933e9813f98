// tsql_datetrunc(part, value): a date-time text with every part finer than `part` at its start,
// written in the value's own form ("2024-05-01 00:00:00.000" for a datetime, seven digits for a
// datetime2(7), the offset of a datetimeoffset kept).
#include <sqlite3.h>

#include <string>

#include "platform/tsql/runtime/detail.h"

namespace tsql::detail {
namespace {

// Where the digits finer than each part begin in "YYYY-MM-DD HH:MM:SS.fffffff".
std::size_t FinerFrom(std::string_view part) {
  if (part == "hour") return 14;
  if (part == "minute") return 17;
  if (part == "second") return 20;
  if (part == "millisecond") return 23;
  if (part == "microsecond") return 26;
  return 11;  // a part of the date: the whole time of day
}

void DateTrunc(sqlite3_context* context, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[1]) == SQLITE_NULL) return sqlite3_result_null(context);
  const auto* raw = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
  const std::string part = raw ? raw : "";
  std::u16string text = ValueText(argv[1]);
  const bool time_only = text.size() > 2 && text[2] == u':';
  auto date = ParseDateTime(std::u16string(WithoutOffset(text)));
  if (!date) {
    return ResultError(context,
                       "Conversion failed when converting date and/or time from character string.");
  }
  if (!time_only) {
    // The date's start of the year, quarter, month or week (from Sunday; an ISO week from
    // Monday), written over the value's date.
    std::int64_t days = DaysFromCivil(date->year, date->month, date->day);
    if (part == "year") days = DaysFromCivil(date->year, 1, 1);
    if (part == "quarter") days = DaysFromCivil(date->year, (date->month - 1) / 3 * 3 + 1, 1);
    if (part == "month") days = DaysFromCivil(date->year, date->month, 1);
    // 1970-01-01 was a Thursday: 4 days past a Sunday, 3 past a Monday.
    if (part == "week") days -= ((days % 7) + 7 + 4) % 7;
    if (part == "iso_week") days -= ((days % 7) + 7 + 3) % 7;
    DateTime start;
    CivilFromDays(days, start);
    const std::u16string iso = FormatIso(start);
    text.replace(0, 10, iso.substr(0, 10));
  }
  // Every digit of the time finer than the part becomes 0, up to the offset if there is one.
  const std::size_t shift = time_only ? 11 : 0;
  const std::size_t from = FinerFrom(part) - shift;
  for (std::size_t i = from; i < text.size() && text[i] != u' '; ++i) {
    if (text[i] >= u'0' && text[i] <= u'9') text[i] = u'0';
  }
  ResultText(context, text);
}

}  // namespace

int InstallDateTruncFunction(sqlite3* db) {
  static constexpr PureFunction kFunctions[] = {{"tsql_datetrunc", 2, DateTrunc}};
  return RegisterPureFunctions(db, kFunctions);
}

}  // namespace tsql::detail
