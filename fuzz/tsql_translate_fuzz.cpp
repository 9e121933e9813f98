// Any text either translates into SQLite statements or raises a ComError; translating it twice
// gives the same statements, and the cache hands back the translation it made.
#include <cstdlib>

#include "fuzz_input.h"
#include "platform/oleaut/com_error.h"
#include "platform/tsql/program.h"

namespace {

void Collect(const std::vector<tsql::Node>& nodes, std::string& out) {
  for (const tsql::Node& node : nodes) {
    if (const auto* statement = std::get_if<tsql::SqlStatement>(&node.item)) {
      out += statement->sql;
      out += '\n';
      continue;
    }
    const auto& branch = *std::get<std::unique_ptr<tsql::IfNode>>(node.item);
    out += branch.condition.sql;
    Collect(branch.then_nodes, out);
    Collect(branch.else_nodes, out);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::u16string text = FuzzText(data, size);
  try {
    const auto first = tsql::TranslateUncached(text, nullptr);
    const auto cached = tsql::Translate(text, nullptr);
    std::string a;
    std::string b;
    Collect(first->nodes, a);
    Collect(cached->nodes, b);
    if (a != b || tsql::Translate(text, nullptr) != cached) std::abort();
  } catch (const oleaut::ComError&) {
  }
  return 0;
}
