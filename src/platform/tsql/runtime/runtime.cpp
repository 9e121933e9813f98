#include "platform/tsql/runtime/runtime.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "platform/oleaut/clock.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/hresult.h"
#include "platform/oleaut/text.h"
#include "platform/tsql/identity.h"
#include "platform/tsql/runtime/detail.h"

namespace tsql {
namespace {

using detail::ResultText;
using detail::Text16;
using detail::ValueText;

// ---- helpers ----
using detail::AnyNull;

void Error(sqlite3_context* context, const std::string& message) {
  sqlite3_result_error(context, message.c_str(), static_cast<int>(message.size()));
}

std::size_t FindNoCase(std::u16string_view text, std::u16string_view what, std::size_t from) {
  if (what.empty() || what.size() > text.size()) return std::u16string_view::npos;
  for (std::size_t i = from; i + what.size() <= text.size(); ++i) {
    std::size_t k = 0;
    while (k < what.size() && detail::UpperUnit(text[i + k]) == detail::UpperUnit(what[k]))
      ++k;
    if (k == what.size()) return i;
  }
  return std::u16string_view::npos;
}

// ---- + ----
// SQL Server's +: two texts concatenate, two binaries too; otherwise the operands are numbers,
// a text converted to the other operand's type (an integer when the other is one), and a text
// that is no such number is a conversion error, never silently 0.
void Add(sqlite3_context* context, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(context);
  sqlite3_value* a = argv[0];
  sqlite3_value* b = argv[1];
  const int ta = sqlite3_value_type(a);
  const int tb = sqlite3_value_type(b);
  if (ta == SQLITE_TEXT && tb == SQLITE_TEXT) {
    std::u16string text = Text16(a);
    text += Text16(b);
    return ResultText(context, text);
  }
  if (ta == SQLITE_BLOB && tb == SQLITE_BLOB) {
    std::string bytes(static_cast<const char*>(sqlite3_value_blob(a)),
                      static_cast<std::size_t>(sqlite3_value_bytes(a)));
    bytes.append(static_cast<const char*>(sqlite3_value_blob(b)),
                 static_cast<std::size_t>(sqlite3_value_bytes(b)));
    return sqlite3_result_blob64(context, bytes.data(), bytes.size(), detail::kTransient);
  }
  if (ta == SQLITE_BLOB || tb == SQLITE_BLOB) {
    return Error(context, "Operand type clash: varbinary is incompatible with this operand");
  }
  // Both numeric, or one text and one number.
  const bool integral =
      (ta == SQLITE_INTEGER || ta == SQLITE_TEXT) && (tb == SQLITE_INTEGER || tb == SQLITE_TEXT);
  if (integral) {
    std::int64_t x = 0;
    std::int64_t y = 0;
    for (auto [value, out] : {std::pair{a, &x}, std::pair{b, &y}}) {
      if (sqlite3_value_type(value) == SQLITE_INTEGER) {
        *out = sqlite3_value_int64(value);
      } else if (auto parsed = detail::ParseInteger(Text16(value))) {
        *out = *parsed;
      } else {
        return detail::ResultConversionError(context, value, "int");
      }
    }
    std::int64_t sum = 0;
    if (__builtin_add_overflow(x, y, &sum)) {
      return Error(context, "Arithmetic overflow error converting expression to data type bigint.");
    }
    return sqlite3_result_int64(context, sum);
  }
  double x = 0;
  double y = 0;
  for (auto [value, out] : {std::pair{a, &x}, std::pair{b, &y}}) {
    if (sqlite3_value_type(value) == SQLITE_TEXT) {
      auto parsed = detail::ParseReal(Text16(value));
      if (!parsed) return detail::ResultConversionError(context, value, "numeric");
      *out = *parsed;
    } else {
      *out = sqlite3_value_double(value);
    }
  }
  sqlite3_result_double(context, x + y);
}

// ---- text functions ----
// The UTF-16 code units of a value, as nvarchar counts them, with or without its trailing blanks.
// Text is counted where SQLite keeps it, without a copy: column checks and normalizing triggers
// call this for every row they store.
void TextUnits(sqlite3_context* context, sqlite3_value* value, bool keep_trailing_blanks) {
  switch (sqlite3_value_type(value)) {
    case SQLITE_NULL:
      return sqlite3_result_null(context);
    case SQLITE_BLOB:
      return sqlite3_result_int(context, sqlite3_value_bytes(value));
    case SQLITE_TEXT: {
      const auto* text = static_cast<const char16_t*>(sqlite3_value_text16(value));
      std::size_t length = static_cast<std::size_t>(sqlite3_value_bytes16(value)) / 2;
      while (!keep_trailing_blanks && length > 0 && text[length - 1] == u' ')
        --length;
      return sqlite3_result_int64(context, static_cast<sqlite3_int64>(length));
    }
    default: {
      const std::u16string text = ValueText(value);  // a number, as LEN shows it
      std::size_t length = text.size();
      while (!keep_trailing_blanks && length > 0 && text[length - 1] == u' ')
        --length;
      return sqlite3_result_int64(context, static_cast<sqlite3_int64>(length));
    }
  }
}

void Len(sqlite3_context* context, int, sqlite3_value** argv) {
  TextUnits(context, argv[0], false);
}

void TextLength(sqlite3_context* context, int, sqlite3_value** argv) {
  TextUnits(context, argv[0], true);
}

// Bytes as SQL Server stores them: binary as it is, numbers by their type's size, and text as a
// double-byte code page stores it (one byte for ASCII, two for any other character).
void DataLength(sqlite3_context* context, int argc, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) != SQLITE_NULL && argc > 2) {
    // The value's type takes a fixed size, whatever the value.
    return sqlite3_result_int(context, sqlite3_value_int(argv[2]));
  }
  switch (sqlite3_value_type(argv[0])) {
    case SQLITE_NULL:
      return sqlite3_result_null(context);
    case SQLITE_BLOB:
      return sqlite3_result_int(context, sqlite3_value_bytes(argv[0]));
    case SQLITE_INTEGER: {
      const sqlite3_int64 v = sqlite3_value_int64(argv[0]);
      return sqlite3_result_int(context, v >= INT32_MIN && v <= INT32_MAX ? 4 : 8);
    }
    case SQLITE_FLOAT:
      return sqlite3_result_int(context, 8);
    default: {
      const std::u16string text = Text16(argv[0]);
      // nvarchar holds two bytes a code unit; varchar one for ASCII, two for the rest.
      if (argc > 1 && sqlite3_value_int(argv[1]) != 0) {
        return sqlite3_result_int64(context, static_cast<sqlite3_int64>(text.size()) * 2);
      }
      std::int64_t bytes = 0;
      for (char16_t c : text)
        bytes += c < 0x80 ? 1 : 2;
      return sqlite3_result_int64(context, bytes);
    }
  }
}

void Upper(sqlite3_context* context, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(context);
  ResultText(context, detail::UpperText(ValueText(argv[0])));
}

void Lower(sqlite3_context* context, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(context);
  ResultText(context, detail::LowerText(ValueText(argv[0])));
}

// SUBSTRING counts positions from 1; positions before 1 still use up the length.
void Substring(sqlite3_context* context, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(context);
  const sqlite3_int64 start = sqlite3_value_int64(argv[1]);
  const sqlite3_int64 length = sqlite3_value_int64(argv[2]);
  if (length < 0)
    return Error(context, "Invalid length parameter passed to the substring function.");
  const sqlite3_int64 first = start < 1 ? 1 : start;
  const sqlite3_int64 end = start + length;  // one past the last position
  if (sqlite3_value_type(argv[0]) == SQLITE_BLOB) {
    const auto size = static_cast<sqlite3_int64>(sqlite3_value_bytes(argv[0]));
    const auto* bytes = static_cast<const char*>(sqlite3_value_blob(argv[0]));
    const sqlite3_int64 last = std::min(end, size + 1);
    if (last <= first) return sqlite3_result_zeroblob(context, 0);
    return sqlite3_result_blob64(context, bytes + first - 1,
                                 static_cast<sqlite3_uint64>(last - first), detail::kTransient);
  }
  const std::u16string text = ValueText(argv[0]);
  const sqlite3_int64 last =
      std::min<sqlite3_int64>(end, static_cast<sqlite3_int64>(text.size()) + 1);
  if (last <= first) return ResultText(context, u"");
  ResultText(context, std::u16string_view(text).substr(static_cast<std::size_t>(first - 1),
                                                       static_cast<std::size_t>(last - first)));
}

void LeftRight(sqlite3_context* context, sqlite3_value** argv, bool left) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
    return sqlite3_result_null(context);
  }
  const sqlite3_int64 count = sqlite3_value_int64(argv[1]);
  if (count < 0) {
    return Error(context, left ? "Invalid length parameter passed to the left function."
                               : "Invalid length parameter passed to the right function.");
  }
  const std::u16string text = ValueText(argv[0]);
  const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(count), text.size());
  ResultText(context, left ? std::u16string_view(text).substr(0, n)
                           : std::u16string_view(text).substr(text.size() - n));
}

void Left(sqlite3_context* context, int, sqlite3_value** argv) {
  LeftRight(context, argv, true);
}
void Right(sqlite3_context* context, int, sqlite3_value** argv) {
  LeftRight(context, argv, false);
}

// CHARINDEX compares under the default collation: letter case does not count.
void CharIndex(sqlite3_context* context, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(context);
  const std::u16string what = ValueText(argv[0]);
  const std::u16string text = ValueText(argv[1]);
  sqlite3_int64 start = argc > 2 ? sqlite3_value_int64(argv[2]) : 1;
  if (start < 1) start = 1;
  if (static_cast<std::size_t>(start) > text.size()) return sqlite3_result_int(context, 0);
  const std::size_t at = FindNoCase(text, what, static_cast<std::size_t>(start - 1));
  sqlite3_result_int64(context,
                       at == std::u16string::npos ? 0 : static_cast<sqlite3_int64>(at + 1));
}

// REPLACE finds its pattern under the default collation as well.
void Replace(sqlite3_context* context, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(context);
  const std::u16string text = ValueText(argv[0]);
  const std::u16string what = ValueText(argv[1]);
  const std::u16string with = ValueText(argv[2]);
  if (what.empty()) return ResultText(context, text);
  std::u16string out;
  std::size_t from = 0;
  for (std::size_t at; (at = FindNoCase(text, what, from)) != std::u16string::npos;) {
    out.append(text, from, at - from);
    out += with;
    from = at + what.size();
  }
  out.append(text, from);
  ResultText(context, out);
}

void Space(sqlite3_context* context, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(context);
  const sqlite3_int64 n = sqlite3_value_int64(argv[0]);
  if (n < 0) return sqlite3_result_null(context);
  ResultText(context,
             std::u16string(static_cast<std::size_t>(std::min<sqlite3_int64>(n, 8000)), u' '));
}

// REPLICATE(text, n [, limit, national]): the result cut at `limit` bytes (8,000 unless told;
// -1 for a max type, which is not cut), a national text's characters two bytes each.
void Replicate(sqlite3_context* context, int argc, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
    return sqlite3_result_null(context);
  }
  const sqlite3_int64 n = sqlite3_value_int64(argv[1]);
  if (n < 0) return sqlite3_result_null(context);
  const sqlite3_int64 limit = argc > 2 ? sqlite3_value_int64(argv[2]) : 8000;
  const bool national = argc > 3 && sqlite3_value_int(argv[3]) != 0;
  const std::u16string unit = ValueText(argv[0]);
  const sqlite3_int64 longest =
      sqlite3_limit(sqlite3_context_db_handle(context), SQLITE_LIMIT_LENGTH, -1) / 2;
  if (limit < 0 && unit.size() > 0 && n > longest / static_cast<sqlite3_int64>(unit.size())) {
    return sqlite3_result_error_toobig(context);
  }
  std::u16string out;
  sqlite3_int64 bytes = 0;
  for (sqlite3_int64 i = 0; i < n; ++i) {
    for (char16_t c : unit) {
      bytes += national || c >= 0x80 ? 2 : 1;
      if (limit >= 0 && bytes > limit) return ResultText(context, out);
      out += c;
    }
    if (unit.empty()) break;
  }
  ResultText(context, out);
}

template <int detail::DateTime::*Field>
void DateField(sqlite3_context* context, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(context);
  auto parsed = detail::ParseDateTime(ValueText(argv[0]));
  if (!parsed) {
    return Error(context,
                 "Conversion failed when converting date and/or time from character string.");
  }
  sqlite3_result_int(context, (*parsed).*Field);
}

// ---- numbers ----
void BitXor(sqlite3_context* context, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(context);
  sqlite3_result_int64(context, sqlite3_value_int64(argv[0]) ^ sqlite3_value_int64(argv[1]));
}

// ROUND takes halves away from zero and keeps the argument's type.
void Round(sqlite3_context* context, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(context);
  const sqlite3_int64 digits = sqlite3_value_int64(argv[1]);
  // ROUND(x, d, f) with f not 0 cuts instead of rounding.
  const bool cut = argc > 2 && sqlite3_value_int64(argv[2]) != 0;
  if (sqlite3_value_type(argv[0]) == SQLITE_INTEGER) {
    sqlite3_int64 value = sqlite3_value_int64(argv[0]);
    if (digits < 0 && digits > -19) {
      sqlite3_int64 unit = 1;
      for (sqlite3_int64 i = 0; i < -digits; ++i)
        unit *= 10;
      const sqlite3_int64 rest = value % unit;
      value -= rest;
      if (!cut && 2 * (rest < 0 ? -rest : rest) >= unit) value += rest < 0 ? -unit : unit;
    }
    return sqlite3_result_int64(context, value);
  }
  const double value = sqlite3_value_double(argv[0]);
  const double unit = std::pow(10.0, static_cast<double>(digits));
  const double scaled = value * unit;
  if (cut) {
    sqlite3_result_double(context, std::trunc(scaled) / unit);
    const unsigned subtype = sqlite3_value_subtype(argv[0]);
    if ((subtype & 0xE0U) == kDecimalSubtype) sqlite3_result_subtype(context, subtype);
    return;
  }
  // Decimal inputs arrive as doubles: round the shortest decimal form, not the binary value.
  const double nudged = scaled + (scaled >= 0 ? 1e-9 : -1e-9) * std::fabs(scaled) * 1e-6;
  sqlite3_result_double(context, std::round(nudged) / unit);
  const unsigned subtype = sqlite3_value_subtype(argv[0]);
  if ((subtype & 0xE0U) == kDecimalSubtype) sqlite3_result_subtype(context, subtype);
}

void FloorCeiling(sqlite3_context* context, sqlite3_value** argv, bool floor) {
  switch (sqlite3_value_type(argv[0])) {
    case SQLITE_NULL:
      return sqlite3_result_null(context);
    case SQLITE_INTEGER:
      return sqlite3_result_int64(context, sqlite3_value_int64(argv[0]));
    default: {
      const double v = sqlite3_value_double(argv[0]);
      sqlite3_result_double(context, floor ? std::floor(v) : std::ceil(v));
    }
  }
}
void Floor(sqlite3_context* context, int, sqlite3_value** argv) {
  FloorCeiling(context, argv, true);
}
void Ceiling(sqlite3_context* context, int, sqlite3_value** argv) {
  FloorCeiling(context, argv, false);
}

// A statement's own error, with SQL Server's message.
void Raise(sqlite3_context* context, int, sqlite3_value** argv) {
  const auto* message = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
  sqlite3_result_error(context, message ? message : "error", -1);
}

// The identity seed a CREATE TABLE text keeps (1 when it keeps none).
void IdentitySeed(sqlite3_context* context, int, sqlite3_value** argv) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
  sqlite3_result_int64(context, text ? IdentitySeedOf(text) : 1);
}

// ---- session ----
void Identity(sqlite3_context* context, int, sqlite3_value**) {
  const auto* state = static_cast<const SessionState*>(sqlite3_user_data(context));
  if (!state->identity) return sqlite3_result_null(context);
  sqlite3_result_int64(context, *state->identity);
}

void SetIdentity(sqlite3_context* context, int, sqlite3_value** argv) {
  auto* state = static_cast<SessionState*>(sqlite3_user_data(context));
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
    state->identity.reset();
  } else {
    state->identity = sqlite3_value_int64(argv[0]);
  }
  sqlite3_result_null(context);
}

// Quoted names must never silently become string literals, as the engine's default would let
// them: for connections set up by SQL alone.
void RejectQuotedLiterals(sqlite3_context* context, int, sqlite3_value**) {
  sqlite3* db = sqlite3_context_db_handle(context);
  if (sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr) != SQLITE_OK ||
      sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr) != SQLITE_OK) {
    return sqlite3_result_error(context, "cannot turn off double-quoted string literals", -1);
  }
  sqlite3_result_null(context);
}

void DeleteSession(void* state) {
  delete static_cast<SessionState*>(state);
}

void GetDate(sqlite3_context* context, int, sqlite3_value**) {
  const oleaut::CalendarFields f = oleaut::Now().ToFields();
  ResultText(context, detail::FormatIso(
                          {f.year, f.month, f.day, f.hour, f.minute, f.second, f.millisecond}));
}

struct Function {
  const char* name;
  int args;
  void (*call)(sqlite3_context*, int, sqlite3_value**);
  int flags;
  const void* data = nullptr;
};

}  // namespace

void InstallSqliteRuntime(sqlite3* db, SessionState* state) {
  InstallSqliteRuntime(db, state, nullptr);
}

void InstallSqliteRuntimeWithOwnSession(sqlite3* db) {
  auto* state = new SessionState;
  // tsql_identity owns the session from here on: the engine deletes it with the connection
  // (or at once, when the registration fails).
  InstallSqliteRuntime(db, state, DeleteSession);
  if (sqlite3_create_function_v2(db, "tsql_set_identity", 1, SQLITE_UTF16 | SQLITE_DIRECTONLY,
                                 state, SetIdentity, nullptr, nullptr, nullptr) != SQLITE_OK ||
      sqlite3_create_function_v2(db, "tsql_reject_quoted_literals", 0,
                                 SQLITE_UTF8 | SQLITE_DIRECTONLY, nullptr, RejectQuotedLiterals,
                                 nullptr, nullptr, nullptr) != SQLITE_OK) {
    throw oleaut::ComError(oleaut::E_FAIL, u"TAV SQLite provider",
                           oleaut::FromUtf8(std::string("Cannot install the session functions: ") +
                                            sqlite3_errmsg(db)));
  }
}

void InstallSqliteRuntime(sqlite3* db, SessionState* state, void (*destroy_state)(void*)) {
  constexpr int kPure = SQLITE_UTF16 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
  constexpr int kVolatile = SQLITE_UTF16 | SQLITE_INNOCUOUS;
  static constexpr Function kFunctions[] = {
      {"tsql_add", 2, Add, kPure},
      {"tsql_subtract", 2, detail::Subtract, kPure},
      {"tsql_multiply", 2, detail::Multiply, kPure},
      {"tsql_divide", 2, detail::Divide, kPure},
      {"tsql_divide_real", 2, detail::DivideReal, kPure},
      {"tsql_modulo", 2, detail::Modulo, kPure},
      {"tsql_fit", 2, detail::FitInteger, kPure},
      {"tsql_top_count", 1, detail::TopCount, kPure},
      {"tsql_top_count", 2, detail::TopCount, kPure},
      {"tsql_top_percent", 2, detail::TopPercent, kPure},
      {"tsql_date_plus", 3, detail::DatePlus, kPure},
      {"tsql_dateadd", 3, detail::DateAdd, kPure},
      {"tsql_dateadd", 4, detail::DateAdd, kPure},
      {"tsql_datetime_exact", 1, detail::DatetimeExact, kPure},
      {"tsql_datediff", 3, detail::DateDiff, kPure},
      {"tsql_datediff_big", 3, detail::DateDiff, kPure, &detail::kBigDifference},
      {"tsql_datepart", 2, detail::DatePart, kPure},
      {"tsql_datename", 2, detail::DateName, kPure},
      {"tsql_isdate", 1, detail::IsDate, kPure},
      {"tsql_datefromparts", 3, detail::DateFromParts, kPure},
      {"tsql_convert", 2, detail::ConvertFunction, kPure | SQLITE_SUBTYPE},
      {"tsql_convert", 3, detail::ConvertFunction, kPure | SQLITE_SUBTYPE},
      {"tsql_try_convert", 2, detail::ConvertFunction, kPure | SQLITE_SUBTYPE,
       &detail::kLenientConversion},
      {"tsql_try_convert", 3, detail::ConvertFunction, kPure | SQLITE_SUBTYPE,
       &detail::kLenientConversion},
      {"tsql_len", 1, Len, kPure},
      {"tsql_text_length", 1, TextLength, kPure},
      {"tsql_datalength", 1, DataLength, kPure},
      {"tsql_upper", 1, Upper, kPure},
      {"tsql_lower", 1, Lower, kPure},
      {"tsql_substring", 3, Substring, kPure},
      {"tsql_left", 2, Left, kPure},
      {"tsql_right", 2, Right, kPure},
      {"tsql_charindex", 2, CharIndex, kPure},
      {"tsql_charindex", 3, CharIndex, kPure},
      {"tsql_replace", 3, Replace, kPure},
      {"tsql_space", 1, Space, kPure},
      {"tsql_replicate", 2, Replicate, kPure},
      {"tsql_replicate", 4, Replicate, kPure},
      {"tsql_isnumeric", 1, detail::IsNumeric, kPure},
      {"tsql_like", 2, detail::Like, kPure},
      {"tsql_like", 3, detail::Like, kPure},
      {"tsql_str", 1, detail::Str, kPure},
      {"tsql_str", 2, detail::Str, kPure},
      {"tsql_str", 3, detail::Str, kPure},
      {"tsql_stuff", 4, detail::Stuff, kPure},
      {"tsql_patindex", 2, detail::PatIndex, kPure},
      {"tsql_reverse", 1, detail::Reverse, kPure},
      {"tsql_concat", -1, detail::Concat, kPure},
      {"tsql_power", 2, detail::Power, kPure},
      {"tsql_money_text", 2, detail::MoneyToText, kPure},
      {"tsql_datalength", 2, DataLength, kPure},
      {"tsql_datalength", 3, DataLength, kPure},
      {"tsql_year", 1, DateField<&detail::DateTime::year>, kPure},
      {"tsql_month", 1, DateField<&detail::DateTime::month>, kPure},
      {"tsql_day", 1, DateField<&detail::DateTime::day>, kPure},
      {"tsql_round", 2, Round, kPure | SQLITE_SUBTYPE},
      {"tsql_round", 3, Round, kPure | SQLITE_SUBTYPE},
      {"tsql_floor", 1, Floor, kPure},
      {"tsql_bitxor", 2, BitXor, kPure},
      {"tsql_ceiling", 1, Ceiling, kPure},
      {"tsql_getdate", 0, GetDate, kVolatile},
      {"tsql_raise", 1, Raise, kVolatile},
      {"tsql_format_message", -1, detail::FormatMessage, kPure},
      {"tsql_identity_seed", 1, IdentitySeed, kPure},
  };
  const auto check = [db](int rc, const char* what) {
    if (rc == SQLITE_OK) return;
    throw oleaut::ComError(
        oleaut::E_FAIL, u"TAV SQLite provider",
        oleaut::FromUtf8(std::string("Cannot install ") + what + ": " + sqlite3_errmsg(db)));
  };
  for (const Function& f : kFunctions) {
    check(sqlite3_create_function_v2(db, f.name, f.args, f.flags, const_cast<void*>(f.data), f.call,
                                     nullptr, nullptr, nullptr),
          f.name);
  }
  check(sqlite3_create_function_v2(db, "tsql_identity", 0, SQLITE_UTF16, state, Identity, nullptr,
                                   nullptr, destroy_state),
        "tsql_identity");
  check(detail::InstallVariableFunctions(db, state), "the local variables' functions");
  check(detail::InstallDateConstructionFunctions(db), "the date construction functions");
  check(detail::InstallStringFunctions(db), "the string functions");
  check(detail::InstallMathFunctions(db), "the mathematical functions");
  check(detail::InstallSoundexFunctions(db), "SOUNDEX");
  check(detail::InstallHashFunctions(db), "HASHBYTES");
  check(detail::InstallCharacterFunctions(db), "CHAR and NCHAR");
  check(detail::InstallIdentifierFunctions(db), "NEWID");
  check(detail::InstallNumericFormFunctions(db), "the numbers of datetimes and integers");
  check(detail::InstallDateTruncFunction(db), "DATETRUNC");
  check(detail::InstallTextAggregates(db), "the text aggregates");
  check(detail::InstallFormatFunctions(db), "FORMAT");
  check(detail::InstallJsonFunctions(db), "the JSON functions");
  check(detail::InstallOffsetFunctions(db), "the datetimeoffset functions");
  check(detail::InstallDateOrderFunctions(db), "the date order function");
  check(detail::InstallLanguageFunctions(db), "the language function");
  check(detail::InstallParseFunctions(db), "PARSE");
  check(detail::InstallTableFunctions(db), "the table-valued functions");
  check(detail::InstallCollation(db), "the collation TSQL");
}

}  // namespace tsql
