// Print counters: the text that shows how often a bill was printed, and counting a print.
#include "frame/cls_get_data.h"
#include "frame/cls_print_setup_update.h"
#include "platform/oleaut/com_error.h"

namespace frame {

using oleaut::Bstr;
using DictionaryRef = com::Ptr<vdl::Dictionary>;

Bstr clsGetData::GetBillPrintCount(const Bstr& /*sDsn*/, const Bstr& /*sInterID*/,
                                   std::int32_t /*lBillTranType*/) {
  oleaut::RaiseNotImplemented(u"clsGetData.GetBillPrintCount");
}

void clsPrintSetupUpdate::UpdatePrintCount(const Bstr& /*sDsn*/,
                                           const DictionaryRef& /*dctPCData*/) {
  oleaut::RaiseNotImplemented(u"clsPrintSetupUpdate.UpdatePrintCount");
}

}  // namespace frame
