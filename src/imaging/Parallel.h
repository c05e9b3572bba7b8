#pragma once

#include <algorithm>
#include <atomic>
#include <exception>
#include <thread>
#include <vector>

namespace tapestra {

namespace parallel_detail {
inline std::atomic<int>& ThreadSetting() {
  static std::atomic<int> setting{0};
  return setting;
}
}  // namespace parallel_detail

// The number of workers banded imaging work is split across: the setting if one was made,
// otherwise the machine's hardware threads (at most 8).
inline int ImagingThreadCount() {
  const int set = parallel_detail::ThreadSetting().load(std::memory_order_relaxed);
  if (set > 0) return set;
  const unsigned hw = std::thread::hardware_concurrency();
  return static_cast<int>(std::clamp(hw, 1u, 8u));
}

// 0 returns to the default; benchmarks and tests use 1 to measure or check the serial path.
inline void SetImagingThreadCount(int workers) {
  parallel_detail::ThreadSetting().store(std::max(workers, 0), std::memory_order_relaxed);
}

// How ParallelBands cuts [0, count) into `bands` contiguous pieces; band b is
// [BandBegin(count, bands, b), BandBegin(count, bands, b + 1)).
inline int BandBegin(int count, int bands, int b) {
  return static_cast<int>(static_cast<long long>(count) * b / bands);
}

// The number of bands ParallelBands uses for `count` items of which each band should get
// at least `minPerBand`.
inline int BandCount(int count, int minPerBand = 1) {
  if (count <= 0) return 0;
  const int byWork = std::max(1, count / std::max(minPerBand, 1));
  return std::min(ImagingThreadCount(), byWork);
}

// Runs work(band, begin, end) for every band of [0, count), the calling thread taking band 0
// and one short-lived thread each the others. Returns when all bands are done; an exception
// from a band is rethrown here after every thread has been joined. A thread that cannot be
// started has its band run on the calling thread, so the work is always done.
template <class Work>
void ParallelBands(int count, int minPerBand, Work&& work) {
  const int bands = BandCount(count, minPerBand);
  if (bands <= 0) return;
  if (bands == 1) {
    work(0, 0, count);
    return;
  }
  std::vector<std::exception_ptr> errors(static_cast<std::size_t>(bands));
  auto run = [&](int b) {
    try {
      work(b, BandBegin(count, bands, b), BandBegin(count, bands, b + 1));
    } catch (...) {
      errors[static_cast<std::size_t>(b)] = std::current_exception();
    }
  };
  std::vector<std::thread> threads;
  std::vector<int> inline_bands;
  threads.reserve(static_cast<std::size_t>(bands - 1));
  inline_bands.reserve(static_cast<std::size_t>(bands - 1));
  for (int b = 1; b < bands; ++b) {
    try {
      threads.emplace_back(run, b);
    } catch (...) {
      inline_bands.push_back(b);
    }
  }
  run(0);
  for (int b : inline_bands) run(b);
  for (auto& t : threads) t.join();
  for (auto& e : errors) {
    if (e) std::rethrow_exception(e);
  }
}

}  // namespace tapestra
