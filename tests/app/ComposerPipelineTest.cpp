// The banded blurred-margin pipeline against the step-by-step composition: same bytes for
// every filter and for every shape of margin.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "ComposerTestSupport.h"
#include "app/Composer.h"
#include "app/ComposerPipeline.h"
#include "app/Configuration.h"
#include "imaging/ColorAnalysis.h"
#include "platform/PictureDecoder.h"
#include "platform/RecordingDesktop.h"
#include "support/TempDir.h"

namespace tapestra {
namespace {

using test::ReadBytes;
using test::TempDir;
using testing::MakePicture;
using testing::WriteJpeg;

// The composition done by hand, one library call after the other.
Bitmap24 StepByStep(const Bitmap24& picture, int SW, int SH, TResizeMode mode) {
  StretchBlurGeometry g;
  EXPECT_TRUE(PlanStretchBlur(picture.width(), picture.height(), SW, SH, g));
  Bitmap24 copy = picture, back = picture;
  EXPECT_TRUE(BmpResize(copy, g.fitWidth, g.fitHeight, mode));
  EXPECT_TRUE(BmpResize(back, SW, SH, mode));
  EXPECT_TRUE(GaussianBlur(back, 3));
  EXPECT_TRUE(Contrast(back, -10));
  for (int y = 0; y < copy.height(); ++y) {
    for (int x = 0; x < copy.width(); ++x) {
      const int tx = g.x + x, ty = g.y + y;
      if (tx < 0 || ty < 0 || tx >= SW || ty >= SH) continue;
      std::copy_n(copy.row(y) + 3 * x, 3, back.row(ty) + 3 * tx);
    }
  }
  return back;
}

TEST(ComposerPipeline, PlainStretchBlurIsTheLibraryCallsInOrder) {
  Settings settings;
  RecordingDesktop desktop({1920, 1080});
  WallpaperComposer composer(settings, desktop);
  composer.setFastPipeline(false);
  const Bitmap24 picture = MakePicture(1200, 900);
  Bitmap24 bmp = picture;
  ASSERT_TRUE(composer.StretchBlur(bmp));
  EXPECT_TRUE(bmp == StepByStep(picture, 1920, 1080, TResizeMode::rmBilinear));
  // The sharp picture fills x 240 … 1679; left of it lies the blurred, duller background.
  Bitmap24 fitted = picture;
  ASSERT_TRUE(BmpResize(fitted, 1440, 1080, TResizeMode::rmBilinear));
  EXPECT_TRUE(std::equal(fitted.row(500), fitted.row(500) + 1440 * 3, bmp.row(500) + 240 * 3));
  EXPECT_FALSE(std::equal(fitted.row(500), fitted.row(500) + 3, bmp.row(500) + 239 * 3));
}

struct Shape {
  int w, h, sw, sh;
};

class PipelineShapes : public ::testing::TestWithParam<std::tuple<Shape, int>> {};

TEST_P(PipelineShapes, SameBytesAsStepByStep) {
  const auto [s, filter] = GetParam();
  const auto mode = static_cast<TResizeMode>(filter);
  const Bitmap24 picture = MakePicture(s.w, s.h, static_cast<std::uint32_t>(s.w + filter));
  Bitmap24 fast;
  ASSERT_TRUE(ComposeStretchBlurFromBitmap(picture, s.sw, s.sh, mode, fast));
  EXPECT_TRUE(fast == StepByStep(picture, s.sw, s.sh, mode))
      << s.w << "x" << s.h << " on " << s.sw << "x" << s.sh << " filter " << filter;
}

INSTANTIATE_TEST_SUITE_P(
    Margins, PipelineShapes,
    ::testing::Combine(
        ::testing::Values(Shape{240, 180, 320, 180},  // margins left and right
                          Shape{500, 120, 320, 180},  // above and below
                          Shape{640, 360, 320, 180},  // no margin at all
                          Shape{312, 180, 320, 180},  // margins narrower than the blur
                          Shape{330, 180, 320, 180},  // 2-pixel bands above and below
                          Shape{20, 400, 320, 180},   // a narrow strip in the middle
                          Shape{3, 2, 40, 30},        // enlarged from almost nothing
                          Shape{1, 1, 16, 9}),
        ::testing::Range(0, 9)),
    [](const ::testing::TestParamInfo<PipelineShapes::ParamType>& info) {
      // No structured binding: its comma would split the macro's arguments.
      const Shape& s = std::get<0>(info.param);
      const int filter = std::get<1>(info.param);
      return std::to_string(s.w) + "x" + std::to_string(s.h) + "_to_" + std::to_string(s.sw) + "x" +
             std::to_string(s.sh) + "_" + ResizeModeName(static_cast<TResizeMode>(filter));
    });

struct JpegCase {
  int w, h;
  int subsampling;  // 0 = 4:4:4, 2 = 4:2:0, 3 = grey
  bool progressive;
  bool streamed;  // taken by the banded decoder (else the step-by-step path composes)
};

class PipelineJpeg : public ::testing::TestWithParam<JpegCase> {};

// The whole change of a JPEG, composed while decoding, writes the same file and makes the
// same desktop calls as decoding first and composing after.
TEST_P(PipelineJpeg, SameChangeAsStepByStep) {
  const JpegCase& c = GetParam();
  TempDir temp;
  const std::string jpeg = temp.file("photo.jpg");
  ASSERT_TRUE(WriteJpeg(MakePicture(c.w, c.h, 7), jpeg, c.subsampling, c.progressive));
  Bitmap24 out, corners;
  EXPECT_EQ(ComposeStretchBlurFromJpeg(jpeg, 640, 360, TResizeMode::rmBicubic, out, &corners),
            c.streamed);

  for (const char* mode : {"single", "bright", "average"}) {
    std::vector<std::uint8_t> file[2];
    std::vector<std::string> calls[2];
    for (int fast = 0; fast < 2; ++fast) {
      Settings settings;
      settings.WallpaperStyleNo = WPS_StretchBlur;
      settings.WallPaperStyle = 0;
      settings.ResizeMode = TResizeMode::rmBicubic;
      settings.BackgroundSingle = std::string(mode) == "single";
      settings.BackgroundBright = std::string(mode) == "bright";
      settings.BackgroundAverage = std::string(mode) == "average";
      settings.OriginalFile = temp.file("_WallPaper.bmp");
      RecordingDesktop desktop({640, 360});
      WallpaperComposer composer(settings, desktop);
      composer.setFastPipeline(fast == 1);
      ASSERT_TRUE(composer.ChangeWallpaper(jpeg));
      file[fast] = ReadBytes(settings.OriginalFile);
      calls[fast] = desktop.calls();
    }
    EXPECT_EQ(calls[0], calls[1]) << mode;
    EXPECT_EQ(file[0].size(), 54u + 640u * 360u * 3u);
    EXPECT_TRUE(file[0] == file[1]) << mode;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, PipelineJpeg,
    ::testing::Values(JpegCase{733, 491, 0, false, true}, JpegCase{733, 491, 2, false, true},
                      JpegCase{733, 491, 3, false, true},
                      // 4.2 source rows per output row: the row ring wraps many times.
                      JpegCase{90, 1500, 2, false, true},
                      // Few rows: the ring holds the whole picture.
                      JpegCase{1500, 40, 2, false, true},
                      // Progressive files are left to the loader.
                      JpegCase{733, 491, 2, true, false}),
    [](const ::testing::TestParamInfo<JpegCase>& info) {
      const JpegCase& c = info.param;
      const char* samp = c.subsampling == 0 ? "444" : c.subsampling == 3 ? "grey" : "420";
      return std::to_string(c.w) + "x" + std::to_string(c.h) + "_" + samp +
             (c.progressive ? "_progressive" : "_baseline");
    });

TEST(ComposerPipeline, OnlyCleanJpegsAreStreamed) {
  TempDir temp;
  const Bitmap24 picture = MakePicture(200, 150);
  Bitmap24 out;
  ASSERT_TRUE(SaveBmp24(picture, temp.file("p.bmp")));
  EXPECT_FALSE(ComposeStretchBlurFromJpeg(temp.file("p.bmp"), 320, 180, TResizeMode::rmBilinear,
                                          out, nullptr));
  EXPECT_FALSE(ComposeStretchBlurFromJpeg(temp.file("none.jpg"), 320, 180, TResizeMode::rmBilinear,
                                          out, nullptr));

  // A truncated JPEG is damaged for the streaming path and for the loader alike.
  ASSERT_TRUE(WriteJpeg(picture, temp.file("p.jpg")));
  std::vector<std::uint8_t> bytes = ReadBytes(temp.file("p.jpg"));
  bytes.resize(bytes.size() / 2);
  std::ofstream(temp.file("cut.jpg"), std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  EXPECT_FALSE(ComposeStretchBlurFromJpeg(temp.file("cut.jpg"), 320, 180, TResizeMode::rmBilinear,
                                          out, nullptr));
  EXPECT_TRUE(out.empty());

  Settings settings;
  settings.WallpaperStyleNo = WPS_StretchBlur;
  settings.WallPaperStyle = 0;
  settings.OriginalFile = temp.file("_WallPaper.bmp");
  RecordingDesktop desktop({320, 180});
  WallpaperComposer composer(settings, desktop);
  Bitmap24 loaded;
  LoadPicture(temp.file("cut.jpg"), loaded);
  EXPECT_EQ(composer.ChangeWallpaper(temp.file("cut.jpg")), !loaded.empty());
}

TEST(ComposerPipeline, CornerProxyGivesTheSameColours) {
  for (const auto& [w, h] : {std::pair{1, 1}, {3, 2}, {1, 100}, {5, 7}, {64, 48}}) {
    const Bitmap24 picture = MakePicture(w, h, static_cast<std::uint32_t>(w * h));
    const Bitmap24 proxy = CornerProxy(picture);
    EXPECT_LE(proxy.width(), 4);
    EXPECT_EQ(GetBrightColor(proxy), GetBrightColor(picture)) << w << "x" << h;
    EXPECT_EQ(GetDarkColor(proxy), GetDarkColor(picture)) << w << "x" << h;
    EXPECT_EQ(GetAverageColor(proxy), GetAverageColor(picture)) << w << "x" << h;
  }
}

}  // namespace
}  // namespace tapestra
