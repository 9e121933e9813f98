#include "platform/oleaut/clock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <thread>

#include "temp_dir.h"

namespace oleaut {
namespace {

TEST(Clock, FixedClockNestsAndStaysOnItsThread) {
  const Date real_before = Now();
  {
    ScopedFixedClock outer(Date(45292.75));
    EXPECT_EQ(Now(), Date(45292.75));
    EXPECT_EQ(Today(), Date(45292.0));
    {
      ScopedFixedClock inner(Date(100.5));
      EXPECT_EQ(Now(), Date(100.5));
      inner.Advance(0.25);
      EXPECT_EQ(Now(), Date(100.75));
    }
    EXPECT_EQ(Now(), Date(45292.75));
    Date other_thread;
    std::thread([&] { other_thread = Now(); }).join();
    EXPECT_GE(other_thread, real_before);
  }
  const Date real_after = Now();
  EXPECT_GE(real_after, real_before);
  EXPECT_LT(real_after.OleValue() - real_before.OleValue(), 1.0);
  EXPECT_EQ(Today().OleValue(), std::trunc(Now().OleValue()));
}

TEST(Clock, EnvironmentFixesTheWholeProgram) {
  tavtest::ScopedEnv fixed("TAV_FIXED_NOW", "2024-05-06 07:08:09");
  EXPECT_EQ(Now().ToIsoString(), u"2024-05-06 07:08:09.000");
  ScopedFixedClock scoped(Date(1.0));
  EXPECT_EQ(Now(), Date(1.0));
}

}  // namespace
}  // namespace oleaut
