#include <cmath>
#include <cstdlib>
#include <random>
#include <vector>

#include "Reference.h"

namespace tapestra::reference {

namespace {

// One pass of the blur, from `in` into `out`, along x (horizontal) or y.
void BlurPass(const Bitmap24& in, Bitmap24& out, const std::vector<float>& gauss, int range,
              bool horizontal) {
  const int w = in.width(), h = in.height();
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      float sr = 0, sg = 0, sb = 0, count = 0;
      const int centre = horizontal ? x : y;
      const int limit = horizontal ? w : h;
      for (int i = centre - range; i <= centre + range; ++i) {
        if (i < 0 || i > limit - 1) continue;
        const float g = gauss[static_cast<std::size_t>(std::abs(i - centre))];
        const std::uint8_t* p = horizontal ? in.row(y) + 3 * i : in.row(i) + 3 * x;
        sr = static_cast<float>(static_cast<double>(sr) + static_cast<double>(p[2]) * g);
        sg = static_cast<float>(static_cast<double>(sg) + static_cast<double>(p[1]) * g);
        sb = static_cast<float>(static_cast<double>(sb) + static_cast<double>(p[0]) * g);
        count = static_cast<float>(static_cast<double>(count) + static_cast<double>(g));
      }
      std::uint8_t* o = out.row(y) + 3 * x;
      o[0] = AdjustByte(static_cast<double>(sb) / static_cast<double>(count));
      o[1] = AdjustByte(static_cast<double>(sg) / static_cast<double>(count));
      o[2] = AdjustByte(static_cast<double>(sr) / static_cast<double>(count));
    }
  }
}

}  // namespace

Bitmap24 GaussianBlur(const Bitmap24& src, int zone) {
  const int range = 3 * zone;
  std::vector<float> gauss(static_cast<std::size_t>(range) + 1);
  for (int i = 0; i <= range; ++i) {
    const int num = -i * i;
    const int den = 2 * zone * zone;
    gauss[static_cast<std::size_t>(i)] =
        static_cast<float>(std::exp(static_cast<double>(num) / static_cast<double>(den)));
  }
  Bitmap24 tmp = src;
  Bitmap24 out = src;
  BlurPass(src, tmp, gauss, range, true);
  BlurPass(tmp, out, gauss, range, false);
  return out;
}

Bitmap24 Contrast(const Bitmap24& src, int nContrast) {
  const float quotient = static_cast<float>(static_cast<double>(nContrast + 100) / 100.0);
  const float d = static_cast<float>(static_cast<double>(quotient) * quotient);
  Bitmap24 out = src;
  for (int y = 0; y < out.height(); ++y) {
    for (int x = 0; x < out.width() * 3; ++x) {
      std::uint8_t& v = out.row(y)[x];
      v = AdjustByte(((v / 255.0 - 0.5) * d + 0.5) * 255.0);
    }
  }
  return out;
}

Bitmap24 RandomBitmap(int width, int height, unsigned seed) {
  Bitmap24 bmp;
  bmp.resize(width, height);
  std::mt19937 rng(seed);
  for (int y = 0; y < height; ++y) {
    for (std::size_t i = 0; i < bmp.stride(); ++i) {
      bmp.row(y)[i] = static_cast<std::uint8_t>(rng() & 0xFF);
    }
  }
  return bmp;
}

}  // namespace tapestra::reference
