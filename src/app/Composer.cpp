#include "app/Composer.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>

#include "app/ComposerPipeline.h"
#include "imaging/ColorAnalysis.h"
#include "imaging/VCLImageUtils.h"
#include "platform/PictureDecoder.h"

namespace tapestra {

namespace {

constexpr int kBlurZone = 3;
constexpr int kMarginContrast = -10;

// Tile counts round up only from a fraction of 0.7, so a tile never shrinks the picture by
// more than 30 percent: 2.69 gives 2, 2.7 gives 3.
std::int32_t RoundUp(double X) {
  return X >= 0 ? static_cast<std::int32_t>(X + 0.3) : static_cast<std::int32_t>(X - 0.3);
}

// Sizes handed to BmpResize must be whole pixels that fit an int; anything else (a side
// rounding to 0, an absurd ratio) refuses the composition.
bool UsableSide(double v) {
  return v >= 1 && v <= Bitmap24::kMaxPixels;
}

// Draws src into dst with its top-left corner at (x, y), pixel for pixel, clipped.
void Paste(const Bitmap24& src, Bitmap24& dst, int x, int y) {
  const int x0 = std::max(0, x), x1 = std::min(dst.width(), x + src.width());
  const int y0 = std::max(0, y), y1 = std::min(dst.height(), y + src.height());
  if (x0 >= x1) return;
  for (int row = y0; row < y1; ++row) {
    std::copy_n(src.row(row - y) + 3 * static_cast<std::size_t>(x0 - x),
                3 * static_cast<std::size_t>(x1 - x0),
                dst.row(row) + 3 * static_cast<std::size_t>(x0));
  }
}

bool FileExists(const std::string& fileName) {
  std::error_code ec;
  const auto status = std::filesystem::status(fileName, ec);
  return !ec && std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}

}  // namespace

std::int32_t Roundoff(double X) {
  return X >= 0 ? static_cast<std::int32_t>(X + 0.5) : static_cast<std::int32_t>(X - 0.5);
}

bool PlanStretchBlur(int width, int height, int screenWidth, int screenHeight,
                     StretchBlurGeometry& plan) {
  if (width < 1 || height < 1 || screenWidth < 1 || screenHeight < 1) return false;
  const double r = std::max(static_cast<double>(width) / screenWidth,
                            static_cast<double>(height) / screenHeight);
  const double fw = width / r, fh = height / r;
  if (!UsableSide(fw + 0.5) || !UsableSide(fh + 0.5)) return false;
  plan.screenWidth = screenWidth;
  plan.screenHeight = screenHeight;
  plan.fitWidth = Roundoff(fw);
  plan.fitHeight = Roundoff(fh);
  plan.x = Roundoff((screenWidth - plan.fitWidth) / 2.0);
  plan.y = Roundoff((screenHeight - plan.fitHeight) / 2.0);
  return true;
}

bool PlanStretchTile(int width, int height, int screenWidth, int screenHeight,
                     StretchTileGeometry& plan) {
  if (width < 1 || height < 1 || screenWidth < 1 || screenHeight < 1) return false;
  double ow = width, oh = height;
  double r = std::max(ow / screenWidth, oh / screenHeight);
  if (r > 1) {
    if (!UsableSide(ow / r + 0.5) || !UsableSide(oh / r + 0.5)) return false;
    ow = Roundoff(ow / r);
    oh = Roundoff(oh / r);
  }
  const std::int32_t nw = RoundUp(screenWidth / ow);
  const std::int32_t nh = RoundUp(screenHeight / oh);
  if (nw < 1 || nh < 1) return false;
  const double tw = std::ceil(static_cast<double>(screenWidth) / nw);
  const double th = std::ceil(static_cast<double>(screenHeight) / nh);
  r = std::max(ow / tw, oh / th);
  if (!UsableSide(ow / r + 0.5) || !UsableSide(oh / r + 0.5)) return false;
  plan.tileWidth = static_cast<int>(tw);
  plan.tileHeight = static_cast<int>(th);
  plan.fitWidth = Roundoff(ow / r);
  plan.fitHeight = Roundoff(oh / r);
  plan.x = Roundoff((tw - plan.fitWidth) / 2);
  plan.y = Roundoff((th - plan.fitHeight) / 2);
  return true;
}

bool WallpaperComposer::StretchBlur(Bitmap24& BMP) {
  return StretchBlurOnScreen(BMP, desktop_.screenSize());
}

bool WallpaperComposer::StretchTile(Bitmap24& BMP) {
  return StretchTileOnScreen(BMP, desktop_.screenSize());
}

bool WallpaperComposer::StretchBlurOnScreen(Bitmap24& BMP, ScreenSize screen) {
  StretchBlurGeometry plan;
  if (!PlanStretchBlur(BMP.width(), BMP.height(), screen.width, screen.height, plan)) return false;
  if (fastPipeline_) {
    Bitmap24 out;
    if (ComposeStretchBlurFromBitmap(BMP, screen.width, screen.height, settings_.ResizeMode, out)) {
      BMP = std::move(out);
      return true;
    }
  }
  Bitmap24 copy = BmpClone(BMP);
  if (!BmpResize(copy, plan.fitWidth, plan.fitHeight, settings_.ResizeMode)) return false;
  Bitmap24 background = BmpClone(BMP);
  if (!BmpResize(background, screen.width, screen.height, settings_.ResizeMode)) return false;
  GaussianBlur(background, kBlurZone);
  Contrast(background, kMarginContrast);
  Paste(copy, background, plan.x, plan.y);
  BMP = std::move(background);
  return true;
}

bool WallpaperComposer::StretchTileOnScreen(Bitmap24& BMP, ScreenSize screen) {
  StretchTileGeometry plan;
  if (!PlanStretchTile(BMP.width(), BMP.height(), screen.width, screen.height, plan)) return false;
  Bitmap24 copy = BmpClone(BMP);
  if (!BmpResize(copy, plan.fitWidth, plan.fitHeight, settings_.ResizeMode)) return false;
  Bitmap24 tile;
  if (!tile.resize(plan.tileWidth, plan.tileHeight)) return false;
  const TColor c = settings_.BackgroundColor;
  tile.fill(BlueOf(c), GreenOf(c), RedOf(c));
  Paste(copy, tile, plan.x, plan.y);
  BMP = std::move(tile);
  return true;
}

bool WallpaperComposer::ChangeWallpaperStyle(std::int32_t WallPaperStyle, std::int32_t nX,
                                             std::int32_t nY) {
  return desktop_.setPlacement(WallPaperStyle / 10, WallPaperStyle % 10, nX, nY);
}

TColor WallpaperComposer::GetBackground() {
  return desktop_.backgroundColor();
}

bool WallpaperComposer::ChangeBackground(TColor BGColor) {
  return desktop_.setBackgroundColor(BGColor);
}

bool WallpaperComposer::ColourFromPicture() const {
  return settings_.BackgroundBright || settings_.BackgroundDark || settings_.BackgroundAverage;
}

// A picture that cannot be decoded has no corners: the desktop keeps its colour rather than
// turning white (the colour analysis reads missing pixels as white).
void WallpaperComposer::TakeBackgroundFromPicture(const Bitmap24& bmp) {
  if (bmp.empty()) return;
  if (settings_.BackgroundBright) {
    settings_.BackgroundColor = GetBrightColor(bmp);
  } else if (settings_.BackgroundDark) {
    settings_.BackgroundColor = GetDarkColor(bmp);
  } else if (settings_.BackgroundAverage) {
    settings_.BackgroundColor = GetAverageColor(bmp);
  } else {
    return;
  }
  ChangeBackground(settings_.BackgroundColor);
}

// A composition that cannot be saved is not handed over: the desktop would show a stale
// or half-written file.
bool WallpaperComposer::SaveAndSet(const Bitmap24& bmp) {
  if (!SaveBmp24(bmp, settings_.OriginalFile)) return false;
  return desktop_.setWallpaper(settings_.OriginalFile);
}

bool WallpaperComposer::ChangeWallpaper(const std::string& FileName) {
  if (FileName.empty()) return desktop_.clearWallpaper();
  if (!FileExists(FileName)) return false;

  const ScreenSize screen = desktop_.screenSize();
  const int styleNo = settings_.WallpaperStyleNo;
  const bool blurStyle = styleNo == WPS_StretchBlur;

  // The blurred-margin style of a JPEG: composed while decoding; the corners for the colour
  // come out of the same decoding. Desktop calls follow in their usual order afterwards.
  if (blurStyle && fastPipeline_) {
    Bitmap24 out, corners;
    if (ComposeStretchBlurFromJpeg(FileName, screen.width, screen.height, settings_.ResizeMode, out,
                                   ColourFromPicture() ? &corners : nullptr)) {
      TakeBackgroundFromPicture(corners);
      ChangeWallpaperStyle(settings_.WallPaperStyle, 0, 0);
      return SaveAndSet(out);
    }
  }

  // One decoding serves the colour and the composition. Styles 0 to 5 need pixels only for
  // the colour; they decode the whole picture, since a reduced decoding has other corners.
  Bitmap24 bmp;
  bool decoded = false;
  if (ColourFromPicture()) {
    LoadPicture(FileName, bmp);
    decoded = true;
    TakeBackgroundFromPicture(bmp);
  }

  if (styleNo == WPS_Auto1 || styleNo == WPS_Auto2 || styleNo == WPS_Auto3) {
    return AutomaticStyle(FileName, bmp, decoded);
  }

  ChangeWallpaperStyle(settings_.WallPaperStyle, 0, 0);
  if (!blurStyle) return desktop_.setWallpaper(FileName);

  if (!decoded) LoadPicture(FileName, bmp);
  if (bmp.empty()) return false;
  if (!StretchBlurOnScreen(bmp, screen)) return false;
  return SaveAndSet(bmp);
}

bool WallpaperComposer::AutomaticStyle(const std::string& FileName, Bitmap24& bmp, bool decoded) {
  const ScreenSize screen = desktop_.screenSize();
  if (!decoded) LoadPicture(FileName, bmp);
  if (bmp.empty() || screen.width < 1 || screen.height < 1) return false;
  const int styleNo = settings_.WallpaperStyleNo;
  const int W = bmp.width(), H = bmp.height();
  const int SW = screen.width, SH = screen.height;

  if (W >= SW && H >= SH) {
    settings_.WallPaperStyle = 100;
    ChangeWallpaperStyle(100, 0, 0);
    return desktop_.setWallpaper(FileName);
  }

  const double r = std::max(static_cast<double>(W) / SW, static_cast<double>(H) / SH);
  const bool caseB = W >= SW || H >= SH;
  const bool largeEnough =
      caseB ? (W / r >= SW / 2.0 && H / r >= SH / 2.0) : (W >= SW / 2.0 && H >= SH / 2.0);

  if (largeEnough) {
    if (styleNo == WPS_Auto2) {
      settings_.WallPaperStyle = 0;
      ChangeWallpaperStyle(0, 0, 0);
      return desktop_.setWallpaper(FileName);
    }
    StretchBlurGeometry plan;
    if (!PlanStretchBlur(W, H, SW, SH, plan)) return false;
    settings_.WallPaperStyle = 0;
    ChangeWallpaperStyle(0, 0, 0);
    if (!StretchBlurOnScreen(bmp, screen)) return false;
    return SaveAndSet(bmp);
  }

  if (styleNo == WPS_Auto3) {
    StretchTileGeometry plan;
    if (!PlanStretchTile(W, H, SW, SH, plan)) return false;
    settings_.WallPaperStyle = 1;
    ChangeWallpaperStyle(1, 0, 0);
    if (!StretchTileOnScreen(bmp, screen)) return false;
    return SaveAndSet(bmp);
  }
  if (!caseB) {
    settings_.WallPaperStyle = 1;
    ChangeWallpaperStyle(1, 0, 0);
    return desktop_.setWallpaper(FileName);
  }
  // The fitted size, rounded to the nearest integer with ties to even.
  const double fw = std::nearbyint(W / r), fh = std::nearbyint(H / r);
  if (!UsableSide(fw) || !UsableSide(fh)) return false;
  settings_.WallPaperStyle = 1;
  ChangeWallpaperStyle(1, 0, 0);
  if (!BmpResize(bmp, static_cast<int>(fw), static_cast<int>(fh), settings_.ResizeMode))
    return false;
  return SaveAndSet(bmp);
}

}  // namespace tapestra
