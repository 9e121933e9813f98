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

[[noreturn]] void Raise(const std::string& description, std::int32_t hresult = kErrorsInCommand) {
  throw oleaut::ComError(hresult, std::u16string(kErrorSource), oleaut::FromUtf8(description));
}

std::string Placed(std::string message, SourcePos pos) {
  return fmt::format("{} (line {}, column {})", message, pos.line, pos.column);
}

}  // namespace

void RaiseSyntaxError(std::u16string_view batch, SourcePos pos, std::u16string_view what) {
  Raise(fmt::format("Incorrect syntax near {} (line {}, column {}): {}", Fragment(batch, pos),
                    pos.line, pos.column, oleaut::ToUtf8(what)));
}

void RaiseStatementError(SourcePos pos, std::u16string_view message) {
  Raise(Placed(oleaut::ToUtf8(message), pos));
}

void RaiseMissingTable(SourcePos pos, std::u16string_view name, MissingTable how) {
  const std::string table = oleaut::ToUtf8(name);
  switch (how) {
    case MissingTable::kInvalidObjectName:
      Raise(Placed("Invalid object name '" + table + "'.", pos), kNoTable);
    case MissingTable::kCannotFind:
      Raise(Placed("Cannot find the object \"" + table +
                       "\" because it does not exist or you do not have permissions.",
                   pos));
    case MissingTable::kCannotDrop:
      Raise(Placed("Cannot drop the table '" + table +
                       "', because it does not exist or you do not have permission.",
                   pos));
  }
  Raise(Placed("Invalid object name '" + table + "'.", pos), kNoTable);
}

void RaiseInvalidColumnName(SourcePos pos, std::u16string_view name) {
  Raise(Placed("Invalid column name '" + oleaut::ToUtf8(name) + "'.", pos));
}

void RaiseUnsupported(std::u16string_view batch, SourcePos pos, std::u16string_view construct) {
  Raise(fmt::format("{} is not supported by the SQLite provider (line {}, column {}, near {})",
                    oleaut::ToUtf8(construct), pos.line, pos.column, Fragment(batch, pos)));
}

}  // namespace tsql
