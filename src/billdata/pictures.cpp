// Pictures and the install directory: an item's small photo, the bytes of a binary column, and
// the product's install directory from the registry.
#include "frame/cls_get_data.h"
#include "frame/cls_print_setup_query.h"
#include "platform/oleaut/com_error.h"

namespace frame {

using oleaut::Bstr;
using oleaut::Variant;
using DictionaryRef = com::Ptr<vdl::Dictionary>;

Bstr clsGetData::GetItemPicture(const Bstr& /*sDsn*/, const Bstr& /*sItemID*/) {
  oleaut::RaiseNotImplemented(u"clsGetData.GetItemPicture");
}

Bstr clsGetData::TAV_GetSysDirectory() {
  oleaut::RaiseNotImplemented(u"clsGetData.TAV_GetSysDirectory");
}

Variant clsPrintSetupQuery::GetPictureData(const Bstr& /*sDsn*/,
                                           const DictionaryRef& /*dctDataInfo*/) {
  oleaut::RaiseNotImplemented(u"clsPrintSetupQuery.GetPictureData");
}

}  // namespace frame
