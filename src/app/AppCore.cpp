#include "app/AppCore.h"

#include <cmath>
#include <cstdint>
#include <utility>

#include "app/Configuration.h"
#include "app/Scheduler.h"
#include "platform/DataFolder.h"

namespace tapestra {

AppCore::AppCore(const Clock& clock, Random& random, MessageBox& box, WallpaperChanger& changer,
                 DesktopWidgets& widgets)
    : clock_(clock), random_(random), box_(box), changer_(changer), widgets_(widgets) {}

void AppCore::LoadConfiguration(const std::string& appData, const std::string& configFileName) {
  menu_.TrayIconIndex = 0;
  settings_.INIFile = configFileName;
  settings_.INIPath = DataFolderIn(appData);
  settings_.OriginalFile = settings_.INIPath + "_WallPaper.bmp";
  pictures_.clear();
  ReadIni(IniFile(settings_.INIPath + settings_.INIFile), settings_, menu_, pictures_);
}

void AppCore::StartSchedule() {
  if (menu_.PM_Auto) {
    menu_.TrayIconIndex = 1;
    const FirstChange first = ComputeNextChangeTime(settings_, clock_.now());
    nextChangeTime_ = first.next;
    const TimingMode mode = DecidingMode(settings_);
    // Neither start-up change looks at the omit window.
    if (mode == TimingMode::Daily && first.dailyTimePassed) {
      SetWallpaper();
    } else if (mode == TimingMode::None && settings_.RB_OS) {
      SetWallpaper();
    }
  }
  flag1_ = true;
}

void AppCore::RestartSchedule() { nextChangeTime_ = ComputeNextChangeTime(settings_, clock_.now()).next; }

void AppCore::Timer1Timer() {
  const TDateTime now = clock_.now();
  if (menu_.PM_Show_Calendar) {
    if (std::floor(now) != settings_.CurrentDate) {
      widgets_.SetCalendar(std::floor(now));
      if (settings_.CalendarTransparentValue < 100) widgets_.ShowCalendarBackdropBehindAll();
    } else if (flag1_) {
      widgets_.ShowCalendar();
    }
  }
  if (menu_.PM_Show_Clock && flag1_) {
    if (settings_.ClockTransparentValue < 100) widgets_.ShowClockBackdrop();
    widgets_.ShowClock();
  }
  flag1_ = false;

  if (!menu_.PM_Auto) return;
  const TimingMode mode = DecidingMode(settings_);
  if (mode == TimingMode::None || !(now > nextChangeTime_)) return;
  // The daily change ignores the omit window; a skipped change still moves the schedule on.
  if (mode == TimingMode::Daily || !IsOmit(settings_, now)) SetWallpaper();
  // One period per tick, counted from the old value: after a sleep the missed changes come
  // one per tick until the schedule lies ahead again.
  nextChangeTime_ += ChangePeriod(settings_, mode);
}

void AppCore::PM_AutoClick() {
  menu_.PM_Auto = !menu_.PM_Auto;
  menu_.PM_Prev = menu_.PM_Next = menu_.PM_Auto;
  if (menu_.PM_Auto) {
    menu_.TrayIconIndex = 1;
    SetWallpaper();
    RestartSchedule();
  } else {
    menu_.TrayIconIndex = 0;
  }
}

void AppCore::LoadPictures() {
  pictures_ = library_ != nullptr ? library_->RotationPaths(settings_.AllCategories, settings_.Category)
                                  : std::vector<std::string>();
  if (settings_.RB_Rnd) RandomizeList(pictures_);
  if (settings_.CurrentPictureNo >= static_cast<int>(pictures_.size())) settings_.CurrentPictureNo = 0;
}

void AppCore::TurnAutoChangeOff() {
  menu_.PM_Auto = false;
  menu_.PM_Prev = menu_.PM_Next = false;
  menu_.TrayIconIndex = 0;
}

void AppCore::LoadWallpaperByHand(const std::string& fileName) {
  settings_.CurrentPicture = fileName;
  changer_.ChangeWallpaper(fileName);
  TurnAutoChangeOff();
}

void AppCore::PM_ExitClick() {
  if (menu_.PM_Show_Calendar) widgets_.SaveCalendar();
  if (menu_.PM_Show_Clock) widgets_.SaveClock();
}

void AppCore::WriteIni() {
  WriteConfiguration(settings_, box_, [&](IniFile& ini) {
    WriteMainSection(ini, settings_, menu_);
    WritePicturesSection(ini, settings_, pictures_);
  });
}

void AppCore::RandomizeList(std::vector<std::string>& list) {
  random_.seedFromClock();
  const int n = static_cast<int>(list.size());
  // Every position draws from the whole list (not Fisher–Yates): the order the design uses.
  for (int i = 0; i < n; ++i) {
    const int j = random_.below(n);
    std::swap(list[static_cast<std::size_t>(i)], list[static_cast<std::size_t>(j)]);
  }
}

void AppCore::SetWallpaper() {
  const int n = static_cast<int>(pictures_.size());
  const int position = settings_.CurrentPictureNo;
  const bool inside = position >= 0 && position < n;
  settings_.CurrentPicture = inside ? pictures_[static_cast<std::size_t>(position)] : std::string();
  // A position outside the list (a stale or hand-edited one, negative or at the top of the
  // integer range) starts over like one past the end, instead of counting up to the list.
  if (inside && position + 1 < n) {
    ++settings_.CurrentPictureNo;
  } else {
    settings_.CurrentPictureNo = 0;
    if (settings_.RB_Rnd && !noRndFlag_) RandomizeList(pictures_);
  }
  if (!settings_.CurrentPicture.empty()) changer_.ChangeWallpaper(settings_.CurrentPicture);
  noRndFlag_ = false;
  WriteIni();
}

void AppCore::PM_PrevClick() {
  const int n = static_cast<int>(pictures_.size());
  if (n == 0) return;
  // Counted wide: a hand-edited position near the ends of the integer range must not overflow.
  std::int64_t position = std::int64_t{settings_.CurrentPictureNo} - 2;
  if (position < 0) position += n;
  // A one-entry list would land on -1 and show nothing; wrap it onto the list instead.
  if (position < 0) position = (position % n + n) % n;
  if (position > n - 1) position = 0;
  settings_.CurrentPictureNo = static_cast<std::int32_t>(position);
  noRndFlag_ = true;
  SetWallpaper();
}

void AppCore::PM_NextClick() {
  noRndFlag_ = true;
  SetWallpaper();
}

}  // namespace tapestra
