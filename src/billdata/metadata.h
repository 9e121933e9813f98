// Bill metadata: a bill type's row, the citation texts of a note type, and the template package
// (head fields, entry fields and the package reader's dictionary) a print client starts from.
#pragma once

#include <cstdint>

#include "frame/instance.h"
#include "platform/ado/recordset.h"
#include "platform/oleaut/text.h"
#include "platform/vdl/dictionary.h"
#include "platform/vdl/list.h"

namespace billdata {

// clsGetData.GetBillTypeInfo
com::Ptr<vdl::Dictionary> GetBillTypeInfo(frame::Instance& self, const oleaut::Bstr& sDsn,
                                          std::int32_t pBillTranType);

// clsGetData.GetNoteCitation
com::Ptr<ado::Recordset> GetNoteCitation(frame::Instance& self, const oleaut::Bstr& sDsn,
                                         std::int32_t pNoteTypeID);

// clsGetData.GetBillPackage
com::Ptr<vdl::List> GetBillPackage(frame::Instance& self, const oleaut::Bstr& sDsn,
                                   std::int32_t lBillTransType,
                                   const com::Ptr<vdl::Dictionary>& dicPara);

}  // namespace billdata
