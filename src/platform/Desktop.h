#pragma once

#include <memory>
#include <string>

#include "platform/Colour.h"

namespace tapestra {

struct ScreenSize {
  int width = 0;
  int height = 0;
};

// How the desktop places a picture. The composer speaks in the placement values of the
// original desktop ("WallpaperStyle" and "TileWallpaper"); PlacementFromValues maps them.
enum class Placement { Fill, Fit, Stretch, Tile, Center, Span };

// WallpaperStyle 10 fill, 6 fit, 2 stretch, 18 or 22 span; 0 centre, or tile when the
// tile switch is 1. Anything else is centred.
Placement PlacementFromValues(int wallpaperStyle, int tileWallpaper);

// The one door to the desktop: wallpaper file, its placement and the background colour.
// Backends: bare X11 root window, GNOME family, XFCE, KDE Plasma, LXQt, and a recorder for
// tests and tools.
class Desktop {
 public:
  virtual ~Desktop() = default;

  // The primary display's size in pixels, read at each composition.
  virtual ScreenSize screenSize() = 0;
  // Stores the placement for the next setWallpaper; false when it could not be stored.
  virtual bool setPlacement(int wallpaperStyle, int tileWallpaper, int originX, int originY) = 0;
  // Shows the file as the wallpaper with the stored placement; false when refused.
  virtual bool setWallpaper(const std::string& path) = 0;
  // Removes the wallpaper; the background colour shows.
  virtual bool clearWallpaper() = 0;
  virtual TColor backgroundColor() = 0;
  virtual bool setBackgroundColor(TColor color) = 0;
};

// The backend for the running desktop (XDG_CURRENT_DESKTOP, D-Bus names, X11 properties),
// falling back to the bare X11 root window. Never null.
std::unique_ptr<Desktop> CreateDesktopForSession();

}  // namespace tapestra
