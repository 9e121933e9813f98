// The time zones of AT TIME ZONE: which names SQL Server knows, and the offset of those the
// engine follows.
#pragma once

#include <cstdint>
#include <string_view>

namespace tsql {

// The daylight-saving rules the engine follows, each from the year it took its present form.
enum class DaylightRule : std::uint8_t {
  kNone,
  kUnitedStates,   // second Sunday of March 2:00 to first Sunday of November 2:00, since 2007
  kEuropeanUnion,  // last Sunday of March to last Sunday of October, 01:00 UTC, since 1996
  kAustraliaEast,  // first Sunday of October 2:00 to first Sunday of April 3:00, since 2008
};

struct TimeZoneLookup {
  enum class Kind : std::uint8_t {
    kFixed,      // an offset from UTC that has never changed: `minutes`
    kDaylight,   // `minutes` in standard time, an hour more in daylight time under `rule`
    kWithRules,  // a zone with daylight-saving time or a changed offset, which is refused
    kUnknown,    // no zone of SQL Server's (error 9820)
  } kind = Kind::kUnknown;
  int minutes = 0;
  DaylightRule rule = DaylightRule::kNone;
  std::u16string_view name;  // as SQL Server writes it
};

// The zone of a Windows time zone name ("China Standard Time"), without regard to case.
TimeZoneLookup LookUpTimeZone(std::u16string_view name);

}  // namespace tsql
