#pragma once

#include "platform/Bitmap24.h"
#include "platform/Colour.h"

namespace tapestra {

// The corner colours of a decoded picture, used for the desktop background colour.
TColor GetBrightColor(const Bitmap24& bmp);
TColor GetDarkColor(const Bitmap24& bmp);
TColor GetAverageColor(const Bitmap24& bmp);

}  // namespace tapestra
