#include "app/Configuration.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "Fakes.h"
#include "support/TempDir.h"

namespace tapestra {
namespace {

using test::ReadFile;
using test::WriteFile;
using testing::At;
using testing::RecordingMessageBox;

struct Loaded {
  Settings s;
  MenuState menu;
  std::vector<std::string> pictures;
};

Loaded Read(const std::string& path) {
  Loaded l;
  ReadIni(IniFile(path), l.s, l.menu, l.pictures);
  return l;
}

TEST(ReadIni, EmptyOrMissingFileGivesTheDefaults) {
  test::TempDir dir;
  WriteFile(dir.folder() + "empty.ini", "");
  for (const std::string name : {"empty.ini", "missing.ini"}) {
    const Loaded l = Read(dir.folder() + name);
    const Settings& s = l.s;
    EXPECT_FALSE(l.menu.PM_Auto);
    EXPECT_FALSE(l.menu.PM_Prev || l.menu.PM_Next);
    EXPECT_FALSE(l.menu.PM_Show_Calendar || l.menu.PM_Show_Clock);
    EXPECT_FALSE(l.menu.PM_Move_Calendar_Enabled || l.menu.PM_Move_Clock_Enabled);
    EXPECT_FALSE(s.AllCategories);
    EXPECT_EQ(s.Category, "");
    EXPECT_TRUE(s.RB_Seq);
    EXPECT_FALSE(s.RB_Rnd || s.Shuffle);
    EXPECT_TRUE(s.RB_OS);
    EXPECT_FALSE(s.RB_Hr || s.RB_10 || s.RB_30 || s.RB_Int || s.RB_Day);
    EXPECT_EQ(std::tie(s.IntH, s.IntM, s.DayH, s.DayM), std::make_tuple(1, 0, 12, 0));
    EXPECT_FALSE(s.CB_Omit);
    EXPECT_EQ(s.WallpaperStyleNo, 0);
    EXPECT_EQ(s.WallPaperStyle, 100);
    EXPECT_EQ(s.ResizeMode, TResizeMode::rmBilinear);
    EXPECT_TRUE(s.BackgroundSingle);
    EXPECT_FALSE(s.BackgroundBright || s.BackgroundDark || s.BackgroundAverage);
    EXPECT_EQ(s.CalendarFontName, "Courier");
    EXPECT_EQ(s.CalendarHolidayFontName, "Courier");
    EXPECT_EQ(s.ClockFontName, "ＭＳ ゴシック");
    EXPECT_EQ(std::tie(s.BGType, s.HandType, s.HandLength, s.ClockSize), std::make_tuple(1, 0, 75, 128));
    EXPECT_EQ(s.CalendarTransparentValue, 100);
    EXPECT_EQ(s.ClockTransparentValue, 100);
    EXPECT_EQ(std::tie(s.ColorHur, s.ColorMin, s.ColorSec), std::make_tuple(255, 255, 16711680));
    EXPECT_TRUE(l.pictures.empty());
    EXPECT_TRUE(s.SpecialDays.empty());
  }
}

TEST(ReadIni, OddValuesFollowTheKindRules) {
  test::TempDir dir;
  WriteFile(dir.folder() + "t.ini",
            "[main]\nautochange=7\nShowClock=1\nCurrentPictureNo=x\n"
            "[Auto]\nIntervalH=abc\nEverydayH=-3\nCategory= \"Family photos\" \n"
            "[Settings]\nCalendarTransparentValue=300\nWallpaperStyleNo=265\nBGType=0x10\n"
            "[SpecialDays]\nb=12/24,Eve\na=2021/3/5\n");
  const Loaded l = Read(dir.folder() + "t.ini");
  EXPECT_TRUE(l.menu.PM_Auto);  // any non-zero value is true
  EXPECT_TRUE(l.menu.PM_Prev && l.menu.PM_Next);
  EXPECT_TRUE(l.menu.PM_Move_Clock_Enabled);
  EXPECT_FALSE(l.menu.PM_Move_Calendar_Enabled);
  EXPECT_EQ(l.s.CurrentPictureNo, 0);
  EXPECT_EQ(l.s.IntH, 1);
  EXPECT_EQ(l.s.DayH, -3);
  EXPECT_EQ(l.s.Category, "Family photos");
  EXPECT_EQ(l.s.CalendarTransparentValue, 44);  // low 8 bits
  EXPECT_EQ(l.s.WallpaperStyleNo, 9);
  EXPECT_EQ(l.s.WallPaperStyle, 1);
  EXPECT_EQ(l.s.BGType, 16);
  EXPECT_EQ(l.s.SpecialDays, (std::vector<std::string>{"12/24,Eve", "2021/3/5"}));  // file order
}

TEST(ResizeModeNames, ExactNamesOnlyElseBilinear) {
  const std::pair<const char*, TResizeMode> cases[] = {
      {"Lanczos", TResizeMode::rmLanczos},   {"Nearest", TResizeMode::rmNearest},
      {"Lagrange", TResizeMode::rmLagrange}, {"BSpline", TResizeMode::rmBSpline},
      {"bilinear", TResizeMode::rmBilinear}, {"rmBilinear", TResizeMode::rmBilinear},
      {"lanczos", TResizeMode::rmBilinear},  {"", TResizeMode::rmBilinear}};
  for (const auto& [name, mode] : cases) EXPECT_EQ(ResizeModeFromName(name), mode) << name;
  EXPECT_STREQ(ResizeModeName(TResizeMode::rmHermite), "Hermite");
  EXPECT_STREQ(ResizeModeName(static_cast<TResizeMode>(42)), "Bilinear");
  // The exact form, which the compose tool's --filter uses, refuses instead of falling back.
  for (int i = 0; i < 9; ++i) {
    const auto mode = static_cast<TResizeMode>(i);
    EXPECT_EQ(ResizeModeFromExactName(ResizeModeName(mode)), mode) << i;
  }
  for (const char* name : {"bilinear", "rmBilinear", "Gaussian", ""}) {
    EXPECT_EQ(ResizeModeFromExactName(name), std::nullopt) << name;
  }
}

TEST(PicturesSection, OnlyInRandomOrderWithoutShuffleAtStart) {
  struct Case {
    const char* auto_;
    bool kept;
  } cases[] = {{"Sequential=1\nRandom=0\n", false},
               {"Sequential=0\nRandom=1\nShuffle=0\n", true},
               {"Sequential=0\nRandom=1\nShuffle=1\n", false}};
  for (const Case& c : cases) {
    test::TempDir dir;
    const std::string path = dir.folder() + "t.ini";
    WriteFile(path, std::string("[Auto]\n") + c.auto_ + "[Pictures]\n1=/b.jpg\n0=/a.jpg\n");
    Loaded l = Read(path);
    const std::vector<std::string> restored{"/b.jpg", "/a.jpg"};
    EXPECT_EQ(l.pictures, c.kept ? restored : std::vector<std::string>());

    IniFile ini(path);
    WritePicturesSection(ini, l.s, {"/x.jpg", "/y.jpg"});
    EXPECT_EQ(ini.hasSection("Pictures"), c.kept) << c.auto_;
    if (c.kept) {
      EXPECT_EQ(ini.readSection("Pictures"), (IniEntries{{"0", "/x.jpg"}, {"1", "/y.jpg"}}));
    }
  }
}

TEST(Writers, WriteTheirKeysInOrderAndReadBack) {
  test::TempDir dir;
  const std::string path = dir.folder() + "t.ini";
  WriteFile(path, "[Calendar]\nLeft=5\n[Main]\nStale=1\nAutoChange=1\n");
  Settings s;
  s.CurrentPictureNo = 2;
  s.CurrentPicture = "/pics/b.jpg";
  s.AllCategories = true;
  s.RB_Rnd = true;
  s.RB_Seq = false;
  s.IntH = 168;
  s.ResizeMode = TResizeMode::rmMitchell;
  s.WallpaperStyleNo = 6;
  s.ClockFontName = "IPAGothic";
  MenuState menu;
  menu.PM_Show_Clock = true;
  IniFile ini(path);
  WriteMainSection(ini, s, menu);
  WriteAutoSection(ini, s);
  WriteSettingsSection(ini, s);
  ASSERT_TRUE(ini.save());

  const std::string text = ReadFile(path);
  EXPECT_EQ(text.substr(0, text.find("[Auto]")),
            "[Calendar]\nLeft=5\n[Main]\nCurrentPictureNo=2\nCurrentPicture=/pics/b.jpg\nAutoChange=0\n"
            "ShowCalendar=0\nShowClock=1\nAllCategories=1\n");
  EXPECT_NE(text.find("[Auto]\nCategory=\nSequential=0\nRandom=1\nShuffle=0\nChangeHr=0\nChangeOS=1\n"),
            std::string::npos);
  EXPECT_NE(text.find("[Settings]\nResizeMode=Mitchell\nWallpaperStyleNo=6\nBackgroundSingle=1\n"),
            std::string::npos);
  EXPECT_NE(text.find("ClockFontStrikeOut=0\nClockFontColor=0\n"), std::string::npos);

  const Loaded l = Read(path);
  EXPECT_EQ(l.s.CurrentPicture, "/pics/b.jpg");
  EXPECT_EQ(l.s.IntH, 168);
  EXPECT_EQ(l.s.ResizeMode, TResizeMode::rmMitchell);
  EXPECT_EQ(l.s.WallPaperStyle, 0);
  EXPECT_EQ(l.s.ClockFontName, "IPAGothic");
  EXPECT_TRUE(l.menu.PM_Show_Clock);
}

TEST(SpecialDays, DatedEntriesBeforeThisMonthAreDroppedAndKeysKeepTheirIndex) {
  Settings s;
  s.SpecialDays = {"2019/5/1,X", "5/1,Y", "2099/1/1,Z", "2021/2/28", "2021/3/1,Now", "weird,entry"};
  IniFile ini("/nonexistent/never-saved.ini");
  WriteSpecialDaysSection(ini, s, At(2021, 3, 15, 9, 0));
  EXPECT_EQ(ini.readSection("SpecialDays"), (IniEntries{{"1", "5/1,Y"},
                                                         {"2", "2099/1/1,Z"},
                                                         {"4", "2021/3/1,Now"},
                                                         {"5", "weird,entry"}}));
}

TEST(WriteConfiguration, FolderThatCannotBeCreatedShowsTheErrorAndWritesNothing) {
  test::TempDir dir;
  // A plain file where the last level of the data folder should be.
  WriteFile(dir.folder() + "ZENTRO/Tapestra", "not a folder");
  Settings s;
  s.INIPath = dir.folder() + "ZENTRO/Tapestra/";
  s.INIFile = "tapestra.ini";
  RecordingMessageBox box;
  EXPECT_FALSE(WriteConfiguration(s, box, [&](IniFile& ini) { WriteAutoSection(ini, s); }));
  ASSERT_EQ(box.errors.size(), 1u);
  EXPECT_EQ(box.errors[0], "<" + s.INIPath + "> creation error.\nConfigurations may not be saved.");
  EXPECT_EQ(ReadFile(dir.folder() + "ZENTRO/Tapestra"), "not a folder");

  // Only the last level is created: a missing parent fails the same way.
  s.INIPath = dir.folder() + "missing/Tapestra/";
  EXPECT_FALSE(WriteConfiguration(s, box, [&](IniFile& ini) { WriteAutoSection(ini, s); }));
  EXPECT_EQ(box.errors.size(), 2u);

  s.INIPath = dir.folder() + "ZENTRO2/";
  EXPECT_TRUE(WriteConfiguration(s, box, [&](IniFile& ini) { WriteAutoSection(ini, s); }));
  EXPECT_TRUE(std::filesystem::exists(s.INIPath + s.INIFile));
}

}  // namespace
}  // namespace tapestra
