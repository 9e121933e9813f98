// The time zones of AT TIME ZONE: which names SQL Server knows, and the offset of those the
// engine follows.
#pragma once

#include <cstdint>
#include <string_view>

namespace tsql {

struct TimeZoneLookup {
  enum class Kind : std::uint8_t {
    kFixed,      // an offset from UTC that has never changed: `minutes`
    kWithRules,  // a zone with daylight-saving time or a changed offset, which is refused
    kUnknown,    // no zone of SQL Server's (error 9820)
  } kind = Kind::kUnknown;
  int minutes = 0;
};

// The zone of a Windows time zone name ("China Standard Time"), without regard to case.
TimeZoneLookup LookUpTimeZone(std::u16string_view name);

}  // namespace tsql
