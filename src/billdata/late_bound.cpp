#include "billdata/late_bound.h"

#include <string>

#include "platform/oleaut/com_error.h"
#include "platform/tavglobal/globals.h"

namespace billdata {

com::Ptr<com::Dispatch> LateBound(const com::Ptr<com::Unknown>& object,
                                  std::u16string_view progid) {
  auto callable = com::As<com::Dispatch>(object);
  if (!callable) {
    oleaut::RaiseVbError(oleaut::kNoSuchMember,
                         std::u16string(progid) + u" cannot be called by name");
  }
  return callable;
}

com::Ptr<com::Dispatch> CreateProductObject(std::u16string_view progid) {
  return LateBound(tavglobal::ObjectCreator::Current().CreateByProgID(progid), progid);
}

}  // namespace billdata
