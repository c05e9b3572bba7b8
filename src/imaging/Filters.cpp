// GaussianBlur and Contrast of VCLImageUtils.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "imaging/Parallel.h"
#include "imaging/SimdTypes.h"
#include "imaging/VCLImageUtils.h"

namespace tapestra {

namespace {

// The weight sums ("count") of a 1-D pass over n positions: the sum of the weights of the
// taps that exist, formed in the same order and precision as the pixel sums (each addition
// in double, stored as float). Only the first and last `range` positions differ from the
// interior value, so only those are kept.
class BlurCounts {
 public:
  BlurCounts(int n, int range, const std::vector<float>& gauss) : n_(n), range_(range) {
    if (n <= 2 * range) {
      edge_.resize(static_cast<std::size_t>(n));
      for (int x = 0; x < n; ++x) edge_[static_cast<std::size_t>(x)] = Compute(x, gauss);
    } else {
      edge_.resize(2 * static_cast<std::size_t>(range));
      for (int x = 0; x < range; ++x) {
        edge_[static_cast<std::size_t>(x)] = Compute(x, gauss);
        edge_[static_cast<std::size_t>(range + x)] = Compute(n - range + x, gauss);
      }
      interior_ = Compute(range, gauss);
    }
  }
  float At(int x) const {
    if (n_ <= 2 * range_) return edge_[static_cast<std::size_t>(x)];
    if (x < range_) return edge_[static_cast<std::size_t>(x)];
    if (x >= n_ - range_) return edge_[static_cast<std::size_t>(x - (n_ - 2 * range_))];
    return interior_;
  }
  bool Interior(int x) const { return n_ > 2 * range_ && x >= range_ && x < n_ - range_; }
  float interior() const { return interior_; }

 private:
  float Compute(int x, const std::vector<float>& gauss) const {
    float count = 0;
    for (int i = std::max(0, x - range_); i <= std::min(n_ - 1, x + range_); ++i) {
      count = static_cast<float>(static_cast<double>(count) +
                                 static_cast<double>(gauss[static_cast<std::size_t>(std::abs(i - x))]));
    }
    return count;
  }
  int n_, range_;
  std::vector<float> edge_;
  float interior_ = 0;
};

constexpr int kChunk = 2048;  // bytes of a row handled at once; a multiple of 8

TAPESTRA_SIMD_INLINE void StorePartial(v8d v, std::uint8_t* p, int valid) {
  if (valid >= 8) {
    StoreAdjusted8(v, p);
    return;
  }
  std::uint8_t tmp[8];
  StoreAdjusted8(v, tmp);
  std::memcpy(p, tmp, static_cast<std::size_t>(valid));
}

// Lanes per step: four independent vectors, so that the chains of dependent additions
// (add, round to float, widen) overlap instead of waiting on each other.
constexpr int kGroup = 4;
constexpr int kStep = 8 * kGroup;

// One row of the horizontal pass. In the interleaved B, G, R bytes a neighbour at pixel
// distance t is 3t bytes away, so every byte is a lane of its own and all lanes share the
// tap sequence. Missing neighbours are zero bytes in `padded`: adding 0 × g leaves a
// non-negative float accumulator unchanged, exactly as skipping the tap does.
TAPESTRA_IMAGING_CLONES
void BlurRowHorizontal(const std::uint8_t* in, std::uint8_t* out, int width, int range,
                       const double* g, const BlurCounts& counts, double* padded) {
  const int n = 3 * width;
  const int halo = 3 * range;
  for (int j0 = 0; j0 < n; j0 += kChunk) {
    const int j1 = std::min(n, j0 + kChunk);
    const int span = j1 - j0 + 2 * halo + kStep;
    for (int q = 0; q < span; ++q) {
      const int src = j0 - halo + q;
      padded[q] = src >= 0 && src < n ? in[src] : 0.0;
    }
    for (int k = j0; k < j1; k += kStep) {
      const double* p = padded + (k - j0) + halo;  // p[0] is byte k
      v8d acc[kGroup];
      for (int u = 0; u < kGroup; ++u) acc[u] = Splat(0);
      for (int t = -range; t <= range; ++t) {
        const double w = g[t < 0 ? -t : t];
        for (int u = 0; u < kGroup; ++u) {
          acc[u] = RoundToFloat(acc[u] + Load8(p + 8 * u + 3 * t) * w);
        }
      }
      for (int u = 0; u < kGroup; ++u) {
        const int k8 = k + 8 * u;
        if (k8 >= j1) break;
        v8d count;
        if (counts.Interior(k8 / 3) && counts.Interior((k8 + 7) / 3)) {
          count = Splat(counts.interior());
        } else {
          for (int l = 0; l < 8; ++l) count[l] = k8 + l < n ? counts.At((k8 + l) / 3) : 1.0;
        }
        StorePartial(acc[u] / count, out + k8, j1 - k8);
      }
    }
  }
}

// The vertical pass works on column chunks of this many bytes, narrower for large zones so
// that the 2 × range + 1 converted rows of a chunk stay in the L2 cache.
int VerticalChunk(int range) {
  const int rows = 2 * range + 1;
  return std::clamp((65536 / rows) / kStep * kStep, kStep, kChunk);
}

// Rows [rowBegin, rowEnd) of the vertical pass from tmp into bmp; all bytes of a row share
// the weights, so the interleaved channels are lanes again. For each column chunk the rows
// in reach are kept converted to double in a ring of 2 × range + 1 rows (`ring`, chunk
// doubles each), so each byte is converted once.
TAPESTRA_IMAGING_CLONES
void BlurRowsVertical(const Bitmap24& tmp, Bitmap24& bmp, int rowBegin, int rowEnd, int range,
                      const double* g, const BlurCounts& counts, double* ring) {
  const int n = 3 * bmp.width();
  const int h = bmp.height();
  const int rows = 2 * range + 1;
  const int chunk = VerticalChunk(range);
  // Rows one cache line longer than the chunk: 16 KiB apart they would share L1 sets.
  const int rowLen = chunk + 8;
  auto slot = [&](int iy) { return ring + static_cast<std::size_t>(iy % rows) * rowLen; };
  for (int j0 = 0; j0 < n; j0 += chunk) {
    const int j1 = std::min(n, j0 + chunk);
    const int len = j1 - j0;
    int loaded = std::max(0, rowBegin - range);  // rows below this one are in the ring
    for (int y = rowBegin; y < rowEnd; ++y) {
      const int first = std::max(0, y - range), last = std::min(h - 1, y + range);
      for (; loaded <= last; ++loaded) {
        const std::uint8_t* p = tmp.row(loaded) + j0;
        double* d = slot(loaded);
        for (int i = 0; i < len; ++i) d[i] = p[i];
        for (int i = len; i < chunk; ++i) d[i] = 0;
      }
      const v8d count = Splat(counts.At(y));
      std::uint8_t* out = bmp.row(y) + j0;
      for (int k = 0; k < len; k += kStep) {
        v8d acc[kGroup];
        for (int u = 0; u < kGroup; ++u) acc[u] = Splat(0);
        for (int iy = first; iy <= last; ++iy) {
          const double* p = slot(iy) + k;
          const double w = g[iy < y ? y - iy : iy - y];
          for (int u = 0; u < kGroup; ++u) acc[u] = RoundToFloat(acc[u] + Load8(p + 8 * u) * w);
        }
        for (int u = 0; u < kGroup && k + 8 * u < len; ++u) {
          StorePartial(acc[u] / count, out + k + 8 * u, len - k - 8 * u);
        }
      }
    }
  }
}

}  // namespace

bool GaussianBlur(Bitmap24& bmp, int zone) {
  if (bmp.empty() || zone < 1 || zone > 30) return false;
  const int w = bmp.width(), h = bmp.height();
  const int range = 3 * zone;
  try {
    std::vector<float> gauss(static_cast<std::size_t>(range) + 1);
    for (int i = 0; i <= range; ++i) {
      gauss[static_cast<std::size_t>(i)] = static_cast<float>(
          std::exp(static_cast<double>(-i * i) / static_cast<double>(2 * zone * zone)));
    }
    const std::vector<double> g(gauss.begin(), gauss.end());
    const BlurCounts countsX(w, range, gauss), countsY(h, range, gauss);
    Bitmap24 tmp;
    if (!tmp.resize(w, h)) return false;
    const int bands = BandCount(h, 8);
    const std::size_t padLen =
        static_cast<std::size_t>(std::min(3 * w, kChunk)) + 6 * static_cast<std::size_t>(range) + kStep;
    std::vector<double> padded(static_cast<std::size_t>(bands) * padLen);
    const std::size_t ringLen = static_cast<std::size_t>(2 * range + 1) * (VerticalChunk(range) + 8);
    std::vector<double> rings(static_cast<std::size_t>(bands) * ringLen);
    // Everything is allocated; from here on nothing can fail half-way.
    ParallelBands(h, 8, [&](int band, int begin, int end) {
      double* pad = padded.data() + static_cast<std::size_t>(band) * padLen;
      for (int y = begin; y < end; ++y) {
        BlurRowHorizontal(bmp.row(y), tmp.row(y), w, range, g.data(), countsX, pad);
      }
    });
    ParallelBands(h, 8, [&](int band, int begin, int end) {
      BlurRowsVertical(tmp, bmp, begin, end, range, g.data(), countsY,
                       rings.data() + static_cast<std::size_t>(band) * ringLen);
    });
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

bool Contrast(Bitmap24& bmp, int nContrast) {
  if (bmp.empty() || nContrast < -100 || nContrast > 100) return false;
  // The quotient and its square are each rounded to single precision.
  const float q = static_cast<float>((nContrast + 100) / 100.0);
  const float d = static_cast<float>(static_cast<double>(q) * static_cast<double>(q));
  // Every channel byte maps through the same function, so a table of 256 is exact.
  std::array<std::uint8_t, 256> lut;
  for (int v = 0; v < 256; ++v) {
    lut[static_cast<std::size_t>(v)] =
        AdjustByte(((v / 255.0 - 0.5) * static_cast<double>(d) + 0.5) * 255.0);
  }
  const std::size_t n = 3 * static_cast<std::size_t>(bmp.width());
  ParallelBands(bmp.height(), 64, [&](int, int begin, int end) {
    for (int y = begin; y < end; ++y) {
      std::uint8_t* p = bmp.row(y);
      for (std::size_t i = 0; i < n; ++i) p[i] = lut[p[i]];
    }
  });
  return true;
}

}  // namespace tapestra
