#include <gtest/gtest.h>

#include "platform/DesktopLayout.h"

namespace tapestra {
namespace {

struct MappingCase {
  int style;
  int tile;
  Placement expected;
};

TEST(PlacementFromValues, MapsTheDesktopValues) {
  const MappingCase cases[] = {
      {10, 0, Placement::Fill},  {6, 0, Placement::Fit},      {2, 0, Placement::Stretch},
      {18, 0, Placement::Span},  {22, 0, Placement::Span},    {0, 1, Placement::Tile},
      {0, 0, Placement::Center}, {10, 1, Placement::Fill},    {0, 2, Placement::Center},
      {5, 0, Placement::Center}, {-10, 0, Placement::Center}, {100, 0, Placement::Center},
  };
  for (const MappingCase& c : cases) {
    EXPECT_EQ(PlacementFromValues(c.style, c.tile), c.expected) << c.style << " " << c.tile;
  }
}

struct LayoutCase {
  const char* name;
  Placement placement;
  int w, h;
  std::vector<Rect> monitors;
  ScreenSize screen;
  std::vector<PictureDrawing> expected;
};

TEST(LayoutWallpaper, PlacesThePictureOnEveryMonitor) {
  const Rect m{0, 0, 100, 50};
  const ScreenSize s{100, 50};
  // Two monitors of different size side by side; the root is their bounding box, and the
  // strip under the smaller one belongs to no monitor.
  const Rect a{0, 0, 100, 50}, b{100, 0, 60, 80};
  const ScreenSize ab{160, 80};
  const LayoutCase cases[] = {
      {"fill crops a tall picture centred",
       Placement::Fill,
       200,
       200,
       {m},
       s,
       {{m, {0, -25, 100, 100}, false}}},
      {"fill crops a wide picture centred",
       Placement::Fill,
       100,
       25,
       {m},
       s,
       {{m, {-50, 0, 200, 50}, false}}},
      {"fill of the same aspect is exact", Placement::Fill, 20, 10, {m}, s, {{m, m, false}}},
      {"fit letterboxes a square", Placement::Fit, 200, 200, {m}, s, {{m, {25, 0, 50, 50}, false}}},
      {"fit enlarges a small wide picture",
       Placement::Fit,
       40,
       10,
       {m},
       s,
       {{m, {0, 12, 100, 25}, false}}},
      {"stretch ignores the aspect", Placement::Stretch, 30, 30, {m}, s, {{m, m, false}}},
      {"centre keeps the size", Placement::Center, 40, 20, {m}, s, {{m, {30, 15, 40, 20}, false}}},
      {"centre of an oversized picture crops it",
       Placement::Center,
       300,
       100,
       {m},
       s,
       {{m, {-100, -25, 300, 100}, false}}},
      {"tile starts at the top-left", Placement::Tile, 30, 20, {m}, s, {{m, {0, 0, 30, 20}, true}}},
      {"without monitors the screen counts",
       Placement::Fit,
       200,
       200,
       {},
       s,
       {{m, {25, 0, 50, 50}, false}}},
      {"fit on each of two monitors",
       Placement::Fit,
       20,
       20,
       {a, b},
       ab,
       {{a, {25, 0, 50, 50}, false}, {b, {100, 10, 60, 60}, false}}},
      {"tile restarts on each monitor",
       Placement::Tile,
       30,
       20,
       {a, b},
       ab,
       {{a, {0, 0, 30, 20}, true}, {b, {100, 0, 30, 20}, true}}},
      {"span fills the bounding box",
       Placement::Span,
       20,
       20,
       {a, b},
       ab,
       {{{0, 0, 160, 80}, {0, -40, 160, 160}, false}}},
      {"a monitor beyond the screen is clipped",
       Placement::Stretch,
       10,
       10,
       {{50, 0, 100, 50}},
       s,
       {{{50, 0, 50, 50}, {50, 0, 100, 50}, false}}},
      {"an empty picture draws nothing", Placement::Fill, 0, 10, {m}, s, {}},
  };
  for (const LayoutCase& c : cases) {
    EXPECT_EQ(LayoutWallpaper(c.placement, c.w, c.h, c.monitors, c.screen), c.expected) << c.name;
  }
}

TEST(LayoutWallpaper, ExtremeAspectKeepsOnePixel) {
  const auto d = LayoutWallpaper(Placement::Fit, 100000, 1, {}, {100, 50});
  ASSERT_EQ(d.size(), 1u);
  EXPECT_EQ(d[0].picture, (Rect{0, 24, 100, 1}));
}

TEST(CoversScreen, TellsWhetherTheColourShows) {
  const Rect a{0, 0, 100, 50}, b{100, 0, 60, 80};
  const ScreenSize ab{160, 80};
  EXPECT_TRUE(CoversScreen(LayoutWallpaper(Placement::Fill, 7, 3, {a}, {100, 50}), {100, 50}));
  EXPECT_TRUE(CoversScreen(LayoutWallpaper(Placement::Tile, 7, 3, {a}, {100, 50}), {100, 50}));
  EXPECT_FALSE(CoversScreen(LayoutWallpaper(Placement::Fit, 7, 3, {a}, {100, 50}), {100, 50}));
  EXPECT_FALSE(CoversScreen(LayoutWallpaper(Placement::Center, 7, 3, {a}, {100, 50}), {100, 50}));
  // Each monitor filled, but the strip below the smaller one is still bare.
  EXPECT_FALSE(CoversScreen(LayoutWallpaper(Placement::Fill, 7, 3, {a, b}, ab), ab));
  EXPECT_TRUE(CoversScreen(LayoutWallpaper(Placement::Span, 7, 3, {a, b}, ab), ab));
  EXPECT_FALSE(CoversScreen({}, ab));
}

}  // namespace
}  // namespace tapestra
