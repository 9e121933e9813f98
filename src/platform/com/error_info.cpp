#include "platform/com/error_info.h"

#include <fmt/format.h>

#include <new>

#include "platform/oleaut/text.h"

namespace com {

namespace {
thread_local std::optional<oleaut::ComError> t_error;
}  // namespace

void SetErrorInfo(const oleaut::ComError& error) {
  t_error = error;
}

void ClearErrorInfo() noexcept {
  t_error.reset();
}

std::optional<oleaut::ComError> TakeErrorInfo() noexcept {
  std::optional<oleaut::ComError> taken = std::move(t_error);
  t_error.reset();
  return taken;
}

HRESULT ErrorFromCurrentException(std::u16string_view source) noexcept {
  try {
    try {
      throw;
    } catch (const oleaut::ComError& error) {
      SetErrorInfo(error);
      return error.Number() < 0 ? error.Number() : E_FAIL;
    } catch (const std::bad_alloc&) {
      SetErrorInfo(oleaut::ComError(E_OUTOFMEMORY, std::u16string(source), u"Out of memory"));
      return E_OUTOFMEMORY;
    } catch (const std::exception& error) {
      SetErrorInfo(
          oleaut::ComError(E_FAIL, std::u16string(source), oleaut::FromUtf8(error.what())));
      return E_FAIL;
    } catch (...) {
      SetErrorInfo(oleaut::ComError(E_UNEXPECTED, std::u16string(source), u"Unknown exception"));
      return E_UNEXPECTED;
    }
  } catch (...) {
    // Recording the error ran out of memory; the HRESULT alone still tells the caller.
    return E_OUTOFMEMORY;
  }
}

void RaiseIfFailed(HRESULT hr, std::u16string_view what) {
  if (Succeeded(hr)) return;
  if (std::optional<oleaut::ComError> error = TakeErrorInfo()) throw *error;
  throw oleaut::ComError(
      hr, u"TAVPlatform",
      oleaut::FromUtf8(fmt::format("{} failed with 0x{:08X}", oleaut::ToUtf8(what),
                                   static_cast<std::uint32_t>(hr))));
}

}  // namespace com
