// GaussianBlur and Contrast of VCLImageUtils.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <memory>
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

// The Gaussian weights of distances 0 … range, each rounded to single precision.
std::vector<float> GaussWeights(int zone, int range) {
  std::vector<float> gauss(static_cast<std::size_t>(range) + 1);
  for (int i = 0; i <= range; ++i) {
    gauss[static_cast<std::size_t>(i)] = static_cast<float>(
        std::exp(static_cast<double>(-i * i) / static_cast<double>(2 * zone * zone)));
  }
  return gauss;
}

// Where the vertical pass reads and writes: horizontally blurred row iy at
// inBase + (iy % inRows) · inStride (a ring when inRows is less than the height), output row y
// at outBase + (y − outFirst) · outStride.
struct BlurRows {
  const std::uint8_t* inBase;
  std::size_t inStride;
  int inRows;
  std::uint8_t* outBase;
  std::size_t outStride;
  int outFirst;
  const std::uint8_t* in(int iy) const {
    return inBase + static_cast<std::size_t>(iy % inRows) * inStride;
  }
  std::uint8_t* out(int y) const {
    return outBase + static_cast<std::size_t>(y - outFirst) * outStride;
  }
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

void BlurRowsVertical(const BlurRows& io, int n, int h, int rowBegin, int rowEnd, int range,
                      const double* g, const BlurCounts& counts, double* ring) {
#if TAPESTRA_HAVE_AVX512_PATH
  if (UseAvx512())
    return avx512::BlurRowsVertical(io, n, h, rowBegin, rowEnd, range, g, counts, ring);
#endif
  portable::BlurRowsVertical(io, n, h, rowBegin, rowEnd, range, g, counts, ring);
}

// The scratch of one horizontal pass over rows of the given width.
std::size_t PaddedLength(int width, int range) {
  return static_cast<std::size_t>(std::min(3 * width, kChunk)) +
         6 * static_cast<std::size_t>(range) + kStep;
}

// The scratch of one vertical pass: the converted rows of a column chunk.
std::size_t VerticalRingLength(int range) {
  return static_cast<std::size_t>(2 * range + 1) * (VerticalChunk(range) + 8);
}

}  // namespace

bool GaussianBlur(Bitmap24& bmp, int zone) {
  if (bmp.empty() || zone < 1 || zone > 30) return false;
  const int w = bmp.width(), h = bmp.height();
  const int range = GaussianBlurReach(zone);
  try {
    const std::vector<float> gauss = GaussWeights(zone, range);
    const std::vector<double> g(gauss.begin(), gauss.end());
    const BlurCounts countsX(w, range, gauss), countsY(h, range, gauss);
    Bitmap24 tmp;
    if (!tmp.resize(w, h)) return false;
    const int bands = BandCount(h, 8);
    const std::size_t padLen = PaddedLength(w, range);
    std::vector<double> padded(static_cast<std::size_t>(bands) * padLen);
    const std::size_t ringLen = VerticalRingLength(range);
    std::vector<double> rings(static_cast<std::size_t>(bands) * ringLen);
    const BlurRows io{tmp.row(0), tmp.stride(), h, bmp.row(0), bmp.stride(), 0};
    // Everything is allocated; from here on nothing can fail half-way.
    ParallelBands(h, 8, [&](int band, int begin, int end) {
      double* pad = padded.data() + static_cast<std::size_t>(band) * padLen;
      for (int y = begin; y < end; ++y) {
        BlurRowHorizontal(bmp.row(y), tmp.row(y), w, range, g.data(), countsX, pad);
      }
    });
    ParallelBands(h, 8, [&](int band, int begin, int end) {
      BlurRowsVertical(io, 3 * w, h, begin, end, range, g.data(), countsY,
                       rings.data() + static_cast<std::size_t>(band) * ringLen);
    });
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

struct GaussianBlurStream::State {
  State(int width, int height, int zone, int band)
      : w(width),
        h(height),
        range(GaussianBlurReach(zone)),
        // The rows still to be finished and the reach above them, plus a band to come.
        ringRows(std::min(height, band + 2 * range)),
        gauss(GaussWeights(zone, range)),
        g(gauss.begin(), gauss.end()),
        countsX(width, range, gauss),
        countsY(height, range, gauss),
        rows(static_cast<std::size_t>(ringRows) * 3 * static_cast<std::size_t>(width)),
        padded(PaddedLength(width, range)),
        ring(VerticalRingLength(range)) {}

  int w, h, range, ringRows;
  std::vector<float> gauss;
  std::vector<double> g;
  BlurCounts countsX, countsY;
  std::vector<std::uint8_t> rows;  // horizontally blurred row y in slot y % ringRows
  std::vector<double> padded, ring;
  int added = 0, finished = 0;
};

GaussianBlurStream::GaussianBlurStream() = default;
GaussianBlurStream::~GaussianBlurStream() = default;
GaussianBlurStream::GaussianBlurStream(GaussianBlurStream&&) noexcept = default;
GaussianBlurStream& GaussianBlurStream::operator=(GaussianBlurStream&&) noexcept = default;

bool GaussianBlurStream::Init(int width, int height, int zone, int band) {
  s_.reset();
  if (width < 1 || height < 1 || zone < 1 || zone > 30 || band < 1) return false;
  if (static_cast<long long>(width) * height > Bitmap24::kMaxPixels) return false;
  try {
    s_ = std::make_unique<State>(width, height, zone, band);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

int GaussianBlurStream::added() const {
  return s_ ? s_->added : 0;
}

int GaussianBlurStream::finished() const {
  return s_ ? s_->finished : 0;
}

int GaussianBlurStream::finishable() const {
  if (!s_) return 0;
  if (s_->added == s_->h) return s_->h;
  return std::max(s_->finished, s_->added - s_->range);
}

bool GaussianBlurStream::AddRow(const std::uint8_t* row) {
  if (!s_ || s_->added == s_->h) return false;
  // The slot's earlier row must be one that no row still to be finished reads.
  if (s_->added - s_->ringRows >= std::max(0, s_->finished - s_->range)) return false;
  std::uint8_t* slot =
      s_->rows.data() + static_cast<std::size_t>(s_->added % s_->ringRows) * 3 * s_->w;
  BlurRowHorizontal(row, slot, s_->w, s_->range, s_->g.data(), s_->countsX, s_->padded.data());
  ++s_->added;
  return true;
}

bool GaussianBlurStream::Finish(int upTo, std::uint8_t* out, std::size_t outStride) {
  if (!s_ || upTo > finishable()) return false;
  if (upTo <= s_->finished) return true;
  const std::size_t n = 3 * static_cast<std::size_t>(s_->w);
  const BlurRows io{s_->rows.data(), n, s_->ringRows, out, outStride, s_->finished};
  BlurRowsVertical(io, static_cast<int>(n), s_->h, s_->finished, upTo, s_->range, s_->g.data(),
                   s_->countsY, s_->ring.data());
  s_->finished = upTo;
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
