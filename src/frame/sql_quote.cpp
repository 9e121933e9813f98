#include "frame/sql_quote.h"

#include <algorithm>

#include "platform/oleaut/convert.h"
#include "platform/oleaut/text.h"

namespace frame {

namespace {

oleaut::Bstr Quote(const oleaut::Variant& value, bool keep_breaks) noexcept {
  try {
    oleaut::Bstr text = value.IsNull() ? oleaut::Bstr() : oleaut::Trim(oleaut::ToString(value));
    if (!keep_breaks) {
      std::erase_if(text, [](char16_t c) { return c == u'\0' || c == u'\n' || c == u'\r'; });
    }
    return u"'" + oleaut::Replace(text, u"'", u"''") + u"'";
  } catch (...) {
    return {};
  }
}

}  // namespace

oleaut::Bstr SqlQuote(const oleaut::Variant& value) noexcept {
  return Quote(value, false);
}

oleaut::Bstr SqlQuoteKeepBreaks(const oleaut::Variant& value) noexcept {
  return Quote(value, true);
}

}  // namespace frame
