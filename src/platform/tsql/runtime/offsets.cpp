// datetimeoffset and the clock's functions: SYSDATETIME, SYSUTCDATETIME, GETUTCDATE,
// SYSDATETIMEOFFSET, TODATETIMEOFFSET, SWITCHOFFSET and conversion to datetimeoffset(n). A
// datetimeoffset is held as SQL Server writes it as text: "2024-01-05 13:04:05.1234567 +08:00".
#include <fmt/format.h>
#include <sqlite3.h>

#include <chrono>
#include <ctime>
#include <string>

#include "platform/oleaut/clock.h"
#include "platform/oleaut/text.h"
#include "platform/tsql/runtime/detail.h"
#include "platform/tsql/time_zones.h"

namespace tsql::detail {
namespace {

// A local date and time in 100-nanosecond ticks from 0001-01-01, and its offset in minutes.
struct OffsetTime {
  std::int64_t ticks = 0;
  int offset = 0;
};

std::string OffsetText(int minutes) {
  return fmt::format("{}{:02}:{:02}", minutes < 0 ? '-' : '+', std::abs(minutes) / 60,
                     std::abs(minutes) % 60);
}

void ResultOffsetTime(sqlite3_context* context, const OffsetTime& value, int digits) {
  const std::string text = LocalText(value.ticks, digits) + " " + OffsetText(value.offset);
  ResultText(context, std::u16string(text.begin(), text.end()));
}

// "+05:30", "-08:00" or "Z"; nullopt for any other text or an offset beyond 14 hours.
std::optional<int> ParseOffset(std::u16string_view text) {
  if (text == u"Z") return 0;
  if (text.size() != 6 || (text[0] != u'+' && text[0] != u'-') || text[3] != u':') {
    return std::nullopt;
  }
  const auto hours = ParseInteger(text.substr(1, 2));
  const auto minutes = ParseInteger(text.substr(4, 2));
  if (!hours || !minutes || *minutes > 59 || *hours * 60 + *minutes > 14 * 60) return std::nullopt;
  return static_cast<int>((text[0] == u'-' ? -1 : 1) * (*hours * 60 + *minutes));
}

// A date-time text with or without its offset ("... +08:00", "...Z"); without one it is UTC's.
std::optional<OffsetTime> ParseOffsetTime(std::u16string_view text) {
  while (!text.empty() && text.back() == u' ')
    text.remove_suffix(1);
  int offset = 0;
  if (!text.empty() && text.back() == u'Z') {
    text.remove_suffix(1);
  } else if (text.size() > 6 && (text[text.size() - 6] == u'+' || text[text.size() - 6] == u'-') &&
             // "+08:00" follows a time or a blank; the "-01-05" of a bare date is no offset.
             (text[text.size() - 7] == u' ' ||
              text.substr(0, text.size() - 6).find(u':') != std::u16string_view::npos)) {
    const auto parsed = ParseOffset(text.substr(text.size() - 6));
    if (!parsed) return std::nullopt;
    offset = *parsed;
    text.remove_suffix(6);
  }
  const auto date = ParseDateTime(text);
  if (!date) return std::nullopt;
  const std::int64_t fraction = SecondFraction(text).value_or(date->millisecond * 10000LL);
  return OffsetTime{TicksOf(*date, fraction), offset};
}

// The clock: local time to the 100 nanoseconds, and the local offset from UTC.
OffsetTime Clock() {
  const oleaut::CalendarFields f = oleaut::Now().ToFields();
  const DateTime local{f.year, f.month, f.day, f.hour, f.minute, f.second, 0};
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  const std::int64_t sub_millisecond =
      std::chrono::duration_cast<std::chrono::nanoseconds>(now).count() / 100 % 10000;
  const std::time_t seconds = std::time(nullptr);
  std::tm parts{};
  localtime_r(&seconds, &parts);
  return {TicksOf(local, f.millisecond * 10000LL + sub_millisecond),
          static_cast<int>(parts.tm_gmtoff / 60)};
}

void ResultLocal(sqlite3_context* context, std::int64_t ticks) {
  const std::string text = LocalText(ticks, kTimeDigits);
  ResultText(context, std::u16string(text.begin(), text.end()));
}

void SysDateTime(sqlite3_context* context, int, sqlite3_value**) {
  ResultLocal(context, Clock().ticks);
}

void SysUtcDateTime(sqlite3_context* context, int, sqlite3_value**) {
  const OffsetTime now = Clock();
  ResultLocal(context, now.ticks - now.offset * kTicksPerMinute);
}

void GetUtcDate(sqlite3_context* context, int, sqlite3_value**) {
  const OffsetTime now = Clock();
  const std::int64_t utc = now.ticks - now.offset * kTicksPerMinute;
  const std::int64_t day_zero = (DaysFromCivil(1900, 1, 1) - DaysFromCivil(1, 1, 1)) * kTicksPerDay;
  ResultText(context, FormatIso(FromDatetimeTicks((utc - day_zero) / 10000)));
}

void SysDateTimeOffset(sqlite3_context* context, int, sqlite3_value**) {
  ResultOffsetTime(context, Clock(), kTimeDigits);
}

// An offset argument: "+05:00" or a number of minutes.
std::optional<int> OffsetArgument(sqlite3_context* context, sqlite3_value* value,
                                  const char* function) {
  if (sqlite3_value_type(value) == SQLITE_INTEGER) {
    const std::int64_t minutes = sqlite3_value_int64(value);
    if (minutes >= -840 && minutes <= 840) return static_cast<int>(minutes);
  } else if (auto parsed = ParseOffset(ValueText(value))) {
    return parsed;
  }
  ResultError(context,
              fmt::format("The timezone provided to builtin function {} is invalid.", function));
  return std::nullopt;
}

bool ReadOffsetTime(sqlite3_context* context, sqlite3_value* value, OffsetTime& out) {
  const auto parsed = ParseOffsetTime(ValueText(value));
  if (!parsed) {
    ResultError(context,
                "Conversion failed when converting date and/or time from character string.");
    return false;
  }
  out = *parsed;
  return true;
}

// A function of a date-time and an offset, called `function` in its errors: `at` makes the
// result from the two. Null when either is Null.
template <class At>
void WithOffset(sqlite3_context* context, int argc, sqlite3_value** argv, const char* function,
                At at) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(context);
  OffsetTime value;
  if (!ReadOffsetTime(context, argv[0], value)) return;
  const auto offset = OffsetArgument(context, argv[1], function);
  if (!offset) return;
  ResultOffsetTime(context, at(value, *offset), kTimeDigits);
}

// TODATETIMEOFFSET(datetime2, offset): the same local time at that offset.
void ToDateTimeOffset(sqlite3_context* context, int argc, sqlite3_value** argv) {
  WithOffset(context, argc, argv, "todatetimeoffset", [](const OffsetTime& value, int offset) {
    return OffsetTime{value.ticks, offset};
  });
}

// SWITCHOFFSET(datetimeoffset, offset): the same instant at another offset.
void SwitchOffset(sqlite3_context* context, int argc, sqlite3_value** argv) {
  WithOffset(context, argc, argv, "switchoffset", [](const OffsetTime& value, int offset) {
    return OffsetTime{value.ticks + (offset - value.offset) * kTicksPerMinute, offset};
  });
}

// tsql_at_time_zone(value, zone, digits, has_offset): value AT TIME ZONE zone. A date-time
// without an offset is taken as the zone's local time; a datetimeoffset is the same instant in
// the zone.
void AtTimeZone(sqlite3_context* context, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(context);
  const std::u16string zone_name = ValueText(argv[1]);
  const TimeZoneLookup zone = LookUpTimeZone(zone_name);
  const std::string written = oleaut::ToUtf8(zone_name);
  if (zone.kind == TimeZoneLookup::Kind::kUnknown) {
    return ResultError(context, "The time zone parameter '" + written +
                                    "' provided to AT TIME ZONE clause is invalid.");
  }
  if (zone.kind == TimeZoneLookup::Kind::kWithRules) {
    return ResultError(context, "AT TIME ZONE '" + written +
                                    "' (a zone with daylight saving time) is not supported by "
                                    "the SQLite provider");
  }
  OffsetTime value;
  if (!ReadOffsetTime(context, argv[0], value)) return;
  const bool has_offset = sqlite3_value_int(argv[3]) != 0;
  if (zone.kind == TimeZoneLookup::Kind::kDaylight) {
    const std::int64_t utc = value.ticks - value.offset * kTicksPerMinute;
    std::int64_t local = value.ticks;
    const std::optional<int> minutes =
        has_offset ? DaylightOffsetAtUtc(zone, utc) : DaylightOffsetAtLocal(zone, local);
    if (!minutes) {
      return ResultError(context, "AT TIME ZONE '" + oleaut::ToUtf8(zone.name) +
                                      "' of a date before " +
                                      std::to_string(DaylightRuleSince(zone.rule)) +
                                      " (when its present daylight saving rules began) is not "
                                      "supported by the SQLite provider");
    }
    if (has_offset) local = utc + *minutes * kTicksPerMinute;
    return ResultOffsetTime(context, {local, *minutes}, sqlite3_value_int(argv[2]));
  }
  const std::int64_t shift = has_offset ? (zone.minutes - value.offset) * kTicksPerMinute : 0;
  ResultOffsetTime(context, {value.ticks + shift, zone.minutes}, sqlite3_value_int(argv[2]));
}

// tsql_offset_local(datetimeoffset): its local date and time, as a datetime2 text.
void OffsetLocal(sqlite3_context* context, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(context);
  OffsetTime value;
  if (!ReadOffsetTime(context, argv[0], value)) return;
  ResultLocal(context, value.ticks);
}

}  // namespace

void ConvertToDateTimeOffset(sqlite3_context* context, sqlite3_value* value, int digits) {
  if (sqlite3_value_type(value) != SQLITE_TEXT) {
    return ResultError(
        context, "Explicit conversion from data type " +
                     std::string(sqlite3_value_type(value) == SQLITE_INTEGER ? "int" : "float") +
                     " to datetimeoffset is not allowed.");
  }
  OffsetTime parsed;
  if (!ReadOffsetTime(context, value, parsed)) return;
  ResultOffsetTime(context, parsed, digits);
}

int InstallOffsetFunctions(sqlite3* db) {
  static constexpr PureFunction kPureFunctions[] = {
      {"tsql_todatetimeoffset", 2, ToDateTimeOffset},
      {"tsql_switchoffset", 2, SwitchOffset},
      {"tsql_offset_local", 1, OffsetLocal},
      {"tsql_at_time_zone", 4, AtTimeZone},
  };
  int rc = RegisterPureFunctions(db, kPureFunctions);
  static constexpr PureFunction kClock[] = {
      {"tsql_sysdatetime", 0, SysDateTime},
      {"tsql_sysutcdatetime", 0, SysUtcDateTime},
      {"tsql_getutcdate", 0, GetUtcDate},
      {"tsql_sysdatetimeoffset", 0, SysDateTimeOffset},
  };
  for (const PureFunction& f : kClock) {
    if (rc != SQLITE_OK) break;
    rc = sqlite3_create_function_v2(db, f.name, f.args, SQLITE_UTF16 | SQLITE_INNOCUOUS, nullptr,
                                    f.call, nullptr, nullptr, nullptr);
  }
  return rc;
}

}  // namespace tsql::detail
