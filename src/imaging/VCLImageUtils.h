#pragma once

#include <cstdint>
#include <vector>

#include "platform/Bitmap24.h"

namespace tapestra {

// The resampling filter; the numbering is stored in the configuration by name.
enum class TResizeMode : std::uint8_t {
  rmNearest,
  rmBilinear,
  rmBicubic,
  rmBSpline,
  rmHermite,
  rmMitchell,
  rmBell,
  rmLanczos,
  rmLagrange,
};

// A light accessor over one 24-bit bitmap: the address of every row, no copy of the pixels,
// no bounds checks. Make it after the last resize of the bitmap.
class TBmpData24 {
 public:
  explicit TBmpData24(Bitmap24& bmp);
  std::uint8_t* GetData(int x, int y) const { return sl[static_cast<std::size_t>(y)] + 3 * static_cast<std::size_t>(x); }

  std::vector<std::uint8_t*> sl;
  int FWidth = 0;
  int FHeight = 0;
};

// Clamps to 0 … 255 and rounds to the nearest integer, ties to even.
std::uint8_t AdjustByte(double value);

Bitmap24 BmpClone(const Bitmap24& bmp);

// Scales bmp to rwidth × rheight with the given filter; false (bmp untouched) for a size
// below 1 or a bitmap that cannot be allocated.
bool BmpResize(Bitmap24& bmp, int rwidth, int rheight, TResizeMode mode);

// Separable Gaussian blur in place; zone 1 … 30, otherwise false and nothing changes.
bool GaussianBlur(Bitmap24& bmp, int zone);

// Contrast about mid-grey in place; nContrast −100 … 100, otherwise false.
bool Contrast(Bitmap24& bmp, int nContrast);

}  // namespace tapestra
