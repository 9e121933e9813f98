// The COM error a call raises, for tests that check its number, source and description.
#pragma once

#include <gtest/gtest.h>

#include <functional>

#include "platform/oleaut/com_error.h"

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

}  // namespace tavtest
