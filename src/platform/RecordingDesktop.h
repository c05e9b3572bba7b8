#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "platform/Desktop.h"

namespace tapestra {

// A Desktop that only writes down what it is asked to do, one text line per call:
//   background <decimal colour>
//   placement <WallpaperStyle> <TileWallpaper> <WallpaperOriginX> <WallpaperOriginY>
//   wallpaper <full path of the file handed over>
//   clear
// Tests compare the lines; tools print them (setEcho), so the format is fixed.
class RecordingDesktop : public Desktop {
 public:
  explicit RecordingDesktop(ScreenSize screen = {1920, 1080}) : screen_(screen) {}

  ScreenSize screenSize() override { return screen_; }
  bool setPlacement(int wallpaperStyle, int tileWallpaper, int originX, int originY) override;
  bool setWallpaper(const std::string& path) override;
  bool clearWallpaper() override;
  TColor backgroundColor() override { return background_; }
  bool setBackgroundColor(TColor color) override;

  void setScreenSize(ScreenSize screen) { screen_ = screen; }
  // What setWallpaper answers (the desktop accepting or refusing the file).
  void setWallpaperResult(bool accepted) { wallpaperResult_ = accepted; }
  // Also writes every line to the stream as it is recorded (nullptr: no echo).
  void setEcho(std::ostream* echo) { echo_ = echo; }

  const std::vector<std::string>& calls() const { return calls_; }
  void clearCalls() { calls_.clear(); }

 private:
  void record(std::string line);

  ScreenSize screen_;
  bool wallpaperResult_ = true;
  TColor background_ = 0;
  std::ostream* echo_ = nullptr;
  std::vector<std::string> calls_;
};

}  // namespace tapestra
