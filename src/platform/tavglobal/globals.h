// The globals object and the object creator: one of each per thread, created on first use and
// kept until the thread ends (the component is apartment-threaded, so nothing here needs a lock).
#pragma once

#include <string_view>

#include "platform/com/object.h"
#include "platform/oleaut/variant.h"
#include "platform/tavglobal/data_context.h"

namespace tavglobal {

class Globals {
 public:
  // This thread's globals object.
  static Globals& Current();

  // This thread's data-access context.
  com::Ptr<DataContext> GetCurrentContext();

 private:
  Globals() = default;
  com::Ptr<DataContext> context_;
};

// Creates the product's other components by ProgID (activation through the registry, so each is
// a separately registered server).
class ObjectCreator {
 public:
  static ObjectCreator& Current();

  // The optional second argument is accepted and ignored, as every caller omits it. An
  // unregistered ProgID raises the activation's "class not registered" error naming it.
  com::Ptr<com::Unknown> CreateByProgID(std::u16string_view progid,
                                        const oleaut::Variant& unused = oleaut::kMissing);

 private:
  ObjectCreator() = default;
};

}  // namespace tavglobal
