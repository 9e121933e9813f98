// vdl::Utility: the foundation library's utility object (VDL.Utility), one per thread, created on
// first use and kept until the thread ends (apartment model: no locks).
#pragma once

#include "platform/com/object.h"
#include "platform/oleaut/variant.h"

namespace vdl {

class Utility : public com::Unknown {
 public:
  ~Utility() override;
  // This thread's utility object.
  static Utility& Current();

  // `default_value` when `value` is Null or Empty, else `value`. An object with a default value
  // (an ADO Field) stands for that value: a Field whose Value is Null gives the default, one
  // whose Value is 12 gives 12. Other objects and Nothing come back as they are.
  oleaut::Variant ValueOrDefault(const oleaut::Variant& value,
                                 const oleaut::Variant& default_value) const;
};

}  // namespace vdl
