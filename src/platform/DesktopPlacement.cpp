#include <algorithm>
#include <cstdint>

#include "platform/DesktopLayout.h"

namespace tapestra {

Placement PlacementFromValues(int wallpaperStyle, int tileWallpaper) {
  switch (wallpaperStyle) {
    case 10:
      return Placement::Fill;
    case 6:
      return Placement::Fit;
    case 2:
      return Placement::Stretch;
    case 18:
    case 22:
      return Placement::Span;
    case 0:
      return tileWallpaper == 1 ? Placement::Tile : Placement::Center;
    default:
      return Placement::Center;
  }
}

Rect Intersect(const Rect& a, const Rect& b) {
  const int left = std::max(a.x, b.x);
  const int top = std::max(a.y, b.y);
  const int right = std::min(a.right(), b.right());
  const int bottom = std::min(a.bottom(), b.bottom());
  if (right <= left || bottom <= top) return {};
  return {left, top, right - left, bottom - top};
}

Rect BoundingBox(const std::vector<Rect>& rects) {
  if (rects.empty()) return {};
  int left = rects[0].x, top = rects[0].y, right = rects[0].right(), bottom = rects[0].bottom();
  for (const Rect& r : rects) {
    left = std::min(left, r.x);
    top = std::min(top, r.y);
    right = std::max(right, r.right());
    bottom = std::max(bottom, r.bottom());
  }
  return {left, top, right - left, bottom - top};
}

namespace {

// a * b / c rounded to the nearest integer, in 64 bits so large monitors cannot overflow.
int MulDivRound(int a, int b, int c) {
  const std::int64_t n = static_cast<std::int64_t>(a) * b;
  return static_cast<int>((2 * n + c) / (2 * static_cast<std::int64_t>(c)));
}

// The picture scaled so that it covers (cover) or fits inside (contain) the area, keeping
// its aspect ratio and centred on it. The side that decides the scale matches the area
// exactly; the other is rounded and never less than one pixel.
Rect ScaleInto(const Rect& area, int w, int h, bool cover) {
  // Compare w / h with area.width / area.height without division.
  const std::int64_t pictureWider =
      static_cast<std::int64_t>(w) * area.height - static_cast<std::int64_t>(h) * area.width;
  const bool matchHeight = cover ? pictureWider >= 0 : pictureWider < 0;
  int sw, sh;
  if (matchHeight) {
    sh = area.height;
    sw = std::max(1, MulDivRound(w, area.height, h));
  } else {
    sw = area.width;
    sh = std::max(1, MulDivRound(h, area.width, w));
  }
  return {area.x + (area.width - sw) / 2, area.y + (area.height - sh) / 2, sw, sh};
}

PictureDrawing PlaceOn(Placement placement, const Rect& area, int w, int h) {
  switch (placement) {
    case Placement::Fill:
    case Placement::Span:
      return {area, ScaleInto(area, w, h, true), false};
    case Placement::Fit:
      return {area, ScaleInto(area, w, h, false), false};
    case Placement::Stretch:
      return {area, area, false};
    case Placement::Tile:
      return {area, {area.x, area.y, w, h}, true};
    case Placement::Center:
      break;
  }
  return {area, {area.x + (area.width - w) / 2, area.y + (area.height - h) / 2, w, h}, false};
}

}  // namespace

std::vector<PictureDrawing> LayoutWallpaper(Placement placement, int pictureWidth,
                                            int pictureHeight, const std::vector<Rect>& monitors,
                                            ScreenSize screen) {
  std::vector<PictureDrawing> drawings;
  if (pictureWidth <= 0 || pictureHeight <= 0) return drawings;
  const Rect whole{0, 0, screen.width, screen.height};
  std::vector<Rect> areas;
  for (const Rect& m : monitors) {
    // Monitors are clipped to the screen: a picture is never laid out for pixels nobody sees.
    const Rect visible = Intersect(m, whole);
    if (!visible.empty()) areas.push_back(m);
  }
  if (areas.empty()) areas.push_back(whole);
  if (placement == Placement::Span) areas = {BoundingBox(areas)};
  for (const Rect& area : areas) {
    PictureDrawing d = PlaceOn(placement, area, pictureWidth, pictureHeight);
    d.clip = Intersect(d.clip, whole);
    if (!d.clip.empty()) drawings.push_back(d);
  }
  return drawings;
}

bool CoversScreen(const std::vector<PictureDrawing>& drawings, ScreenSize screen) {
  if (screen.width <= 0 || screen.height <= 0) return true;
  // Cover test on a coarse grid of the drawings' edges: each cell is covered by one drawing
  // or not at all, so checking one point per cell is exact.
  std::vector<int> xs{0, screen.width}, ys{0, screen.height};
  std::vector<Rect> painted;
  for (const PictureDrawing& d : drawings) {
    const Rect p = d.tiled ? d.clip : Intersect(d.clip, d.picture);
    if (p.empty()) continue;
    painted.push_back(p);
    xs.push_back(p.x);
    xs.push_back(p.right());
    ys.push_back(p.y);
    ys.push_back(p.bottom());
  }
  std::sort(xs.begin(), xs.end());
  std::sort(ys.begin(), ys.end());
  for (std::size_t i = 0; i + 1 < xs.size(); ++i) {
    if (xs[i] == xs[i + 1] || xs[i] < 0 || xs[i] >= screen.width) continue;
    for (std::size_t j = 0; j + 1 < ys.size(); ++j) {
      if (ys[j] == ys[j + 1] || ys[j] < 0 || ys[j] >= screen.height) continue;
      const bool covered = std::any_of(painted.begin(), painted.end(), [&](const Rect& r) {
        return xs[i] >= r.x && xs[i] < r.right() && ys[j] >= r.y && ys[j] < r.bottom();
      });
      if (!covered) return false;
    }
  }
  return true;
}

}  // namespace tapestra
