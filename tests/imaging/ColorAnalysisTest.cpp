#include <gtest/gtest.h>

#include <functional>

#include "imaging/ColorAnalysis.h"

namespace tapestra {
namespace {

struct Rgb {
  int r, g, b;
};

Bitmap24 Picture(int w, int h, const std::function<Rgb(int, int)>& colourAt) {
  Bitmap24 bmp;
  bmp.resize(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const Rgb c = colourAt(x, y);
      std::uint8_t* p = bmp.row(y) + 3 * x;
      p[0] = static_cast<std::uint8_t>(c.b);
      p[1] = static_cast<std::uint8_t>(c.g);
      p[2] = static_cast<std::uint8_t>(c.r);
    }
  }
  return bmp;
}

// Quadrant colours of a w × h picture: top left, top right, bottom left, bottom right.
Bitmap24 Corners(int w, int h, Rgb tl, Rgb tr, Rgb bl, Rgb br) {
  return Picture(w, h, [=](int x, int y) {
    const bool right = x >= w / 2, bottom = y >= h / 2;
    return bottom ? (right ? br : bl) : (right ? tr : tl);
  });
}

TColor C(int r, int g, int b) {
  return r + g * 256 + b * 65536;
}

struct Case {
  const char* name;
  Bitmap24 picture;
  TColor bright, dark, average;
};

TEST(ColorAnalysis, CornerColours) {
  const Rgb white{255, 255, 255}, black{0, 0, 0}, red{255, 0, 0}, green{0, 255, 0}, blue{0, 0, 255},
      grey85{85, 85, 85};
  const Case cases[] = {
      {"uniform",
       Picture(9, 7,
               [](int, int) {
                 return Rgb{12, 34, 56};
               }),
       C(12, 34, 56), C(12, 34, 56), C(12, 34, 56)},
      {"white grey red black", Corners(6, 4, white, {128, 128, 128}, red, black), C(255, 255, 255),
       0, C(159, 95, 95)},
      // equal brightness 255: the earlier corner wins both ways
      {"ties", Corners(4, 4, red, green, blue, grey85), C(255, 0, 0), C(255, 0, 0), C(85, 85, 85)},
      {"latest strictly brighter", Corners(4, 4, grey85, black, black, white), C(255, 255, 255), 0,
       C(85, 85, 85)},
      // one pixel: each group holds it once and three white positions
      {"1x1 black",
       Picture(1, 1,
               [](int, int) {
                 return Rgb{0, 0, 0};
               }),
       12566463, 12566463, 12566463},
      // x = −1 and x = 1 read as white; top half red, bottom half blue, tie between the
      // top (255, 127, 127) and bottom (127, 127, 255) groups
      {"1x100",
       Picture(1, 100,
               [](int, int y) {
                 return y < 50 ? Rgb{255, 0, 0} : Rgb{0, 0, 255};
               }),
       C(255, 127, 127), C(255, 127, 127), C(191, 127, 191)},
      // no decoded picture: every position is outside, so everything is white
      {"empty", Bitmap24{}, C(255, 255, 255), C(255, 255, 255), C(255, 255, 255)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GetBrightColor(c.picture), c.bright) << c.name;
    EXPECT_EQ(GetDarkColor(c.picture), c.dark) << c.name;
    EXPECT_EQ(GetAverageColor(c.picture), c.average) << c.name;
  }
}

TEST(ColorAnalysis, GroupMeansAndTheAverageDropTheRemainder) {
  // Top-left 2 × 2 block with red 10, 11, 11, 11 (43 div 4 = 10); the rest black, so the
  // bright corner is the top left one. The average: 43 div 16 = 2.
  const int reds[2][2] = {{10, 11}, {11, 11}};
  const Bitmap24 bmp = Picture(5, 5, [&](int x, int y) {
    return x < 2 && y < 2 ? Rgb{reds[y][x], 0, 0} : Rgb{};
  });
  EXPECT_EQ(GetBrightColor(bmp), C(10, 0, 0));
  EXPECT_EQ(GetDarkColor(bmp), C(0, 0, 0));
  EXPECT_EQ(GetAverageColor(bmp), C(2, 0, 0));
}

TEST(ColorAnalysis, SamplesOnlyTheFourCornerBlocks) {
  // A white frame one pixel inside the corner blocks and a white centre change nothing.
  const Bitmap24 bmp = Picture(8, 6, [](int x, int y) {
    const bool inBlock = (x < 2 || x >= 6) && (y < 2 || y >= 4);
    return inBlock ? Rgb{10, 20, 30} : Rgb{255, 255, 255};
  });
  EXPECT_EQ(GetAverageColor(bmp), C(10, 20, 30));
  EXPECT_EQ(GetBrightColor(bmp), C(10, 20, 30));
}

}  // namespace
}  // namespace tapestra
