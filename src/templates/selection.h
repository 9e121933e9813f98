// Storing a user's choices for a bill type or report: the option text, the selection flags and
// the print settings.
#pragma once

#include <cstdint>

#include "frame/instance.h"
#include "platform/oleaut/text.h"
#include "platform/oleaut/variant.h"
#include "platform/vdl/dictionary.h"

namespace templates {

// clsPrintSetupUpdate.SavePageAndPrintSet
void SavePageAndPrintSet(frame::Instance& self, const oleaut::Bstr& sDsn, std::int32_t fClassTypeId,
                         const oleaut::Variant& printSetValue);

// clsPrintSetupUpdate.UpdateUserNoteData
oleaut::Variant UpdateUserNoteData(frame::Instance& self, const oleaut::Bstr& sDsn,
                                   std::int32_t fClassType,
                                   const com::Ptr<vdl::Dictionary>& modiData);

// clsPrintSetupUpdate.UpdateUserRptNoteData
oleaut::Variant UpdateUserRptNoteData(frame::Instance& self, const oleaut::Bstr& sDsn,
                                      std::int32_t fRptId,
                                      const com::Ptr<vdl::Dictionary>& modiData);

}  // namespace templates
