// Print counters: the text that shows how often a bill was printed, and counting a print.
#pragma once

#include <cstdint>

#include "frame/instance.h"
#include "platform/oleaut/text.h"
#include "platform/vdl/dictionary.h"

namespace billdata {

// clsGetData.GetBillPrintCount
oleaut::Bstr GetBillPrintCount(frame::Instance& self, const oleaut::Bstr& sDsn,
                               const oleaut::Bstr& sInterID, std::int32_t lBillTranType);

// clsPrintSetupUpdate.UpdatePrintCount
void UpdatePrintCount(frame::Instance& self, const oleaut::Bstr& sDsn,
                      const com::Ptr<vdl::Dictionary>& dctPCData);

}  // namespace billdata
