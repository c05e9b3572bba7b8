#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Reference.h"
#include "imaging/Parallel.h"
#include "imaging/VCLImageUtils.h"

namespace tapestra {
namespace {

constexpr TResizeMode kAllModes[] = {
    TResizeMode::rmNearest, TResizeMode::rmBilinear, TResizeMode::rmBicubic,
    TResizeMode::rmBSpline, TResizeMode::rmHermite,  TResizeMode::rmMitchell,
    TResizeMode::rmBell,    TResizeMode::rmLanczos,  TResizeMode::rmLagrange,
};

const char* ModeName(TResizeMode m) {
  static const char* const names[] = {"Nearest",  "Bilinear", "Bicubic", "BSpline", "Hermite",
                                      "Mitchell", "Bell",     "Lanczos", "Lagrange"};
  return names[static_cast<int>(m)];
}

Bitmap24 Flat(int w, int h, std::uint8_t b, std::uint8_t g, std::uint8_t r) {
  Bitmap24 bmp;
  bmp.resize(w, h);
  bmp.fill(b, g, r);
  return bmp;
}

TEST(AdjustByte, ClampsAndRoundsHalfToEven) {
  const struct {
    double in;
    int out;
  } cases[] = {{-1e9, 0},    {-0.6, 0},    {-0.4, 0},    {0.5, 0},    {1.5, 2},
               {2.5, 2},     {3.5, 4},     {2.4999, 2},  {2.5001, 3}, {254.5, 254},
               {254.6, 255}, {255.4, 255}, {255.5, 255}, {1e9, 255}};
  for (const auto& c : cases) EXPECT_EQ(AdjustByte(c.in), c.out) << c.in;
}

// ---- Fast code against the per-pixel reference, every filter, odd sizes, up and down.

struct SizeCase {
  int sw, sh, dw, dh;
};

const SizeCase kSizes[] = {
    {1, 1, 1, 1},
    {1, 1, 5, 3},
    {1, 9, 4, 20},
    {1, 9, 1, 3},
    {9, 1, 20, 2},
    {7, 5, 7, 5},
    {7, 5, 16, 11},
    {7, 5, 3, 2},
    {33, 17, 70, 41},
    {33, 17, 10, 9},
    {101, 67, 64, 40},
    {101, 67, 257, 130},
    {2, 2, 3, 3},
    // wider than one column block of the fast code, with a short last block
    {40, 30, 1100, 37},
    {1500, 8, 1030, 5},
};

class ResizeMatchesReference : public ::testing::TestWithParam<std::tuple<SizeCase, TResizeMode>> {
};

TEST_P(ResizeMatchesReference, SameBytes) {
  const auto [size, mode] = GetParam();
  const Bitmap24 src = reference::RandomBitmap(size.sw, size.sh, 1234u + size.sw * 7 + size.dh);
  const Bitmap24 want = reference::Resize(src, size.dw, size.dh, mode);
  for (int threads : {1, 2}) {
    SetImagingThreadCount(threads);
    Bitmap24 got = src;
    ASSERT_TRUE(BmpResize(got, size.dw, size.dh, mode));
    EXPECT_TRUE(got == want) << threads << " thread(s)";
  }
  SetImagingThreadCount(0);
}

INSTANTIATE_TEST_SUITE_P(AllFilters, ResizeMatchesReference,
                         ::testing::Combine(::testing::ValuesIn(kSizes),
                                            ::testing::ValuesIn(kAllModes)),
                         [](const auto& info) {
                           const SizeCase s = std::get<0>(info.param);
                           return std::string(ModeName(std::get<1>(info.param))) + "_" +
                                  std::to_string(s.sw) + "x" + std::to_string(s.sh) + "_to_" +
                                  std::to_string(s.dw) + "x" + std::to_string(s.dh);
                         });

// Bands computed separately, in any order and of any size, give the whole picture.
TEST(BmpResizeRows, BandsInAnyOrderEqualTheWholeResize) {
  const Bitmap24 src = reference::RandomBitmap(45, 31, 99);
  for (TResizeMode mode : kAllModes) {
    ResizePlan plan;
    ASSERT_TRUE(plan.Build(45, 31, 77, 53, mode));
    Bitmap24 whole = src;
    ASSERT_TRUE(BmpResize(whole, 77, 53, mode));
    Bitmap24 dst;
    ASSERT_TRUE(dst.resize(77, 53));
    const int cuts[] = {53, 40, 39, 17, 1, 0};  // bands [40,53), [39,40), [17,39), [1,17), [0,1)
    for (std::size_t i = 0; i + 1 < std::size(cuts); ++i) {
      ASSERT_TRUE(BmpResizeRows(src, dst, cuts[i + 1], cuts[i], plan));
    }
    EXPECT_TRUE(dst == whole) << ModeName(mode);
  }
}

TEST(BmpResizeRows, ReadsOnlyTheSourceRowsItAnnounces) {
  const Bitmap24 src = reference::RandomBitmap(30, 40, 5);
  for (TResizeMode mode : kAllModes) {
    ResizePlan plan;
    ASSERT_TRUE(plan.Build(30, 40, 50, 70, mode));
    Bitmap24 whole = src;
    ASSERT_TRUE(BmpResize(whole, 50, 70, mode));
    for (int rowEnd : {1, 20, 69, 70}) {
      const int need = plan.SourceRowsNeeded(rowEnd);
      ASSERT_LE(need, 40);
      // Rows the decoder has not delivered yet hold garbage; the band must not see it.
      Bitmap24 partial = src;
      for (int y = need; y < 40; ++y) std::fill_n(partial.row(y), 90, std::uint8_t{0x5A});
      Bitmap24 dst;
      ASSERT_TRUE(dst.resize(50, 70));
      ASSERT_TRUE(BmpResizeRows(partial, dst, 0, rowEnd, plan));
      for (int y = 0; y < rowEnd; ++y) {
        ASSERT_TRUE(std::equal(dst.row(y), dst.row(y) + 150, whole.row(y)))
            << ModeName(mode) << " row " << y << " of " << rowEnd;
      }
    }
  }
}

TEST(BmpResizeRows, RefusesWhatDoesNotFitThePlan) {
  ResizePlan plan;
  ASSERT_TRUE(plan.Build(10, 10, 20, 20, TResizeMode::rmBicubic));
  const Bitmap24 src = reference::RandomBitmap(10, 10, 1);
  Bitmap24 dst, wrong;
  ASSERT_TRUE(dst.resize(20, 20));
  ASSERT_TRUE(wrong.resize(20, 19));
  EXPECT_FALSE(BmpResizeRows(src, wrong, 0, 19, plan));
  EXPECT_FALSE(BmpResizeRows(dst, dst, 0, 20, plan));  // source of the wrong size
  EXPECT_FALSE(BmpResizeRows(src, dst, 0, 21, plan));
  EXPECT_FALSE(BmpResizeRows(src, dst, -1, 5, plan));
  EXPECT_FALSE(BmpResizeRows(src, dst, 6, 5, plan));
  ResizePlan damaged = plan;
  damaged.rows.index[5] = 10;  // one past the last source row
  EXPECT_FALSE(BmpResizeRows(src, dst, 0, 20, damaged));
  damaged = plan;
  damaged.cols.weight.pop_back();
  EXPECT_FALSE(BmpResizeRows(src, dst, 0, 20, damaged));
  EXPECT_FALSE(plan.Build(10, 10, 0, 20, TResizeMode::rmBicubic));
}

// ---- Properties the filters are chosen for.

TEST(BmpResize, SameSizeReproducesThePictureWithTheInterpolatingFilters) {
  const Bitmap24 src = reference::RandomBitmap(13, 9, 7);
  for (TResizeMode mode :
       {TResizeMode::rmNearest, TResizeMode::rmBilinear, TResizeMode::rmBicubic,
        TResizeMode::rmHermite, TResizeMode::rmLanczos, TResizeMode::rmLagrange}) {
    Bitmap24 bmp = src;
    ASSERT_TRUE(BmpResize(bmp, 13, 9, mode));
    EXPECT_TRUE(bmp == src) << ModeName(mode);
  }
}

TEST(BmpResize, SameSizeSoftensWithTheSmoothingFilters) {
  // A single bright pixel at (2, 2) on black; its neighbour gets the distance-1 weight
  // times the distance-0 weight.
  Bitmap24 src = Flat(5, 5, 0, 0, 0);
  std::fill_n(src.row(2) + 6, 3, std::uint8_t{240});
  const struct {
    TResizeMode mode;
    int centre, side;
  } cases[] = {
      {TResizeMode::rmBSpline, 107, 27},   // 240·(4/6)², 240·(4/6)(1/6)
      {TResizeMode::rmMitchell, 190, 12},  // 240·(8/9)², 240·(8/9)(1/18)
      {TResizeMode::rmBell, 135, 22},      // 240·0.75², 240·0.75·0.125 = 22.5 → 22
  };
  for (const auto& c : cases) {
    Bitmap24 bmp = src;
    ASSERT_TRUE(BmpResize(bmp, 5, 5, c.mode));
    EXPECT_EQ(bmp.row(2)[6], c.centre) << ModeName(c.mode);
    EXPECT_EQ(bmp.row(2)[9], c.side) << ModeName(c.mode);
    EXPECT_EQ(bmp.row(1)[6], c.side) << ModeName(c.mode);
  }
}

TEST(BmpResize, FlatColourStaysFlatExceptLanczosAtHalfPhase) {
  for (TResizeMode mode : kAllModes) {
    Bitmap24 bmp = Flat(4, 4, 100, 150, 200);
    ASSERT_TRUE(BmpResize(bmp, 8, 8, mode));  // phases 0 and 0.5
    if (mode == TResizeMode::rmLanczos) {
      // Unnormalised weights: about 1.019² too bright at phase (0.5, 0.5).
      EXPECT_EQ(bmp.row(1)[3], 104) << "blue at (1,1)";
      EXPECT_EQ(bmp.row(0)[0], 100) << "phase 0 is exact";
      continue;
    }
    EXPECT_TRUE(bmp == Flat(8, 8, 100, 150, 200)) << ModeName(mode);
  }
}

TEST(BmpResize, NearestRoundsSourcePositionsHalfToEven) {
  // 4 → 8 columns: positions 0, 0.5, 1, 1.5, 2, 2.5, 3, 3.5 (the last reduced to 3);
  // 0.5 → 0, 1.5 → 2, 2.5 → 2, 3.5 → 4 → 3.
  Bitmap24 src = Flat(4, 1, 0, 0, 0);
  for (int x = 0; x < 4; ++x) src.row(0)[3 * x] = static_cast<std::uint8_t>(10 * x);
  ASSERT_TRUE(BmpResize(src, 8, 1, TResizeMode::rmNearest));
  const int want[] = {0, 0, 10, 20, 20, 20, 30, 30};
  for (int x = 0; x < 8; ++x) EXPECT_EQ(src.row(0)[3 * x], want[x]) << x;
}

TEST(BmpResize, ShrinkingSamplesInsteadOfAveraging) {
  // Columns alternate 0 and 255; halving lands on the even columns only.
  Bitmap24 src = Flat(16, 1, 0, 0, 0);
  for (int x = 1; x < 16; x += 2) std::fill_n(src.row(0) + 3 * x, 3, std::uint8_t{255});
  for (TResizeMode mode :
       {TResizeMode::rmNearest, TResizeMode::rmBilinear, TResizeMode::rmBicubic}) {
    Bitmap24 bmp = src;
    ASSERT_TRUE(BmpResize(bmp, 8, 1, mode));
    EXPECT_TRUE(bmp == Flat(8, 1, 0, 0, 0)) << ModeName(mode);
  }
}

TEST(BmpResize, RefusesAndLeavesThePictureAlone) {
  const Bitmap24 src = reference::RandomBitmap(6, 4, 3);
  for (auto [w, h] : {std::pair{0, 5}, std::pair{5, 0}, std::pair{-1, 5}, std::pair{5, -3}}) {
    Bitmap24 bmp = src;
    EXPECT_FALSE(BmpResize(bmp, w, h, TResizeMode::rmBilinear)) << w << "x" << h;
    EXPECT_TRUE(bmp == src);
  }
  Bitmap24 empty;
  EXPECT_FALSE(BmpResize(empty, 5, 5, TResizeMode::rmBilinear));
  EXPECT_TRUE(empty.empty());
  // An output beyond the bitmap bound cannot be allocated.
  Bitmap24 bmp = src;
  EXPECT_FALSE(BmpResize(bmp, 1 << 15, 1 << 14, TResizeMode::rmNearest));
  EXPECT_TRUE(bmp == src);
}

}  // namespace
}  // namespace tapestra
