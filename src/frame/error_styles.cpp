#include "frame/error_styles.h"

#include <new>

#include "platform/oleaut/hresult.h"
#include "platform/oleaut/text.h"

namespace frame {

oleaut::ComError CurrentError() {
  try {
    throw;
  } catch (const oleaut::ComError& error) {
    return error;
  } catch (const std::bad_alloc&) {
    return oleaut::ComError(oleaut::VbHresult(7), u"TAVMPrintExport", u"Out of memory");
  } catch (const std::exception& error) {
    return oleaut::ComError(oleaut::E_FAIL, u"TAVMPrintExport", oleaut::FromUtf8(error.what()));
  } catch (...) {
    return oleaut::ComError(oleaut::E_FAIL, u"TAVMPrintExport", u"Unknown failure");
  }
}

}  // namespace frame
