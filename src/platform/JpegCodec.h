#pragma once

// JPEG decoding through TurboJPEG, straight into the rows of a Bitmap24.

#include <cstddef>
#include <cstdint>

#include "platform/Bitmap24.h"

namespace tapestra {

enum class JpegResult {
  Decoded,
  Truncated,  // the data ends before the last row
  Failed,     // not a JPEG, damaged, too large, or a kind TurboJPEG does not convert (CMYK)
};

bool HasJpegSignature(const std::uint8_t* data, std::size_t size);

// Decodes the whole picture, or with maxWidth/maxHeight > 0 at the smallest DCT scale that
// still covers the picture fitted into maxWidth × maxHeight.
JpegResult DecodeJpeg(const std::uint8_t* data, std::size_t size, Bitmap24& bmp, int maxWidth = 0,
                      int maxHeight = 0);

// The pixel size from the frame header; needs the bytes up to the first scan.
bool ReadJpegSize(const std::uint8_t* data, std::size_t size, int& width, int& height);

}  // namespace tapestra
