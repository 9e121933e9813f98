// The clock behind VB's Now and Date: the local date and time as an OLE Date.
//
// Tests fix it with ScopedFixedClock, which holds for the thread that creates it (the component
// is apartment-threaded, so a call runs on its caller's thread). Whole programs (the CLI in
// golden tests) fix it with the environment variable TAV_FIXED_NOW, an ISO date-time such as
// "2024-05-06 07:08:09", read at each call; a ScopedFixedClock takes precedence over it.
#pragma once

#include "platform/oleaut/date.h"

namespace oleaut {

// The current local date and time, to the millisecond.
Date Now();
// The current local date at midnight.
Date Today();

class ScopedFixedClock {
 public:
  explicit ScopedFixedClock(Date now);
  ScopedFixedClock(const ScopedFixedClock&) = delete;
  ScopedFixedClock& operator=(const ScopedFixedClock&) = delete;
  // Restores the clock that was in force before (an outer fixed clock, or the real one).
  ~ScopedFixedClock();

  // Moves this fixed clock forward (or back) by `days`, e.g. 1.0 / 86400 for one second.
  void Advance(double days);

 private:
  friend Date Now();

  Date now_;
  ScopedFixedClock* outer_;
};

}  // namespace oleaut
