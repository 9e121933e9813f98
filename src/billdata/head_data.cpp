// Bill head data: one row per selected bill, built from the template's head controls.
#include "frame/cls_get_data.h"
#include "platform/oleaut/com_error.h"

namespace frame {

using oleaut::Bstr;
using oleaut::Variant;
using DictionaryRef = com::Ptr<vdl::Dictionary>;

std::int32_t clsGetData::GetHeadFillData(const Bstr& /*sDsn*/, const DictionaryRef& /*pCondition*/,
                                         const DictionaryRef& /*dicStruct*/, Variant& /*pRetRs*/,
                                         bool /*SumNotePrint*/) {
  oleaut::RaiseNotImplemented(u"clsGetData.GetHeadFillData");
}

}  // namespace frame
