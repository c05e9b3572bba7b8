#include "platform/Clock.h"

#include <chrono>
#include <ctime>

namespace tapestra {

TDateTime SystemClock::now() const {
  using namespace std::chrono;
  const auto nowPoint = system_clock::now();
  const std::time_t seconds = system_clock::to_time_t(nowPoint);
  std::tm local{};
  localtime_r(&seconds, &local);
  const auto ms = duration_cast<milliseconds>(nowPoint.time_since_epoch()).count() % 1000;
  return EncodeDateTime({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                         local.tm_min, local.tm_sec, static_cast<int>(ms < 0 ? ms + 1000 : ms)});
}

}  // namespace tapestra
