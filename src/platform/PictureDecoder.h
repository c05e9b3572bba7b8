#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "platform/Bitmap24.h"

namespace tapestra {

// Decodes any picture file we can read into a 24-bit bitmap. Never throws; an empty bitmap
// means that no decoder could read the file.
//
// The file's content is checked for the signatures of, in this order, Windows bitmap, JPEG, GIF
// and PNG, and the decoder of the format found reads it; a file with none of these signatures
// goes to the reader that Qt's image plugins register for the file name's extension (TIFF,
// WebP, TGA, ICO, …). Decisions worth knowing:
// - A JPEG that ends before its last row (a truncated download) gives an empty bitmap, not a
//   partly grey picture; harmless warnings such as stray bytes between markers are accepted.
// - Transparent and semi-transparent pixels (PNG, GIF, WebP, …) are composited over white.
// - The alpha byte of a 32-bit Windows bitmap is ignored.
// - Pictures of more than Bitmap24::kMaxPixels pixels are refused before any pixel memory is
//   allocated.
void LoadPicture(const std::string& fileName, Bitmap24& bmp);

// Decodes a reduced copy whose sides fit inside maxWidth × maxHeight where the format allows
// it cheaply (DCT scaling for JPEG), for previews and thumbnails. The aspect ratio is kept;
// the result may be somewhat larger than asked, never smaller unless the picture is.
// JPEG comes back at the smallest DCT scale (1/8 … 1) that still covers the picture fitted into
// the box; other formats come back fitted into the box exactly. Pictures smaller than the box
// keep their size. A bound of 0 or less leaves that side unbounded.
void LoadPictureScaled(const std::string& fileName, int maxWidth, int maxHeight, Bitmap24& bmp);

// Reads only as much of the file as tells its pixel size; false when unknown, and for pictures
// LoadPicture would refuse as too large.
bool ReadPictureSize(const std::string& fileName, int& width, int& height);

// Writes a 24-bit uncompressed bottom-up Windows bitmap atomically; false on any failure.
// (BITMAPFILEHEADER + 40-byte BITMAPINFOHEADER, no palette, resolution fields 0.) The file is
// written under a temporary name in the same folder and renamed over fileName, so a failure
// leaves an existing file untouched.
bool SaveBmp24(const Bitmap24& bmp, const std::string& fileName);

// Decodes a JPEG file in bands of rows, so that a caller can work on the finished top rows
// (resample them on another thread, say) while the rest is still being decoded. The pixels are
// the same as LoadPicture gives for the file.
//
//   JpegBandDecoder dec;
//   Bitmap24 bmp;
//   if (!dec.open(path) || !dec.start(bmp)) …;          // not a JPEG we can read
//   while (!dec.done()) {
//     if (dec.decodeRows(256) < 0) …;                   // damaged: discard bmp
//     … rows [0, dec.rowsDone()) of bmp are final …
//   }
//
// One object decodes one file on one thread at a time. The bitmap passed to start() must stay
// alive and must not be resized until done() or an error; rows below rowsDone() are not
// touched again. Truncated data counts as damage, as in LoadPicture.
class JpegBandDecoder {
 public:
  JpegBandDecoder();
  ~JpegBandDecoder();
  JpegBandDecoder(const JpegBandDecoder&) = delete;
  JpegBandDecoder& operator=(const JpegBandDecoder&) = delete;

  // Reads the file and its header; false when it is not a JPEG we can decode or is too large.
  bool open(const std::string& fileName);
  // The same on bytes in memory, which must stay alive until decoding ends.
  bool open(const unsigned char* data, std::size_t size);
  int width() const;
  int height() const;
  // Sizes bmp to width() × height() (pixels not initialised) and begins decoding.
  bool start(Bitmap24& bmp);
  // Decodes up to maxRows further rows; returns how many were decoded (0 once done()), or -1
  // when the data is damaged, after which the decoder is done and bmp is incomplete.
  int decodeRows(int maxRows);
  int rowsDone() const;
  bool done() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace tapestra
