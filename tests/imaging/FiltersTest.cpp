#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>

#include "Reference.h"
#include "imaging/Parallel.h"
#include "imaging/VCLImageUtils.h"

namespace tapestra {
namespace {

Bitmap24 Flat(int w, int h, std::uint8_t b, std::uint8_t g, std::uint8_t r) {
  Bitmap24 bmp;
  bmp.resize(w, h);
  bmp.fill(b, g, r);
  return bmp;
}

// ---- GaussianBlur against the reference.

struct BlurCase {
  int w, h, zone;
};

const BlurCase kBlurCases[] = {
    {1, 1, 1},    {2, 5, 3},   {7, 5, 1},    {33, 17, 2},
    {101, 67, 3}, {40, 30, 7}, {20, 12, 30},  // smaller than the kernel both ways
    {5, 200, 30}, {1, 40, 2},  {700, 9, 3},   // a row longer than one chunk of the fast code
};

class BlurMatchesReference : public ::testing::TestWithParam<BlurCase> {};

TEST_P(BlurMatchesReference, SameBytes) {
  const BlurCase c = GetParam();
  const Bitmap24 src = reference::RandomBitmap(c.w, c.h, 77u + c.w + c.zone);
  const Bitmap24 want = reference::GaussianBlur(src, c.zone);
  for (int threads : {1, 2}) {
    SetImagingThreadCount(threads);
    Bitmap24 got = src;
    ASSERT_TRUE(GaussianBlur(got, c.zone));
    EXPECT_TRUE(got == want) << threads << " thread(s)";
  }
  SetImagingThreadCount(0);
}

INSTANTIATE_TEST_SUITE_P(Zones, BlurMatchesReference, ::testing::ValuesIn(kBlurCases),
                         [](const auto& info) {
                           const BlurCase c = info.param;
                           return std::to_string(c.w) + "x" + std::to_string(c.h) + "_zone" +
                                  std::to_string(c.zone);
                         });

// The streamed blur, rows coming in bands of 1, 7 or 16 and finished as soon as they can be.
TEST_P(BlurMatchesReference, StreamedSameBytes) {
  const BlurCase c = GetParam();
  const Bitmap24 src = reference::RandomBitmap(c.w, c.h, 77u + c.w + c.zone);
  const Bitmap24 want = reference::GaussianBlur(src, c.zone);
  for (int band : {1, 7, 16}) {
    GaussianBlurStream blur;
    ASSERT_TRUE(blur.Init(c.w, c.h, c.zone, band));
    Bitmap24 got;
    ASSERT_TRUE(got.resize(c.w, c.h));
    for (int y = 0; y < c.h;) {
      for (const int end = std::min(c.h, y + band); y < end; ++y)
        ASSERT_TRUE(blur.AddRow(src.row(y)));
      const int from = blur.finished();
      ASSERT_TRUE(blur.Finish(blur.finishable(), got.row(from), got.stride()));
    }
    EXPECT_EQ(blur.finished(), c.h);
    EXPECT_TRUE(got == want) << "bands of " << band;
  }
}

TEST(GaussianBlurStream, RefusesRowsItCannotKeepAndBadSizes) {
  GaussianBlurStream blur;
  for (const auto& [w, h, zone, band] :
       {std::array{0, 5, 1, 4}, std::array{5, 0, 1, 4}, std::array{5, 5, 0, 4},
        std::array{5, 5, 31, 4}, std::array{5, 5, 1, 0}}) {
    EXPECT_FALSE(blur.Init(w, h, zone, band)) << w << " " << h << " " << zone << " " << band;
    EXPECT_FALSE(blur.AddRow(nullptr));
  }
  // Zone 1 reaches 3 rows: bands of 4 leave room for 4 + 2 × 3 rows before the first finish.
  const Bitmap24 src = reference::RandomBitmap(10, 100, 5);
  Bitmap24 out;
  ASSERT_TRUE(out.resize(10, 100));
  ASSERT_TRUE(blur.Init(10, 100, 1, 4));
  for (int y = 0; y < 10; ++y) ASSERT_TRUE(blur.AddRow(src.row(y)));
  EXPECT_FALSE(blur.AddRow(src.row(10)));  // would overwrite row 0, which rows 0 … 3 still read
  EXPECT_EQ(blur.finishable(), 7);
  EXPECT_FALSE(blur.Finish(8, out.row(0), out.stride()));
  EXPECT_EQ(blur.finished(), 0);
  ASSERT_TRUE(blur.Finish(7, out.row(0), out.stride()));
  EXPECT_TRUE(blur.AddRow(src.row(10)));
  EXPECT_EQ(blur.added(), 11);
}

TEST(GaussianBlur, FlatColourStaysExactlyFlatUpToTheBorders) {
  for (int zone : {1, 3, 30}) {
    Bitmap24 bmp = Flat(37, 23, 1, 128, 255);
    ASSERT_TRUE(GaussianBlur(bmp, zone));
    EXPECT_TRUE(bmp == Flat(37, 23, 1, 128, 255)) << zone;
  }
}

TEST(GaussianBlur, RefusesZonesOutsideOneToThirtyAndEmptyBitmaps) {
  const Bitmap24 src = reference::RandomBitmap(9, 7, 4);
  for (int zone : {0, 31, -1}) {
    Bitmap24 bmp = src;
    EXPECT_FALSE(GaussianBlur(bmp, zone)) << zone;
    EXPECT_TRUE(bmp == src);
  }
  Bitmap24 empty;
  EXPECT_FALSE(GaussianBlur(empty, 3));
}

// ---- Contrast over every byte value.

class ContrastMatchesReference : public ::testing::TestWithParam<int> {};

TEST_P(ContrastMatchesReference, EveryByteValue) {
  // 16 × 16 pixels hold each value 0 … 255 three times, in every channel position.
  Bitmap24 src;
  ASSERT_TRUE(src.resize(16, 16));
  for (int y = 0; y < 16; ++y) {
    for (int i = 0; i < 48; ++i) src.row(y)[i] = static_cast<std::uint8_t>(y * 48 + i);
  }
  Bitmap24 got = src;
  ASSERT_TRUE(Contrast(got, GetParam()));
  EXPECT_TRUE(got == reference::Contrast(src, GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Levels, ContrastMatchesReference,
                         ::testing::Values(-100, -10, 0, 1, 50, 100));

TEST(Contrast, KnownValues) {
  const int in[] = {0, 96, 127, 128, 159, 160, 255};
  const struct {
    int nContrast;
    int out[7];
  } cases[] = {
      {0, {0, 96, 127, 128, 159, 160, 255}},
      {-100, {128, 128, 128, 128, 128, 128, 128}},  // 127.5 rounds to the even 128
      {100, {0, 1, 126, 130, 254, 255, 255}},
      {-10, {24, 102, 127, 128, 153, 154, 231}},
  };
  for (const auto& c : cases) {
    Bitmap24 bmp;
    ASSERT_TRUE(bmp.resize(7, 1));
    for (int x = 0; x < 7; ++x) std::fill_n(bmp.row(0) + 3 * x, 3, std::uint8_t(in[x]));
    ASSERT_TRUE(Contrast(bmp, c.nContrast));
    for (int x = 0; x < 7; ++x) {
      for (int ch = 0; ch < 3; ++ch) {
        EXPECT_EQ(bmp.row(0)[3 * x + ch], c.out[x]) << c.nContrast << " of " << in[x];
      }
    }
  }
}

TEST(Contrast, RefusesLevelsBeyondHundredAndEmptyBitmaps) {
  const Bitmap24 src = reference::RandomBitmap(5, 3, 8);
  for (int level : {101, -101}) {
    Bitmap24 bmp = src;
    EXPECT_FALSE(Contrast(bmp, level)) << level;
    EXPECT_TRUE(bmp == src);
  }
  Bitmap24 empty;
  EXPECT_FALSE(Contrast(empty, 0));
}

}  // namespace
}  // namespace tapestra
