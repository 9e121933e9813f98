#include "platform/ado/provider_errors.h"

namespace ado {

void AppendMessages(const std::vector<std::u16string>& messages, std::u16string_view source,
                    Errors& errors) {
  for (const std::u16string& message : messages) {
    errors.push_back({0, message, std::u16string(source), u"01000"});
  }
}

Error ErrorOf(const oleaut::ComError& error) {
  return {error.Number(), error.Description(), error.Source(), {}};
}

}  // namespace ado
