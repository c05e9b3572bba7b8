#pragma once

#include "app/AppCore.h"

namespace tapestra {

// The desktop calendar and clock for as long as their windows are not built: every call does
// nothing. Tests and benchmarks that do not look at the widgets use it as well.
class DesktopWidgetsStub final : public DesktopWidgets {
 public:
  void SetCalendar(TDateTime) override {}
  void ShowCalendarBackdropBehindAll() override {}
  void ShowCalendar() override {}
  void ShowClockBackdrop() override {}
  void ShowClock() override {}
  void SaveCalendar() override {}
  void SaveClock() override {}
};

}  // namespace tapestra
