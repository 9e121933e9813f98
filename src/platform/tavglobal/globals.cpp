#include "platform/tavglobal/globals.h"

#include "platform/com/activation.h"

namespace tavglobal {

Globals& Globals::Current() {
  thread_local Globals globals;
  return globals;
}

com::Ptr<DataContext> Globals::GetCurrentContext() {
  if (!context_) context_ = com::Make<DataContext>();
  return context_;
}

ObjectCreator& ObjectCreator::Current() {
  thread_local ObjectCreator creator;
  return creator;
}

com::Ptr<com::Unknown> ObjectCreator::CreateByProgID(std::u16string_view progid,
                                                     const oleaut::Variant& /*unused*/) {
  return com::CreateByProgID(progid);
}

}  // namespace tavglobal
