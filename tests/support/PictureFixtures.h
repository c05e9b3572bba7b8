#pragma once

// Pictures made inside the tests: patterns and their TurboJPEG-compressed bytes.

#include <turbojpeg.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/Bitmap24.h"
#include "support/TempDir.h"

namespace tapestra::test {

using Bytes = std::vector<std::uint8_t>;

// A smooth gradient with a little noise: the kind of content photos have.
inline Bitmap24 Pattern(int width, int height, unsigned seed = 1) {
  Bitmap24 bmp;
  bmp.resize(width, height);
  std::uint32_t state = seed * 2654435761u + 1;
  for (int y = 0; y < height; ++y) {
    std::uint8_t* p = bmp.row(y);
    for (int x = 0; x < width; ++x, p += 3) {
      state = state * 1664525u + 1013904223u;
      const int noise = static_cast<int>(state >> 28) - 8;
      auto clamp = [](int v) { return static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); };
      p[0] = clamp(x * 255 / std::max(1, width - 1) + noise);
      p[1] = clamp(y * 255 / std::max(1, height - 1) + noise);
      p[2] = clamp(128 + (x - y) / 8 + noise);
    }
  }
  return bmp;
}

inline Bytes CompressJpeg(const Bitmap24& bmp, int quality = 90, int subsamp = TJSAMP_420,
                          int flags = 0) {
  tjhandle h = tjInitCompress();
  unsigned char* out = nullptr;
  unsigned long size = 0;
  const int rc = tjCompress2(h, bmp.data(), bmp.width(), static_cast<int>(bmp.stride()),
                             bmp.height(), TJPF_BGR, &out, &size, subsamp, quality, flags);
  Bytes bytes;
  if (rc == 0) bytes.assign(out, out + size);
  tjFree(out);
  tjDestroy(h);
  return bytes;
}

// Mean absolute difference per channel; lossy codecs are compared with this.
inline double MeanDifference(const Bitmap24& a, const Bitmap24& b) {
  if (a.width() != b.width() || a.height() != b.height() || a.empty()) return 1e9;
  double sum = 0;
  for (int y = 0; y < a.height(); ++y) {
    for (int i = 0; i < a.width() * 3; ++i) sum += std::abs(a.row(y)[i] - b.row(y)[i]);
  }
  return sum / (3.0 * a.width() * a.height());
}

}  // namespace tapestra::test
