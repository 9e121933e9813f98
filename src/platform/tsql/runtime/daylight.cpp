// Daylight-saving time of the zones AT TIME ZONE follows by rule: when a year's changes fall,
// the offset at an instant, and the offset of a wall-clock time, which the spring change skips
// and the autumn change repeats.
#include <optional>

#include "platform/oleaut/date.h"
#include "platform/tsql/runtime/detail.h"
#include "platform/tsql/time_zones.h"

namespace tsql::detail {
namespace {

constexpr std::int64_t kZoneTicksPerMinute = 600000000;
constexpr std::int64_t kZoneTicksPerHour = 60 * kZoneTicksPerMinute;
constexpr std::int64_t kZoneTicksPerDay = 24 * kZoneTicksPerHour;

// Days from 0001-01-01 of a date.
std::int64_t DayFromYearOne(int year, int month, int day) {
  return DaysFromCivil(year, month, day) - DaysFromCivil(1, 1, 1);
}

int YearOf(std::int64_t ticks) {
  DateTime d;
  CivilFromDays(DaysFromCivil(1, 1, 1) + ticks / kZoneTicksPerDay, d);
  return d.year;
}

// 0 for Sunday; 0001-01-01 was a Monday.
int WeekdayOf(std::int64_t day_number) {
  return static_cast<int>((day_number + 1) % 7);
}

// The `nth` Sunday of the month (1 the first), or its last when `nth` is 0.
std::int64_t NthSunday(int year, int month, int nth) {
  if (nth == 0) {
    const std::int64_t last = DayFromYearOne(year, month, oleaut::DaysInMonth(year, month));
    return last - WeekdayOf(last);
  }
  const std::int64_t first = DayFromYearOne(year, month, 1);
  return first + (7 - WeekdayOf(first)) % 7 + 7 * (nth - 1);
}

// A year's two changes as wall-clock times: `start`, when standard time's clock jumps an hour
// ahead, and `end`, when daylight time's clock goes an hour back.
struct Changes {
  std::int64_t start = 0;
  std::int64_t end = 0;
};

Changes ChangesOf(const TimeZoneLookup& zone, int year) {
  switch (zone.rule) {
    case DaylightRule::kUnitedStates:
      return {NthSunday(year, 3, 2) * kZoneTicksPerDay + 2 * kZoneTicksPerHour,
              NthSunday(year, 11, 1) * kZoneTicksPerDay + 2 * kZoneTicksPerHour};
    case DaylightRule::kEuropeanUnion: {
      // Both at 01:00 UTC.
      const std::int64_t standard = zone.minutes * kZoneTicksPerMinute;
      return {NthSunday(year, 3, 0) * kZoneTicksPerDay + kZoneTicksPerHour + standard,
              NthSunday(year, 10, 0) * kZoneTicksPerDay + kZoneTicksPerHour + standard +
                  kZoneTicksPerHour};
    }
    case DaylightRule::kAustraliaEast:
      return {NthSunday(year, 10, 1) * kZoneTicksPerDay + 2 * kZoneTicksPerHour,
              NthSunday(year, 4, 1) * kZoneTicksPerDay + 3 * kZoneTicksPerHour};
    case DaylightRule::kNone:
      break;
  }
  return {};
}

// Whether daylight time runs between the changes (north) or across the new year (south).
bool Southern(const TimeZoneLookup& zone) {
  return zone.rule == DaylightRule::kAustraliaEast;
}

}  // namespace

int DaylightRuleSince(DaylightRule rule) {
  switch (rule) {
    case DaylightRule::kUnitedStates:
      return 2007;
    case DaylightRule::kEuropeanUnion:
      return 1996;
    case DaylightRule::kAustraliaEast:
      return 2008;
    case DaylightRule::kNone:
      break;
  }
  return 1;
}

std::optional<int> DaylightOffsetAtUtc(const TimeZoneLookup& zone, std::int64_t utc_ticks) {
  const std::int64_t standard_clock = utc_ticks + zone.minutes * kZoneTicksPerMinute;
  const int year = YearOf(standard_clock);
  if (year < DaylightRuleSince(zone.rule)) return std::nullopt;
  const Changes changes = ChangesOf(zone, year);
  // The start is written in standard time, the end in daylight time.
  const bool after_start = standard_clock >= changes.start;
  const bool before_end = standard_clock + kZoneTicksPerHour < changes.end;
  const bool daylight = Southern(zone) ? after_start || before_end : after_start && before_end;
  return zone.minutes + (daylight ? 60 : 0);
}

std::optional<int> DaylightOffsetAtLocal(const TimeZoneLookup& zone, std::int64_t& local_ticks) {
  const int year = YearOf(local_ticks);
  if (year < DaylightRuleSince(zone.rule)) return std::nullopt;
  const Changes changes = ChangesOf(zone, year);
  // The hour the spring change skips is read as the hour after it; the hour the autumn change
  // repeats as daylight time, the first time round.
  if (local_ticks >= changes.start && local_ticks < changes.start + kZoneTicksPerHour) {
    local_ticks += kZoneTicksPerHour;
  }
  const bool after_start = local_ticks >= changes.start;
  const bool before_end = local_ticks < changes.end;
  const bool daylight = Southern(zone) ? after_start || before_end : after_start && before_end;
  return zone.minutes + (daylight ? 60 : 0);
}

}  // namespace tsql::detail
