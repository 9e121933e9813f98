// PARSE and TRY_PARSE: a text read as .NET reads a number or a date in a culture (the invariant
// one, en-US or zh-CN), handed on as the form CONVERT reads; PARSE fails with SQL Server's
// message where TRY_PARSE gives NULL.
#include <fmt/format.h>
#include <sqlite3.h>

#include <string>

#include "platform/oleaut/text.h"
#include "platform/tsql/runtime/detail.h"

namespace tsql::detail {
namespace {

bool KnownCulture(std::string culture) {
  for (char& c : culture)
    c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  return culture.empty() || culture == "en-us" || culture == "en" || culture == "zh-cn" ||
         culture == "zh-hans" || culture == "zh";
}

// A number as .NET's NumberStyles.Any reads it: blanks, a currency symbol, thousands
// separators, a sign before or after, parentheses for a negative number.
std::optional<std::u16string> ReadNumber(std::u16string_view text) {
  std::u16string digits;
  bool negative = false;
  bool parenthesized = false;
  for (char16_t c : text) {
    if ((c >= u'0' && c <= u'9') || c == u'.' || c == u'e' || c == u'E') {
      digits += c;
    } else if (c == u'-') {
      if (negative) return std::nullopt;
      negative = true;
    } else if (c == u'(' || c == u')') {
      parenthesized = true;
    } else if (c == u'+' || c == u',' || c == u' ' || c == u'$' || c == u'\u00a5' ||
               c == u'\uffe5' || c == u'\u00a4') {
      continue;
    } else {
      return std::nullopt;
    }
  }
  if (digits.empty() || !ParseReal(digits)) return std::nullopt;
  if (negative || parenthesized) digits.insert(digits.begin(), u'-');
  return digits;
}

// A date as .NET reads it in these cultures: a weekday name before it ignored, the forms
// CONVERT reads, and Chinese "2010年12月13日".
std::optional<std::u16string> ReadDate(std::u16string text) {
  // 年 and 月 separate like '-'; 日 ends the date.
  std::u16string plain;
  for (char16_t c : text) {
    if (c == u'\u5e74' || c == u'\u6708') {
      plain += u'-';
    } else if (c != u'\u65e5') {
      plain += c;
    }
  }
  text = std::move(plain);
  const std::size_t comma = text.find(u',');
  if (comma != std::u16string::npos) {
    static constexpr std::u16string_view kDays[] = {
        u"sunday", u"monday", u"tuesday", u"wednesday", u"thursday", u"friday", u"saturday"};
    const std::u16string first = oleaut::LCase(oleaut::TrimWhitespace(text.substr(0, comma)));
    for (const std::u16string_view day : kDays) {
      if (first == day || (first.size() == 3 && day.substr(0, 3) == first)) {
        text.erase(0, comma + 1);
        break;
      }
    }
  }
  if (!ParseDateTime(text)) return std::nullopt;
  return text;
}

// tsql_parse(kind, type, value, culture, lenient): kind 'n' a number, 'd' a date.
void Parse(sqlite3_context* context, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[2]) == SQLITE_NULL) return sqlite3_result_null(context);
  // No culture is the session's language, us_english.
  const std::string culture = sqlite3_value_type(argv[3]) == SQLITE_NULL
                                  ? ""
                                  : reinterpret_cast<const char*>(sqlite3_value_text(argv[3]));
  if (!KnownCulture(culture)) {
    return ResultError(context, "The culture parameter '" + culture +
                                    "' provided in the function call is not supported.");
  }
  const std::u16string text = ValueText(argv[2]);
  const bool number = sqlite3_value_text(argv[0])[0] == 'n';
  const auto read = number ? ReadNumber(text) : ReadDate(text);
  if (read) return ResultText(context, *read);
  if (sqlite3_value_int(argv[4]) != 0) return sqlite3_result_null(context);
  ResultError(context,
              fmt::format("Error converting string value '{}' into data type {} using "
                          "culture '{}'.",
                          oleaut::ToUtf8(text),
                          reinterpret_cast<const char*>(sqlite3_value_text(argv[1])), culture));
}

}  // namespace

int InstallParseFunctions(sqlite3* db) {
  static constexpr PureFunction kFunctions[] = {{"tsql_parse", 5, Parse}};
  return RegisterPureFunctions(db, kFunctions);
}

}  // namespace tsql::detail
