#include "platform/oleaut/date.h"

#include <fmt/format.h>

#include <cmath>
#include <cstdint>

#include "platform/oleaut/com_error.h"
#include "platform/oleaut/text.h"

namespace oleaut {
namespace {

constexpr std::int64_t kMsPerDay = 86'400'000;
// Day numbers of 0100-01-01 and 9999-12-31, the range the runtime accepts.
constexpr std::int64_t kFirstDay = -657'434;
constexpr std::int64_t kLastDay = 2'958'465;
// 1899-12-30, day 0 of OLE dates, counted from 1970-01-01.
constexpr std::int64_t kEpochOffset = -25'569;

// Howard Hinnant's days_from_civil / civil_from_days (proleptic Gregorian calendar).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2 ? 1 : 0;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2 ? 1 : 0));
}

bool FieldsValid(const CalendarFields& f) {
  return f.year >= 100 && f.year <= 9999 && f.month >= 1 && f.month <= 12 && f.day >= 1 &&
         f.day <= DaysInMonth(f.year, f.month) && f.hour >= 0 && f.hour <= 23 && f.minute >= 0 &&
         f.minute <= 59 && f.second >= 0 && f.second <= 59 && f.millisecond >= 0 &&
         f.millisecond <= 999;
}

Date FromValidFields(const CalendarFields& f) {
  const std::int64_t day =
      DaysFromCivil(f.year, static_cast<unsigned>(f.month), static_cast<unsigned>(f.day)) -
      kEpochOffset;
  const std::int64_t ms =
      ((static_cast<std::int64_t>(f.hour) * 60 + f.minute) * 60 + f.second) * 1000 + f.millisecond;
  const double fraction = static_cast<double>(ms) / static_cast<double>(kMsPerDay);
  // Before day 0 the fraction still counts forwards from midnight: -1.25 is 1899-12-29 06:00.
  return Date(day >= 0 ? static_cast<double>(day) + fraction : static_cast<double>(day) - fraction);
}

// Reads exactly `count` decimal digits at `pos`.
bool ReadDigits(std::u16string_view text, std::size_t& pos, std::size_t count, int& out) {
  if (pos + count > text.size()) return false;
  int value = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const char16_t c = text[pos + i];
    if (c < u'0' || c > u'9') return false;
    value = value * 10 + (c - u'0');
  }
  pos += count;
  out = value;
  return true;
}

bool Expect(std::u16string_view text, std::size_t& pos, char16_t c) {
  if (pos >= text.size() || text[pos] != c) return false;
  ++pos;
  return true;
}

}  // namespace

Date Date::FromFields(const CalendarFields& fields) {
  if (!FieldsValid(fields)) {
    RaiseVbError(
        kInvalidProcedureCall,
        FromUtf8(fmt::format("{:04}-{:02}-{:02} {:02}:{:02}:{:02}.{:03} is not a valid date",
                             fields.year, fields.month, fields.day, fields.hour, fields.minute,
                             fields.second, fields.millisecond)));
  }
  return FromValidFields(fields);
}

std::optional<Date> Date::ParseIso(std::u16string_view text) {
  while (!text.empty() && text.front() == u' ')
    text.remove_prefix(1);
  while (!text.empty() && text.back() == u' ')
    text.remove_suffix(1);
  CalendarFields f;
  std::size_t pos = 0;
  if (!ReadDigits(text, pos, 4, f.year) || !Expect(text, pos, u'-') ||
      !ReadDigits(text, pos, 2, f.month) || !Expect(text, pos, u'-') ||
      !ReadDigits(text, pos, 2, f.day)) {
    return std::nullopt;
  }
  f.hour = f.minute = f.second = f.millisecond = 0;
  if (pos < text.size()) {
    if (text[pos] != u' ' && text[pos] != u'T') return std::nullopt;
    ++pos;
    if (!ReadDigits(text, pos, 2, f.hour) || !Expect(text, pos, u':') ||
        !ReadDigits(text, pos, 2, f.minute)) {
      return std::nullopt;
    }
    if (pos < text.size() && text[pos] == u':') {
      ++pos;
      if (!ReadDigits(text, pos, 2, f.second)) return std::nullopt;
      if (pos < text.size() && text[pos] == u'.') {
        ++pos;
        // Up to seven fractional digits (datetime2); kept to the millisecond.
        int scale = 100;
        std::size_t digits = 0;
        for (; pos < text.size() && text[pos] >= u'0' && text[pos] <= u'9'; ++pos, ++digits) {
          if (digits >= 7) return std::nullopt;
          f.millisecond += (text[pos] - u'0') * scale;
          scale /= 10;
        }
        if (digits == 0) return std::nullopt;
      }
    }
    if (pos != text.size()) return std::nullopt;
  }
  if (!FieldsValid(f)) return std::nullopt;
  return FromValidFields(f);
}

CalendarFields Date::ToFields() const noexcept {
  // Outside the runtime's range (or not a number) the nearest valid date is shown rather than
  // an arithmetic overflow.
  double value = std::isnan(value_) ? 0.0 : value_;
  if (value < static_cast<double>(kFirstDay)) value = static_cast<double>(kFirstDay);
  if (value > static_cast<double>(kLastDay + 1)) value = static_cast<double>(kLastDay + 1);
  std::int64_t day = static_cast<std::int64_t>(std::trunc(value));
  std::int64_t ms =
      std::llround(std::fabs(value - static_cast<double>(day)) * static_cast<double>(kMsPerDay));
  if (ms >= kMsPerDay) {
    ms -= kMsPerDay;
    ++day;
  }
  if (day > kLastDay) {
    day = kLastDay;
    ms = kMsPerDay - 1;
  }
  CalendarFields f;
  CivilFromDays(day + kEpochOffset, f.year, f.month, f.day);
  f.millisecond = static_cast<int>(ms % 1000);
  ms /= 1000;
  f.second = static_cast<int>(ms % 60);
  ms /= 60;
  f.minute = static_cast<int>(ms % 60);
  f.hour = static_cast<int>(ms / 60);
  return f;
}

std::u16string Date::ToIsoString() const {
  const CalendarFields f = ToFields();
  return FromUtf8(fmt::format("{:04}-{:02}-{:02} {:02}:{:02}:{:02}.{:03}", f.year, f.month, f.day,
                              f.hour, f.minute, f.second, f.millisecond));
}

std::u16string Date::ToIsoDateString() const {
  const CalendarFields f = ToFields();
  return FromUtf8(fmt::format("{:04}-{:02}-{:02}", f.year, f.month, f.day));
}

}  // namespace oleaut
