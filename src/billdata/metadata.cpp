// Bill metadata: a bill type's row, the citation texts of a note type, and the template package
// (head fields, entry fields and the package reader's dictionary) a print client starts from.
#include "frame/cls_get_data.h"
#include "platform/oleaut/com_error.h"

namespace frame {

using oleaut::Bstr;
using DictionaryRef = com::Ptr<vdl::Dictionary>;

DictionaryRef clsGetData::GetBillTypeInfo(const Bstr& /*sDsn*/, std::int32_t /*pBillTranType*/) {
  oleaut::RaiseNotImplemented(u"clsGetData.GetBillTypeInfo");
}

com::Ptr<ado::Recordset> clsGetData::GetNoteCitation(const Bstr& /*sDsn*/,
                                                     std::int32_t /*pNoteTypeID*/) {
  oleaut::RaiseNotImplemented(u"clsGetData.GetNoteCitation");
}

com::Ptr<vdl::List> clsGetData::GetBillPackage(const Bstr& /*sDsn*/,
                                               std::int32_t /*lBillTransType*/,
                                               const DictionaryRef& /*dicPara*/) {
  oleaut::RaiseNotImplemented(u"clsGetData.GetBillPackage");
}

}  // namespace frame
