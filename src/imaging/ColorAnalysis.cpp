#include "imaging/ColorAnalysis.h"

#include <array>

namespace tapestra {

namespace {

struct Rgb {
  int red, green, blue;
};

// The 16 sample pixels, four 2 × 2 corner groups in the order top left, top right, bottom
// left, bottom right. A position outside the picture (a picture narrower or lower than 2
// pixels, or no picture at all) reads as white.
std::array<Rgb, 16> Samples(const Bitmap24& bmp) {
  const int w = bmp.width(), h = bmp.height();
  const int xs[4][2] = {{0, 1}, {w - 2, w - 1}, {0, 1}, {w - 2, w - 1}};
  const int ys[4][2] = {{0, 1}, {0, 1}, {h - 2, h - 1}, {h - 2, h - 1}};
  std::array<Rgb, 16> out{};
  for (int grp = 0; grp < 4; ++grp) {
    for (int i = 0; i < 4; ++i) {
      const int x = xs[grp][i % 2], y = ys[grp][i / 2];
      Rgb& s = out[static_cast<std::size_t>(grp * 4 + i)];
      if (bmp.empty() || x < 0 || x >= w || y < 0 || y >= h) {
        s = {255, 255, 255};
        continue;
      }
      const std::uint8_t* p = bmp.row(y) + 3 * static_cast<std::size_t>(x);
      s = {p[2], p[1], p[0]};
    }
  }
  return out;
}

struct Group {
  TColor colour;
  int brightness;
};

std::array<Group, 4> Groups(const Bitmap24& bmp) {
  const auto s = Samples(bmp);
  std::array<Group, 4> out{};
  for (std::size_t grp = 0; grp < 4; ++grp) {
    int r = 0, g = 0, b = 0;
    for (std::size_t i = 0; i < 4; ++i) {
      r += s[grp * 4 + i].red;
      g += s[grp * 4 + i].green;
      b += s[grp * 4 + i].blue;
    }
    r /= 4;
    g /= 4;
    b /= 4;
    out[grp] = {r + g * 256 + b * 65536, r + g + b};
  }
  return out;
}

// The first group wins unless a later one is strictly better.
template <class Better>
TColor Pick(const Bitmap24& bmp, Better better) {
  const auto groups = Groups(bmp);
  std::size_t chosen = 0;
  for (std::size_t i = 1; i < 4; ++i) {
    if (better(groups[i].brightness, groups[chosen].brightness)) chosen = i;
  }
  return groups[chosen].colour;
}

}  // namespace

TColor GetBrightColor(const Bitmap24& bmp) {
  return Pick(bmp, [](int a, int b) { return a > b; });
}

TColor GetDarkColor(const Bitmap24& bmp) {
  return Pick(bmp, [](int a, int b) { return a < b; });
}

TColor GetAverageColor(const Bitmap24& bmp) {
  int r = 0, g = 0, b = 0;
  for (const Rgb& s : Samples(bmp)) {
    r += s.red;
    g += s.green;
    b += s.blue;
  }
  return r / 16 + g / 16 * 256 + b / 16 * 65536;
}

}  // namespace tapestra
