// Bill entry data: the entry lines of the selected bills, built from the template's entry
// controls, in the order of selection.
#include "frame/cls_get_data.h"
#include "platform/oleaut/com_error.h"

namespace frame {

using oleaut::Bstr;
using oleaut::Variant;
using DictionaryRef = com::Ptr<vdl::Dictionary>;

std::int32_t clsGetData::GetEntryFillData(const Bstr& /*sDsn*/, const DictionaryRef& /*pCondition*/,
                                          const DictionaryRef& /*dicStruct*/,
                                          Variant& /*pRetRs*/) {
  oleaut::RaiseNotImplemented(u"clsGetData.GetEntryFillData");
}

}  // namespace frame
