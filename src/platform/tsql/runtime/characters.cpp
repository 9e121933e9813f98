// CHAR and NCHAR: the character of a code, NULL for a code outside the type's range (0 to 255
// for CHAR, 0 to 65535 for NCHAR), where SQLite's char() would make one up; UNICODE: the code
// of a text's first UTF-16 unit, as the default collation counts characters.
#include <sqlite3.h>

#include <cmath>
#include <cstdint>

#include "platform/tsql/runtime/detail.h"

namespace tsql::detail {
namespace {

template <std::int64_t High>
void CharacterOf(sqlite3_context* context, int, sqlite3_value** argv) {
  std::int64_t code = 0;
  switch (sqlite3_value_type(argv[0])) {
    case SQLITE_NULL:
      return sqlite3_result_null(context);
    case SQLITE_INTEGER:
      code = sqlite3_value_int64(argv[0]);
      break;
    case SQLITE_FLOAT: {
      const double value = std::trunc(sqlite3_value_double(argv[0]));
      if (!(value >= 0 && value <= High)) return sqlite3_result_null(context);
      code = static_cast<std::int64_t>(value);
      break;
    }
    default:
      if (auto parsed = ParseInteger(Text16(argv[0]))) {
        code = *parsed;
        break;
      }
      return ResultConversionError(context, argv[0], "int");
  }
  if (code < 0 || code > High) return sqlite3_result_null(context);
  const char16_t unit = static_cast<char16_t>(code);
  ResultText(context, std::u16string_view(&unit, 1));
}

void FirstUnit(sqlite3_context* context, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(context);
  const std::u16string text = ValueText(argv[0]);
  if (text.empty()) return sqlite3_result_null(context);
  sqlite3_result_int(context, text[0]);
}

}  // namespace

int InstallCharacterFunctions(sqlite3* db) {
  static constexpr PureFunction kFunctions[] = {
      {"tsql_char", 1, CharacterOf<255>},
      {"tsql_nchar", 1, CharacterOf<65535>},
      {"tsql_unicode", 1, FirstUnit},
  };
  return RegisterPureFunctions(db, kFunctions);
}

}  // namespace tsql::detail
