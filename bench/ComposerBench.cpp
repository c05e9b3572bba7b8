// The blurred-margin wallpaper change of a large photograph onto a 4K screen, whole (decode,
// compose, write _WallPaper.bmp) and in its parts.

#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "app/Composer.h"
#include "app/ComposerPipeline.h"
#include "platform/PictureDecoder.h"
#include "platform/RecordingDesktop.h"

namespace tapestra {
namespace {

constexpr int kPictureWidth = 6000, kPictureHeight = 4000;
constexpr int kScreenWidth = 3840, kScreenHeight = 2160;

// Smooth gradients, grain and hard edges, so the JPEG costs what a photograph costs to decode.
Bitmap24 Photograph() {
  Bitmap24 bmp;
  bmp.resize(kPictureWidth, kPictureHeight);
  std::mt19937 rng(7);
  std::normal_distribution<double> grain(0, 6);
  for (int y = 0; y < bmp.height(); ++y) {
    std::uint8_t* p = bmp.row(y);
    for (int x = 0; x < bmp.width(); ++x, p += 3) {
      const double fx = static_cast<double>(x) / bmp.width(), fy = static_cast<double>(y) / bmp.height();
      const bool disc = (x - 4300) * (x - 4300) + (y - 1200) * (y - 1200) < 700 * 700;
      const bool box = x > 700 && x < 1900 && y > 2500 && y < 3700;
      double b = 128 + 100 * std::sin(3 * fx + 2 * fy), g = 120 + 90 * std::cos(5 * fy - fx),
             r = 60 + 150 * fx * fy;
      if (disc) b = 190, g = 224, r = 232;
      if (box) b = 48, g = 40, r = 32;
      const double n = grain(rng);
      p[0] = static_cast<std::uint8_t>(std::clamp(b + n, 0.0, 255.0));
      p[1] = static_cast<std::uint8_t>(std::clamp(g + n, 0.0, 255.0));
      p[2] = static_cast<std::uint8_t>(std::clamp(r + n, 0.0, 255.0));
    }
  }
  return bmp;
}

// The test photograph as a quality-90, 4:2:0 JPEG in a temporary folder, made once.
const std::string& PhotographFile() {
  static const std::string path = [] {
    const std::string folder = (std::filesystem::temp_directory_path() / "tapestra-composer-bench").string();
    std::filesystem::create_directories(folder);
    const std::string file = folder + "/photo-6000x4000.jpg";
    if (std::filesystem::exists(file)) return file;
    const Bitmap24 bmp = Photograph();
    tjhandle tj = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    tjCompress2(tj, bmp.data(), bmp.width(), static_cast<int>(bmp.stride()), bmp.height(), TJPF_BGR,
                &jpeg, &size, TJSAMP_420, 90, 0);
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(jpeg), static_cast<std::streamsize>(size));
    tjFree(jpeg);
    tjDestroy(tj);
    return file;
  }();
  return path;
}

void ChangeStyle6(benchmark::State& state, bool fast) {
  const std::string& photo = PhotographFile();
  Settings settings;
  settings.WallpaperStyleNo = WPS_StretchBlur;
  settings.WallPaperStyle = 0;
  settings.ResizeMode = TResizeMode::rmBilinear;
  settings.OriginalFile = std::filesystem::path(photo).parent_path().string() + "/_WallPaper.bmp";
  RecordingDesktop desktop({kScreenWidth, kScreenHeight});
  WallpaperComposer composer(settings, desktop);
  composer.setFastPipeline(fast);
  for (auto _ : state) {
    if (!composer.ChangeWallpaper(photo)) state.SkipWithError("change failed");
    desktop.clearCalls();
  }
}

// The whole change as the tray program makes it: banded decoding and composition.
void BM_ChangeWallpaperStyle6(benchmark::State& state) { ChangeStyle6(state, true); }
BENCHMARK(BM_ChangeWallpaperStyle6)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same change decoded first and composed after, step by step.
void BM_ChangeWallpaperStyle6StepByStep(benchmark::State& state) { ChangeStyle6(state, false); }
BENCHMARK(BM_ChangeWallpaperStyle6StepByStep)->Unit(benchmark::kMillisecond)->UseRealTime();

// The composition alone, from the picture in memory.
void BM_ComposeFromBitmap(benchmark::State& state) {
  Bitmap24 picture;
  LoadPicture(PhotographFile(), picture);
  Bitmap24 out;
  for (auto _ : state) {
    ComposeStretchBlurFromBitmap(picture, kScreenWidth, kScreenHeight, TResizeMode::rmBilinear, out);
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_ComposeFromBitmap)->Unit(benchmark::kMillisecond)->UseRealTime();

// The floor: decoding the JPEG and writing a 3840 × 2160 BMP.
void BM_DecodeAndSave(benchmark::State& state) {
  const std::string& photo = PhotographFile();
  const std::string out = std::filesystem::path(photo).parent_path().string() + "/floor.bmp";
  Bitmap24 screen;
  screen.resize(kScreenWidth, kScreenHeight);
  screen.fill(1, 2, 3);
  for (auto _ : state) {
    Bitmap24 picture;
    LoadPicture(photo, picture);
    SaveBmp24(screen, out);
    benchmark::DoNotOptimize(picture.data());
  }
}
BENCHMARK(BM_DecodeAndSave)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace tapestra

BENCHMARK_MAIN();
