#include "platform/oleaut/clock.h"

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ctime>

#include "platform/oleaut/com_error.h"
#include "platform/oleaut/text.h"

namespace oleaut {
namespace {

thread_local ScopedFixedClock* t_fixed = nullptr;

Date SystemNow() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const auto ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()) % 1000;
  std::tm local{};
  localtime_r(&seconds, &local);
  CalendarFields f;
  f.year = local.tm_year + 1900;
  f.month = local.tm_mon + 1;
  f.day = local.tm_mday;
  f.hour = local.tm_hour;
  f.minute = local.tm_min;
  f.second = local.tm_sec > 59 ? 59 : local.tm_sec;  // a leap second
  f.millisecond = static_cast<int>(ms.count() < 0 ? ms.count() + 1000 : ms.count());
  return Date::FromFields(f);
}

}  // namespace

Date Now() {
  if (t_fixed != nullptr) return t_fixed->now_;
  if (const char* fixed = std::getenv("TAV_FIXED_NOW"); fixed != nullptr && *fixed != '\0') {
    if (const auto date = Date::ParseIso(FromUtf8(fixed))) return *date;
    RaiseVbError(kInvalidProcedureCall,
                 u"TAV_FIXED_NOW is not an ISO date-time: " + FromUtf8(fixed));
  }
  return SystemNow();
}

Date Today() {
  return Date(std::trunc(Now().OleValue()));
}

ScopedFixedClock::ScopedFixedClock(Date now) : now_(now), outer_(t_fixed) {
  t_fixed = this;
}

ScopedFixedClock::~ScopedFixedClock() {
  t_fixed = outer_;
}

void ScopedFixedClock::Advance(double days) {
  now_ = Date(now_.OleValue() + days);
}

}  // namespace oleaut
