// Date: the OLE Automation date, days since 1899-12-30 as a double; the fraction is the time of
// day (negative dates count the fraction forwards, as OLE does).
#pragma once

#include <compare>
#include <optional>
#include <string>
#include <string_view>

namespace oleaut {

struct CalendarFields {
  int year = 1899;
  int month = 12;
  int day = 30;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

// The Gregorian calendar's rules, shared by every date parser.
constexpr bool IsLeapYear(int year) noexcept {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}
// Days in `month` (1..12) of `year`.
constexpr int DaysInMonth(int year, int month) noexcept {
  constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

class Date {
 public:
  Date() = default;
  explicit Date(double ole_value) noexcept : value_(ole_value) {}

  // Raises Invalid procedure call (5) when a field is out of range (month 13, day 31 of April,
  // year outside 100..9999).
  static Date FromFields(const CalendarFields& fields);
  // Parses "YYYY-MM-DD", "YYYY-MM-DD HH:MM:SS", "YYYY-MM-DDTHH:MM:SS" with optional ".fff".
  static std::optional<Date> ParseIso(std::u16string_view text);

  double OleValue() const noexcept { return value_; }
  // Rounded to the millisecond.
  CalendarFields ToFields() const noexcept;
  // "YYYY-MM-DD HH:MM:SS.fff": the one text form dates are stored in; it sorts correctly.
  std::u16string ToIsoString() const;
  // "YYYY-MM-DD": the short-date text.
  std::u16string ToIsoDateString() const;

  friend auto operator<=>(const Date&, const Date&) = default;

 private:
  double value_ = 0.0;
};

}  // namespace oleaut
