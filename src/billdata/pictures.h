// Pictures and the install directory: an item's small photo, the bytes of a binary column, and
// the product's install directory from the registry.
#pragma once

#include "frame/instance.h"
#include "platform/oleaut/text.h"
#include "platform/oleaut/variant.h"
#include "platform/vdl/dictionary.h"

namespace billdata {

// clsGetData.GetItemPicture
oleaut::Bstr GetItemPicture(const oleaut::Bstr& sDsn, const oleaut::Bstr& sItemID);

// clsGetData.TAV_GetSysDirectory
oleaut::Bstr TAV_GetSysDirectory();  // NOLINT(readability-identifier-naming)

// clsPrintSetupQuery.GetPictureData
oleaut::Variant GetPictureData(frame::Instance& self, const oleaut::Bstr& sDsn,
                               const com::Ptr<vdl::Dictionary>& dctDataInfo);

}  // namespace billdata
