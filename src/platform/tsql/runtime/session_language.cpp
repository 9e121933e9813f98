// tsql_language_culture(language): the culture FORMAT and PARSE use when none is given, that of
// the session's language (SET LANGUAGE). us_english's is the one they use without a name
// (NULL); British English's patterns (en-GB) are not among the runtime's cultures, so a call
// under British is refused by name rather than answered in en-US's.
#include <string>

#include "platform/tsql/runtime/detail.h"

namespace tsql::detail {
namespace {

void LanguageCulture(sqlite3_context* context, int, sqlite3_value** argv) {
  const auto* language = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
  if (!language || sqlite3_stricmp(language, "us_english") == 0) {
    return sqlite3_result_null(context);
  }
  ResultError(context, std::string("FORMAT and PARSE without a culture under SET LANGUAGE ") +
                           language + " are not supported by the SQLite provider");
}

}  // namespace

int InstallLanguageFunctions(sqlite3* db) {
  static constexpr PureFunction kFunctions[] = {
      {"tsql_language_culture", 1, LanguageCulture},
  };
  return RegisterPureFunctions(db, kFunctions);
}

}  // namespace tsql::detail
