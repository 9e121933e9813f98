// The T-SQL parser: a batch's tokens into the neutral syntax tree. A batch is several statements
// with or without ";" between them, as SQL Server accepts it; each statement ends where its
// grammar ends. Text that does not parse raises a ComError quoting the fragment with its line and
// column; a construct the translator has no SQLite form for is reported the same way, by name.
#pragma once

#include <string_view>
#include <vector>

#include "platform/tsql/ast.h"
#include "platform/tsql/token.h"

namespace tsql {

struct ParsedBatch {
  std::vector<StatementPtr> statements;
  int marker_count = 0;    // ? markers of the whole batch, numbered from 0 in text order
  int variable_count = 0;  // local variables the batch declares, numbered from 0 in text order
};

ParsedBatch Parse(std::u16string_view batch);
// The same, from the batch's tokens (as Tokenize gives them).
ParsedBatch Parse(std::u16string_view batch, const std::vector<Token>& tokens);

// Literals are the number and text tokens, numbered from 0 in text order.
inline bool IsLiteral(const Token& token) {
  return token.kind == TokenKind::kNumber || token.kind == TokenKind::kString;
}

}  // namespace tsql
