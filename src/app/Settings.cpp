#include "app/Settings.h"

namespace tapestra {

std::uint8_t WallPaperStyleFor(int wallpaperStyleNo) {
  // fill, fit, stretch, tile, centre, span, blurred margins, and the three automatic styles
  static constexpr std::uint8_t kPlacement[] = {100, 60, 20, 1, 0, 180, 0, 0, 0, 1};
  if (wallpaperStyleNo < 0 || wallpaperStyleNo > 9) return 0;
  return kPlacement[wallpaperStyleNo];
}

}  // namespace tapestra
