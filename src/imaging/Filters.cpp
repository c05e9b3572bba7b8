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
      count =
          static_cast<float>(static_cast<double>(count) +
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

// Lanes per step: several independent vectors, so that the chains of dependent additions
// (add, round to float, widen) overlap instead of waiting on each other. Buffers are padded
// for the largest group.
constexpr int kGroupMax = 8;
constexpr int kStep = 8 * kGroupMax;

constexpr auto kByteValue = [] {
  std::array<double, 256> t{};
  for (int i = 0; i < 256; ++i) t[static_cast<std::size_t>(i)] = i;
  return t;
}();

// The vertical pass works on column chunks of this many bytes, narrower for large zones so
// that the 2 × range + 1 converted rows of a chunk stay in the L2 cache.
int VerticalChunk(int range) {
  const int rows = 2 * range + 1;
  return std::clamp((65536 / rows) / kStep * kStep, kStep, kChunk);
}

// Each loop twice: portably (vector extensions, cloned for AVX2 where supported) and, on
// x86-64 with AVX-512, with the hardware conversions double → float → double, which GCC
// cannot form from the portable code. Both round exactly like the reference.
namespace portable {
#define TAPESTRA_BLUR_TARGET TAPESTRA_IMAGING_CLONES
#define TAPESTRA_BLUR_ROUND RoundToFloat
#define TAPESTRA_BLUR_GROUP \
  4  // 16 vector registers of AVX2 hold four accumulators and their inputs
#include "imaging/BlurLoops.inc"
#undef TAPESTRA_BLUR_TARGET
#undef TAPESTRA_BLUR_ROUND
#undef TAPESTRA_BLUR_GROUP
}  // namespace portable

#if TAPESTRA_HAVE_AVX512_PATH
#pragma GCC push_options
#pragma GCC target("avx512f,avx512vl,avx512dq,avx512bw")
namespace avx512 {
TAPESTRA_SIMD_INLINE v8d RoundToFloat512(v8d x) {
  // The zero-masked forms: GCC 12 warns about the undefined source of the plain ones.
  return (v8d)_mm512_maskz_cvtps_pd(0xFF, _mm512_maskz_cvtpd_ps(0xFF, (__m512d)x));
}
#define TAPESTRA_BLUR_TARGET
#define TAPESTRA_BLUR_ROUND RoundToFloat512
#define TAPESTRA_BLUR_GROUP 8  // the conversions have long latencies; 32 registers allow eight
#include "imaging/BlurLoops.inc"
#undef TAPESTRA_BLUR_TARGET
#undef TAPESTRA_BLUR_ROUND
#undef TAPESTRA_BLUR_GROUP
}  // namespace avx512
#pragma GCC pop_options
#endif

void BlurRowHorizontal(const std::uint8_t* in, std::uint8_t* out, int width, int range,
                       const double* g, const BlurCounts& counts, double* padded) {
#if TAPESTRA_HAVE_AVX512_PATH
  if (UseAvx512()) return avx512::BlurRowHorizontal(in, out, width, range, g, counts, padded);
#endif
  portable::BlurRowHorizontal(in, out, width, range, g, counts, padded);
}

void BlurRowsVertical(const Bitmap24& tmp, Bitmap24& bmp, int rowBegin, int rowEnd, int range,
                      const double* g, const BlurCounts& counts, double* ring) {
#if TAPESTRA_HAVE_AVX512_PATH
  if (UseAvx512())
    return avx512::BlurRowsVertical(tmp, bmp, rowBegin, rowEnd, range, g, counts, ring);
#endif
  portable::BlurRowsVertical(tmp, bmp, rowBegin, rowEnd, range, g, counts, ring);
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
    const std::size_t padLen = static_cast<std::size_t>(std::min(3 * w, kChunk)) +
                               6 * static_cast<std::size_t>(range) + kStep;
    std::vector<double> padded(static_cast<std::size_t>(bands) * padLen);
    const std::size_t ringLen =
        static_cast<std::size_t>(2 * range + 1) * (VerticalChunk(range) + 8);
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
