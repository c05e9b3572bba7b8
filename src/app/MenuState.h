#pragma once

namespace tapestra {

// The tray menu's check marks and enabled states. They are program state: the handlers set
// them, the timer and the configuration writer read them, and the window only shows them.
struct MenuState {
  bool PM_Auto = false;  // checked: auto-change on
  bool PM_Prev = false;  // enabled
  bool PM_Next = false;  // enabled
  bool PM_Show_Calendar = false;
  bool PM_Move_Calendar_Enabled = false;
  bool PM_Move_Calendar = false;
  bool PM_Show_Clock = false;
  bool PM_Move_Clock_Enabled = false;
  bool PM_Move_Clock = false;
  int TrayIconIndex = 0;  // 0 auto-change off, 1 on
};

}  // namespace tapestra
