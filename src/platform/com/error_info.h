// The per-thread error object (SetErrorInfo/GetErrorInfo), so that a failure behind an entry
// point that can only return an HRESULT (DllRegisterServer, DllGetClassObject) still reaches the
// caller with its description and source.
#pragma once

#include <exception>
#include <optional>
#include <string_view>

#include "platform/com/hresult.h"
#include "platform/oleaut/com_error.h"

namespace com {

// Replaces this thread's error object.
void SetErrorInfo(const oleaut::ComError& error);
void ClearErrorInfo() noexcept;
// Takes this thread's error object, leaving none.
std::optional<oleaut::ComError> TakeErrorInfo() noexcept;

// For the body of an extern "C" entry point: maps the exception in flight to an HRESULT and
// keeps its description as the thread's error object. Call only inside a catch block.
HRESULT ErrorFromCurrentException(std::u16string_view source) noexcept;

// For the caller of such an entry point: does nothing on success; on failure raises the error
// object the entry point left, or else a ComError saying `what` failed with `hr`.
void RaiseIfFailed(HRESULT hr, std::u16string_view what);

}  // namespace com
