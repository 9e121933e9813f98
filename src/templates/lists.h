// The lists a user chooses templates from, for a bill type or a report.
#pragma once

#include <cstdint>

#include "frame/instance.h"
#include "platform/oleaut/text.h"
#include "platform/vdl/dictionary.h"

namespace templates {

// clsPrintSetupQuery.GetNoteInfo
com::Ptr<vdl::Dictionary> GetNoteInfo(frame::Instance& self, const oleaut::Bstr& sDsn,
                                      std::int32_t classTypeId);

// clsPrintSetupQuery.GetRptNoteInfo
com::Ptr<vdl::Dictionary> GetRptNoteInfo(frame::Instance& self, const oleaut::Bstr& sDsn,
                                         std::int32_t rptId);

}  // namespace templates
