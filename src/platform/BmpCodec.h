#pragma once

// Our own reader for the common Windows bitmap kinds (1, 4, 8, 16, 24 and 32 bits per pixel,
// uncompressed or with bit-field masks, bottom-up or top-down) and the 24-bit writer. It works
// on bytes in memory, checks every offset and length against the buffer before reading, and
// includes no Qt header, so it can be fuzzed on its own.

#include <cstddef>
#include <cstdint>

#include "platform/Bitmap24.h"

namespace tapestra {

enum class BmpResult {
  NotBmp,       // no "BM" signature: some other format
  Decoded,      // the bitmap holds the picture
  Unsupported,  // a well-formed header of a kind we leave to another reader (RLE, embedded PNG, …)
  Damaged,      // a bitmap we cannot read: bad header, too large, pixel data outside the file
};

// What the file header and info header say, after validation.
struct BmpHeader {
  int width = 0;
  int height = 0;  // always positive; topDown tells the row order
  bool topDown = false;
  int bitCount = 0;
  std::uint32_t compression = 0;
};

// Reads the headers from the first `size` bytes of a file that is `fileSize` bytes long and
// checks that the pixel data lies inside the file. Decoded means "a kind DecodeBmp reads".
BmpResult ReadBmpHeader(const std::uint8_t* data, std::size_t size, std::uint64_t fileSize,
                        BmpHeader& header);

// Decodes a whole bitmap file held in memory. On any result but Decoded, bmp's content is
// unspecified (the caller clears it or hands it to the next reader).
BmpResult DecodeBmp(const std::uint8_t* data, std::size_t size, Bitmap24& bmp);

// The 54 bytes of file header and BITMAPINFOHEADER for a bottom-up 24-bit bitmap.
constexpr std::size_t kBmp24HeaderSize = 54;
void MakeBmp24Header(int width, int height, std::uint8_t (&out)[kBmp24HeaderSize]);

}  // namespace tapestra
