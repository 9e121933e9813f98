#include "platform/tsql/identity.h"

#include <charconv>

namespace tsql {
namespace {

constexpr std::string_view kSeedMark = "CONSTRAINT \"identity(";

std::string Quoted(std::string_view text, char quote) {
  std::string out(1, quote);
  for (char c : text) {
    if (c == quote) out += quote;
    out += c;
  }
  return out + quote;
}

}  // namespace

std::string IdentityColumnClause(std::int64_t seed) {
  if (seed == 1) return " INTEGER PRIMARY KEY AUTOINCREMENT";
  return " INTEGER " + std::string(kSeedMark) + std::to_string(seed) +
         ",1)\" PRIMARY KEY AUTOINCREMENT";
}

std::int64_t IdentitySeedOf(std::string_view create_table) {
  const std::size_t mark = create_table.find(kSeedMark);
  if (mark == std::string_view::npos) return 1;
  const char* first = create_table.data() + mark + kSeedMark.size();
  std::int64_t seed = 1;
  const auto [end, error] = std::from_chars(first, create_table.data() + create_table.size(), seed);
  return error == std::errc() && end != first ? seed : 1;
}

std::string SeedStatement(std::string_view table, bool temp, std::int64_t seed) {
  if (seed == 1) return {};
  return std::string(temp ? "INSERT INTO temp.sqlite_sequence (name, seq) VALUES ("
                          : "INSERT INTO main.sqlite_sequence (name, seq) VALUES (") +
         Quoted(table, '\'') + ", " + std::to_string(seed - 1) + ")";
}

}  // namespace tsql
