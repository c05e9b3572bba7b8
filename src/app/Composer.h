#pragma once

#include <cstdint>
#include <string>

#include "app/Settings.h"
#include "platform/Bitmap24.h"
#include "platform/Colour.h"
#include "platform/Desktop.h"

namespace tapestra {

// Rounds half away from zero: 2.5 gives 3, -2.5 gives -3.
std::int32_t Roundoff(double X);

// Sizes and positions of the two compositions, worked out before any pixel is touched so
// that a picture too narrow or too flat to scale (a side rounding to 0 pixels) is refused
// before anything is written.
struct StretchBlurGeometry {
  int screenWidth = 0, screenHeight = 0;  // the blurred background, SW × SH
  int fitWidth = 0, fitHeight = 0;        // the sharp picture fitted into the screen
  int x = 0, y = 0;                       // where the fitted picture is drawn
};
struct StretchTileGeometry {
  int tileWidth = 0, tileHeight = 0;
  int fitWidth = 0, fitHeight = 0;  // the picture fitted into one tile
  int x = 0, y = 0;
};
// False when a size comes out below 1 pixel (or the screen has no size).
bool PlanStretchBlur(int width, int height, int screenWidth, int screenHeight,
                     StretchBlurGeometry& plan);
bool PlanStretchTile(int width, int height, int screenWidth, int screenHeight,
                     StretchTileGeometry& plan);

// Turns one picture file into the desktop wallpaper: hands the file itself to the desktop
// with a placement, or composes "_WallPaper.bmp" (blurred margins or one tile) and hands
// that over. Reads and writes the wallpaper fields of the settings model.
class WallpaperComposer {
 public:
  WallpaperComposer(Settings& settings, Desktop& desktop)
      : settings_(settings), desktop_(desktop) {}

  // True when the desktop accepted the change.
  bool ChangeWallpaper(const std::string& FileName);

  // Replaces BMP by the screen-size composition: the picture fitted into the screen over a
  // blurred, contrast-reduced stretch of itself. False (BMP unchanged) when the picture
  // cannot be fitted.
  bool StretchBlur(Bitmap24& BMP);
  // Replaces BMP by one tile of a whole-number tiling of the screen, the picture fitted and
  // centred on BackgroundColor. False (BMP unchanged) when the picture cannot be fitted.
  bool StretchTile(Bitmap24& BMP);

  // Writes the desktop's placement values: tens of WallPaperStyle are the placement style,
  // units the tile switch.
  bool ChangeWallpaperStyle(std::int32_t WallPaperStyle, std::int32_t nX, std::int32_t nY);
  TColor GetBackground();
  bool ChangeBackground(TColor BGColor);

  // The blurred-margin style of a JPEG is composed while it is decoded, in row bands on two
  // threads, without ever holding the whole decoded picture. Off: always the step-by-step
  // path (tests compare the two).
  void setFastPipeline(bool on) { fastPipeline_ = on; }

 private:
  bool StretchBlurOnScreen(Bitmap24& BMP, ScreenSize screen);
  bool StretchTileOnScreen(Bitmap24& BMP, ScreenSize screen);
  bool AutomaticStyle(const std::string& FileName, Bitmap24& bmp, bool decoded);
  // The background colour from the picture's corners, when a colour mode asks.
  void TakeBackgroundFromPicture(const Bitmap24& bmp);
  bool ColourFromPicture() const;
  bool SaveAndSet(const Bitmap24& bmp);

  Settings& settings_;
  Desktop& desktop_;
  bool fastPipeline_ = true;
};

}  // namespace tapestra
