// Resize, blur and contrast at wallpaper sizes. The second argument of every benchmark is
// the number of worker threads (1 = serial path).

#include <benchmark/benchmark.h>

#include <random>

#include "imaging/Parallel.h"
#include "imaging/VCLImageUtils.h"

namespace {

using tapestra::Bitmap24;
using tapestra::TResizeMode;

const Bitmap24& RandomPicture(int w, int h) {
  static Bitmap24 cache;
  if (cache.width() != w || cache.height() != h) {
    cache.resize(w, h);
    std::mt19937 rng(42);
    for (int y = 0; y < h; ++y) {
      auto* p = reinterpret_cast<std::uint32_t*>(cache.row(y));
      for (std::size_t i = 0; i < cache.stride() / 4; ++i) p[i] = rng();
    }
  }
  return cache;
}

const char* const kModeNames[] = {"Nearest",  "Bilinear", "Bicubic", "BSpline", "Hermite",
                                  "Mitchell", "Bell",     "Lanczos", "Lagrange"};

// args: mode, threads, source width, source height
void BM_Resize(benchmark::State& state) {
  const auto mode = static_cast<TResizeMode>(state.range(0));
  tapestra::SetImagingThreadCount(static_cast<int>(state.range(1)));
  const Bitmap24& src =
      RandomPicture(static_cast<int>(state.range(2)), static_cast<int>(state.range(3)));
  state.SetLabel(kModeNames[state.range(0)]);
  for (auto _ : state) {
    state.PauseTiming();
    Bitmap24 bmp = src;
    state.ResumeTiming();
    tapestra::BmpResize(bmp, 3840, 2160, mode);
    benchmark::DoNotOptimize(bmp.data());
  }
  tapestra::SetImagingThreadCount(0);
}

void ResizeArgs(benchmark::internal::Benchmark* b) {
  for (auto [w, h] : {std::pair{6000, 4000}, std::pair{1920, 1080}}) {
    for (int threads : {1, 2}) {
      for (int mode = 0; mode < 9; ++mode) b->Args({mode, threads, w, h});
    }
  }
}
BENCHMARK(BM_Resize)->Apply(ResizeArgs)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_GaussianBlur(benchmark::State& state) {
  tapestra::SetImagingThreadCount(static_cast<int>(state.range(1)));
  const Bitmap24& src = RandomPicture(3840, 2160);
  for (auto _ : state) {
    state.PauseTiming();
    Bitmap24 bmp = src;
    state.ResumeTiming();
    tapestra::GaussianBlur(bmp, static_cast<int>(state.range(0)));
    benchmark::DoNotOptimize(bmp.data());
  }
  tapestra::SetImagingThreadCount(0);
}
BENCHMARK(BM_GaussianBlur)
    ->Args({3, 1})
    ->Args({3, 2})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_Contrast(benchmark::State& state) {
  tapestra::SetImagingThreadCount(static_cast<int>(state.range(0)));
  Bitmap24 bmp = RandomPicture(3840, 2160);
  for (auto _ : state) {
    tapestra::Contrast(bmp, -10);
    benchmark::DoNotOptimize(bmp.data());
  }
  tapestra::SetImagingThreadCount(0);
}
BENCHMARK(BM_Contrast)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
