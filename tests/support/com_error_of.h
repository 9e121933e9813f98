// The COM error a call raises, for tests that check its number, source and description; and an
// object with a default value, as the values a call is handed may be.
#pragma once

#include <gtest/gtest.h>

#include <functional>

#include "platform/oleaut/com_error.h"
#include "platform/oleaut/default_value.h"

namespace tavtest {

// The error `call` raises; a test failure, and an empty error, when it raises none.
inline oleaut::ComError ErrorOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const oleaut::ComError& error) {
    return error;
  }
  ADD_FAILURE() << "no error raised";
  return oleaut::ComError(0, u"", u"");
}

// The VB error number `call` raises, or 0 when it raises none.
inline int VbErrorOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const oleaut::ComError& error) {
    return error.VbNumber();
  }
  return 0;
}

// An object whose default value (what VB reads from it where a value is wanted) is `value`.
class DefaultValueOf : public com::Unknown, public oleaut::HasDefaultValue {
 public:
  explicit DefaultValueOf(oleaut::Variant value) : value_(std::move(value)) {}
  oleaut::Variant DefaultValue() const override { return value_; }

 private:
  oleaut::Variant value_;
};

}  // namespace tavtest
