// The template lookups that serve printing: the body a user prints with, the page settings,
// and the user's assignment rows with the bill-type settings.
#pragma once

#include <cstdint>

#include "frame/instance.h"
#include "platform/oleaut/text.h"
#include "platform/vdl/dictionary.h"

namespace templates {

// clsPrintSetupQuery.GetCurrNote
com::Ptr<vdl::Dictionary> GetCurrNote(frame::Instance& self, const oleaut::Bstr& sDsn,
                                      std::int32_t fClssTypeId);

// The two print lookups below leave a call note (tavglobal/call_notes.h) that says which step of
// their fallback chain found the template.
// clsPrintSetupQuery.GetNotePrintData
com::Ptr<vdl::Dictionary> GetNotePrintData(frame::Instance& self, const oleaut::Bstr& sDsn,
                                           std::int32_t fClassTypeId, const oleaut::Bstr& FSubType);

// clsPrintSetupQuery.GetPageAndPrintSet
com::Ptr<vdl::Dictionary> GetPageAndPrintSet(frame::Instance& self, const oleaut::Bstr& sDsn,
                                             std::int32_t fClassTypeId);

// clsPrintSetupQuery.GetRptNotePrintData
com::Ptr<vdl::Dictionary> GetRptNotePrintData(frame::Instance& self, const oleaut::Bstr& sDsn,
                                              std::int32_t rptId, const oleaut::Bstr& FSubType);

}  // namespace templates
