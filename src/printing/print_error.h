// How the print client reports what it cannot do: one ComError (Invalid procedure call, source
// "TAVPrint") whose description says what was wrong, and warnings that go on to standard error.
#pragma once

#include <exception>
#include <functional>
#include <string>

namespace printing {

[[noreturn]] void Fail(const std::string& message);
// What an error says: a ComError's description, or another exception's text.
std::string MessageOf(const std::exception& error);

// Where warnings go (a bill whose picture is no image, a font fontconfig replaced). The default
// writes "tavprint: warning: ..." lines to standard error.
using WarningSink = std::function<void(const std::string&)>;
void WarnToStderr(const std::string& message);

}  // namespace printing
