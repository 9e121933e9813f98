#include "platform/tavglobal/schema/schema_scripts.h"

#include <cstddef>

namespace tavglobal {
namespace {

bool IsBlank(char c) noexcept {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// Position just past a literal or name that opens at `open` and closes with `close`; a doubled
// closing character stands for itself, as SQL Server reads '' in strings and ]] in names. An
// unterminated one runs to the end, where the engine will report it.
std::size_t SkipQuoted(std::string_view text, std::size_t open, char close) noexcept {
  std::size_t i = open + 1;
  while (i < text.size()) {
    if (text[i] != close) {
      ++i;
    } else if (i + 1 < text.size() && text[i + 1] == close) {
      i += 2;
    } else {
      return i + 1;
    }
  }
  return text.size();
}

}  // namespace

std::vector<std::string_view> SplitStatements(std::string_view script) {
  std::vector<std::string_view> statements;
  constexpr std::size_t kNone = std::string_view::npos;
  std::size_t start = kNone;  // first token of the statement being read
  std::size_t last = 0;       // just past its last token
  auto finish = [&] {
    if (start != kNone) statements.push_back(script.substr(start, last - start));
    start = kNone;
  };

  std::size_t i = 0;
  while (i < script.size()) {
    const char c = script[i];
    const char next = i + 1 < script.size() ? script[i + 1] : '\0';
    if (IsBlank(c)) {
      ++i;
    } else if (c == '-' && next == '-') {
      const std::size_t eol = script.find('\n', i);
      i = eol == kNone ? script.size() : eol + 1;
    } else if (c == '/' && next == '*') {
      const std::size_t end = script.find("*/", i + 2);
      i = end == kNone ? script.size() : end + 2;
    } else if (c == ';') {
      finish();
      ++i;
    } else {
      if (start == kNone) start = i;
      if (c == '\'') {
        i = SkipQuoted(script, i, '\'');
      } else if (c == '[') {
        i = SkipQuoted(script, i, ']');
      } else if (c == '"') {
        i = SkipQuoted(script, i, '"');
      } else {
        ++i;
      }
      last = i;
    }
  }
  finish();
  return statements;
}

}  // namespace tavglobal
