#include "platform/outside/system_profile/system_profile.h"

#include "platform/com/bind.h"
#include "platform/oleaut/convert.h"
#include "platform/oleaut/text.h"
#include "platform/outside/data_access.h"

namespace outside {

namespace {

using oleaut::Bstr;
using oleaut::Variant;

// The template id of an override, or the empty text when none was given.
Bstr TemplateIdOf(const Variant& vTemplateID) {
  if (vTemplateID.IsMissing() || vTemplateID.IsEmpty() || vTemplateID.IsNull()) return {};
  return oleaut::Trim(oleaut::ToString(vTemplateID));
}

}  // namespace

const com::DispatchTable& SystemProfile::Table() {
  static constexpr com::Binding kBindings[] = {
      com::Bind<&SystemProfile::GetProfile>(u"GetProfile")};
  static_assert(com::BindingsMatch(kSystemProfileInterface, kBindings));
  static const com::DispatchTable table(u"TAVEBSBase.SystemProfile", kSystemProfileInterface,
                                        kBindings);
  return table;
}

SystemProfile::SystemProfile() : Dispatch(Table()) {}

Bstr SystemProfile::GetProfile(const Bstr& sDsn, const Bstr& sKey, const Variant& vTemplateID) {
  const Bstr template_id = TemplateIdOf(vTemplateID);
  const Bstr override_key = template_id.empty() ? sKey : sKey + u":" + template_id;
  const auto rows = Query(BindThreadContext(sDsn),
                          u"SELECT FKey,FValue FROM t_SystemProfile WHERE FCategory='IC' AND "
                          u"FKey IN (?,?)",
                          {sKey, override_key});
  Variant value;
  for (; rows->State() == ado::adStateOpen && !rows->Eof(); rows->MoveNext()) {
    const bool is_override = oleaut::EqualsNoCase(
        oleaut::ToString(rows->Fields()->Item(std::int32_t{0})->Value()), override_key);
    if (is_override || value.IsEmpty()) value = rows->Fields()->Item(std::int32_t{1})->Value();
    if (is_override) break;
  }
  return value.IsNull() || value.IsEmpty() ? Bstr() : oleaut::ToString(value);
}

}  // namespace outside
