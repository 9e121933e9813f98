// Raising ADO's own errors: the number as a control-facility HRESULT (0x800A0000 | number), the
// ADODB object as source, and ADO's English description followed by what was actually wrong, so
// that callers matching on numbers behave as they did on Windows and people reading logs learn
// the cause.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/ado/types.h"

namespace ado {

// ADO's description of one of its error numbers ("Operation is not allowed when the object is
// closed.").
std::u16string_view AdoErrorDescription(std::int32_t number) noexcept;

// Raises ADO error `number` from `source` ("ADODB.Recordset"); `detail` is appended to ADO's
// description.
[[noreturn]] void RaiseAdoError(std::int32_t number, std::u16string_view source,
                                std::u16string_view detail);

// Where a provider's error happened, for the end of its message: ' while running "<statement>"
// (as "<engine text>") on <data source>', each part only when known.
std::string DescribeWhere(std::u16string_view statement, std::string_view engine_text,
                          std::u16string_view data_source);

// A whole number as text, for messages.
std::u16string NumberText(std::int64_t number);

}  // namespace ado
