#include <gtest/gtest.h>

#include "platform/DesktopCommands.h"

namespace tapestra {
namespace {

const Placement kAll[] = {Placement::Fill, Placement::Fit,    Placement::Stretch,
                          Placement::Tile, Placement::Center, Placement::Span};

TEST(DesktopKind, ReadsXdgCurrentDesktop) {
  const std::pair<const char*, std::optional<DesktopKind>> cases[] = {
      {"GNOME", DesktopKind::Gnome},
      {"ubuntu:GNOME", DesktopKind::Gnome},
      {"Unity", DesktopKind::Gnome},
      {"Budgie:GNOME", DesktopKind::Gnome},
      {"GNOME-Flashback:GNOME", DesktopKind::Gnome},
      {"X-Cinnamon", DesktopKind::Cinnamon},
      {"cinnamon", DesktopKind::Cinnamon},
      {"MATE", DesktopKind::Mate},
      {"XFCE", DesktopKind::Xfce},
      {"KDE", DesktopKind::Kde},
      {"LXQt", DesktopKind::Lxqt},
      {"", std::nullopt},
      {"i3", std::nullopt},
      {"::", std::nullopt},
      {"sway:", std::nullopt},
  };
  for (const auto& [value, kind] : cases) {
    EXPECT_EQ(DesktopKindFromXdgCurrentDesktop(value), kind) << value;
  }
}

TEST(DesktopKind, NamesRoundTrip) {
  for (DesktopKind k :
       {DesktopKind::X11, DesktopKind::Gnome, DesktopKind::Cinnamon, DesktopKind::Mate,
        DesktopKind::Xfce, DesktopKind::Kde, DesktopKind::Lxqt, DesktopKind::Record}) {
    EXPECT_EQ(DesktopKindFromName(DesktopKindName(k)), k);
  }
  EXPECT_EQ(DesktopKindFromName("KDE"), DesktopKind::Kde);
  EXPECT_EQ(DesktopKindFromName("wayland"), std::nullopt);
}

TEST(ColourHex, ConvertsFromBgr) {
  EXPECT_EQ(ColourHex(255), "#ff0000");
  EXPECT_EQ(ColourHex(16711680), "#0000ff");
  EXPECT_EQ(ColourHex(0x123456), "#563412");
  EXPECT_EQ(ColourHex(0), "#000000");
  TColor c = -1;
  EXPECT_TRUE(ParseColourHex("#563412", c));
  EXPECT_EQ(c, 0x123456);
  EXPECT_TRUE(ParseColourHex("#FFFF00008080", c));
  EXPECT_EQ(c, MakeColor(0xff, 0x00, 0x80));
  for (const char* bad : {"", "#12345", "1234567", "#12345g", "#1234567"}) {
    EXPECT_FALSE(ParseColourHex(bad, c)) << bad;
  }
}

TEST(DesktopOptions, EveryPlacementHasItsValue) {
  // Order of kAll: fill, fit, stretch, tile, centre, span.
  const char* gnome[] = {"zoom", "scaled", "stretched", "wallpaper", "centered", "spanned"};
  const int xfce[] = {5, 4, 3, 2, 1, 6};
  const int kde[] = {2, 1, 0, 3, 6, 2};
  const char* pcmanfm[] = {"zoom", "fit", "stretch", "tile", "center", "zoom"};
  for (int i = 0; i < 6; ++i) {
    EXPECT_STREQ(GnomePictureOptions(kAll[i]), gnome[i]) << i;
    EXPECT_EQ(XfceImageStyle(kAll[i]), xfce[i]) << i;
    EXPECT_EQ(KdeFillMode(kAll[i]), kde[i]) << i;
    EXPECT_STREQ(PcmanfmQtMode(kAll[i]), pcmanfm[i]) << i;
  }
}

TEST(Xfce, SetsEveryMonitorAndWorkspace) {
  const auto s =
      XfceWallpaperSettings({"HDMI-1", "eDP-1"}, 2, "/p/_WallPaper-7.bmp", Placement::Fit);
  ASSERT_EQ(s.size(), 8u);
  EXPECT_EQ(s[0], (XfconfSetting{"/backdrop/screen0/monitorHDMI-1/workspace0/last-image",
                                 "string",
                                 {"/p/_WallPaper-7.bmp"}}));
  EXPECT_EQ(s[1], (XfconfSetting{
                      "/backdrop/screen0/monitorHDMI-1/workspace0/image-style", "int", {"4"}}));
  EXPECT_EQ(s[7].property, "/backdrop/screen0/monitoreDP-1/workspace1/image-style");
  // A workspace count of 0 (property missing) still sets workspace 0.
  EXPECT_EQ(XfceWallpaperSettings({"X"}, 0, "/a", Placement::Tile).size(), 2u);
}

TEST(Xfce, ColourIsFourDoublesAndCreatesTheProperty) {
  const auto s = XfceColourSettings({"VGA-0"}, 1, MakeColor(255, 0, 51));
  ASSERT_EQ(s.size(), 2u);
  EXPECT_EQ(s[0],
            (XfconfSetting{"/backdrop/screen0/monitorVGA-0/workspace0/color-style", "int", {"0"}}));
  const std::vector<std::string> args = XfconfQueryArgs(s[1]);
  const std::vector<std::string> expected{
      "-c",     "xfce4-desktop",
      "-p",     "/backdrop/screen0/monitorVGA-0/workspace0/rgba1",
      "-n",     "-t",
      "double", "-t",
      "double", "-t",
      "double", "-t",
      "double", "-s",
      "1.0",    "-s",
      "0.0",    "-s",
      "0.2",    "-s",
      "1.0"};
  EXPECT_EQ(args, expected);
  TColor c = 0;
  EXPECT_TRUE(ParseXfconfRgba("Value is an array with 4 items:\n\n1\n0\n0.2\n1\n", c));
  EXPECT_EQ(c, MakeColor(255, 0, 51));
  EXPECT_FALSE(ParseXfconfRgba("Property \"/x\" does not exist on channel\n", c));
}

TEST(Kde, ScriptsQuoteTheirValues) {
  EXPECT_EQ(JsQuote("it's a \\ path\n"), "'it\\'s a \\\\ path\\n'");
  const std::string script = KdeWallpaperScript("file:///home/u/a'b.bmp", Placement::Center);
  EXPECT_NE(script.find("for (var i = 0; i < ds.length; i++)"), std::string::npos);
  EXPECT_NE(script.find("d.wallpaperPlugin = 'org.kde.image';"), std::string::npos);
  EXPECT_NE(script.find("d.currentConfigGroup = ['Wallpaper', 'org.kde.image', 'General'];"),
            std::string::npos);
  EXPECT_NE(script.find("d.writeConfig('Image', 'file:///home/u/a\\'b.bmp');"), std::string::npos);
  EXPECT_NE(script.find("d.writeConfig('FillMode', 6);"), std::string::npos);
  EXPECT_NE(KdeColourScript(255).find("d.writeConfig('Color', '#ff0000');"), std::string::npos);
  EXPECT_NE(KdeClearScript(0).find("d.wallpaperPlugin = 'org.kde.color';"), std::string::npos);
}

TEST(Lxqt, CommandLine) {
  EXPECT_EQ(
      PcmanfmQtArgs("/p/壁 紙.jpg", Placement::Tile),
      (std::vector<std::string>{"--set-wallpaper", "/p/壁 紙.jpg", "--wallpaper-mode", "tile"}));
}

}  // namespace
}  // namespace tapestra
