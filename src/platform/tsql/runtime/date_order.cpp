// tsql_date_text(value, order, old_type [, style]): a text on its way to a date type, its
// numeric date ("31/12/2008", "2008-31-12 10:00") read in the order SET DATEFORMAT gives the
// session and written again as yyyy-mm-dd, the form every conversion reads the same way. The
// order is an argument the statement binds, so a translation serves every order and the
// normalizing triggers of date columns, which know no session, only ever see yyyy-mm-dd.
#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "platform/oleaut/date.h"
#include "platform/tsql/runtime/detail.h"

namespace tsql::detail {
namespace {

// Three numbers between one separator, '-', '/' or '.', the same both times; then the end of
// the text, a blank or ISO's T.
struct NumericDate {
  std::size_t end = 0;  // where what follows the date (its time) starts
  std::array<int, 3> parts{};
  std::array<int, 3> digits{};
  bool iso_time = false;  // a T follows
};

std::optional<NumericDate> ScanNumericDate(std::u16string_view text) {
  std::size_t at = 0;
  while (at < text.size() && text[at] == u' ')
    ++at;
  NumericDate date;
  char16_t separator = 0;
  for (std::size_t k = 0; k < 3; ++k) {
    if (k > 0) {
      if (at >= text.size()) return std::nullopt;
      const char16_t c = text[at];
      if (k == 1 && (c == u'-' || c == u'/' || c == u'.')) separator = c;
      if (c != separator) return std::nullopt;
      ++at;
    }
    int value = 0;
    int count = 0;
    while (at < text.size() && text[at] >= u'0' && text[at] <= u'9' && count < 5) {
      value = value * 10 + (text[at] - u'0');
      ++count;
      ++at;
    }
    if (count == 0 || count > 4) return std::nullopt;
    date.parts[k] = value;
    date.digits[k] = count;
  }
  if (at < text.size() && text[at] != u' ' && text[at] != u'T') return std::nullopt;
  date.iso_time = at < text.size() && text[at] == u'T';
  if (date.iso_time && date.digits[0] != 4) return std::nullopt;  // ISO's form is yyyy-mm-ddT
  date.end = at;
  return date;
}

struct YearMonthDay {
  int year = 0;
  int month = 0;
  int day = 0;
};

// The date the parts name in `order` ("dmy"): a part of four digits is the year wherever it
// stands, the other two keeping the order's month and day; a year written first is followed by
// month and day whatever the order when `year_first_is_iso`. A year has two digits (of 1950 to
// 2049) or four, a month and a day one or two; nullopt for other parts.
std::optional<YearMonthDay> ReadInOrder(const NumericDate& date, std::u16string_view order,
                                        bool year_first_is_iso) {
  std::size_t year_at = order.find(u'y');
  int long_parts = 0;
  for (std::size_t k = 0; k < 3; ++k) {
    if (date.digits[k] < 3) continue;
    if (date.digits[k] == 3) return std::nullopt;
    year_at = k;
    ++long_parts;
  }
  if (long_parts > 1 || date.digits[year_at] == 1) return std::nullopt;
  const bool month_before_day =
      (year_at == 0 && year_first_is_iso) || order.find(u'm') < order.find(u'd');
  std::array<int, 2> others{};
  std::size_t n = 0;
  for (std::size_t k = 0; k < 3; ++k) {
    if (k != year_at) others[n++] = date.parts[k];
  }
  YearMonthDay ymd;
  ymd.year = date.parts[year_at];
  if (date.digits[year_at] <= 2) ymd.year += ymd.year < 50 ? 2000 : 1900;
  ymd.month = month_before_day ? others[0] : others[1];
  ymd.day = month_before_day ? others[1] : others[0];
  return ymd;
}

// The order an input style of CONVERT names (103: dd/mm/yyyy); empty for a style that names
// none, which leaves the session's.
std::u16string_view StyleOrder(int style) {
  switch (style) {
    case 1:
    case 101:
    case 10:
    case 110:
      return u"mdy";
    case 3:
    case 103:
    case 4:
    case 104:
    case 5:
    case 105:
      return u"dmy";
    case 2:
    case 102:
    case 11:
    case 111:
      return u"ymd";
    default:
      return {};
  }
}

bool IsDateOrder(std::u16string_view order) {
  return order.size() == 3 && order.find(u'y') != std::u16string_view::npos &&
         order.find(u'm') != std::u16string_view::npos &&
         order.find(u'd') != std::u16string_view::npos;
}

void DateText(sqlite3_context* context, int argc, sqlite3_value** argv) {
  sqlite3_value* value = argv[0];
  std::u16string order = sqlite3_value_type(argv[1]) == SQLITE_TEXT ? Text16(argv[1]) : u"mdy";
  if (argc > 3 && sqlite3_value_type(argv[3]) == SQLITE_INTEGER) {
    const std::u16string_view by_style = StyleOrder(sqlite3_value_int(argv[3]));
    if (!by_style.empty()) order = by_style;
  }
  if (sqlite3_value_type(value) != SQLITE_TEXT || !IsDateOrder(order)) {
    return sqlite3_result_value(context, value);
  }
  const std::u16string text = Text16(value);
  const std::optional<NumericDate> date = ScanNumericDate(text);
  if (!date) return sqlite3_result_value(context, value);
  // datetime and smalldatetime read a year written first with the order's month and day
  // (yyyy-dd-mm under dmy) unless ISO's T follows; the other types always as yyyy-mm-dd.
  const bool old_type = sqlite3_value_int(argv[2]) != 0;
  const auto ymd = ReadInOrder(*date, order, !old_type || date->iso_time);
  if (!ymd) return sqlite3_result_value(context, value);
  std::string rewritten = std::to_string(ymd->year);
  rewritten.insert(0, rewritten.size() < 4 ? 4 - rewritten.size() : 0, '0');
  for (const int field : {ymd->month, ymd->day}) {
    rewritten += field < 10 ? "-0" : "-";
    rewritten += std::to_string(field);
  }
  ResultText(context, Ascii(rewritten) + text.substr(date->end));
}

}  // namespace

bool NumericDateOutOfRange(std::u16string_view text) {
  const std::optional<NumericDate> date = ScanNumericDate(text);
  if (!date) return false;
  const auto ymd = ReadInOrder(*date, u"mdy", true);
  if (!ymd) return false;
  return ymd->month < 1 || ymd->month > 12 || ymd->day < 1 ||
         ymd->day > oleaut::DaysInMonth(ymd->year, ymd->month);
}

int InstallDateOrderFunctions(sqlite3* db) {
  static constexpr PureFunction kFunctions[] = {
      {"tsql_date_text", 3, DateText},
      {"tsql_date_text", 4, DateText},
  };
  return RegisterPureFunctions(db, kFunctions);
}

}  // namespace tsql::detail
