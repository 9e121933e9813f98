// Reading a value enclosed in delimiters, as connection strings and SQL texts write them: the
// text runs up to the closing delimiter, and a closing delimiter written twice may stand for
// itself.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace ado {

// The text from text[at] up to the closing `close`; with `doubled`, `close` written twice stands
// for one. `at` ends past the closing delimiter. None when the text ends before it.
inline std::optional<std::u16string> ReadUpToClosing(std::u16string_view text, std::size_t& at,
                                                     char16_t close, bool doubled) {
  std::u16string out;
  while (at < text.size()) {
    if (text[at] == close) {
      if (doubled && at + 1 < text.size() && text[at + 1] == close) {
        out += close;
        at += 2;
        continue;
      }
      ++at;
      return out;
    }
    out += text[at++];
  }
  return std::nullopt;
}

}  // namespace ado
