// SOUNDEX and DIFFERENCE: the four-character code of how a word sounds in English (its first
// letter, then the digits of the consonants that follow), and how many of two codes' characters
// agree.
#include <sqlite3.h>

#include <string>

#include "platform/tsql/runtime/detail.h"

namespace tsql::detail {
namespace {

// The digit of a letter's sound; '0' for a vowel (which parts two equal digits), 0 for H, W and
// anything but a letter (which part nothing).
char SoundDigit(char16_t c) {
  switch (UpperUnit(c)) {
    case u'B':
    case u'F':
    case u'P':
    case u'V':
      return '1';
    case u'C':
    case u'G':
    case u'J':
    case u'K':
    case u'Q':
    case u'S':
    case u'X':
    case u'Z':
      return '2';
    case u'D':
    case u'T':
      return '3';
    case u'L':
      return '4';
    case u'M':
    case u'N':
      return '5';
    case u'R':
      return '6';
    case u'A':
    case u'E':
    case u'I':
    case u'O':
    case u'U':
    case u'Y':
      return '0';
    default:
      return 0;
  }
}

bool IsAsciiLetter(char16_t c) {
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

std::string SoundCode(std::u16string_view text) {
  std::size_t i = 0;
  while (i < text.size() && !IsAsciiLetter(text[i]))
    ++i;
  if (i == text.size()) return "0000";
  std::string code(1, static_cast<char>(UpperUnit(text[i])));
  char last = SoundDigit(text[i]);
  for (++i; i < text.size() && code.size() < 4; ++i) {
    const char digit = SoundDigit(text[i]);
    if (digit == 0) continue;
    if (digit != '0' && digit != last) code += digit;
    last = digit;
  }
  code.resize(4, '0');
  return code;
}

void Soundex(sqlite3_context* context, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(context);
  ResultText(context, Ascii(SoundCode(ValueText(argv[0]))));
}

void Difference(sqlite3_context* context, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(context);
  const std::string a = SoundCode(ValueText(argv[0]));
  const std::string b = SoundCode(ValueText(argv[1]));
  int same = 0;
  for (std::size_t i = 0; i < 4; ++i)
    same += a[i] == b[i] ? 1 : 0;
  sqlite3_result_int(context, same);
}

}  // namespace

int InstallSoundexFunctions(sqlite3* db) {
  static constexpr PureFunction kFunctions[] = {
      {"tsql_soundex", 1, Soundex},
      {"tsql_difference", 2, Difference},
  };
  return RegisterPureFunctions(db, kFunctions);
}

}  // namespace tsql::detail
