#include "print_error.h"

#include <iostream>

#include "platform/oleaut/com_error.h"
#include "platform/oleaut/text.h"

namespace printing {

void Fail(const std::string& message) {
  throw oleaut::ComError(oleaut::VbHresult(oleaut::kInvalidProcedureCall), u"TAVPrint",
                         oleaut::FromUtf8(message));
}

std::string MessageOf(const std::exception& error) {
  if (const auto* com_error = dynamic_cast<const oleaut::ComError*>(&error))
    return oleaut::ToUtf8(com_error->Description());
  return error.what();
}

void WarnToStderr(const std::string& message) {
  std::cerr << "tavprint: warning: " << message << '\n';
}

}  // namespace printing
