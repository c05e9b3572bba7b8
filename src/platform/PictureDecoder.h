#pragma once

#include <string>

#include "platform/Bitmap24.h"

namespace tapestra {

// Decodes any picture file we can read into a 24-bit bitmap. Never throws; an empty bitmap
// means that no decoder could read the file.
void LoadPicture(const std::string& fileName, Bitmap24& bmp);

// Decodes a reduced copy whose sides fit inside maxWidth × maxHeight where the format allows
// it cheaply (DCT scaling for JPEG), for previews and thumbnails. The aspect ratio is kept;
// the result may be somewhat larger than asked, never smaller unless the picture is.
void LoadPictureScaled(const std::string& fileName, int maxWidth, int maxHeight, Bitmap24& bmp);

// Reads only as much of the file as tells its pixel size; false when unknown.
bool ReadPictureSize(const std::string& fileName, int& width, int& height);

// Writes a 24-bit uncompressed bottom-up Windows bitmap atomically; false on any failure.
bool SaveBmp24(const Bitmap24& bmp, const std::string& fileName);

}  // namespace tapestra
