// SET DATEFORMAT and SET LANGUAGE: the order the session reads ambiguous dates in, and the
// language that gives it with the first day of the week.
#include <fmt/format.h>

#include <string_view>

#include "platform/ado/sqlite/engine.h"
#include "platform/ado/sqlite/translated_statements.h"
#include "platform/oleaut/convert.h"
#include "platform/oleaut/text.h"

namespace ado::sqlite {
namespace {

// The languages the engine follows, with their settings as sys.syslanguages lists them. Both
// write their messages, and the names of months and days, in English.
struct SessionLanguage {
  std::u16string_view name;
  std::u16string_view alias;
  std::u16string_view date_format;
  std::int32_t first_day;
};
constexpr SessionLanguage kSessionLanguages[] = {
    {u"us_english", u"English", u"mdy", 7},
    {u"British", u"British English", u"dmy", 1},
};

// SQL Server's other languages: their messages and month names are their own, which the engine
// does not have, so they are refused by name rather than taken as unknown.
constexpr std::u16string_view kUnfollowedLanguages[] = {
    u"Deutsch",
    u"Fran\u00e7ais",
    u"\u65e5\u672c\u8a9e",
    u"Dansk",
    u"Espa\u00f1ol",
    u"Italiano",
    u"Nederlands",
    u"Norsk",
    u"Portugu\u00eas",
    u"Suomi",
    u"Svenska",
    u"\u010de\u0161tina",
    u"magyar",
    u"polski",
    u"rom\u00e2n\u0103",
    u"hrvatski",
    u"sloven\u010dina",
    u"slovenski",
    u"\u03b5\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac",
    u"\u0431\u044a\u043b\u0433\u0430\u0440\u0441\u043a\u0438",
    u"\u0440\u0443\u0441\u0441\u043a\u0438\u0439",
    u"T\u00fcrk\u00e7e",
    u"eesti",
    u"latvie\u0161u",
    u"lietuvi\u0173",
    u"Portugu\u00eas (Brasil)",
    u"\u7e41\u9ad4\u4e2d\u6587",
    u"\ud55c\uad6d\uc5b4",
    u"\u7b80\u4f53\u4e2d\u6587",
    u"Arabic",
    u"\u0e44\u0e17\u0e22",
    u"norsk (bokm\u00e5l)",
    // and their aliases
    u"German",
    u"French",
    u"Japanese",
    u"Danish",
    u"Spanish",
    u"Italian",
    u"Dutch",
    u"Norwegian",
    u"Portuguese",
    u"Finnish",
    u"Swedish",
    u"Czech",
    u"Hungarian",
    u"Polish",
    u"Romanian",
    u"Croatian",
    u"Slovak",
    u"Slovenian",
    u"Greek",
    u"Bulgarian",
    u"Russian",
    u"Turkish",
    u"Estonian",
    u"Latvian",
    u"Lithuanian",
    u"Brazilian",
    u"Traditional Chinese",
    u"Korean",
    u"Simplified Chinese",
    u"Thai",
    u"Bokm\u00e5l",
};

constexpr std::u16string_view kDateOrders[] = {u"mdy", u"dmy", u"ymd", u"ydm", u"myd", u"dym"};

std::u16string OptionText(const oleaut::Variant& value) {
  return value.IsNull() ? std::u16string() : oleaut::ToString(value);
}

}  // namespace

void StatementRunner::SetDateFormat(const tsql::SqlStatement& statement) {
  const std::u16string written = OptionText(ReadRow(statement).at(0));
  for (const std::u16string_view order : kDateOrders) {
    if (!oleaut::EqualsNoCase(order, written)) continue;
    SetSessionText(tsql::SessionValue::kDateFormat, std::u16string(order));
    return;
  }
  Throw(statement, {2741, 16, 1, 1, u"SET DATEFORMAT date order '" + written + u"' not supported."},
        false);
}

// A language sets the date order and the first day of the week with it, and says so.
void StatementRunner::SetLanguage(const tsql::SqlStatement& statement) {
  const std::u16string written = OptionText(ReadRow(statement).at(0));
  for (const SessionLanguage& language : kSessionLanguages) {
    if (!oleaut::EqualsNoCase(language.name, written) &&
        !oleaut::EqualsNoCase(language.alias, written)) {
      continue;
    }
    SetSessionText(tsql::SessionValue::kLanguage, std::u16string(language.name));
    SetSessionText(tsql::SessionValue::kDateFormat, std::u16string(language.date_format));
    session_values_[static_cast<std::size_t>(tsql::SessionValue::kDateFirst)].value =
        language.first_day;
    Inform(u"Changed language setting to " + std::u16string(language.name) + u".");
    return;
  }
  for (const std::u16string_view other : kUnfollowedLanguages) {
    if (!oleaut::EqualsNoCase(other, written)) continue;
    RaiseFor(statement)(kErrorsInCommand,
                        "SET LANGUAGE " + oleaut::ToUtf8(other) +
                            " (a language other than us_english and British) is not supported "
                            "by the SQLite provider");
  }
  Throw(statement,
        {2740, 16, 1, 1,
         u"SET LANGUAGE failed because '" + written +
             u"' is not an official language name or it is referring to a language alias."},
        false);
}

void StatementRunner::SetSessionText(tsql::SessionValue which, std::u16string text) {
  ParameterValue& value = session_values_[static_cast<std::size_t>(which)];
  value.type = adVarWChar;
  value.value = oleaut::Variant(std::move(text));
}

}  // namespace ado::sqlite
