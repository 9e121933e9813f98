// Any text either tokenizes, ending in one kEnd token with positions inside the text, or raises
// a ComError; nothing else.
#include <cstdlib>

#include "fuzz_input.h"
#include "platform/oleaut/com_error.h"
#include "platform/tsql/token.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::u16string text = FuzzText(data, size);
  try {
    const auto tokens = tsql::Tokenize(text);
    if (tokens.empty() || tokens.back().kind != tsql::TokenKind::kEnd) std::abort();
    for (const tsql::Token& token : tokens) {
      if (token.pos.offset + token.length > text.size()) std::abort();
    }
  } catch (const oleaut::ComError&) {
  }
  return 0;
}
