#pragma once

#include <string>
#include <vector>

#include "app/MenuState.h"
#include "app/Settings.h"
#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "platform/Random.h"

namespace tapestra {

// Makes a picture file the wallpaper (the composer); false when the desktop did not take it.
class WallpaperChanger {
 public:
  virtual ~WallpaperChanger() = default;
  virtual bool ChangeWallpaper(const std::string& fileName) = 0;
};

// What the rotation needs from the picture library: the paths of one group (by name) or of
// all groups, in the library's order (by group id, then by the pictures' order). A name that
// matches no group gives an empty list.
class PictureLibrary {
 public:
  virtual ~PictureLibrary() = default;
  virtual std::vector<std::string> RotationPaths(bool allCategories, const std::string& category) = 0;
};

// The desktop calendar and clock windows as the main timer and the exit command see them.
class DesktopWidgets {
 public:
  virtual ~DesktopWidgets() = default;
  virtual void SetCalendar(TDateTime today) = 0;  // rebuilds the month; records CurrentDate
  virtual void ShowCalendarBackdropBehindAll() = 0;
  virtual void ShowCalendar() = 0;
  virtual void ShowClockBackdrop() = 0;
  virtual void ShowClock() = 0;
  // Leaves move mode if needed and writes the widget's section.
  virtual void SaveCalendar() = 0;
  virtual void SaveClock() = 0;
};

// The main window's logic without any window: the settings model, the tray menu states, the
// rotation list, the scheduler and the commands that do not need a dialog.
class AppCore {
 public:
  AppCore(const Clock& clock, Random& random, MessageBox& box, WallpaperChanger& changer,
          DesktopWidgets& widgets);

  // Finds the data folder under appData and reads the configuration; configFileName is
  // the executable's name with ".ini".
  void LoadConfiguration(const std::string& appData, const std::string& configFileName);
  // The auto-change part of start-up: icon, first change time and the start-up change.
  void StartSchedule();

  void Timer1Timer();
  void PM_AutoClick();
  void PM_PrevClick();
  void PM_NextClick();
  // The load-wallpaper command after the file dialog: shows the file, turns auto-change off.
  void LoadWallpaperByHand(const std::string& fileName);
  // Saves the shown widgets' sections; the window then closes.
  void PM_ExitClick();
  // Writes sections Main and Pictures (at shutdown and after every rotation step).
  void WriteIni();

  // The library the rotation draws from; set once the library is open.
  void SetLibrary(PictureLibrary* library) { library_ = library; }
  // Rebuilds Pictures from the library (shuffled in random order); keeps the position when
  // it still lies inside the list.
  void LoadPictures();
  // What the library dialog does when it takes the active group away: auto-change off.
  void TurnAutoChangeOff();
  // Shows a picture at once, as a double click in the library dialog does; auto-change off.
  void ShowPictureNow(const std::string& fileName) { LoadWallpaperByHand(fileName); }
  WallpaperChanger& changer() { return changer_; }

  // One rotation step: shows the picture at CurrentPictureNo and moves on.
  void SetWallpaper();
  void RandomizeList(std::vector<std::string>& list);
  void RestartSchedule();

  Settings& settings() { return settings_; }
  const Settings& settings() const { return settings_; }
  MenuState& menu() { return menu_; }
  const MenuState& menu() const { return menu_; }
  std::vector<std::string>& Pictures() { return pictures_; }
  TDateTime NextChangeTime() const { return nextChangeTime_; }
  bool Flag1() const { return flag1_; }

 private:
  const Clock& clock_;
  Random& random_;
  MessageBox& box_;
  WallpaperChanger& changer_;
  DesktopWidgets& widgets_;
  PictureLibrary* library_ = nullptr;

  Settings settings_;
  MenuState menu_;
  std::vector<std::string> pictures_;
  TDateTime nextChangeTime_ = 0;
  bool flag1_ = false;
  bool noRndFlag_ = false;
};

}  // namespace tapestra
