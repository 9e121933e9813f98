// The error styles of the public members, so that a member's style shows in one line of its
// body. Every style releases the member's objects first: they are RAII-held locals, gone by the
// time a handler below runs.
//
//   no trap                    call the body directly; errors reach the caller unchanged
//   TrapAndSwallow             errors are dropped; the member returns what it had reached
//   TrapMarkFailedAndReraise   MarkFailed on the context, then the same error again
//   TrapWithSourcePrefix       MarkFailed, result -1, the error again with the class's source
//                              prefix and the member's name before the caught source
#pragma once

#include <exception>
#include <string_view>

#include "platform/oleaut/com_error.h"
#include "platform/tavglobal/data_context.h"

namespace frame {

// The caught exception as a COM error: a ComError as it is, anything else as E_FAIL with its
// message, so that the handlers below see every failure the way a VB error trap would.
oleaut::ComError CurrentError();

// Runs `body`; on any error returns normally, leaving `result` as the body had set it.
template <class Body>
void TrapAndSwallow(Body&& body) noexcept {
  try {
    body();
  } catch (...) {  // NOLINT(bugprone-empty-catch): swallowing is this style's contract
  }
}

// Runs `body`; on an error calls MarkFailed on `context` (when given) and raises it again.
template <class Body>
decltype(auto) TrapMarkFailedAndReraise(tavglobal::DataContext* context, Body&& body) {
  try {
    return body();
  } catch (...) {
    oleaut::ComError error = CurrentError();
    if (context) context->MarkFailed();
    throw error;
  }
}

// The bill data members' style: on an error, MarkFailed on `context`, `result` = -1, and the
// error raised again with the source "TAVMAppConnection.clsGetData:<member>:<caught source>".
template <class Body>
void TrapWithSourcePrefix(tavglobal::DataContext* context, std::u16string_view member,
                          std::int32_t& result, Body&& body) {
  try {
    body();
  } catch (...) {
    oleaut::ComError error = CurrentError();
    if (context) context->MarkFailed();
    result = -1;
    throw oleaut::ComError(
        error.Number(),
        u"TAVMAppConnection.clsGetData:" + std::u16string(member) + u":" + error.Source(),
        error.Description(), error.HelpFile(), error.HelpContext());
  }
}

}  // namespace frame
