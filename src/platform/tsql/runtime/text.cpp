// Text functions with SQL Server's meaning: LIKE with its [set] wildcards and trailing blanks of
// the value ignored, STR, STUFF, PATINDEX, REVERSE, CONCAT, POWER, ISNUMERIC as documented, and
// float and money in the text forms of CONVERT's styles.
#include <fmt/format.h>
#include <sqlite3.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "platform/tsql/runtime/detail.h"

namespace tsql::detail {
namespace {

char16_t Fold(char16_t c) {
  return UpperUnit(c);
}

// ---- LIKE ----
class LikeMatcher {
 public:
  LikeMatcher(std::u16string_view pattern, char16_t escape) : pattern_(pattern), escape_(escape) {}

  // Every token but % stands for one character, so a mismatch need only go back to the last %
  // and let it take one more character: time in proportion to the pattern times the text, where
  // trying every split after every % takes time exponential in the number of %.
  bool Matches(std::u16string_view text) const {
    constexpr std::size_t kNone = std::u16string_view::npos;
    std::size_t p = 0;
    std::size_t t = 0;
    std::size_t after_percent = kNone;  // the pattern after the last %, and where it started
    std::size_t resumed_at = 0;
    while (t < text.size()) {
      if (p < pattern_.size() && pattern_[p] == u'%') {
        while (p < pattern_.size() && pattern_[p] == u'%')
          ++p;
        after_percent = p;
        resumed_at = t;
        continue;
      }
      std::size_t next = 0;
      if (p < pattern_.size() && MatchOne(p, text[t], next)) {
        p = next;
        ++t;
        continue;
      }
      if (after_percent == kNone) return false;
      p = after_percent;
      t = ++resumed_at;
    }
    while (p < pattern_.size() && pattern_[p] == u'%')
      ++p;
    return p == pattern_.size();
  }

 private:
  // Whether the token at pattern_[p] (an escaped character, _, a [set] or a character) matches
  // `c`; `next` is set to the pattern after it.
  bool MatchOne(std::size_t p, char16_t c, std::size_t& next) const {
    const char16_t token = pattern_[p];
    if (escape_ && token == escape_ && p + 1 < pattern_.size()) {
      next = p + 2;
      return Fold(c) == Fold(pattern_[p + 1]);
    }
    next = p + 1;
    if (token == u'_') return true;
    if (token == u'[') {
      const std::size_t close = pattern_.find(u']', p + 1);
      if (close != std::u16string_view::npos) {
        next = close + 1;
        return InSet(pattern_.substr(p + 1, close - p - 1), c);
      }
    }
    return Fold(token) == Fold(c);
  }

  static bool InSet(std::u16string_view set, char16_t c) {
    bool negated = false;
    if (!set.empty() && set[0] == u'^') {
      negated = true;
      set.remove_prefix(1);
    }
    const char16_t folded = Fold(c);
    bool found = false;
    for (std::size_t i = 0; i < set.size(); ++i) {
      if (i + 2 < set.size() && set[i + 1] == u'-') {
        const char16_t low = Fold(set[i]);
        const char16_t high = Fold(set[i + 2]);
        if (folded >= low && folded <= high) found = true;
        i += 2;
      } else if (Fold(set[i]) == folded) {
        found = true;
      }
    }
    return found != negated;
  }

  std::u16string_view pattern_;
  char16_t escape_;
};

std::u16string_view TrimTrailingBlanks(std::u16string_view text) {
  while (!text.empty() && text.back() == u' ')
    text.remove_suffix(1);
  return text;
}

std::string WithThousands(const std::string& digits) {
  std::string out;
  const std::size_t first = digits.size() % 3;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (i - first) % 3 == 0 && i >= first) out += ',';
    out += digits[i];
  }
  return out;
}

}  // namespace

// ---- numbers as text ----
// float in style 0 (6 significant digits), 1 (8, always scientific) or 2 (16, scientific): the
// exponent has a sign and three digits, as "1.23457e+008".
std::u16string FloatText(double value, int style) {
  if (value == 0) return u"0";
  std::string text;
  if (style == 1 || style == 2) {
    text = fmt::format("{:.{}e}", value, style == 1 ? 7 : 15);
  } else {
    text = fmt::format("{:.6g}", value);
  }
  const std::size_t e = text.find('e');
  if (e == std::string::npos) return Ascii(text);
  std::string mantissa = text.substr(0, e);
  const char sign = text[e + 1];
  const int exponent = std::stoi(text.substr(e + 2));
  return Ascii(fmt::format("{}e{}{:03}", mantissa, sign, exponent));
}

// tsql_like(value, pattern[, escape])
void Like(sqlite3_context* context, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(context);
  const std::u16string pattern = ValueText(argv[1]);
  char16_t escape = 0;
  if (argc > 2) {
    const std::u16string escape_text = ValueText(argv[2]);
    if (escape_text.size() != 1) {
      return ResultError(context, "The invalid escape character \"" +
                                      std::string(escape_text.begin(), escape_text.end()) +
                                      "\" was specified in a LIKE predicate.");
    }
    escape = escape_text[0];
  }
  const std::u16string value = ValueText(argv[0]);
  const LikeMatcher matcher(pattern, escape);
  const bool matches = matcher.Matches(value) || matcher.Matches(TrimTrailingBlanks(value));
  sqlite3_result_int(context, matches ? 1 : 0);
}

// STR(float [, length [, decimals]]): right-aligned in `length` (10), `decimals` (0) after the
// point, at most 16; stars when the whole number does not fit.
void Str(sqlite3_context* context, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(context);
  const double value = sqlite3_value_double(argv[0]);
  const std::int64_t length = argc > 1 ? sqlite3_value_int64(argv[1]) : 10;
  std::int64_t decimals = argc > 2 ? sqlite3_value_int64(argv[2]) : 0;
  if (length <= 0 || length > 8000 || decimals < 0) return sqlite3_result_null(context);
  if (decimals > 16) decimals = 16;
  std::string text = fmt::format("{:.{}f}", value, decimals);
  while (static_cast<std::int64_t>(text.size()) > length && decimals > 0) {
    text = fmt::format("{:.{}f}", value, --decimals);
  }
  if (static_cast<std::int64_t>(text.size()) > length) {
    text.assign(static_cast<std::size_t>(length), '*');
  } else {
    text.insert(0, static_cast<std::size_t>(length) - text.size(), ' ');
  }
  ResultText(context, Ascii(text));
}

void Stuff(sqlite3_context* context, int argc, sqlite3_value** argv) {
  if (AnyNull(3, argv)) return sqlite3_result_null(context);
  std::u16string text = ValueText(argv[0]);
  const std::int64_t start = sqlite3_value_int64(argv[1]);
  const std::int64_t length = sqlite3_value_int64(argv[2]);
  if (start < 1 || start > static_cast<std::int64_t>(text.size()) || length < 0) {
    return sqlite3_result_null(context);
  }
  const std::u16string insert =
      argc > 3 && sqlite3_value_type(argv[3]) != SQLITE_NULL ? ValueText(argv[3]) : u"";
  text.replace(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(length), insert);
  ResultText(context, text);
}

// PATINDEX('%pattern%', text): where the pattern first matches, from 1; 0 for nowhere.
void PatIndex(sqlite3_context* context, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(context);
  std::u16string pattern = ValueText(argv[0]);
  const std::u16string text = ValueText(argv[1]);
  // The position is where the pattern less its leading % matches a text that runs to the end.
  const bool floating = !pattern.empty() && pattern[0] == u'%';
  const std::u16string rest = floating ? pattern.substr(1) : pattern;
  const LikeMatcher matcher(rest, 0);
  for (std::size_t i = 0; i < (floating ? text.size() : 1); ++i) {
    if (matcher.Matches(std::u16string_view(text).substr(i))) {
      return sqlite3_result_int64(context, static_cast<std::int64_t>(i) + 1);
    }
  }
  sqlite3_result_int(context, 0);
}

void Reverse(sqlite3_context* context, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(context);
  std::u16string text = ValueText(argv[0]);
  std::u16string out(text.rbegin(), text.rend());
  // A surrogate pair stays in its order.
  for (std::size_t i = 0; i + 1 < out.size(); ++i) {
    if (out[i] >= 0xDC00 && out[i] <= 0xDFFF && out[i + 1] >= 0xD800 && out[i + 1] <= 0xDBFF) {
      std::swap(out[i], out[i + 1]);
      ++i;
    }
  }
  ResultText(context, out);
}

// CONCAT: NULL counts as the empty text.
void Concat(sqlite3_context* context, int argc, sqlite3_value** argv) {
  std::u16string out;
  for (int i = 0; i < argc; ++i) {
    if (sqlite3_value_type(argv[i]) != SQLITE_NULL) out += ValueText(argv[i]);
  }
  ResultText(context, out);
}

// POWER keeps an integer base's type: POWER(2, 10) is 1024, POWER(2, -1) is 0.
void Power(sqlite3_context* context, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(context);
  const double result = std::pow(sqlite3_value_double(argv[0]), sqlite3_value_double(argv[1]));
  if (std::isnan(result))
    return ResultError(context, "An invalid floating point operation occurred.");
  if (!std::isfinite(result)) {
    return ResultError(context,
                       "Arithmetic overflow error converting expression to data type float.");
  }
  if (sqlite3_value_type(argv[0]) == SQLITE_INTEGER) {
    const double whole = std::trunc(result);
    if (!(whole >= -9.2e18 && whole <= 9.2e18)) {
      return ResultError(context,
                         "Arithmetic overflow error converting expression to data type bigint.");
    }
    return sqlite3_result_int64(context, static_cast<std::int64_t>(whole));
  }
  sqlite3_result_double(context, result);
}

// ISNUMERIC as SQL Server answers it: any text that converts to some numeric type, currency
// signs and thousands commas included, and the lone '$', '+', '-', '.' and ','.
void IsNumeric(sqlite3_context* context, int, sqlite3_value** argv) {
  const int type = sqlite3_value_type(argv[0]);
  if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) return sqlite3_result_int(context, 1);
  if (type != SQLITE_TEXT) return sqlite3_result_int(context, 0);
  const std::u16string text = Text16(argv[0]);
  std::size_t i = 0;
  const auto blank = [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; };
  const auto currency = [](char16_t c) {
    return c == u'$' || c == 0xA3 || c == 0xA5 || c == 0x20AC || c == 0xA2 || c == 0xA4;
  };
  std::size_t end = text.size();
  while (i < end && blank(text[i]))
    ++i;
  while (end > i && blank(text[end - 1]))
    --end;
  if (i == end) return sqlite3_result_int(context, 0);
  bool sign = false;
  bool money = false;
  while (i < end &&
         ((!sign && (text[i] == u'+' || text[i] == u'-')) || (!money && currency(text[i])))) {
    if (currency(text[i])) {
      money = true;
    } else {
      sign = true;
    }
    ++i;
  }
  bool digits = false;
  while (i < end && ((text[i] >= u'0' && text[i] <= u'9') || text[i] == u',')) {
    digits = digits || text[i] != u',';
    ++i;
  }
  if (i < end && text[i] == u'.') {
    ++i;
    while (i < end && text[i] >= u'0' && text[i] <= u'9') {
      digits = true;
      ++i;
    }
  }
  if (i < end && digits &&
      (text[i] == u'e' || text[i] == u'E' || text[i] == u'd' || text[i] == u'D')) {
    ++i;
    if (i < end && (text[i] == u'+' || text[i] == u'-')) ++i;
    while (i < end && text[i] >= u'0' && text[i] <= u'9')
      ++i;
  }
  sqlite3_result_int(context, i == end ? 1 : 0);
}

// tsql_money_text(value, style): CONVERT of a money value to text.
void MoneyToText(sqlite3_context* context, int argc, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(context);
  const int style =
      argc > 1 && sqlite3_value_type(argv[1]) != SQLITE_NULL ? sqlite3_value_int(argv[1]) : 0;
  const double value = sqlite3_value_double(argv[0]);
  // Only a value money holds has money's forms (an infinity has no digits to group).
  if (!(std::fabs(value) < 922337203685477.6)) {
    return ResultError(context,
                       "Arithmetic overflow error converting expression to data type money.");
  }
  std::string text = fmt::format("{:.{}f}", value, style == 2 || style == 126 ? 4 : 2);
  if (style == 1) {
    const bool negative = text[0] == '-';
    const std::size_t point = text.find('.');
    const std::string whole = text.substr(negative ? 1 : 0, point - (negative ? 1 : 0));
    text = (negative ? "-" : "") + WithThousands(whole) + text.substr(point);
  }
  ResultText(context, Ascii(text));
}

}  // namespace tsql::detail
