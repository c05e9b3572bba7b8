#include "imaging/VCLImageUtils.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstring>
#include <new>
#include <numbers>
#include <utility>

#include "imaging/Parallel.h"
#include "imaging/SimdTypes.h"

namespace tapestra {

TBmpData24::TBmpData24(Bitmap24& bmp)
    : sl(static_cast<std::size_t>(std::max(bmp.height(), 0))),
      FWidth(bmp.width()),
      FHeight(bmp.height()) {
  for (int y = 0; y < FHeight; ++y) sl[static_cast<std::size_t>(y)] = bmp.row(y);
}

std::uint8_t AdjustByte(double value) {
  if (value < 0) return 0;
  if (value > 255) return 255;
  if (std::isnan(value)) return 0;
  // nearbyint rounds in the current mode, which is round-to-nearest-even.
  return static_cast<std::uint8_t>(std::nearbyint(value));
}

Bitmap24 BmpClone(const Bitmap24& bmp) {
  return Bitmap24(bmp);
}

namespace {

// The kernels on the absolute distance t in source pixels. Powers are formed first
// (x² = x·x, x³ = x·x·x), then the terms left to right; the reference in the tests uses the
// same reading, and any other grouping changes low bits and so, rarely, a byte.
double Sq(double x) {
  return x * x;
}
double Cube(double x) {
  return x * x * x;
}

double KernelBicubic(double t) {
  return t < 1 ? (t - 1) * (Sq(t) - t - 1) : -((t - 1) * Sq(t - 2));
}
double KernelHermite(double t) {
  return (2 * t - 3) * Sq(t) + 1;
}
double KernelMitchell(double t) {
  return t < 1 ? 7.0 / 6.0 * Cube(t) - 2 * Sq(t) + 8.0 / 9.0
               : 2 * Sq(t) - 10.0 / 3.0 * t - 7.0 / 18.0 * Cube(t) + 16.0 / 9.0;
}
double KernelBell(double t) {
  if (t < 0.5) return 0.75 - Sq(t);
  if (t < 1.5) return 0.5 * Sq(t - 1.5);
  return 0;
}
double KernelLanczos(double t) {
  constexpr double kPi = std::numbers::pi;
  constexpr double kHalfPi = std::numbers::pi / 2;
  constexpr double kHalfPiSquared = std::numbers::pi * std::numbers::pi / 2;  // = round(π²/2)
  if (t == 0) return 1;
  return std::sin(kPi * t) * std::sin(kHalfPi * t) / (kHalfPiSquared * Sq(t));
}
double KernelLagrange(double t) {
  return t < 1 ? 0.5 * (t - 2) * (t + 1) * (t - 1) : (3 - t) * (t - 2) * (t - 1) / 6;
}

double Kernel(TResizeMode mode, double t) {
  switch (mode) {
    case TResizeMode::rmBicubic:
      return KernelBicubic(t);
    case TResizeMode::rmHermite:
      return KernelHermite(t);
    case TResizeMode::rmMitchell:
      return KernelMitchell(t);
    case TResizeMode::rmBell:
      return KernelBell(t);
    case TResizeMode::rmLanczos:
      return KernelLanczos(t);
    case TResizeMode::rmLagrange:
      return KernelLagrange(t);
    default:
      return 0;
  }
}

// The cubic B-spline weights from the fraction u; columns and rows use different (equal in
// exact arithmetic) forms, and the bytes depend on which.
void BSplineColumnWeights(double u, double w[4]) {
  const double a = Cube(1 - u), b = Cube(2 - u), c = Cube(3 - u), d = Cube(4 - u);
  w[0] = a / 6;
  w[1] = (b - 4 * a) / 6;
  w[2] = (c - 4 * b + 6 * a) / 6;
  w[3] = (d - 4 * c + 6 * b - 4 * a) / 6;
}
void BSplineRowWeights(double v, double w[4]) {
  const double a = Cube(v), b = Cube(v + 1), c = Cube(v + 2), d = Cube(v + 3);
  w[0] = (d - 4 * c + 6 * b - 4 * a) / 6;
  w[1] = (c - 4 * b + 6 * a) / 6;
  w[2] = (b - 4 * a) / 6;
  w[3] = a / 6;
}

int TapsOf(TResizeMode mode) {
  switch (mode) {
    case TResizeMode::rmNearest:
      return 1;
    case TResizeMode::rmBilinear:
    case TResizeMode::rmHermite:
      return 2;
    default:
      return 4;
  }
}

void BuildAxis(ResizeAxis& axis, int src, int dst, TResizeMode mode, bool isRow) {
  const int taps = TapsOf(mode);
  axis.size = dst;
  axis.taps = taps;
  axis.index.assign(static_cast<std::size_t>(taps) * dst, 0);
  axis.weight.assign(static_cast<std::size_t>(taps) * dst, 0.0);
  const double factor = static_cast<double>(src) / dst;
  auto at = [&](int t, int i) { return static_cast<std::size_t>(t) * dst + i; };
  for (int i = 0; i < dst; ++i) {
    const double s = factor * i;
    if (mode == TResizeMode::rmNearest) {
      axis.index[at(0, i)] = std::min(static_cast<int>(std::nearbyint(s)), src - 1);
      continue;
    }
    const int f = static_cast<int>(s);  // s >= 0, so this is trunc and floor alike
    if (mode == TResizeMode::rmBilinear) {
      const int f1 = f + 1 > src - 1 ? f : f + 1;
      const double d = s - f;
      axis.index[at(0, i)] = f;
      axis.index[at(1, i)] = f1;
      axis.weight[at(0, i)] = 1 - d;
      axis.weight[at(1, i)] = d;
      continue;
    }
    const int first = mode == TResizeMode::rmHermite ? f : f - 1;
    double bspline[4] = {};
    if (mode == TResizeMode::rmBSpline) {
      if (isRow) {
        BSplineRowWeights(s - f, bspline);
      } else {
        BSplineColumnWeights(s - f, bspline);
      }
    }
    for (int t = 0; t < taps; ++t) {
      const int c = first + t;
      // A tap beyond the picture reads the base pixel but keeps the weight of its own place.
      axis.index[at(t, i)] = c < 0 || c > src - 1 ? f : c;
      axis.weight[at(t, i)] =
          mode == TResizeMode::rmBSpline ? bspline[t] : Kernel(mode, std::fabs(s - c));
    }
  }
}

constexpr int kBlock = 512;  // output columns per block: the scratch of a band stays in L2
// Distance between the planes of the scratch, in doubles: one cache line more than a block,
// since planes exactly 4 KiB apart all fall into the same L1 set and evict each other.
constexpr int kPlane = kBlock + 8;

// Byte to double by table: cheaper than a conversion per tap value in the gathers.
constexpr auto kByteValue = [] {
  std::array<double, 256> t{};
  for (int i = 0; i < 256; ++i) t[static_cast<std::size_t>(i)] = i;
  return t;
}();  // output columns per block: the scratch of a band stays in L2

// ---- Nearest: a copy through the index tables.
void NearestRows(const Bitmap24& src, Bitmap24& dst, int rowBegin, int rowEnd,
                 const ResizePlan& plan) {
  const int dw = plan.dstWidth;
  const int* xs = plan.cols.index.data();
  for (int iy = rowBegin; iy < rowEnd; ++iy) {
    const int sy = plan.rows.index[static_cast<std::size_t>(iy)];
    std::uint8_t* out = dst.row(iy);
    if (iy > rowBegin && plan.rows.index[static_cast<std::size_t>(iy) - 1] == sy) {
      std::memcpy(out, dst.row(iy - 1), static_cast<std::size_t>(dw) * 3);
      continue;
    }
    const std::uint8_t* in = src.row(sy);
    for (int ix = 0; ix < dw; ++ix) {
      const std::uint8_t* p = in + 3 * static_cast<std::size_t>(xs[ix]);
      out[3 * ix] = p[0];
      out[3 * ix + 1] = p[1];
      out[3 * ix + 2] = p[2];
    }
  }
}

// The filtered output of one block of one row goes through planar bytes, then is
// interleaved into the destination row.
void Interleave(const std::uint8_t* planes, int n, std::uint8_t* out) {
  const std::uint8_t* b = planes;
  const std::uint8_t* g = planes + kBlock;
  const std::uint8_t* r = planes + 2 * kBlock;
  for (int k = 0; k < n; ++k) {
    out[3 * k] = b[k];
    out[3 * k + 1] = g[k];
    out[3 * k + 2] = r[k];
  }
}

// A small cache of per-source-row data for the current column block, keyed by source row:
// consecutive output rows share most of their source rows.
class RowSlots {
 public:
  RowSlots(int slots, std::size_t elemsPerSlot) : keys_(slots, -1), elems_(elemsPerSlot) {}
  void Reset() { std::fill(keys_.begin(), keys_.end(), -1); }
  // The slot holding row `row`, or -1; needed[0 .. n) are the rows in use now.
  int Find(int row) const {
    for (std::size_t s = 0; s < keys_.size(); ++s) {
      if (keys_[s] == row) return static_cast<int>(s);
    }
    return -1;
  }
  int Claim(int row, const int* needed, int n) {
    int best = -1;
    for (std::size_t s = 0; s < keys_.size(); ++s) {
      if (std::find(needed, needed + n, keys_[s]) != needed + n) continue;
      if (best < 0 || keys_[s] < keys_[static_cast<std::size_t>(best)]) best = static_cast<int>(s);
    }
    keys_[static_cast<std::size_t>(best)] = row;
    return best;
  }
  std::size_t elems() const { return elems_; }

 private:
  std::vector<int> keys_;
  std::size_t elems_;
};

// The tap values of one source row for output columns [0, n) of a block, as doubles in
// T × 3 planes (tap, channel). xs[j * stride + k] is the source column of tap j of column k.
template <int T>
void GatherTaps(const std::uint8_t* in, const int* xs, int stride, int n, double* out) {
  for (int k = 0; k < n; ++k) {
    const int x0 = xs[k];
    if (xs[static_cast<std::size_t>(T - 1) * stride + k] == x0 + T - 1) {
      // Away from the edges the taps are T neighbouring pixels: 3T bytes in a row.
      const std::uint8_t* p = in + 3 * static_cast<std::size_t>(x0);
      for (int q = 0; q < 3 * T; ++q)
        out[static_cast<std::size_t>(q) * kPlane + k] = kByteValue[p[q]];
      continue;
    }
    for (int j = 0; j < T; ++j) {
      const std::uint8_t* p =
          in + 3 * static_cast<std::size_t>(xs[static_cast<std::size_t>(j) * stride + k]);
      for (int ch = 0; ch < 3; ++ch) {
        out[static_cast<std::size_t>(3 * j + ch) * kPlane + k] = kByteValue[p[ch]];
      }
    }
  }
}

#if TAPESTRA_HAVE_AVX512_PATH
#pragma GCC push_options
#pragma GCC target("avx512f,avx512vl,avx512dq,avx512bw")
namespace avx512 {

// GatherTaps for 16 output columns at a time: where their taps are neighbours, the 3T bytes
// of each column come from dword gathers and each byte position is spread into its plane.
template <int T>
void GatherTaps(const std::uint8_t* in, const int* xs, int stride, int n, double* out) {
  const __m512i three = _mm512_set1_epi32(3), low = _mm512_set1_epi32(0xFF);
  int k = 0;
  for (; k + 16 <= n; k += 16) {
    const __m512i x0 = _mm512_loadu_si512(xs + k);
    const __m512i xl = _mm512_loadu_si512(xs + static_cast<std::size_t>(T - 1) * stride + k);
    if (_mm512_cmpneq_epi32_mask(xl, _mm512_add_epi32(x0, _mm512_set1_epi32(T - 1))) != 0) {
      tapestra::GatherTaps<T>(in, xs + k, stride, 16, out + k);
      continue;
    }
    const __m512i off = _mm512_mullo_epi32(x0, three);
    // Dwords at byte offsets 0, 4, 8 (T = 4) or 0, 2 (T = 2): never past the last tap byte.
    constexpr int kWords = T == 4 ? 3 : 2;
    constexpr int kStep = T == 4 ? 4 : 2;
    __m512i d[kWords];
    for (int i = 0; i < kWords; ++i) {
      d[i] = _mm512_i32gather_epi32(_mm512_add_epi32(off, _mm512_set1_epi32(kStep * i)), in, 1);
    }
    for (int q = 0; q < 3 * T; ++q) {
      const int word = T == 4 ? q / 4 : (q < 4 ? 0 : 1);
      const int shift = 8 * (q - kStep * word);
      const __m512i v = _mm512_and_si512(_mm512_srl_epi32(d[word], _mm_cvtsi32_si128(shift)), low);
      double* o = out + static_cast<std::size_t>(q) * kPlane + k;
      _mm512_storeu_pd(o, _mm512_cvtepi32_pd(_mm512_castsi512_si256(v)));
      _mm512_storeu_pd(o + 8, _mm512_cvtepi32_pd(_mm512_extracti64x4_epi64(v, 1)));
    }
  }
  if (k < n) tapestra::GatherTaps<T>(in, xs + k, stride, n - k, out + k);
}

}  // namespace avx512
#pragma GCC pop_options
#endif

template <int T>
void GatherTapsBest(const std::uint8_t* in, const int* xs, int stride, int n, double* out) {
#if TAPESTRA_HAVE_AVX512_PATH
  if (UseAvx512()) return avx512::GatherTaps<T>(in, xs, stride, n, out);
#endif
  GatherTaps<T>(in, xs, stride, n, out);
}

// Column blocks read every source row in pieces, which the hardware prefetcher does not see
// coming; the rows the next output rows will need are requested ahead, once each.
class RowPrefetcher {
 public:
  RowPrefetcher(const Bitmap24& src, std::size_t begin, std::size_t end)
      : src_(src), begin_(begin), end_(end) {}
  // Rows up to `row` + kAhead will be read soon.
  void Ahead(int row) {
    const int last = std::min(row + kAhead, src_.height() - 1);
    for (; done_ < last;) {
      const std::uint8_t* p = src_.row(++done_);
      for (std::size_t b = begin_; b < end_; b += 64) __builtin_prefetch(p + b);
    }
  }

 private:
  static constexpr int kAhead = 2;
  const Bitmap24& src_;
  std::size_t begin_, end_;
  int done_ = -1;
};

// Source bytes [first, last) that the taps of output columns [bx, bx + n) read.
std::pair<std::size_t, std::size_t> SourceSpan(const ResizeAxis& cols, int bx, int n) {
  int lo = cols.index[static_cast<std::size_t>(bx)], hi = lo;
  for (int t = 0; t < cols.taps; ++t) {
    const std::size_t at = static_cast<std::size_t>(t) * cols.size;
    lo = std::min(lo, cols.index[at + bx]);
    hi = std::max(hi, cols.index[at + bx + n - 1]);
  }
  return {3 * static_cast<std::size_t>(lo), 3 * static_cast<std::size_t>(hi) + 3};
}

// ---- Bilinear: the horizontal interpolation of a source row is exactly the "top" or
// "bottom" value of every output pixel that uses the row, so it is computed once per source
// row and block and kept as doubles.
TAPESTRA_IMAGING_CLONES
void BilinearCombine(const double* top, const double* bottom, double wTop, double wBottom, int n,
                     std::uint8_t* planes) {
  const v8d a = Splat(wTop), b = Splat(wBottom);
  for (int ch = 0; ch < 3; ++ch) {
    const double* t = top + static_cast<std::size_t>(ch) * kPlane;
    const double* u = bottom + static_cast<std::size_t>(ch) * kPlane;
    std::uint8_t* out = planes + static_cast<std::size_t>(ch) * kBlock;
    for (int k = 0; k < n; k += 8) StoreAdjusted8(Load8(t + k) * a + Load8(u + k) * b, out + k);
  }
}

// top (or bottom) = p(x0) × (1 − dx) + p(x1) × dx per channel, from the gathered taps.
TAPESTRA_IMAGING_CLONES
void BilinearHorizontal(const double* taps, const double* wx, int n, double* h) {
  for (int ch = 0; ch < 3; ++ch) {
    const double* p = taps + static_cast<std::size_t>(ch) * kPlane;
    const double* q = taps + static_cast<std::size_t>(3 + ch) * kPlane;
    double* o = h + static_cast<std::size_t>(ch) * kPlane;
    for (int k = 0; k < n; k += 8) {
      const v8d r = Load8(p + k) * Load8(wx + k) + Load8(q + k) * Load8(wx + kPlane + k);
      std::memcpy(o + k, &r, sizeof r);
    }
  }
}

void BilinearRows(const Bitmap24& src, Bitmap24& dst, int rowBegin, int rowEnd,
                  const ResizePlan& plan) {
  const int dw = plan.dstWidth, dh = plan.dstHeight;
  RowSlots slots(3, 3 * static_cast<std::size_t>(kPlane));
  std::vector<double> data(3 * slots.elems(), 0.0);
  std::vector<std::uint8_t> planes(3 * kBlock);
  std::vector<double> taps(6 * static_cast<std::size_t>(kPlane), 0.0);
  std::vector<double> wx(2 * static_cast<std::size_t>(kPlane), 0.0);
  const int* x0 = plan.cols.index.data();
  for (int bx = 0; bx < dw; bx += kBlock) {
    const int n = std::min(kBlock, dw - bx);
    slots.Reset();
    const auto [spanBegin, spanEnd] = SourceSpan(plan.cols, bx, n);
    RowPrefetcher prefetch(src, spanBegin, spanEnd);
    for (int j = 0; j < 2; ++j) {
      std::copy_n(plan.cols.weight.data() + static_cast<std::size_t>(j) * dw + bx, n,
                  wx.data() + static_cast<std::size_t>(j) * kPlane);
    }
    for (int iy = rowBegin; iy < rowEnd; ++iy) {
      const int need[2] = {plan.rows.index[static_cast<std::size_t>(iy)],
                           plan.rows.index[static_cast<std::size_t>(dh) + iy]};
      prefetch.Ahead(std::max(need[0], need[1]));
      const double* h[2];
      for (int i = 0; i < 2; ++i) {
        int s = slots.Find(need[i]);
        double* d;
        if (s < 0) {
          s = slots.Claim(need[i], need, 2);
          d = data.data() + static_cast<std::size_t>(s) * slots.elems();
          GatherTapsBest<2>(src.row(need[i]), x0 + bx, dw, n, taps.data());
          BilinearHorizontal(taps.data(), wx.data(), n, d);
        }
        h[i] = data.data() + static_cast<std::size_t>(s) * slots.elems();
      }
      BilinearCombine(h[0], h[1], plan.rows.weight[static_cast<std::size_t>(iy)],
                      plan.rows.weight[static_cast<std::size_t>(dh) + iy], n, planes.data());
      Interleave(planes.data(), n, dst.row(iy) + 3 * static_cast<std::size_t>(bx));
    }
  }
}

// ---- Kernel filters: the 2-D sum over T × T taps is formed per pixel in the fixed tap
// order (rows outer, columns inner) so the bytes match the plain per-pixel loop; only the
// weights and the gathered tap values are shared between pixels. Vectorised across output
// columns, which keeps every pixel's own order of additions.
template <int T>
TAPESTRA_IMAGING_CLONES void KernelCombine(const double* const* taps, const double* kx,
                                           const double* ky, int n, std::uint8_t* planes) {
  // taps[i] holds, for the pixel's source row i, T × 3 planes (tap, channel) of kPlane values.
  for (int k = 0; k < n; k += 8) {
    v8d wx[T];
    for (int j = 0; j < T; ++j) wx[j] = Load8(kx + static_cast<std::size_t>(j) * kPlane + k);
    v8d s0 = Splat(0), s1 = Splat(0), s2 = Splat(0);
    for (int i = 0; i < T; ++i) {
      const double* g = taps[i];
      for (int j = 0; j < T; ++j) {
        const v8d w = wx[j] * ky[i];
        const double* p = g + static_cast<std::size_t>(3 * j) * kPlane + k;
        s0 += Load8(p) * w;
        s1 += Load8(p + kPlane) * w;
        s2 += Load8(p + 2 * kPlane) * w;
      }
    }
    StoreAdjusted8(s0, planes + k);
    StoreAdjusted8(s1, planes + kBlock + k);
    StoreAdjusted8(s2, planes + 2 * kBlock + k);
  }
}

template <int T>
void KernelRows(const Bitmap24& src, Bitmap24& dst, int rowBegin, int rowEnd,
                const ResizePlan& plan) {
  const int dw = plan.dstWidth, dh = plan.dstHeight;
  RowSlots slots(T + 1, static_cast<std::size_t>(T) * 3 * kPlane);
  // Zero-initialised so that the lanes past the end of a short block hold finite values.
  std::vector<double> data((T + 1) * slots.elems(), 0.0);
  std::vector<double> kx(static_cast<std::size_t>(T) * kPlane, 0.0);
  std::vector<std::uint8_t> planes(3 * kBlock);
  for (int bx = 0; bx < dw; bx += kBlock) {
    const int n = std::min(kBlock, dw - bx);
    slots.Reset();
    const auto [spanBegin, spanEnd] = SourceSpan(plan.cols, bx, n);
    RowPrefetcher prefetch(src, spanBegin, spanEnd);
    for (int j = 0; j < T; ++j) {
      std::copy_n(plan.cols.weight.data() + static_cast<std::size_t>(j) * dw + bx, n,
                  kx.data() + static_cast<std::size_t>(j) * kPlane);
      std::fill(kx.data() + static_cast<std::size_t>(j) * kPlane + n,
                kx.data() + static_cast<std::size_t>(j + 1) * kPlane, 0.0);
    }
    for (int iy = rowBegin; iy < rowEnd; ++iy) {
      int need[T];
      double ky[T];
      const double* taps[T];
      for (int i = 0; i < T; ++i) {
        need[i] = plan.rows.index[static_cast<std::size_t>(i) * dh + iy];
        ky[i] = plan.rows.weight[static_cast<std::size_t>(i) * dh + iy];
      }
      prefetch.Ahead(*std::max_element(need, need + T));
      for (int i = 0; i < T; ++i) {
        int s = slots.Find(need[i]);
        double* d = nullptr;
        if (s < 0) {
          s = slots.Claim(need[i], need, T);
          d = data.data() + static_cast<std::size_t>(s) * slots.elems();
          GatherTapsBest<T>(src.row(need[i]), plan.cols.index.data() + bx, dw, n, d);
        }
        taps[i] = data.data() + static_cast<std::size_t>(s) * slots.elems();
      }
      KernelCombine<T>(taps, kx.data(), ky, n, planes.data());
      Interleave(planes.data(), n, dst.row(iy) + 3 * static_cast<std::size_t>(bx));
    }
  }
}

}  // namespace

bool ResizePlan::Build(int srcW, int srcH, int dstW, int dstH, TResizeMode m) {
  if (srcW < 1 || srcH < 1 || dstW < 1 || dstH < 1) return false;
  try {
    BuildAxis(cols, srcW, dstW, m, false);
    BuildAxis(rows, srcH, dstH, m, true);
  } catch (const std::bad_alloc&) {
    cols = {};
    rows = {};
    return false;
  }
  mode = m;
  srcWidth = srcW;
  srcHeight = srcH;
  dstWidth = dstW;
  dstHeight = dstH;
  return true;
}

int ResizePlan::SourceRowsNeeded(int rowEnd) const {
  // The taps' rows never decrease from one output row to the next, so the last row decides.
  if (rowEnd <= 0 || rows.size == 0) return 0;
  const int iy = std::min(rowEnd, rows.size) - 1;
  int last = 0;
  for (int t = 0; t < rows.taps; ++t) {
    last = std::max(last, rows.index[static_cast<std::size_t>(t) * rows.size + iy]);
  }
  return last + 1;
}

namespace {

// A plan may be cut into bands or built by hand, so its tables are checked before use: an
// index outside the source would be a read outside the bitmap.
bool AxisFits(const ResizeAxis& axis, int size, int srcSize, TResizeMode mode) {
  if (axis.size != size || axis.taps != TapsOf(mode)) return false;
  const std::size_t entries = static_cast<std::size_t>(axis.taps) * size;
  if (axis.index.size() != entries) return false;
  if (mode != TResizeMode::rmNearest && axis.weight.size() != entries) return false;
  return std::all_of(axis.index.begin(), axis.index.end(),
                     [&](int i) { return i >= 0 && i < srcSize; });
}

}  // namespace

bool BmpResizeRows(const Bitmap24& src, Bitmap24& dst, int rowBegin, int rowEnd,
                   const ResizePlan& plan) {
  if (plan.dstWidth < 1 || src.width() != plan.srcWidth || src.height() != plan.srcHeight ||
      dst.width() != plan.dstWidth || dst.height() != plan.dstHeight) {
    return false;
  }
  if (!AxisFits(plan.cols, plan.dstWidth, plan.srcWidth, plan.mode) ||
      !AxisFits(plan.rows, plan.dstHeight, plan.srcHeight, plan.mode)) {
    return false;
  }
  if (rowBegin < 0 || rowEnd > plan.dstHeight || rowBegin > rowEnd) return false;
  if (rowBegin == rowEnd) return true;
  try {
    switch (plan.mode) {
      case TResizeMode::rmNearest:
        NearestRows(src, dst, rowBegin, rowEnd, plan);
        break;
      case TResizeMode::rmBilinear:
        BilinearRows(src, dst, rowBegin, rowEnd, plan);
        break;
      case TResizeMode::rmHermite:
        KernelRows<2>(src, dst, rowBegin, rowEnd, plan);
        break;
      default:
        KernelRows<4>(src, dst, rowBegin, rowEnd, plan);
        break;
    }
  } catch (const std::bad_alloc&) {
    return false;  // the scratch is allocated before the first row is written
  }
  return true;
}

bool BmpResize(Bitmap24& bmp, int rwidth, int rheight, TResizeMode mode) {
  if (bmp.empty() || rwidth < 1 || rheight < 1) return false;
  ResizePlan plan;
  if (!plan.Build(bmp.width(), bmp.height(), rwidth, rheight, mode)) return false;
  Bitmap24 out;
  if (!out.resize(rwidth, rheight)) return false;
  std::atomic<bool> ok{true};
  try {
    // At least 16 rows per band: below that the threads cost more than they save.
    ParallelBands(rheight, 16, [&](int, int begin, int end) {
      if (!BmpResizeRows(bmp, out, begin, end, plan)) ok = false;
    });
  } catch (const std::exception&) {
    return false;
  }
  if (!ok) return false;
  bmp = std::move(out);
  return true;
}

}  // namespace tapestra
