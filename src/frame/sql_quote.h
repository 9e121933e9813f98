// Quoting values as SQL Server string literals, for statements assembled as text.
#pragma once

#include "platform/oleaut/variant.h"

namespace frame {

// The value as a literal: Null counts as the empty text; leading and trailing spaces go; then
// every NUL, line feed and carriage return goes (so a space before a trailing line break stays);
// apostrophes are doubled and the text is wrapped in apostrophes. Numbers and other values are
// quoted in their ordinary text form. A value that cannot be turned into text (an object without
// a default value, an array) yields the empty text without apostrophes; nothing is raised.
oleaut::Bstr SqlQuote(const oleaut::Variant& value) noexcept;

// As SqlQuote, but NUL, line-feed and carriage-return characters stay in the literal.
oleaut::Bstr SqlQuoteKeepBreaks(const oleaut::Variant& value) noexcept;

}  // namespace frame
