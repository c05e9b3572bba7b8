// Any bytes as a picture file: LoadPicture, LoadPictureScaled, ReadPictureSize and the band
// decoder never crash, never hang, and give either an empty bitmap or one within the bounds.
// The first byte picks the file name's extension, which chooses the reader for content without
// a signature we check.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/PictureDecoder.h"

namespace {

const char* const kExtensions[] = {".bmp", ".jpg", ".png", ".gif", ".tif", ".webp", ".ico", ".tga"};

std::string TempPath(const char* extension) {
  static const std::string base = "/tmp/tapestra-fuzz-" + std::to_string(::getpid());
  return base + extension;
}

void CheckBounds(const tapestra::Bitmap24& bmp) {
  if (bmp.empty()) return;
  if (static_cast<std::int64_t>(bmp.width()) * bmp.height() > tapestra::Bitmap24::kMaxPixels) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tapestra;
  if (size == 0) return 0;
  const char* extension = kExtensions[data[0] % (sizeof kExtensions / sizeof *kExtensions)];
  ++data;
  --size;
  const std::string path = TempPath(extension);
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);

  Bitmap24 bmp;
  LoadPicture(path, bmp);
  CheckBounds(bmp);
  int w = 0, h = 0;
  if (ReadPictureSize(path, w, h) && (w <= 0 || h <= 0)) std::abort();

  Bitmap24 small;
  LoadPictureScaled(path, 64, 48, small);
  CheckBounds(small);
  if (!small.empty() && !bmp.empty() &&
      (small.width() > bmp.width() || small.height() > bmp.height())) {
    std::abort();
  }

  JpegBandDecoder dec;
  Bitmap24 bands;
  if (dec.open(data, size) && dec.start(bands)) {
    while (!dec.done() && dec.decodeRows(64) >= 0) {
    }
  }
  std::remove(path.c_str());
  return 0;
}
