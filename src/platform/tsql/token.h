// Tokens of SQL Server's dialect, as the translator's parser consumes them.
//
// The tokenizer knows T-SQL's lexical rules that SQLite does not share: [bracketed] and
// "double-quoted" names, N'' strings, doubled apostrophes, #temp names, @@variables, 0x binary
// literals, nested /* */ comments, and a number directly followed by a keyword ("12and" is the
// number 12 and the keyword AND, as SQL Server reads it), money constants ($12.50).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tsql {

enum class TokenKind : std::uint8_t {
  kEnd,         // after the last token
  kWord,        // a keyword or an unquoted name, #temp names included ("#tmpsort")
  kQuotedName,  // [name] or "name": text is the name without its delimiters
  kVariable,    // @name or @@NAME
  kNumber,      // 12, 1.5, .5, 1e3, $12.50 (money): text is the literal as written
  kString,      // 'it''s' or N'...': text is the value, apostrophes undoubled
  kBinary,      // 0x0A1B: text is the hex digits without 0x
  kMarker,      // ? parameter marker
  kSymbol,      // operators and punctuation: ( ) , . ; * + - / % = <> != < <= > >= !< !> & | ^ ~
};

// Where a token stands in its batch: offsets count UTF-16 code units from 0, lines and columns
// from 1.
struct SourcePos {
  std::uint32_t offset = 0;
  std::uint32_t line = 1;
  std::uint32_t column = 1;
};

struct Token {
  TokenKind kind = TokenKind::kEnd;
  std::u16string text;
  SourcePos pos;
  std::uint32_t length = 0;  // code units of the token in the source
  bool national = false;     // N'...'
};

// Splits a batch into tokens, the last one of kind kEnd. Comments and blanks are dropped. An
// unterminated string, name or comment, or a character that T-SQL does not know, raises a
// ComError quoting the fragment with its line and column.
std::vector<Token> Tokenize(std::u16string_view batch);

// True when `word` is `keyword` in any ASCII letter case (keywords are ASCII upper case).
bool IsKeyword(std::u16string_view word, std::u16string_view keyword) noexcept;

// The text with ASCII letters in lower case: names of tables, columns, types and functions
// compare so, as SQL Server's default collation and SQLite compare them.
std::u16string LowerAscii(std::u16string_view text);

// Whether a table's name is a temporary table's (#t) or a table variable's (@t): both live in
// SQLite's temp schema.
inline bool IsTemporaryName(std::u16string_view name) noexcept {
  return !name.empty() && (name[0] == u'#' || name[0] == u'@');
}

// What a transaction statement does: BEGIN, COMMIT, ROLLBACK or SAVE TRANSACTION, as the batch
// writes it and as the translation hands it to the session.
enum class TransactionAction : std::uint8_t { kBegin, kCommit, kRollback, kSave };

}  // namespace tsql
