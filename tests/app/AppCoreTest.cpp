#include "app/AppCore.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "Fakes.h"
#include "app/DesktopWidgetsStub.h"
#include "app/Scheduler.h"
#include "platform/DataFolder.h"
#include "platform/IniFile.h"
#include "support/TempDir.h"

namespace tapestra {
namespace {

using testing::At;

// Records at which clock time each change happened.
class TimedChanger final : public WallpaperChanger {
 public:
  explicit TimedChanger(const testing::FakeClock& clock) : clock_(clock) {}
  bool ChangeWallpaper(const std::string& fileName) override {
    shown.push_back(fileName);
    times.push_back(clock_.now());
    return true;
  }
  std::vector<std::string> shown;
  std::vector<TDateTime> times;

 private:
  const testing::FakeClock& clock_;
};

class AppCoreTest : public ::testing::Test {
 protected:
  AppCoreTest() : changer(clock), core(clock, random, box, changer, widgets) {
    PrepareDataFolder(DataFolderIn(dir.folder()));
    core.LoadConfiguration(dir.folder(), "tapestra.ini");
  }

  // Auto-change on with the given mode, started at the given moment, one picture in the list.
  void startAuto(TimingMode mode, TDateTime start) {
    Settings& s = core.settings();
    s.RB_OS = mode == TimingMode::None;
    s.RB_Hr = mode == TimingMode::Hourly;
    s.RB_10 = mode == TimingMode::Every10;
    s.RB_30 = mode == TimingMode::Every30;
    s.RB_Day = mode == TimingMode::Daily;
    core.Pictures() = {"/p.jpg"};
    core.menu().PM_Auto = true;
    clock.set(start);
    core.StartSchedule();
  }

  // Ticks every 500 ms until the clock reaches end.
  void runUntil(TDateTime end) {
    while (clock.now() < end) {
      clock.advanceSeconds(0.5);
      core.Timer1Timer();
    }
  }

  std::vector<std::pair<int, int>> changeMinutes() const {
    std::vector<std::pair<int, int>> result;
    for (TDateTime t : changer.times) {
      const DateTimeParts p = DecodeDateTime(t);
      result.emplace_back(p.hour, p.minute);
    }
    return result;
  }

  std::string savedMain(const char* key) const {
    return IniFile(core.settings().INIPath + "tapestra.ini").readString("Main", key, "?");
  }

  test::TempDir dir;
  testing::FakeClock clock;
  testing::ScriptedRandom random;
  testing::RecordingMessageBox box;
  DesktopWidgetsStub widgets;
  TimedChanger changer;
  AppCore core;
};

TEST_F(AppCoreTest, OmitWindowSkipsThirtyMinuteChangesButKeepsTheSchedule) {
  Settings& s = core.settings();
  s.CB_Omit = true;
  std::tie(s.FM_H, s.FM_M, s.TO_H, s.TO_M) = std::make_tuple(22, 0, 6, 0);
  startAuto(TimingMode::Every30, At(2021, 1, 4, 21, 0));
  runUntil(At(2021, 1, 5, 6, 40));
  EXPECT_EQ(changeMinutes(), (std::vector<std::pair<int, int>>{{21, 30}, {22, 0}, {6, 0}, {6, 30}}));
  EXPECT_NEAR(core.NextChangeTime(), At(2021, 1, 5, 7, 0), 1e-6);
}

TEST_F(AppCoreTest, TenMinuteModeWalksTheLibraryOnTheClock) {
  startAuto(TimingMode::Every10, At(2021, 1, 4, 12, 50));
  core.Pictures() = {"A", "B", "C"};
  runUntil(At(2021, 1, 4, 13, 35));
  EXPECT_EQ(changeMinutes(), (std::vector<std::pair<int, int>>{{13, 0}, {13, 10}, {13, 20}, {13, 30}}));
  EXPECT_EQ(changer.shown, (std::vector<std::string>{"A", "B", "C", "A"}));
  EXPECT_EQ(savedMain("CurrentPictureNo"), "1");
}

TEST_F(AppCoreTest, AfterSleepOneMissedChangePerTick) {
  startAuto(TimingMode::Hourly, At(2021, 1, 4, 10, 20));
  runUntil(At(2021, 1, 4, 10, 59));
  EXPECT_TRUE(changer.times.empty());
  clock.set(At(2021, 1, 4, 13, 59, 30));  // three hours asleep
  std::vector<std::size_t> perTick;
  for (int i = 0; i < 5; ++i) {
    core.Timer1Timer();
    perTick.push_back(changer.times.size());
  }
  EXPECT_EQ(perTick, (std::vector<std::size_t>{1, 2, 3, 3, 3}));
  EXPECT_NEAR(core.NextChangeTime(), At(2021, 1, 4, 14, 0), 1e-6);
}

TEST_F(AppCoreTest, DailyModeIgnoresTheOmitWindowAtStartAndOnTicks) {
  Settings& s = core.settings();
  s.CB_Omit = true;
  std::tie(s.FM_H, s.FM_M, s.TO_H, s.TO_M) = std::make_tuple(11, 0, 14, 0);
  startAuto(TimingMode::Daily, At(2021, 1, 4, 13, 0));  // 12:00 already passed: change now
  ASSERT_EQ(changer.times.size(), 1u);
  EXPECT_NEAR(core.NextChangeTime(), At(2021, 1, 5, 12, 0), 1e-9);
  runUntil(At(2021, 1, 5, 12, 1));
  EXPECT_EQ(changeMinutes(), (std::vector<std::pair<int, int>>{{13, 0}, {12, 0}}));
}

TEST_F(AppCoreTest, DailyModeStartedBeforeItsTimeWaits) {
  startAuto(TimingMode::Daily, At(2021, 1, 4, 11, 0));
  EXPECT_TRUE(changer.times.empty());
  runUntil(At(2021, 1, 4, 12, 0, 1));
  EXPECT_EQ(changeMinutes(), (std::vector<std::pair<int, int>>{{12, 0}}));
}

TEST_F(AppCoreTest, AtStartModeChangesOnceAndTicksDoNothing) {
  startAuto(TimingMode::None, At(2021, 1, 4, 8, 0));
  runUntil(At(2021, 1, 4, 10, 0));
  EXPECT_EQ(changer.times.size(), 1u);
}

TEST_F(AppCoreTest, AutoChangeOffNeverChanges) {
  core.settings().RB_Hr = true;
  core.Pictures() = {"/p.jpg"};
  clock.set(At(2021, 1, 4, 8, 0));
  core.StartSchedule();
  runUntil(At(2021, 1, 4, 10, 30));
  EXPECT_TRUE(changer.times.empty());
  EXPECT_EQ(core.menu().TrayIconIndex, 0);
}

TEST_F(AppCoreTest, SwitchingAutoChangeOnChangesAtOnceAndRestartsTheSchedule) {
  core.settings().RB_OS = false;
  core.settings().RB_Hr = true;
  core.Pictures() = {"/p.jpg"};
  clock.set(At(2021, 1, 4, 10, 20));
  core.PM_AutoClick();
  EXPECT_TRUE(core.menu().PM_Auto && core.menu().PM_Prev && core.menu().PM_Next);
  EXPECT_EQ(core.menu().TrayIconIndex, 1);
  EXPECT_EQ(changer.times.size(), 1u);
  EXPECT_NEAR(core.NextChangeTime(), At(2021, 1, 4, 11, 0), 1e-9);
  EXPECT_EQ(savedMain("AutoChange"), "1");  // the step's write carries the on state

  core.PM_AutoClick();
  EXPECT_FALSE(core.menu().PM_Auto || core.menu().PM_Prev || core.menu().PM_Next);
  EXPECT_EQ(core.menu().TrayIconIndex, 0);
}

TEST_F(AppCoreTest, LoadingAWallpaperByHandTurnsAutoChangeOff) {
  core.menu().PM_Auto = core.menu().PM_Prev = core.menu().PM_Next = true;
  core.settings().CurrentPictureNo = 3;
  core.LoadWallpaperByHand("/hand.png");
  EXPECT_EQ(changer.shown, std::vector<std::string>{"/hand.png"});
  EXPECT_EQ(core.settings().CurrentPicture, "/hand.png");
  EXPECT_FALSE(core.menu().PM_Auto || core.menu().PM_Prev || core.menu().PM_Next);
  EXPECT_EQ(core.settings().CurrentPictureNo, 3);
  EXPECT_EQ(savedMain("CurrentPicture"), "?");  // nothing written
}

TEST_F(AppCoreTest, SequentialStepsWrapAndSaveThePosition) {
  core.Pictures() = {"A", "B", "C"};
  std::vector<std::string> saved;
  for (int i = 0; i < 4; ++i) {
    core.SetWallpaper();
    saved.push_back(savedMain("CurrentPictureNo"));
  }
  EXPECT_EQ(changer.shown, (std::vector<std::string>{"A", "B", "C", "A"}));
  EXPECT_EQ(saved, (std::vector<std::string>{"1", "2", "0", "1"}));
  EXPECT_EQ(savedMain("CurrentPicture"), "A");
}

TEST_F(AppCoreTest, RandomOrderReshufflesAtTheEndButNotOnNext) {
  core.settings().RB_Seq = false;
  core.settings().RB_Rnd = true;
  core.Pictures() = {"A", "B", "C"};
  core.PM_NextClick();
  core.PM_NextClick();
  core.PM_NextClick();  // passes the end by hand: no reshuffle
  EXPECT_EQ(random.seeds, 0);
  EXPECT_EQ(core.settings().CurrentPictureNo, 0);
  core.SetWallpaper();
  core.SetWallpaper();
  core.SetWallpaper();  // a scheduled step passes the end: reshuffle
  EXPECT_EQ(random.seeds, 1);
  EXPECT_EQ(core.settings().CurrentPictureNo, 0);
  // The shuffled order is what the configuration keeps.
  const IniEntries saved = IniFile(core.settings().INIPath + "tapestra.ini").readSection("Pictures");
  ASSERT_EQ(saved.size(), 3u);
  EXPECT_EQ(saved[0].second, core.Pictures()[0]);
}

TEST_F(AppCoreTest, ShuffleSwapsEveryPositionWithAnyPosition) {
  testing::ScriptedRandom draws({2, 2, 0});  // i=0↔2, i=1↔2, i=2↔0
  AppCore other(clock, draws, box, changer, widgets);
  std::vector<std::string> list{"A", "B", "C"};
  other.RandomizeList(list);
  // A B C → C B A → C A B → B A C
  EXPECT_EQ(list, (std::vector<std::string>{"B", "A", "C"}));
}

TEST_F(AppCoreTest, APositionOutsideTheListShowsNothingThenStartsOver) {
  // Past the end (a restored list that shrank), and hand-edited values: negative, and the top
  // of the integer range, where counting on would overflow.
  for (const std::int32_t saved : {7, -3, INT32_MAX}) {
    changer.shown.clear();
    core.Pictures() = {"A", "B", "C", "D", "E"};
    core.settings().CurrentPictureNo = saved;
    core.SetWallpaper();
    EXPECT_TRUE(changer.shown.empty()) << saved;
    EXPECT_EQ(core.settings().CurrentPicture, "") << saved;
    EXPECT_EQ(core.settings().CurrentPictureNo, 0) << saved;
    core.SetWallpaper();
    EXPECT_EQ(changer.shown, std::vector<std::string>{"A"}) << saved;
  }
}

TEST_F(AppCoreTest, PreviousFromAHandEditedPositionStaysInTheList) {
  for (const std::int32_t saved : {INT32_MIN, INT32_MIN + 1, INT32_MAX}) {
    changer.shown.clear();
    core.Pictures() = {"A", "B", "C", "D"};
    core.settings().CurrentPictureNo = saved;
    core.PM_PrevClick();
    ASSERT_EQ(changer.shown.size(), 1u) << saved;
    EXPECT_GE(core.settings().CurrentPictureNo, 0) << saved;
    EXPECT_LT(core.settings().CurrentPictureNo, 4) << saved;
  }
}

TEST_F(AppCoreTest, PreviousStepsBackAndWrapsWithoutReshuffle) {
  core.settings().RB_Rnd = true;
  core.Pictures() = {"A", "B", "C", "D"};
  core.settings().CurrentPictureNo = 2;  // B on the desktop
  core.PM_PrevClick();
  core.PM_PrevClick();
  EXPECT_EQ(changer.shown, (std::vector<std::string>{"A", "D"}));
  EXPECT_EQ(core.settings().CurrentPictureNo, 0);
  EXPECT_EQ(random.seeds, 0);
}

TEST_F(AppCoreTest, OneEntryListShowsTheSamePictureBothWays) {
  core.Pictures() = {"A"};
  core.SetWallpaper();
  core.PM_PrevClick();
  core.PM_NextClick();
  EXPECT_EQ(changer.shown, (std::vector<std::string>{"A", "A", "A"}));
}

TEST_F(AppCoreTest, EmptyListStepChangesNothingButStillWrites) {
  core.settings().CurrentPictureNo = 4;
  core.SetWallpaper();
  EXPECT_TRUE(changer.shown.empty());
  EXPECT_EQ(savedMain("CurrentPictureNo"), "0");
  core.PM_PrevClick();  // nothing to step back to
  EXPECT_TRUE(changer.shown.empty());
}

}  // namespace
}  // namespace tapestra
