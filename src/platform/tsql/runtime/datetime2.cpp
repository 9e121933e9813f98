// datetime2(n): a date and time held as SQL Server writes it as text, "2024-01-05
// 10:20:30.1234567", with n digits of the second's fraction (none for n = 0), so that values
// of one precision compare and sort as texts. Arithmetic on it counts 100-nanosecond ticks from
// 0001-01-01, the type's range.
#include <fmt/format.h>
#include <sqlite3.h>

#include <string>

#include "platform/tsql/runtime/detail.h"

namespace tsql::detail {
namespace {

std::int64_t UnitOfDigits(int digits) {
  std::int64_t unit = 1;
  for (int i = digits; i < kTimeDigits; ++i)
    unit *= 10;
  return unit;
}

const std::int64_t kLastTick =
    (DaysFromCivil(10000, 1, 1) - DaysFromCivil(1, 1, 1)) * kTicksPerDay - 1;

}  // namespace

// A datetimeoffset's text without its offset (" +08:00"): its local date and time.
std::u16string_view WithoutOffset(std::u16string_view text) {
  if (text.size() > 7 && (text[text.size() - 6] == u'+' || text[text.size() - 6] == u'-') &&
      text[text.size() - 7] == u' ' && text[text.size() - 3] == u':') {
    return text.substr(0, text.size() - 7);
  }
  return text;
}

std::int64_t TicksOf(const DateTime& d, std::int64_t fraction) {
  const std::int64_t days = DaysFromCivil(d.year, d.month, d.day) - DaysFromCivil(1, 1, 1);
  return days * kTicksPerDay + ((d.hour * 60LL + d.minute) * 60 + d.second) * kTicksPerSecond +
         fraction;
}

std::int64_t TicksOf(const DateTime& d) {
  return TicksOf(d, d.millisecond * 10000LL + d.sub_millisecond);
}

std::string LocalText(std::int64_t ticks, int digits) {
  const std::int64_t unit = UnitOfDigits(digits);
  ticks = (ticks + unit / 2) / unit * unit;
  DateTime d;
  CivilFromDays(DaysFromCivil(1, 1, 1) + ticks / kTicksPerDay, d);
  const std::int64_t in_day = ticks % kTicksPerDay;
  const std::int64_t seconds = in_day / kTicksPerSecond;
  std::string text = fmt::format("{:04}-{:02}-{:02} {:02}:{:02}:{:02}", d.year, d.month, d.day,
                                 seconds / 3600, seconds / 60 % 60, seconds % 60);
  if (digits > 0) {
    text += fmt::format(".{:07}", in_day % kTicksPerSecond);
    text.resize(text.size() - static_cast<std::size_t>(kTimeDigits - digits));
  }
  return text;
}

std::optional<std::u16string> FormatDateTime2(std::int64_t ticks, int digits) {
  const std::int64_t unit = UnitOfDigits(digits);
  // Rounding up from the last tick of 9999-12-31 leaves the type's range.
  if (ticks < 0 || (ticks + unit / 2) / unit * unit > kLastTick) return std::nullopt;
  return Ascii(LocalText(ticks, digits));
}

int FractionDigitsOf(std::u16string_view text) {
  const std::size_t colon = text.rfind(u':');
  if (colon == std::u16string_view::npos) return 0;
  const std::size_t point = text.find(u'.', colon);
  if (point == std::u16string_view::npos) return 0;
  int digits = 0;
  for (std::size_t i = point + 1; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
    ++digits;
  return digits;
}

DateTime DateTimeOfTicks(std::int64_t ticks) {
  DateTime d;
  const std::int64_t days =
      ticks >= 0 ? ticks / kTicksPerDay : -((-ticks + kTicksPerDay - 1) / kTicksPerDay);
  CivilFromDays(DaysFromCivil(1, 1, 1) + days, d);
  const std::int64_t in_day = ticks - days * kTicksPerDay;
  const std::int64_t seconds = in_day / kTicksPerSecond;
  d.hour = static_cast<int>(seconds / 3600);
  d.minute = static_cast<int>(seconds / 60 % 60);
  d.second = static_cast<int>(seconds % 60);
  d.millisecond = static_cast<int>(in_day % kTicksPerSecond / 10000);
  d.sub_millisecond = static_cast<int>(in_day % 10000);
  return d;
}

DateTime RoundedToDatetime(const DateTime& d) {
  DateTime day = d;
  day.hour = day.minute = day.second = day.millisecond = day.sub_millisecond = 0;
  const std::int64_t in_day = TicksOf(d) - TicksOf(day);
  // 1/300 of a second is 100000/3 ticks; half a unit rounds up.
  const std::int64_t units = (in_day * 3 + 50000) / 100000;
  return FromDatetimeTicks(DatetimeTicks(day) + (units * 10 + 1) / 3);
}

// tsql_datetime_exact(datetime): the value as a datetime2(7) text, its milliseconds read as the
// 1/300 of a second a datetime holds (".127" is 38/300, ".1266667").
void DatetimeExact(sqlite3_context* context, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) != SQLITE_TEXT) return sqlite3_result_value(context, argv[0]);
  const auto parsed = ParseDateTime(Text16(argv[0]));
  if (!parsed) return sqlite3_result_value(context, argv[0]);  // the conversion will say why
  DateTime d = *parsed;
  const std::int64_t units = (d.millisecond * 3LL + 5) / 10;
  d.millisecond = d.sub_millisecond = 0;
  const std::int64_t ticks = TicksOf(d) + (units * 100000 + 1) / 3;
  ResultText(context, Ascii(LocalText(ticks, kTimeDigits)));
}

void ConvertToDateTime2(sqlite3_context* context, sqlite3_value* value, int digits) {
  if (sqlite3_value_type(value) != SQLITE_TEXT)
    return RefuseConversion(context, value, "datetime2");
  // A datetimeoffset's text gives its local date and time.
  const std::u16string text = Text16(value);
  auto parsed = ParseDateTime(text);
  if (!parsed) parsed = ParseDateTime(WithoutOffset(text));
  if (!parsed) {
    if (sqlite3_user_data(context) == &kLenientConversion) return sqlite3_result_null(context);
    return ResultError(context,
                       "Conversion failed when converting date and/or time from character string.");
  }
  const auto converted = FormatDateTime2(TicksOf(*parsed), digits);
  if (!converted) {
    if (sqlite3_user_data(context) == &kLenientConversion) return sqlite3_result_null(context);
    return ResultError(context,
                       "The conversion of a varchar data type to a datetime2 data type resulted "
                       "in an out-of-range value.");
  }
  ResultText(context, *converted);
}

}  // namespace tsql::detail
