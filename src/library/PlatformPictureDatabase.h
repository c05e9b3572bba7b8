#pragma once

// The library wired to the platform's picture-size reader. Header-only, so tapestra_library
// itself stays free of the decoders; include it only in programs that link
// tapestra_platform_qt.

#include "library/PictureDatabase.h"
#include "platform/PictureDecoder.h"

namespace tapestra {

inline PictureDatabase::Options PlatformPictureDatabaseOptions() {
  PictureDatabase::Options options;
  options.readPictureSize = [](const std::string& path, int& width, int& height) {
    return ReadPictureSize(path, width, height);
  };
  return options;
}

}  // namespace tapestra
