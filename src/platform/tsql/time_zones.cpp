// The time zones AT TIME ZONE knows by their Windows names, as SQL Server's sys.time_zone_info
// lists them. A zone whose offset from UTC has never changed is followed exactly by its offset;
// the zones most asked for with daylight-saving time are followed by their present rules; any
// other zone with such rules (now or in its history) is known by name only, so that it can be
// refused as such rather than called invalid.
#include "platform/tsql/time_zones.h"

#include <algorithm>

namespace tsql {
namespace {

struct FixedZone {
  std::u16string_view name;
  int minutes;  // the offset from UTC
};

constexpr FixedZone kFixedZones[] = {
    {u"UTC", 0},
    {u"Greenwich Standard Time", 0},
    {u"UTC-11", -660},
    {u"UTC-09", -540},
    {u"UTC-08", -480},
    {u"UTC-02", -120},
    {u"UTC+12", 720},
    {u"UTC+13", 780},
    {u"Hawaiian Standard Time", -600},
    {u"US Mountain Standard Time", -420},
    {u"SA Western Standard Time", -240},
    {u"SA Eastern Standard Time", -180},
    {u"Cape Verde Standard Time", -60},
    {u"W. Central Africa Standard Time", 60},
    {u"South Africa Standard Time", 120},
    {u"E. Africa Standard Time", 180},
    {u"Arab Standard Time", 180},
    {u"Arabian Standard Time", 240},
    {u"West Asia Standard Time", 300},
    {u"India Standard Time", 330},
    {u"Nepal Standard Time", 345},
    {u"Myanmar Standard Time", 390},
    {u"SE Asia Standard Time", 420},
    {u"China Standard Time", 480},
    {u"Singapore Standard Time", 480},
    {u"Taipei Standard Time", 480},
    {u"Tokyo Standard Time", 540},
    {u"AUS Central Standard Time", 570},
    {u"E. Australia Standard Time", 600},
    {u"West Pacific Standard Time", 600},
};

struct DaylightZone {
  std::u16string_view name;
  int minutes;  // the offset from UTC in standard time
  DaylightRule rule;
};

constexpr DaylightZone kDaylightZones[] = {
    {u"Pacific Standard Time", -480, DaylightRule::kUnitedStates},
    {u"Mountain Standard Time", -420, DaylightRule::kUnitedStates},
    {u"Central Standard Time", -360, DaylightRule::kUnitedStates},
    {u"Eastern Standard Time", -300, DaylightRule::kUnitedStates},
    {u"GMT Standard Time", 0, DaylightRule::kEuropeanUnion},
    {u"W. Europe Standard Time", 60, DaylightRule::kEuropeanUnion},
    {u"Central Europe Standard Time", 60, DaylightRule::kEuropeanUnion},
    {u"Central European Standard Time", 60, DaylightRule::kEuropeanUnion},
    {u"Romance Standard Time", 60, DaylightRule::kEuropeanUnion},
    {u"AUS Eastern Standard Time", 600, DaylightRule::kAustraliaEast},
};

constexpr std::u16string_view kZonesWithRules[] = {
    u"Dateline Standard Time",
    u"Alaskan Standard Time",
    u"Pacific Standard Time (Mexico)",
    u"Mountain Standard Time (Mexico)",
    u"Central Standard Time (Mexico)",
    u"Canada Central Standard Time",
    u"US Eastern Standard Time",
    u"Atlantic Standard Time",
    u"Newfoundland Standard Time",
    u"E. South America Standard Time",
    u"Argentina Standard Time",
    u"Pacific SA Standard Time",
    u"Paraguay Standard Time",
    u"Venezuela Standard Time",
    u"SA Pacific Standard Time",
    u"Azores Standard Time",
    u"Morocco Standard Time",
    u"GTB Standard Time",
    u"E. Europe Standard Time",
    u"FLE Standard Time",
    u"Egypt Standard Time",
    u"Israel Standard Time",
    u"Jordan Standard Time",
    u"Middle East Standard Time",
    u"Turkey Standard Time",
    u"Russian Standard Time",
    u"Iran Standard Time",
    u"Pakistan Standard Time",
    u"Sri Lanka Standard Time",
    u"Bangladesh Standard Time",
    u"Korea Standard Time",
    u"W. Australia Standard Time",
    u"Cen. Australia Standard Time",
    u"New Zealand Standard Time",
};

bool SameName(std::u16string_view a, std::u16string_view b) {
  const auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [&](auto x, auto y) { return lower(x) == lower(y); });
}

}  // namespace

TimeZoneLookup LookUpTimeZone(std::u16string_view name) {
  for (const FixedZone& zone : kFixedZones) {
    if (SameName(zone.name, name)) {
      return {TimeZoneLookup::Kind::kFixed, zone.minutes, DaylightRule::kNone, zone.name};
    }
  }
  for (const DaylightZone& zone : kDaylightZones) {
    if (SameName(zone.name, name)) {
      return {TimeZoneLookup::Kind::kDaylight, zone.minutes, zone.rule, zone.name};
    }
  }
  for (std::u16string_view zone : kZonesWithRules) {
    if (SameName(zone, name))
      return {TimeZoneLookup::Kind::kWithRules, 0, DaylightRule::kNone, zone};
  }
  return {TimeZoneLookup::Kind::kUnknown, 0, DaylightRule::kNone, {}};
}

}  // namespace tsql
