#include "frame/error_styles.h"

#include <new>

#include "platform/oleaut/text.h"

namespace frame {

oleaut::ComError CurrentError() {
  constexpr auto kEFail = static_cast<std::int32_t>(0x80004005U);
  try {
    throw;
  } catch (const oleaut::ComError& error) {
    return error;
  } catch (const std::bad_alloc&) {
    return oleaut::ComError(oleaut::VbHresult(7), u"TAVMPrintExport", u"Out of memory");
  } catch (const std::exception& error) {
    return oleaut::ComError(kEFail, u"TAVMPrintExport", oleaut::FromUtf8(error.what()));
  } catch (...) {
    return oleaut::ComError(kEFail, u"TAVMPrintExport", u"Unknown failure");
  }
}

}  // namespace frame
