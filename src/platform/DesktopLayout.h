#pragma once

#include <vector>

#include "platform/Desktop.h"

namespace tapestra {

// Where a desktop that draws the wallpaper itself puts the picture. Pure geometry, so the
// rules can be tested without a display.

struct Rect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;

  int right() const { return x + width; }
  int bottom() const { return y + height; }
  bool empty() const { return width <= 0 || height <= 0; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

Rect Intersect(const Rect& a, const Rect& b);
// The smallest rectangle holding all of them (empty input: an empty rectangle).
Rect BoundingBox(const std::vector<Rect>& rects);

// One drawing of the picture: scaled to picture.width × picture.height with its top-left
// corner at picture.x, picture.y, painted only inside clip. A tiled drawing repeats the
// picture rightwards and downwards from that corner until clip is covered.
struct PictureDrawing {
  Rect clip;
  Rect picture;
  bool tiled = false;
  friend bool operator==(const PictureDrawing&, const PictureDrawing&) = default;
};

// The drawings that place a pictureWidth × pictureHeight picture on the given monitors
// (root window coordinates). Without monitors the whole screen counts as one. Span covers
// the monitors' bounding box like fill; the other placements repeat on every monitor.
// Everything the drawings leave uncovered shows the background colour.
std::vector<PictureDrawing> LayoutWallpaper(Placement placement, int pictureWidth,
                                            int pictureHeight, const std::vector<Rect>& monitors,
                                            ScreenSize screen);

// True when every pixel of the screen is painted by some drawing, so the background colour
// shows nowhere.
bool CoversScreen(const std::vector<PictureDrawing>& drawings, ScreenSize screen);

}  // namespace tapestra
