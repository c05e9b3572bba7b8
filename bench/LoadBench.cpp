// Picture loading and the wallpaper file: a 6000 × 4000 JPEG (quality 90, 4:2:0, smooth
// gradients with noise, as photos are) and a 3840 × 2160 BMP written the way the composer does.
#include <benchmark/benchmark.h>
#include <turbojpeg.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/PictureDecoder.h"
#include "support/PictureFixtures.h"

namespace {

using tapestra::Bitmap24;

using tapestra::test::CompressJpeg;

// Its own picture, not the tests' Pattern: twice the grain, and the figures stay comparable
// with earlier runs (the tests' finer-grained picture decodes about a third faster).
Bitmap24 Pattern(int width, int height) {
  Bitmap24 bmp;
  bmp.resize(width, height);
  std::uint32_t state = 12345;
  for (int y = 0; y < height; ++y) {
    std::uint8_t* p = bmp.row(y);
    for (int x = 0; x < width; ++x, p += 3) {
      state = state * 1664525u + 1013904223u;
      const int noise = static_cast<int>(state >> 27) - 16;
      auto clamp = [](int v) { return static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); };
      p[0] = clamp(x * 255 / width + noise);
      p[1] = clamp(y * 255 / height + noise);
      p[2] = clamp(((x + y) / 16) % 256 + noise);
    }
  }
  return bmp;
}

std::string TempPath(const char* name) {
  return "/tmp/tapestra-bench-" + std::to_string(::getpid()) + "-" + name;
}

// Written once per process, removed at exit.
const std::string& JpegFile() {
  static const std::string path = [] {
    const tapestra::test::Bytes jpeg = CompressJpeg(Pattern(6000, 4000), 90, TJSAMP_420);
    if (jpeg.empty()) std::abort();
    const std::string p = TempPath("6000x4000.jpg");
    tapestra::test::WriteBytes(p, jpeg);
    // A copy that outlives the static string, whose destructor runs before this handler.
    static const char* const toRemove = strdup(p.c_str());
    std::atexit([] { std::remove(toRemove); });
    return p;
  }();
  return path;
}

// A fresh bitmap each time, as the composer does: includes the page faults of 72 MB.
void BM_LoadPictureJpeg6000x4000(benchmark::State& state) {
  const std::string& path = JpegFile();
  for (auto _ : state) {
    Bitmap24 bmp;
    tapestra::LoadPicture(path, bmp);
    if (bmp.width() != 6000) state.SkipWithError("decode failed");
    benchmark::DoNotOptimize(bmp.data());
  }
}
BENCHMARK(BM_LoadPictureJpeg6000x4000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same into a bitmap of the right size already: the decoder alone.
void BM_LoadPictureJpeg6000x4000Reused(benchmark::State& state) {
  const std::string& path = JpegFile();
  Bitmap24 bmp;
  for (auto _ : state) {
    tapestra::LoadPicture(path, bmp);
    benchmark::DoNotOptimize(bmp.data());
  }
}
BENCHMARK(BM_LoadPictureJpeg6000x4000Reused)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_JpegBands6000x4000(benchmark::State& state) {
  const std::string& path = JpegFile();
  for (auto _ : state) {
    tapestra::JpegBandDecoder dec;
    Bitmap24 bmp;
    if (!dec.open(path) || !dec.start(bmp)) state.SkipWithError("open failed");
    while (!dec.done()) {
      if (dec.decodeRows(static_cast<int>(state.range(0))) < 0) state.SkipWithError("decode");
    }
    benchmark::DoNotOptimize(bmp.data());
  }
}
BENCHMARK(BM_JpegBands6000x4000)->Arg(256)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LoadPictureScaledJpegToScreen(benchmark::State& state) {
  const std::string& path = JpegFile();
  for (auto _ : state) {
    Bitmap24 bmp;
    tapestra::LoadPictureScaled(path, 1920, 1080, bmp);
    benchmark::DoNotOptimize(bmp.data());
  }
}
BENCHMARK(BM_LoadPictureScaledJpegToScreen)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReadPictureSizeJpeg(benchmark::State& state) {
  const std::string& path = JpegFile();
  for (auto _ : state) {
    int w = 0, h = 0;
    benchmark::DoNotOptimize(tapestra::ReadPictureSize(path, w, h));
  }
}
BENCHMARK(BM_ReadPictureSizeJpeg)->Unit(benchmark::kMicrosecond);

void BM_SaveBmp24_3840x2160(benchmark::State& state) {
  const Bitmap24 bmp = Pattern(3840, 2160);
  const std::string path = TempPath("_WallPaper.bmp");
  for (auto _ : state) {
    if (!tapestra::SaveBmp24(bmp, path)) state.SkipWithError("save failed");
  }
  std::remove(path.c_str());
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bmp.stride()) * 2160);
}
BENCHMARK(BM_SaveBmp24_3840x2160)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
