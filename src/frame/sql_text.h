// Building statement texts: numbers as plain decimal text, literal pieces joined without any
// separator, and values read as text the way every member reads them (Null and Empty as "").
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "platform/oleaut/text.h"
#include "platform/oleaut/variant.h"

namespace frame {

// A number as plain decimal text, the only way numbers enter statement texts.
oleaut::Bstr Num(std::int64_t number);

// Joins literal pieces and inserted values without any separator.
oleaut::Bstr Sql(std::initializer_list<std::u16string_view> pieces);

// A field (or any value) through the utility object's ValueOrDefault with the empty text as
// default, then as text: Null and Empty read as the empty text.
oleaut::Bstr TextOrEmpty(const oleaut::Variant& value);

}  // namespace frame
