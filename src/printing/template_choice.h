// Which layout a print run uses: the user's selected template (GetNotePrintData) when its body is
// a layout document, else none, with a note that says which; and the user's print settings
// (GetPageAndPrintSet) when they are this client's.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "layout.h"
#include "platform/com/dispatch.h"
#include "print_settings.h"

namespace printing {

struct TemplateChoice {
  std::optional<Layout> layout;  // none: lay the bill out from its own template
  std::string note;              // "template 7 of bill type 1 (a layout document)", ...
  std::string name;              // names the template in errors
};

// Raises when the selected body is a layout document that does not parse or validate, naming
// the template.
TemplateChoice ChooseTemplate(com::Dispatch& query, const oleaut::Variant& sdsn,
                              std::int32_t bill_type, const std::string& sub_type);

// The user's print settings of the bill type; nothing when there are none or they were made by
// another client. Settings of this client that do not parse raise.
std::optional<PrintSettings> ReadPrintSettings(com::Dispatch& query, const oleaut::Variant& sdsn,
                                               std::int32_t bill_type);

// The bytes of a body or settings value as the component returns it (a byte array, or text).
std::string BytesOf(const oleaut::Variant& value);

}  // namespace printing
