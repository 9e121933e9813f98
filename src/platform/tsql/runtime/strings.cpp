// CONCAT_WS, TRANSLATE and STRING_ESCAPE with SQL Server's meaning: NULLs skipped with their
// separator, characters replaced one for one, and text escaped for a JSON string.
#include <fmt/format.h>
#include <sqlite3.h>

#include <algorithm>
#include <string>

#include "platform/tsql/runtime/detail.h"

namespace tsql::detail {
namespace {

// CONCAT_WS(separator, a, b, ...): the values that are not NULL, the separator between them.
void ConcatWithSeparator(sqlite3_context* context, int argc, sqlite3_value** argv) {
  const std::u16string separator =
      sqlite3_value_type(argv[0]) == SQLITE_NULL ? std::u16string() : ValueText(argv[0]);
  std::u16string out;
  bool first = true;
  for (int i = 1; i < argc; ++i) {
    if (sqlite3_value_type(argv[i]) == SQLITE_NULL) continue;
    if (!first) out += separator;
    out += ValueText(argv[i]);
    first = false;
  }
  ResultText(context, out);
}

// TRANSLATE(text, characters, translations): each of the characters replaced by the one at its
// place in the translations.
void Translate(sqlite3_context* context, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(context);
  std::u16string text = ValueText(argv[0]);
  const std::u16string from = ValueText(argv[1]);
  const std::u16string to = ValueText(argv[2]);
  if (from.size() != to.size()) {
    return ResultError(context,
                       "The second and third arguments of the TRANSLATE built-in function must "
                       "contain an equal number of characters.");
  }
  for (char16_t& c : text) {
    const std::size_t at = from.find(c);
    if (at != std::u16string::npos) c = to[at];
  }
  ResultText(context, text);
}

// STRING_ESCAPE(text, 'json'): quotes, backslashes, solidi and control characters escaped.
void StringEscape(sqlite3_context* context, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(context);
  const std::u16string type = UpperText(ValueText(argv[1]));
  if (type != u"JSON") {
    return ResultError(context, "STRING_ESCAPE escapes only for the type 'json'.");
  }
  std::u16string out;
  AppendJsonEscaped(out, ValueText(argv[0]), true);
  ResultText(context, out);
}

}  // namespace

void AppendJsonEscaped(std::u16string& out, std::u16string_view text, bool solidus) {
  static constexpr CharReplacement kJson[] = {
      {u'"', u"\\\""}, {u'\\', u"\\\\"}, {u'\b', u"\\b"}, {u'\f', u"\\f"},
      {u'\n', u"\\n"}, {u'\r', u"\\r"},  {u'\t', u"\\t"}, {u'/', u"\\/"},
  };
  AppendReplaced(out, text, std::span(kJson).first(solidus ? 8 : 7), true);
}

void AppendReplaced(std::u16string& out, std::u16string_view text,
                    std::span<const CharReplacement> table, bool json_controls) {
  for (char16_t c : text) {
    const auto found = std::find_if(table.begin(), table.end(),
                                    [c](const CharReplacement& r) { return r.c == c; });
    if (found != table.end()) {
      out += found->with;
    } else if (json_controls && c < 0x20) {
      const std::string code = fmt::format("\\u{:04x}", static_cast<unsigned>(c));
      out.append(code.begin(), code.end());
    } else {
      out += c;
    }
  }
}

int InstallStringFunctions(sqlite3* db) {
  static constexpr PureFunction kFunctions[] = {
      {"tsql_concat_ws", -1, ConcatWithSeparator},
      {"tsql_translate", 3, Translate},
      {"tsql_string_escape", 2, StringEscape},
  };
  return RegisterPureFunctions(db, kFunctions);
}

}  // namespace tsql::detail
