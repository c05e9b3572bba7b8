#pragma once

// Eight-lane vectors for the imaging loops (GCC/Clang vector extensions). Every operation is
// the lane-wise IEEE operation of the scalar code, so results are bit-identical to it; the
// compiler maps a vector to whatever registers the target has (and, with the clones below,
// picks AVX2 or AVX-512 at run time). No fused multiply-add: -ffp-contract=off.

#include <cstdint>
#include <cstring>

#if !defined(__GNUC__)
#error "the imaging loops need GCC or Clang vector extensions"
#endif

// The helpers below pass vectors by value but are always inlined, so the calling convention
// of wide vectors (which differs between ISA levels) never comes into play.
#if !defined(__clang__)
#pragma GCC diagnostic ignored "-Wpsabi"
#endif

#if defined(__x86_64__) && defined(__linux__) && !defined(__clang__) && \
    !defined(__SANITIZE_ADDRESS__) && !defined(TAPESTRA_IMAGING_PORTABLE)
#define TAPESTRA_IMAGING_CLONES __attribute__((target_clones("default", "avx2", "arch=x86-64-v4")))
#else
#define TAPESTRA_IMAGING_CLONES
#endif

// Hand-written AVX-512 loops where GCC cannot form the instructions from the portable code
// (float widening, gathers). TAPESTRA_IMAGING_PORTABLE builds only the portable loops, to
// test them on any machine.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && \
    !defined(TAPESTRA_IMAGING_PORTABLE)
#define TAPESTRA_HAVE_AVX512_PATH 1
// GCC 12 reports the deliberately undefined sources inside its own intrinsics as possibly
// uninitialised (fixed in GCC 13); the state applies to the header's own lines.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>
#pragma GCC diagnostic pop
#else
#define TAPESTRA_HAVE_AVX512_PATH 0
#endif

namespace tapestra {

#if TAPESTRA_HAVE_AVX512_PATH
inline bool UseAvx512() {
  static const bool yes = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
                          __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512bw");
  return yes;
}
#endif

typedef double v8d __attribute__((vector_size(64)));
typedef float v8f __attribute__((vector_size(32)));
typedef std::int32_t v8i __attribute__((vector_size(32)));
typedef std::uint8_t v8u8 __attribute__((vector_size(8)));
typedef std::uint64_t v8u64 __attribute__((vector_size(64)));

#define TAPESTRA_SIMD_INLINE inline __attribute__((always_inline))

TAPESTRA_SIMD_INLINE v8d Splat(double x) {
  return v8d{x, x, x, x, x, x, x, x};
}

TAPESTRA_SIMD_INLINE v8d Load8(const double* p) {
  v8d v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

// The value rounded to single precision (nearest, ties to even) and widened again: the
// accumulators of the blur. Done in the double domain because GCC widens float vectors
// piecewise: adding and removing M = 1.5 · 2^(e + 29), e the exponent of x, rounds x at the
// last bit of a float with the same exponent. Exact for 0 and for normal floats, which is
// the whole range the blur produces (non-negative, no subnormals).
TAPESTRA_SIMD_INLINE v8d RoundToFloat(v8d x) {
  const v8u64 bits = (v8u64)x;  // a bit cast between vectors of equal size
  const v8u64 m = ((bits & 0x7FF0000000000000ull) + (29ull << 52)) | (1ull << 51);
  const v8d magic = (v8d)m;
  return (x + magic) - magic;
}

// AdjustByte on eight lanes: clamp to 0 … 255, then round half to even. Adding and
// subtracting 2^52 rounds in the current (nearest-even) mode exactly like nearbyint for
// 0 ≤ x < 2^52.
TAPESTRA_SIMD_INLINE void StoreAdjusted8(v8d x, std::uint8_t* out) {
  const v8d zero = Splat(0), top = Splat(255), magic = Splat(0x1p52);
  x = x < zero ? zero : x;
  x = x > top ? top : x;
  x = (x + magic) - magic;
  const v8u8 b = __builtin_convertvector(__builtin_convertvector(x, v8i), v8u8);
  std::memcpy(out, &b, sizeof b);
}

}  // namespace tapestra
