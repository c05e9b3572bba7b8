#pragma once

#include <string>

#include "app/Composer.h"
#include "imaging/VCLImageUtils.h"
#include "platform/Bitmap24.h"

namespace tapestra {

// The blurred-margin composition of a JPEG file, computed while the file is decoded: the
// decoder hands row bands to a second thread that resamples them straight into the fitted
// picture and into the visible margins of the background, so the full-size decoded picture
// never exists and only the part of the blurred background that stays visible is computed.
// The result is byte for byte what LoadPicture followed by the step-by-step StretchBlur
// gives.
//
// Returns false, with `out` left empty, whenever it cannot promise that: not a JPEG, a
// colour space or precision we do not stream, a decoder warning (damaged data), a picture
// that cannot be fitted. The caller then takes the step-by-step path, which decides.
//
// `corners` receives a small bitmap with the picture's corner pixels at the positions the
// colour analysis reads (see CornerProxy), so the colour needs no second decoding.
bool ComposeStretchBlurFromJpeg(const std::string& fileName, int screenWidth, int screenHeight,
                                TResizeMode mode, Bitmap24& out, Bitmap24* corners);

// The same composition from a bitmap already in memory, in row bands on two threads; used
// when the picture is not a JPEG we stream. Same bytes as the step-by-step path.
bool ComposeStretchBlurFromBitmap(const Bitmap24& picture, int screenWidth, int screenHeight,
                                  TResizeMode mode, Bitmap24& out);

// A bitmap that answers the colour analysis exactly like the whole picture: rows 0, 1,
// H − 2, H − 1 and columns 0, 1, W − 2, W − 1 (all of them when a side has fewer than 4).
Bitmap24 CornerProxy(const Bitmap24& picture);

}  // namespace tapestra
