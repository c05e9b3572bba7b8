#include "platform/RecordingDesktop.h"

#include <ostream>

namespace tapestra {

void RecordingDesktop::record(std::string line) {
  if (echo_ != nullptr) *echo_ << line << '\n' << std::flush;
  calls_.push_back(std::move(line));
}

bool RecordingDesktop::setPlacement(int wallpaperStyle, int tileWallpaper, int originX,
                                    int originY) {
  record("placement " + std::to_string(wallpaperStyle) + ' ' + std::to_string(tileWallpaper) + ' ' +
         std::to_string(originX) + ' ' + std::to_string(originY));
  return true;
}

bool RecordingDesktop::setWallpaper(const std::string& path) {
  record("wallpaper " + path);
  return wallpaperResult_;
}

bool RecordingDesktop::clearWallpaper() {
  record("clear");
  return true;
}

bool RecordingDesktop::setBackgroundColor(TColor color) {
  record("background " + std::to_string(color));
  background_ = color;
  return true;
}

}  // namespace tapestra
