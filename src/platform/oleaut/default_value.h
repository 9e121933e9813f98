// Objects with a default property: VB reads `field` as `field.Value` wherever a value is needed
// (CStr(field), field = 0). An object implements HasDefaultValue to take part in that; the
// conversions and the foundation utility object look through it.
#pragma once

#include "platform/oleaut/variant.h"

namespace oleaut {

class HasDefaultValue {
 public:
  virtual ~HasDefaultValue();
  virtual Variant DefaultValue() const = 0;
};

// What `value` stands for where a value is needed: an object's default value (followed through
// objects whose default value is itself such an object), anything else as it is. An object
// without a default value, and Nothing, come back unchanged.
Variant ValueOf(const Variant& value);

}  // namespace oleaut
