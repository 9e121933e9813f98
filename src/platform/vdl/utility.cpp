#include "platform/vdl/utility.h"

#include "platform/oleaut/default_value.h"

namespace vdl {

Utility::~Utility() = default;

Utility& Utility::Current() {
  thread_local const com::Ptr<Utility> current = com::Make<Utility>();
  return *current;
}

oleaut::Variant Utility::ValueOrDefault(const oleaut::Variant& value,
                                        const oleaut::Variant& default_value) const {
  oleaut::Variant resolved = oleaut::ValueOf(value);
  if (resolved.IsNull() || resolved.IsEmpty()) return default_value;
  return resolved;
}

}  // namespace vdl
