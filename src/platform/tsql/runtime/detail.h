// Shared pieces of the SQLite runtime's functions (internal to tsql).
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tsql {
struct SessionState;
struct TimeZoneLookup;
enum class DaylightRule : std::uint8_t;
}  // namespace tsql

namespace tsql::detail {

// SQLITE_TRANSIENT without its C-style cast: the engine copies the value.
inline const sqlite3_destructor_type kTransient =
    reinterpret_cast<sqlite3_destructor_type>(static_cast<std::intptr_t>(-1));

// A value's text as SQL Server would convert it to varchar without a style: integers in
// decimal, reals as SQLite prints them unless tagged with a decimal scale, texts as they are.
std::u16string ValueText(sqlite3_value* value);

void ResultText(sqlite3_context* context, std::u16string_view text);

// An ASCII text (a number or date the runtime wrote) as UTF-16.
std::u16string Ascii(std::string_view text);

// A value's text, copied: the engine may hand UTF-16 text at an odd address.
std::u16string Text16(sqlite3_value* value);

// Raises `message` as the statement's error.
void ResultError(sqlite3_context* context, const std::string& message);

// Whether any of the arguments is NULL (most functions then give NULL).
bool AnyNull(int argc, sqlite3_value** argv);

// A number or binary value converted to a type that takes texts alone (time, datetime2): SQL
// Server's error, which TRY_CONVERT raises as well.
void RefuseConversion(sqlite3_context* context, sqlite3_value* value, std::string_view to);

// SQL Server's message for a failed conversion, raised as the statement's error.
void ResultConversionError(sqlite3_context* context, sqlite3_value* value, std::string_view target);

// The whole text as a 64-bit integer (blanks around it allowed); nullopt when it is not one.
std::optional<std::int64_t> ParseInteger(std::u16string_view text);
// The whole text as a number (blanks around it allowed); nullopt when it is not one.
std::optional<double> ParseReal(std::u16string_view text);

// Calendar fields of a date-time; a text is parsed in the forms SQL Server reads with the
// us_english settings (ISO, yyyymmdd, yyyy/mm/dd, mm/dd/yyyy, "Jan 5 2024 10:00AM").
struct DateTime {
  int year = 1900, month = 1, day = 1, hour = 0, minute = 0, second = 0, millisecond = 0;
  int sub_millisecond = 0;  // 100-nanosecond ticks past the millisecond, 0 to 9999
};
std::optional<DateTime> ParseDateTime(std::u16string_view text);
// Whether the text is a numeric date ("2023-02-29", "13/01/2008") whose month or day no
// calendar has: datetime calls that out of range, where the other types call it no date.
bool NumericDateOutOfRange(std::u16string_view text);
// tsql_date_text (date_order.cpp): a text's numeric date read in the session's order.
int InstallDateOrderFunctions(sqlite3* db);
// tsql_language_culture (session_language.cpp): the culture of the session's language.
int InstallLanguageFunctions(sqlite3* db);
// A time of day in 100-nanosecond ticks from midnight: "HH:MM[:SS[.fffffff]] [AM|PM]", or the
// time of a date-time text; nullopt for any other text. And back, with `digits` digits of the
// second's fraction ("10:20:30.1230000" for 7), rounded.
inline constexpr int kTimeDigits = 7;
std::optional<std::int64_t> ParseTimeOfDay(std::u16string_view text);
std::u16string FormatTimeOfDay(std::int64_t ticks, int digits);
// The fraction of a second a date-time or time text writes after its seconds, in 100-nanosecond
// ticks, all seven digits of it; nullopt when it writes none.
std::optional<std::int64_t> SecondFraction(std::u16string_view text);

// "YYYY-MM-DD HH:MM:SS.fff": the one form dates are stored in.
std::u16string FormatIso(const DateTime& value);

// A date-time in one of CONVERT's styles (120: "yyyy-mm-dd hh:mi:ss", 112: "yyyymmdd", ...);
// nullopt for a number that is no style of a date-time. Styles 21, 121 and 126 write `digits`
// digits of the second's fraction, as many as the value's type keeps.
std::optional<std::u16string> FormatStyle(const DateTime& value, int style, int digits = 3);

// Days from 1970-01-01 (proleptic Gregorian), and back.
std::int64_t DaysFromCivil(int y, int m, int d);
void CivilFromDays(std::int64_t z, DateTime& out);

// 100-nanosecond ticks, datetime2's unit, and the count of them from 0001-01-01 (datetime2's
// day 0) to a date and time: its own fraction of a second, or `fraction` ticks of one. And
// back as text, "YYYY-MM-DD HH:MM:SS[.f...]" with `digits` digits of the fraction, rounded;
// FormatDateTime2 gives nullopt past 9999-12-31.
inline constexpr std::int64_t kTicksPerSecond = 10000000;
inline constexpr std::int64_t kTicksPerMinute = 60 * kTicksPerSecond;
inline constexpr std::int64_t kTicksPerDay = 1440 * kTicksPerMinute;
std::int64_t TicksOf(const DateTime& d, std::int64_t fraction);
std::int64_t TicksOf(const DateTime& d);
std::string LocalText(std::int64_t ticks, int digits);
std::optional<std::u16string> FormatDateTime2(std::int64_t ticks, int digits);
// The calendar fields of a count of ticks from 0001-01-01, none rounded.
DateTime DateTimeOfTicks(std::int64_t ticks);
// The digits of the fraction of a second a date-time or time text writes (0 when none).
int FractionDigitsOf(std::u16string_view text);
// A datetimeoffset's text without its offset (" +08:00"): its local date and time; any other
// text as it is.
std::u16string_view WithoutOffset(std::u16string_view text);
// A date and time rounded to datetime's 1/300 of a second from all of its fraction.
DateTime RoundedToDatetime(const DateTime& d);
// tsql_datetime_exact(datetime): a datetime's 1/300 of a second as seven digits.
void DatetimeExact(sqlite3_context* context, int argc, sqlite3_value** argv);
// CAST and CONVERT to datetime2(digits).
void ConvertToDateTime2(sqlite3_context* context, sqlite3_value* value, int digits);

// Milliseconds from 1900-01-01, datetime's day 0, and back; the way back rounds the time to
// datetime's 1/300 of a second.
std::int64_t DatetimeTicks(const DateTime& value);
DateTime FromDatetimeTicks(std::int64_t ms);
bool InDatetimeRange(const DateTime& value);

// tsql_convert(type, value [, style]); registered with &kLenientConversion as its user data it
// is TRY_CONVERT, which gives NULL for a value that does not convert.
void ConvertFunction(sqlite3_context* context, int argc, sqlite3_value** argv);
inline const char kLenientConversion = 0;

// - * / % of two values, with SQL Server's errors (division by zero, overflow, text that is no
// number); NULL when either is NULL.
void Subtract(sqlite3_context* context, int argc, sqlite3_value** argv);
void Multiply(sqlite3_context* context, int argc, sqlite3_value** argv);
void Divide(sqlite3_context* context, int argc, sqlite3_value** argv);
void DivideReal(sqlite3_context* context, int argc, sqlite3_value** argv);  // never integral
void Modulo(sqlite3_context* context, int argc, sqlite3_value** argv);
void FitInteger(sqlite3_context* context, int argc, sqlite3_value** argv);
// tsql_top_count(n): the rows TOP (n) keeps, refused when negative or NULL;
// tsql_top_percent(percent, rows): the rows TOP percent PERCENT keeps, rounded up.
void TopCount(sqlite3_context* context, int argc, sqlite3_value** argv);
void TopPercent(sqlite3_context* context, int argc, sqlite3_value** argv);

// Date arithmetic and the date functions (part names as the generator writes them: 'day').
void DatePlus(sqlite3_context* context, int argc, sqlite3_value** argv);
void DateAdd(sqlite3_context* context, int argc, sqlite3_value** argv);
void DateDiff(sqlite3_context* context, int argc, sqlite3_value** argv);
inline const char kBigDifference = 0;  // DateDiff's user data as DATEDIFF_BIG
void DatePart(sqlite3_context* context, int argc, sqlite3_value** argv);
void DateName(sqlite3_context* context, int argc, sqlite3_value** argv);
void IsDate(sqlite3_context* context, int argc, sqlite3_value** argv);
void DateFromParts(sqlite3_context* context, int argc, sqlite3_value** argv);

// Text functions.
void Like(sqlite3_context* context, int argc, sqlite3_value** argv);
void Str(sqlite3_context* context, int argc, sqlite3_value** argv);
void Stuff(sqlite3_context* context, int argc, sqlite3_value** argv);
void PatIndex(sqlite3_context* context, int argc, sqlite3_value** argv);
void Reverse(sqlite3_context* context, int argc, sqlite3_value** argv);
void Concat(sqlite3_context* context, int argc, sqlite3_value** argv);
void Power(sqlite3_context* context, int argc, sqlite3_value** argv);
void IsNumeric(sqlite3_context* context, int argc, sqlite3_value** argv);
void MoneyToText(sqlite3_context* context, int argc, sqlite3_value** argv);

// tsql_format_message(format, argument ...): RAISERROR's message with its arguments put in.
void FormatMessage(sqlite3_context* context, int argc, sqlite3_value** argv);

// tsql_variable(n), tsql_set_variable(n, value) and tsql_clear_variables(): the batch's local
// variables, kept in `state`; tsql_push_variables() and tsql_pop_variables() around a nested batch.
// Returns the engine's code of the first registration that failed.
int InstallVariableFunctions(sqlite3* db, SessionState* state);

// Letter case as the default collation sees it: the capital (or small letter) of a letter of
// any alphabet, a character at a time; and the collation TSQL. InstallCollation returns the
// engine's code.
char16_t UpperUnit(char16_t c);
char16_t LowerUnit(char16_t c);
std::u16string UpperText(std::u16string_view text);
std::u16string LowerText(std::u16string_view text);
int InstallCollation(sqlite3* db);
// Two texts compared as the collation TSQL compares them: -1, 0 or 1.
int CompareText(std::u16string_view a, std::u16string_view b);

// A deterministic function of UTF-16 texts, registered by a table of them; returns the engine's
// code of the first registration that failed.
struct PureFunction {
  const char* name;
  int args;
  void (*call)(sqlite3_context*, int, sqlite3_value**);
};
template <std::size_t N>
int RegisterPureFunctions(sqlite3* db, const PureFunction (&functions)[N]) {
  constexpr int kPure = SQLITE_UTF16 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
  for (const PureFunction& f : functions) {
    const int rc = sqlite3_create_function_v2(db, f.name, f.args, kPure, nullptr, f.call, nullptr,
                                              nullptr, nullptr);
    if (rc != SQLITE_OK) return rc;
  }
  return SQLITE_OK;
}

// The functions of date_construction.cpp (EOMONTH, DATETIMEFROMPARTS, ...), strings.cpp
// (CONCAT_WS, TRANSLATE, STRING_ESCAPE), json.cpp (JSON_VALUE, JSON_QUERY, ISJSON,
// JSON_MODIFY), format.cpp (FORMAT) and text_aggregates.cpp (STRING_AGG, FOR XML PATH).
int InstallDateConstructionFunctions(sqlite3* db);
int InstallStringFunctions(sqlite3* db);
int InstallMathFunctions(sqlite3* db);
int InstallSoundexFunctions(sqlite3* db);
int InstallHashFunctions(sqlite3* db);
int InstallCharacterFunctions(sqlite3* db);
int InstallIdentifierFunctions(sqlite3* db);
int InstallNumericFormFunctions(sqlite3* db);
int InstallDateTruncFunction(sqlite3* db);
int InstallJsonFunctions(sqlite3* db);
int InstallFormatFunctions(sqlite3* db);
int InstallTextAggregates(sqlite3* db);
int InstallOffsetFunctions(sqlite3* db);
int InstallParseFunctions(
    sqlite3* db);  // parse.cpp: PARSE and TRY_PARSE  // offsets.cpp: datetimeoffset and the clock
// Daylight-saving time of a zone followed by rule (daylight.cpp): the offset in minutes at a
// UTC instant, and at a wall-clock time, which moves an hour on when it falls in the hour the
// spring change skips; ticks are 100 nanoseconds from 0001-01-01. Nullopt before the year the
// rule began in, DaylightRuleSince.
int DaylightRuleSince(DaylightRule rule);
std::optional<int> DaylightOffsetAtUtc(const TimeZoneLookup& zone, std::int64_t utc_ticks);
std::optional<int> DaylightOffsetAtLocal(const TimeZoneLookup& zone, std::int64_t& local_ticks);
// CAST and CONVERT to datetimeoffset(digits).
void ConvertToDateTimeOffset(sqlite3_context* context, sqlite3_value* value, int digits);

// `text` appended to `out` with each character of `table` written as its replacement, and with
// the other control characters as JSON's \u00XX when `json_controls` says so.
struct CharReplacement {
  char16_t c;
  std::u16string_view with;
};
void AppendReplaced(std::u16string& out, std::u16string_view text,
                    std::span<const CharReplacement> table, bool json_controls);
// `text` escaped for a JSON string: quotes, backslashes, control characters, and solidi when
// `solidus` says so (STRING_ESCAPE writes them as \/).
void AppendJsonEscaped(std::u16string& out, std::u16string_view text, bool solidus);

// The table-valued functions tsql_string_split, tsql_string_split_ordinal and tsql_openjson.
// Returns the engine's code of the first registration that failed.
int InstallTableFunctions(sqlite3* db);

// A float as CONVERT writes it in style 0 ("1.23457e+008"), 1 or 2.
std::u16string FloatText(double value, int style);

}  // namespace tsql::detail
