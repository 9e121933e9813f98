// Copying the administrator's templates of a bill type or report to a user, on the caller's
// connection.
#pragma once

#include <cstdint>

#include "platform/oleaut/text.h"
#include "platform/oleaut/variant.h"

namespace templates {

// clsPrintSetupQuery.CopyManagerNoteInfo
void CopyManagerNoteInfo(oleaut::Variant& cn, std::int32_t classTypeId, std::int32_t UserID,
                         const oleaut::Bstr& UserName);

// clsPrintSetupQuery.CopyRptManagerNoteInfo
void CopyRptManagerNoteInfo(oleaut::Variant& cn, std::int32_t rptId, std::int32_t UserID,
                            const oleaut::Bstr& UserName);

}  // namespace templates
