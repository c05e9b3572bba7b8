#include "ComposerTestSupport.h"

#include <turbojpeg.h>

#include <algorithm>
#include <cmath>

#include "support/PictureFixtures.h"

namespace tapestra::testing {

Bitmap24 MakePicture(int width, int height, std::uint32_t seed) {
  Bitmap24 bmp;
  if (!bmp.resize(width, height)) return bmp;
  std::uint32_t state = seed * 2654435761u + 12345u;
  for (int y = 0; y < height; ++y) {
    std::uint8_t* p = bmp.row(y);
    for (int x = 0; x < width; ++x, p += 3) {
      state = state * 1664525u + 1013904223u;
      const int grain = static_cast<int>(state >> 28) - 8;
      const double fx = static_cast<double>(x) / width, fy = static_cast<double>(y) / height;
      const bool edge = ((x / 7) + (y / 5) + static_cast<int>(seed)) % 11 == 0;
      const int b = static_cast<int>(255 * fx) + grain;
      const int g = static_cast<int>(127.5 + 127.5 * std::sin(6.0 * fy + seed)) + grain;
      const int r = edge ? 250 : static_cast<int>(255 * (1 - fx) * fy) + grain;
      p[0] = static_cast<std::uint8_t>(std::clamp(b, 0, 255));
      p[1] = static_cast<std::uint8_t>(std::clamp(g, 0, 255));
      p[2] = static_cast<std::uint8_t>(std::clamp(r, 0, 255));
    }
  }
  return bmp;
}

bool WriteJpeg(const Bitmap24& bmp, const std::string& fileName, int subsampling,
               bool progressive) {
  const int samp = subsampling == 0 ? TJSAMP_444 : subsampling == 3 ? TJSAMP_GRAY : TJSAMP_420;
  const test::Bytes jpeg = test::CompressJpeg(bmp, 90, samp, progressive ? TJFLAG_PROGRESSIVE : 0);
  return !jpeg.empty() && test::WriteBytes(fileName, jpeg);
}

}  // namespace tapestra::testing
