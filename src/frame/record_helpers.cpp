#include "frame/record_helpers.h"

#include <cstdint>

namespace frame {

namespace {

template <class Clean>
com::Ptr<vdl::Dictionary> CopyRecord(ado::Recordset& recordset, Clean clean) {
  auto dictionary = com::Make<vdl::Dictionary>();
  const auto fields = recordset.Fields();
  const std::int32_t count = fields->Count();
  for (std::int32_t i = 0; i < count; ++i) {
    const auto field = fields->Item(i);
    dictionary->SetItem(field->Name(), clean(*field));
  }
  return dictionary;
}

}  // namespace

com::Ptr<vdl::Dictionary> RecordToDict(ado::Recordset& recordset) {
  return CopyRecord(recordset, [](const ado::Field& field) { return field.Value(); });
}

com::Ptr<vdl::Dictionary> RecordToDictNoNull(ado::Recordset& recordset) {
  return CopyRecord(recordset, [](const ado::Field& field) -> oleaut::Variant {
    const oleaut::Variant& value = field.Value();
    if (value.IsNull()) return oleaut::Bstr();
    if (field.Type() == ado::adBoolean) return static_cast<std::int16_t>(value.AsBoolean() ? 1 : 0);
    return value;
  });
}

}  // namespace frame
