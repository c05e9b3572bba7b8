// Any bytes as a Windows bitmap held in memory: no read outside the buffer, the header reader
// agrees with the decoder, and what decodes survives our own write-and-read-back unchanged.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/BmpCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tapestra;
  // An exact-size heap copy, so that AddressSanitizer catches a read one byte past the end.
  std::unique_ptr<std::uint8_t[]> bytes(new std::uint8_t[size == 0 ? 1 : size]);
  if (size != 0) std::memcpy(bytes.get(), data, size);

  Bitmap24 bmp;
  const BmpResult decoded = DecodeBmp(bytes.get(), size, bmp);
  BmpHeader header;
  const BmpResult parsed = ReadBmpHeader(bytes.get(), size, size, header);
  if (decoded != parsed) std::abort();
  if (decoded != BmpResult::Decoded) return 0;
  if (bmp.width() != header.width || bmp.height() != header.height) std::abort();

  // Re-encode as the 24-bit file SaveBmp24 writes, then decode that again.
  std::uint8_t head[kBmp24HeaderSize];
  MakeBmp24Header(bmp.width(), bmp.height(), head);
  const std::size_t stride = bmp.stride();
  const std::size_t fileSize = kBmp24HeaderSize + stride * bmp.height();
  std::unique_ptr<std::uint8_t[]> file(new std::uint8_t[fileSize]);
  std::memcpy(file.get(), head, kBmp24HeaderSize);
  for (int y = 0; y < bmp.height(); ++y) {
    std::uint8_t* row = file.get() + kBmp24HeaderSize + stride * (bmp.height() - 1 - y);
    std::memcpy(row, bmp.row(y), static_cast<std::size_t>(bmp.width()) * 3);
    std::memset(row + bmp.width() * 3, 0, stride - static_cast<std::size_t>(bmp.width()) * 3);
  }
  Bitmap24 again;
  if (DecodeBmp(file.get(), fileSize, again) != BmpResult::Decoded || !(again == bmp)) {
    std::abort();
  }
  return 0;
}
