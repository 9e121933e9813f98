// HRESULT values the object model, activation and the server entry points return or raise: the
// table of platform/oleaut/hresult.h, seen from namespace com as well.
#pragma once

#include "platform/oleaut/hresult.h"

namespace com {

using namespace oleaut::hresults;  // NOLINT(google-build-using-namespace): one table, two names

}  // namespace com
