#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "ComposerTestSupport.h"
#include "app/Composer.h"
#include "imaging/ColorAnalysis.h"
#include "imaging/VCLImageUtils.h"
#include "platform/PictureDecoder.h"
#include "platform/RecordingDesktop.h"
#include "support/TempDir.h"

namespace tapestra {
namespace {

using test::TempDir;
using testing::MakePicture;
using Lines = std::vector<std::string>;

TEST(ComposerRounding, RoundoffIsHalfAwayFromZero) {
  EXPECT_EQ(Roundoff(2.5), 3);
  EXPECT_EQ(Roundoff(-2.5), -3);
  EXPECT_EQ(Roundoff(2.4999), 2);
  EXPECT_EQ(Roundoff(-0.4), 0);
}

TEST(ComposerStyles, PlacementNumberPerStyle) {
  const int expected[] = {100, 60, 20, 1, 0, 180, 0, 0, 0, 1, 0, 0};
  for (int no = 0; no < 12; ++no) EXPECT_EQ(WallPaperStyleFor(no), expected[no]) << no;
  EXPECT_EQ(WallPaperStyleFor(255), 0);
}

struct TileCase {
  int w, h;
  StretchTileGeometry want;
};

TEST(ComposerGeometry, TilesOnFullHd) {
  const TileCase cases[] = {
      {800, 600, {960, 540, 720, 540, 120, 0}},
      {300, 200, {320, 216, 320, 213, 0, 2}},
      {2400, 500, {1920, 360, 1728, 360, 96, 0}},
      {1920, 100, {1920, 99, 1901, 99, 10, 0}},
      {960, 540, {960, 540, 960, 540, 0, 0}},
      // 1920 / 713 = 2.69 stays 2 tiles; 1920 / 711 = 2.70 becomes 3.
      {713, 1080, {960, 1080, 713, 1080, 124, 0}},
      {711, 1080, {640, 1080, 640, 972, 0, 54}},
  };
  for (const TileCase& c : cases) {
    StretchTileGeometry g;
    ASSERT_TRUE(PlanStretchTile(c.w, c.h, 1920, 1080, g)) << c.w << "x" << c.h;
    EXPECT_EQ(g.tileWidth, c.want.tileWidth) << c.w << "x" << c.h;
    EXPECT_EQ(g.tileHeight, c.want.tileHeight) << c.w << "x" << c.h;
    EXPECT_EQ(g.fitWidth, c.want.fitWidth) << c.w << "x" << c.h;
    EXPECT_EQ(g.fitHeight, c.want.fitHeight) << c.w << "x" << c.h;
    EXPECT_EQ(g.x, c.want.x) << c.w << "x" << c.h;
    EXPECT_EQ(g.y, c.want.y) << c.w << "x" << c.h;
  }
}

TEST(ComposerGeometry, BlurredMarginsOnFullHd) {
  StretchBlurGeometry g;
  ASSERT_TRUE(PlanStretchBlur(1200, 900, 1920, 1080, g));
  EXPECT_EQ(g.fitWidth, 1440);
  EXPECT_EQ(g.fitHeight, 1080);
  EXPECT_EQ(g.x, 240);
  EXPECT_EQ(g.y, 0);
  ASSERT_TRUE(PlanStretchBlur(1920, 1080, 1920, 1080, g));
  EXPECT_EQ(g.fitWidth, 1920);
  EXPECT_EQ(g.x, 0);
  ASSERT_TRUE(PlanStretchBlur(4000, 1000, 1920, 1080, g));
  EXPECT_EQ(g.fitHeight, 480);
  EXPECT_EQ(g.y, 300);
}

TEST(ComposerGeometry, SidesRoundingToNothingAreRefused) {
  StretchBlurGeometry b;
  StretchTileGeometry t;
  EXPECT_FALSE(PlanStretchBlur(1, 3000, 1920, 1080, b));  // 0.36 pixels wide
  EXPECT_FALSE(PlanStretchTile(1, 3000, 1920, 1080, t));
  EXPECT_FALSE(PlanStretchBlur(100, 100, 0, 1080, b));
  EXPECT_TRUE(PlanStretchBlur(1, 1500, 1920, 1080, b));  // 0.72 rounds to 1
  EXPECT_EQ(b.fitWidth, 1);
}

// A picture file in a temporary folder, with a composer over a recording desktop whose
// data folder is that folder.
class ComposerFixture : public ::testing::Test {
 protected:
  ComposerFixture() : desktop_({1920, 1080}), composer_(settings_, desktop_) {
    settings_.INIPath = temp_.folder();
    settings_.OriginalFile = temp_.file("_WallPaper.bmp");
    settings_.ResizeMode = TResizeMode::rmBilinear;
  }

  std::string Picture(int w, int h, const std::string& name = "picture.bmp") {
    const std::string path = temp_.file(name);
    EXPECT_TRUE(SaveBmp24(MakePicture(w, h), path));
    return path;
  }
  void UseStyle(int no) {
    settings_.WallpaperStyleNo = static_cast<std::uint8_t>(no);
    settings_.WallPaperStyle = WallPaperStyleFor(no);
  }
  // The size of the written _WallPaper.bmp, or 0 × 0 when there is none.
  std::pair<int, int> Written() {
    int w = 0, h = 0;
    if (!ReadPictureSize(settings_.OriginalFile, w, h)) return {0, 0};
    return {w, h};
  }
  const std::string& Original() const { return settings_.OriginalFile; }

  TempDir temp_;
  Settings settings_;
  RecordingDesktop desktop_;
  WallpaperComposer composer_;
};

struct StyleCase {
  int style;
  int w, h;
  const char* placement;  // the recorded placement line
  bool composed;          // the desktop gets _WallPaper.bmp (else the picture itself)
  int outW, outH;         // the size of _WallPaper.bmp when composed
  int styleAfter;         // WallPaperStyle after the change
};

class ComposerStyles : public ComposerFixture, public ::testing::WithParamInterface<StyleCase> {};

TEST_P(ComposerStyles, RecordsPlacementAndFile) {
  const StyleCase& c = GetParam();
  const std::string picture = Picture(c.w, c.h);
  UseStyle(c.style);
  ASSERT_TRUE(composer_.ChangeWallpaper(picture));
  const Lines want = {c.placement, "wallpaper " + (c.composed ? Original() : picture)};
  EXPECT_EQ(desktop_.calls(), want);
  EXPECT_EQ(Written(), c.composed ? std::make_pair(c.outW, c.outH) : std::make_pair(0, 0));
  EXPECT_EQ(settings_.WallPaperStyle, c.styleAfter);
}

INSTANTIATE_TEST_SUITE_P(FullHd, ComposerStyles,
                         ::testing::Values(
                             // The file itself with the desktop's placement.
                             StyleCase{0, 640, 480, "placement 10 0 0 0", false, 0, 0, 100},
                             StyleCase{1, 640, 480, "placement 6 0 0 0", false, 0, 0, 60},
                             StyleCase{2, 640, 480, "placement 2 0 0 0", false, 0, 0, 20},
                             StyleCase{3, 640, 480, "placement 0 1 0 0", false, 0, 0, 1},
                             StyleCase{4, 640, 480, "placement 0 0 0 0", false, 0, 0, 0},
                             StyleCase{5, 640, 480, "placement 18 0 0 0", false, 0, 0, 180},
                             StyleCase{12, 640, 480, "placement 0 0 0 0", false, 0, 0, 0},
                             StyleCase{6, 1200, 900, "placement 0 0 0 0", true, 1920, 1080, 0},
                             // Case A: the picture covers the screen.
                             StyleCase{7, 2000, 1500, "placement 10 0 0 0", false, 0, 0, 100},
                             StyleCase{8, 2000, 1500, "placement 10 0 0 0", false, 0, 0, 100},
                             StyleCase{9, 2000, 1500, "placement 10 0 0 0", false, 0, 0, 100},
                             // Case C, large enough.
                             StyleCase{7, 1200, 900, "placement 0 0 0 0", true, 1920, 1080, 0},
                             StyleCase{8, 1200, 900, "placement 0 0 0 0", false, 0, 0, 0},
                             StyleCase{9, 1200, 900, "placement 0 0 0 0", true, 1920, 1080, 0},
                             // Exactly half the screen still counts as large enough.
                             StyleCase{7, 960, 540, "placement 0 0 0 0", true, 1920, 1080, 0},
                             StyleCase{8, 960, 540, "placement 0 0 0 0", false, 0, 0, 0},
                             // Case C, not large enough (800 < 960).
                             StyleCase{7, 800, 600, "placement 0 1 0 0", false, 0, 0, 1},
                             StyleCase{8, 800, 600, "placement 0 1 0 0", false, 0, 0, 1},
                             StyleCase{9, 800, 600, "placement 0 1 0 0", true, 960, 540, 1},
                             StyleCase{9, 959, 540, "placement 0 1 0 0", true, 960, 540, 1},
                             // Case B, r = 1.25, fitted 1920 × 400, not large enough (400 < 540).
                             StyleCase{7, 2400, 500, "placement 0 1 0 0", true, 1920, 400, 1},
                             StyleCase{8, 2400, 500, "placement 0 1 0 0", true, 1920, 400, 1},
                             StyleCase{9, 2400, 500, "placement 0 1 0 0", true, 1920, 360, 1},
                             // Case B, large enough: fitted 1920 × 800.
                             StyleCase{7, 2400, 1000, "placement 0 0 0 0", true, 1920, 1080, 0},
                             StyleCase{8, 2400, 1000, "placement 0 0 0 0", false, 0, 0, 0},
                             // Case B with r = 1.
                             StyleCase{7, 1920, 100, "placement 0 1 0 0", true, 1920, 100, 1},
                             StyleCase{9, 1920, 100, "placement 0 1 0 0", true, 1920, 99, 1},
                             StyleCase{9, 300, 200, "placement 0 1 0 0", true, 320, 216, 1}));

TEST_F(ComposerFixture, EmptyNameClearsTheWallpaper) {
  EXPECT_TRUE(composer_.ChangeWallpaper(""));
  EXPECT_EQ(desktop_.calls(), Lines{"clear"});
}

TEST_F(ComposerFixture, MissingFileChangesNothing) {
  settings_.BackgroundSingle = false;
  settings_.BackgroundBright = true;
  for (int style : {4, 6, 7}) {
    UseStyle(style);
    EXPECT_FALSE(composer_.ChangeWallpaper(temp_.file("missing.jpg")));
    EXPECT_FALSE(composer_.ChangeWallpaper(temp_.path().string()));  // a folder is no picture
  }
  EXPECT_TRUE(desktop_.calls().empty());
  EXPECT_EQ(Written(), std::make_pair(0, 0));
}

TEST_F(ComposerFixture, UnreadablePicture) {
  const std::string text = temp_.file("notes.jpg");
  std::ofstream(text) << "not a picture\n";
  UseStyle(4);  // the desktop gets the file and answers
  EXPECT_TRUE(composer_.ChangeWallpaper(text));
  EXPECT_EQ(desktop_.calls(), (Lines{"placement 0 0 0 0", "wallpaper " + text}));
  desktop_.clearCalls();
  UseStyle(6);  // the placement is written before the picture is read
  EXPECT_FALSE(composer_.ChangeWallpaper(text));
  EXPECT_EQ(desktop_.calls(), Lines{"placement 0 0 0 0"});
  desktop_.clearCalls();
  for (int style : {7, 8, 9}) {
    UseStyle(style);
    EXPECT_FALSE(composer_.ChangeWallpaper(text));
  }
  EXPECT_TRUE(desktop_.calls().empty());
  EXPECT_EQ(Written(), std::make_pair(0, 0));
}

TEST_F(ComposerFixture, UnreadablePictureKeepsTheDesktopColour) {
  const std::string text = temp_.file("notes.png");
  std::ofstream(text) << "not a picture\n";
  settings_.BackgroundSingle = false;
  settings_.BackgroundAverage = true;
  settings_.BackgroundColor = 4242;
  UseStyle(4);
  EXPECT_TRUE(composer_.ChangeWallpaper(text));
  EXPECT_EQ(desktop_.calls(), (Lines{"placement 0 0 0 0", "wallpaper " + text}));
  UseStyle(6);
  EXPECT_FALSE(composer_.ChangeWallpaper(text));
  EXPECT_EQ(settings_.BackgroundColor, 4242);
}

TEST_F(ComposerFixture, RefusedFileGivesFalse) {
  desktop_.setWallpaperResult(false);
  const std::string picture = Picture(1200, 900);
  for (int style : {4, 6, 9}) {
    UseStyle(style);
    EXPECT_FALSE(composer_.ChangeWallpaper(picture)) << style;
  }
}

// Pictures whose fitted side rounds to no pixel at all are refused; nothing is composed.
TEST_F(ComposerFixture, TooNarrowPicturesAreRefused) {
  const std::string tall = Picture(1, 3000, "tall.bmp");  // fits as 0.36 × 1080
  const std::string wide = Picture(5000, 1, "wide.bmp");  // case B, 1920 × 0.38
  UseStyle(6);
  EXPECT_FALSE(composer_.ChangeWallpaper(tall));
  EXPECT_EQ(desktop_.calls(), Lines{"placement 0 0 0 0"});
  desktop_.clearCalls();
  for (int style : {7, 8, 9}) {
    UseStyle(style);
    EXPECT_FALSE(composer_.ChangeWallpaper(tall)) << style;
    EXPECT_FALSE(composer_.ChangeWallpaper(wide)) << style;
  }
  EXPECT_TRUE(desktop_.calls().empty());
  EXPECT_EQ(Written(), std::make_pair(0, 0));
}

// Corners: top left white, top right grey 128, bottom left red, bottom right black.
Bitmap24 CornerPicture(int w, int h) {
  Bitmap24 bmp = MakePicture(w, h);
  const auto corner = [&](int x0, int y0, std::uint8_t b, std::uint8_t g, std::uint8_t r) {
    for (int y = y0; y < y0 + 2; ++y) {
      for (int x = x0; x < x0 + 2; ++x) {
        std::uint8_t* p = bmp.row(y) + 3 * x;
        p[0] = b, p[1] = g, p[2] = r;
      }
    }
  };
  corner(0, 0, 255, 255, 255);
  corner(w - 2, 0, 128, 128, 128);
  corner(0, h - 2, 0, 0, 255);
  corner(w - 2, h - 2, 0, 0, 0);
  return bmp;
}

struct ColourCase {
  const char* mode;
  TColor colour;
};

class ComposerColours : public ComposerFixture, public ::testing::WithParamInterface<ColourCase> {};

TEST_P(ComposerColours, BackgroundBeforePlacement) {
  const ColourCase& c = GetParam();
  const std::string mode = c.mode;
  settings_.BackgroundSingle = false;
  settings_.BackgroundBright = mode == "bright";
  settings_.BackgroundDark = mode == "dark";
  settings_.BackgroundAverage = mode == "average";
  const std::string bmpFile = temp_.file("corners.bmp");
  ASSERT_TRUE(SaveBmp24(CornerPicture(1200, 900), bmpFile));
  const std::string want = "background " + std::to_string(c.colour);
  for (int style : {4, 6}) {
    UseStyle(style);
    desktop_.clearCalls();
    ASSERT_TRUE(composer_.ChangeWallpaper(bmpFile));
    ASSERT_EQ(desktop_.calls().size(), 3u);
    EXPECT_EQ(desktop_.calls()[0], want) << style;
    EXPECT_EQ(desktop_.calls()[1], "placement 0 0 0 0");
    EXPECT_EQ(settings_.BackgroundColor, c.colour);
  }
  // Style 9 fills the tile with the colour just taken from the picture.
  UseStyle(9);
  desktop_.clearCalls();
  ASSERT_TRUE(SaveBmp24(CornerPicture(300, 200), bmpFile));
  ASSERT_TRUE(composer_.ChangeWallpaper(bmpFile));
  EXPECT_EQ(desktop_.calls()[0], want);
  Bitmap24 tile;
  LoadPicture(Original(), tile);
  ASSERT_EQ(tile.height(), 216);
  const std::uint8_t* p = tile.row(0);  // above the picture at y = 2
  EXPECT_EQ(MakeColor(p[2], p[1], p[0]), c.colour);
}

INSTANTIATE_TEST_SUITE_P(Modes, ComposerColours,
                         ::testing::Values(ColourCase{"bright", 16777215}, ColourCase{"dark", 0},
                                           ColourCase{"average", 159 + 95 * 256 + 95 * 65536}));

TEST_F(ComposerFixture, SingleColourLeavesTheDesktopColour) {
  settings_.BackgroundColor = 12345;
  UseStyle(9);
  ASSERT_TRUE(composer_.ChangeWallpaper(Picture(300, 200)));
  EXPECT_EQ(desktop_.calls().front(), "placement 0 1 0 0");
  Bitmap24 tile;
  LoadPicture(Original(), tile);
  const std::uint8_t* p = tile.row(0);
  EXPECT_EQ(MakeColor(p[2], p[1], p[0]), 12345);
}

TEST_F(ComposerFixture, BackgroundColourGoesThroughTheDesktop) {
  EXPECT_TRUE(composer_.ChangeBackground(255));
  EXPECT_EQ(composer_.GetBackground(), 255);
  EXPECT_TRUE(composer_.ChangeWallpaperStyle(180, 0, 0));
  EXPECT_EQ(desktop_.calls(), (Lines{"background 255", "placement 18 0 0 0"}));
}

}  // namespace
}  // namespace tapestra
