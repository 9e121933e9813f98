#include "frame/sql_text.h"

#include <string>

#include "platform/oleaut/convert.h"
#include "platform/vdl/utility.h"

namespace frame {

oleaut::Bstr Num(std::int64_t number) {
  const std::string digits = std::to_string(number);
  return oleaut::Bstr(digits.begin(), digits.end());
}

oleaut::Bstr Sql(std::initializer_list<std::u16string_view> pieces) {
  std::size_t length = 0;
  for (const auto piece : pieces)
    length += piece.size();
  oleaut::Bstr text;
  text.reserve(length);
  for (const auto piece : pieces)
    text.append(piece);
  return text;
}

oleaut::Bstr TextOrEmpty(const oleaut::Variant& value) {
  return oleaut::ToString(vdl::Utility::Current().ValueOrDefault(value, oleaut::Bstr()));
}

}  // namespace frame
