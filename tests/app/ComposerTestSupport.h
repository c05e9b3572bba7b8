#pragma once

#include <cstdint>
#include <string>

#include "platform/Bitmap24.h"

namespace tapestra::testing {

// A picture with smooth gradients, hard edges and grain, the same for the same seed, so
// resampling, blur and rounding all have something to get wrong.
Bitmap24 MakePicture(int width, int height, std::uint32_t seed = 1);

// Encodes bmp as a JPEG (quality 90) with the given chroma subsampling: 0 = 4:4:4,
// 2 = 4:2:0, 3 = greyscale; baseline or progressive.
bool WriteJpeg(const Bitmap24& bmp, const std::string& fileName, int subsampling = 2,
               bool progressive = false);

}  // namespace tapestra::testing
