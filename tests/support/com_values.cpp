#include "com_values.h"

#include <iomanip>

#include "platform/ado/recordset.h"
#include "platform/oleaut/convert.h"
#include "platform/oleaut/text.h"

namespace tavtest {

using oleaut::Variant;

com::Ptr<vdl::Dictionary> AsDict(const Variant& value) {
  return value.AsObjectOf<vdl::Dictionary>();
}

com::Ptr<vdl::List> AsList(const Variant& value) {
  return value.AsObjectOf<vdl::List>();
}

com::Ptr<vdl::Dictionary> Dict(
    std::initializer_list<std::pair<std::u16string_view, Variant>> items) {
  auto dictionary = com::Make<vdl::Dictionary>();
  for (const auto& [key, value] : items)
    dictionary->SetItem(key, value);
  return dictionary;
}

com::Ptr<vdl::List> List(std::initializer_list<Variant> items) {
  auto list = com::Make<vdl::List>();
  for (const Variant& item : items)
    list->Add(item);
  return list;
}

oleaut::ByteArray Bytes(std::string_view text) {
  return oleaut::ByteArray(text.begin(), text.end());
}

Variant FirstValue(const Variant& recordset) {
  return recordset.AsObjectOf<ado::Recordset>()->Fields()->Item(std::int32_t{0})->Value();
}

}  // namespace tavtest

namespace oleaut {

void PrintTo(const Variant& value, std::ostream* out) {
  *out << ToUtf8(VarTypeName(value.Type()));
  if (value.IsEmpty() || value.IsNull() || value.IsMissing()) return;
  if (value.Type() == VarType::ByteArray) {
    const ByteArray& bytes = value.AsByteArray();
    *out << "[" << bytes.size() << "]" << std::hex;
    for (std::size_t i = 0; i < bytes.size() && i < 32; ++i) {
      *out << " " << std::setw(2) << std::setfill('0') << int{bytes[i]};
    }
    *out << std::dec;
    return;
  }
  if (value.IsObject()) return;
  *out << "(" << ToUtf8(ToString(value)) << ")";
}

}  // namespace oleaut
