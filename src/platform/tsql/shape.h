// The shape of a batch, as the translation cache knows it: its tokens with the literals taken
// out, each replaced by the type SQL Server gives it (int, decimal(5,2), float, varchar(3)), as
// SQL Server's plan cache parameterises simple statements. Batches of one shape share a
// translation when the literals it writes into its text (an ORDER BY position, a LIKE pattern)
// are the same; the others are bound at run time.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/tsql/program.h"
#include "platform/tsql/token.h"

namespace tsql {

// The cache key of a batch's tokens; whitespace and comments do not count.
std::u16string ShapeKey(const std::vector<Token>& tokens);

// Records as fixed every literal of the batch that the program does not bind.
void FixUnboundLiterals(Program& program, const std::vector<Token>& tokens);

// Whether a batch of the program's shape writes the same fixed literals.
bool FixedLiteralsMatch(const Program& program, const std::vector<Token>& tokens);

// The values of the program's bound literals and the statements' places in this batch.
std::shared_ptr<const Binding> MakeBinding(const Program& program,
                                           const std::vector<Token>& tokens);

// The value SQLite gives the literal as written: an integer when it is one within 64 bits, else
// a float; a text as it stands.
LiteralValue LiteralValueOf(const Token& literal);

// A statement's SQLite text (or a text that holds it, with the same markers) with each bound
// literal written in its marker's place, as a reader
// of the SQL trace expects to see it; the caller's ? markers stay as they are.
std::string WithLiteralsShown(std::string_view sql, const SqlStatement& statement,
                              const Binding& binding);
inline std::string WithLiteralsShown(const SqlStatement& statement, const Binding& binding) {
  return WithLiteralsShown(statement.sql, statement, binding);
}

}  // namespace tsql
