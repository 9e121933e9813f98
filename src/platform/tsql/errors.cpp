#include "platform/tsql/errors.h"

#include <fmt/format.h>

#include <string>

#include "platform/oleaut/com_error.h"
#include "platform/oleaut/text.h"

namespace tsql {
namespace {

// The text from `pos` to the end of its line, cut to a readable length.
std::string Fragment(std::u16string_view batch, SourcePos pos) {
  constexpr std::size_t kMaxLength = 40;
  if (pos.offset >= batch.size()) return "the end of the batch";
  std::u16string_view rest = batch.substr(pos.offset);
  const std::size_t eol = rest.find_first_of(u"\r\n");
  if (eol != std::u16string_view::npos) rest = rest.substr(0, eol);
  std::string text = oleaut::ToUtf8(rest.substr(0, kMaxLength));
  if (rest.size() > kMaxLength) text += "...";
  return "'" + text + "'";
}

[[noreturn]] void Raise(const std::string& description) {
  throw oleaut::ComError(kErrorsInCommand, std::u16string(kErrorSource),
                         oleaut::FromUtf8(description));
}

}  // namespace

void RaiseSyntaxError(std::u16string_view batch, SourcePos pos, std::u16string_view what) {
  Raise(fmt::format("Incorrect syntax near {} (line {}, column {}): {}", Fragment(batch, pos),
                    pos.line, pos.column, oleaut::ToUtf8(what)));
}

void RaiseStatementError(SourcePos pos, std::u16string_view message) {
  Raise(fmt::format("{} (line {}, column {})", oleaut::ToUtf8(message), pos.line, pos.column));
}

void RaiseUnsupported(std::u16string_view batch, SourcePos pos, std::u16string_view construct) {
  Raise(fmt::format("{} is not supported by the SQLite provider (line {}, column {}, near {})",
                    oleaut::ToUtf8(construct), pos.line, pos.column, Fragment(batch, pos)));
}

}  // namespace tsql
