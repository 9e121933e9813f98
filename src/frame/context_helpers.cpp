#include "frame/context_helpers.h"

#include "platform/ado/recordset.h"
#include "platform/oleaut/convert.h"
#include "platform/tavglobal/globals.h"
#include "platform/vdl/utility.h"

namespace frame {

com::Ptr<tavglobal::DataContext> GetDataContext() {
  return tavglobal::Globals::Current().GetCurrentContext();
}

std::int16_t GetIndustryVersion() noexcept {
  try {
    const auto connection = GetDataContext()->GetConnection();
    const auto recordset = connection->Execute(
        u"select * from t_systemprofile where FCategory='IC' and fkey ='IndustryVersion'");
    if (recordset->Eof()) return 0;
    const oleaut::Variant value = vdl::Utility::Current().ValueOrDefault(
        oleaut::Variant(recordset->Fields()->Item(u"FValue")), oleaut::Bstr());
    return oleaut::ToInteger(oleaut::Val(oleaut::ToString(value)));
  } catch (...) {
    return 0;
  }
}

oleaut::Bstr GetLangFieldName(std::u16string_view baseName, std::u16string_view language) noexcept {
  try {
    const oleaut::Bstr code = oleaut::UCase(language);
    if (code == u"CHT") return oleaut::Bstr(baseName) + u"_CHT";
    if (code == u"EN") return oleaut::Bstr(baseName) + u"_EN";
    return oleaut::Bstr(baseName);
  } catch (...) {
    return oleaut::Bstr(baseName);
  }
}

}  // namespace frame
