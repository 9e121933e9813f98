// Layout documents: the template bodies this print client makes and reads (docs/layout.md).
// A document is UTF-8 text whose first line is the signature "TAV-LAYOUT 1" (the format's
// version) and whose rest is one JSON object. A body that does not start with the signature
// belongs to another designer: it is never read or changed here.
#pragma once

#include <string>
#include <string_view>

#include "layout.h"

namespace printing {

inline constexpr std::string_view kLayoutSignature = "TAV-LAYOUT ";
inline constexpr int kLayoutVersion = 1;

// True when `body` starts with the signature, whatever its version.
bool IsLayoutDocument(std::string_view body);

// The layout a document describes. A document that does not parse raises with the line and
// column (counted in the whole body, signature line included) and what was expected there; one
// that does not validate raises naming the element and what is wrong with it.
Layout ParseLayoutDocument(std::string_view body);

// Checks what JSON cannot say: boxes inside their bands, bands that leave room for a line, a
// value for every text. Raises naming the element.
void ValidateLayout(const Layout& layout);

}  // namespace printing
