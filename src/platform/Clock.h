#pragma once

#include "platform/DateTime.h"

namespace tapestra {

// The one source of "now", so tests can run the scheduler on a fixed or moving clock.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual TDateTime now() const = 0;  // local wall-clock time
};

class SystemClock final : public Clock {
 public:
  TDateTime now() const override;
};

}  // namespace tapestra
