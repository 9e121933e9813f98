#include "platform/tsql/view_types.h"

namespace tsql {
namespace {

constexpr std::string_view kOpening = "/* tsql view column types: ";
constexpr std::string_view kClosing = " */";

}  // namespace

std::string ViewColumnTypesComment(const std::vector<SqlType>& types) {
  std::string comment(kOpening);
  for (std::size_t i = 0; i < types.size(); ++i) {
    if (i > 0) comment += ", ";
    comment += types[i].IsKnown() ? types[i].Declared() : "?";
  }
  comment += kClosing;
  return comment;
}

std::vector<std::optional<SqlType>> ViewColumnTypes(std::string_view definition) {
  std::vector<std::optional<SqlType>> types;
  const std::size_t start = definition.find(kOpening);
  if (start == std::string_view::npos) return types;
  const std::size_t from = start + kOpening.size();
  const std::size_t end = definition.find(kClosing, from);
  if (end == std::string_view::npos) return types;
  std::string_view list = definition.substr(from, end - from);
  // A declared type holds a comma only between its parentheses: decimal(10,2).
  int depth = 0;
  std::size_t item = 0;
  for (std::size_t i = 0; i <= list.size(); ++i) {
    const char c = i < list.size() ? list[i] : ',';
    if (c == '(') ++depth;
    if (c == ')') --depth;
    if (c != ',' || depth > 0) continue;
    std::string_view text = list.substr(item, i - item);
    while (!text.empty() && text.front() == ' ')
      text.remove_prefix(1);
    types.push_back(text == "?" ? std::nullopt : ParseDeclaredType(text));
    item = i + 1;
  }
  return types;
}

}  // namespace tsql
