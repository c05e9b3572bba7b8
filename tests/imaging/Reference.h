#pragma once

// Plain per-pixel transcriptions of the imaging algorithms, written for clarity and not
// speed: the fast code must produce the same bytes.

#include <cstdint>

#include "imaging/VCLImageUtils.h"
#include "platform/Bitmap24.h"

namespace tapestra::reference {

std::uint8_t AdjustByte(double value);
Bitmap24 Resize(const Bitmap24& src, int rwidth, int rheight, TResizeMode mode);
Bitmap24 GaussianBlur(const Bitmap24& src, int zone);
Bitmap24 Contrast(const Bitmap24& src, int nContrast);

// A bitmap of random bytes (the row padding too), reproducible from the seed.
Bitmap24 RandomBitmap(int width, int height, unsigned seed);

}  // namespace tapestra::reference
