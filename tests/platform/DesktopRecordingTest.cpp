#include <gtest/gtest.h>

#include <sstream>

#include "platform/RecordingDesktop.h"

namespace tapestra {
namespace {

TEST(RecordingDesktop, RecordsEveryCallInOrder) {
  RecordingDesktop d({800, 600});
  std::ostringstream echo;
  d.setEcho(&echo);
  EXPECT_EQ(d.backgroundColor(), 0);
  EXPECT_TRUE(d.setBackgroundColor(16711680));
  EXPECT_TRUE(d.setPlacement(18, 0, 0, 0));
  EXPECT_TRUE(d.setWallpaper("/home/u/写真 1.jpg"));
  EXPECT_TRUE(d.clearWallpaper());
  const std::vector<std::string> expected{"background 16711680", "placement 18 0 0 0",
                                          "wallpaper /home/u/写真 1.jpg", "clear"};
  EXPECT_EQ(d.calls(), expected);
  EXPECT_EQ(echo.str(),
            "background 16711680\nplacement 18 0 0 0\nwallpaper /home/u/写真 1.jpg\nclear\n");
  EXPECT_EQ(d.backgroundColor(), 16711680);
  EXPECT_EQ(d.screenSize().width, 800);
  EXPECT_EQ(d.screenSize().height, 600);
}

TEST(RecordingDesktop, CanRefuseTheWallpaper) {
  RecordingDesktop d;
  d.setWallpaperResult(false);
  EXPECT_FALSE(d.setWallpaper("/x.bmp"));
  EXPECT_EQ(d.calls(), std::vector<std::string>{"wallpaper /x.bmp"});
}

}  // namespace
}  // namespace tapestra
