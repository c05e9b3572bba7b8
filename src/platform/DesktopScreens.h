#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/Desktop.h"
#include "platform/DesktopLayout.h"

// Xlib's own declaration, repeated so this header does not drag in Xlib's macros.
typedef struct _XDisplay Display;

namespace tapestra {

// The monitors of an X screen as RandR reports them, shared by every backend that needs
// the screen size or the monitor names.
struct Monitor {
  std::string name;  // the RandR monitor / output name, e.g. "HDMI-1"
  Rect rect;         // in root window coordinates
  bool primary = false;
};

// Active monitors: RandR 1.5 monitors, else connected outputs with a CRTC; empty when the
// server has no RandR.
std::vector<Monitor> QueryMonitors(Display* display);
// The primary monitor, else the first, else the whole screen.
ScreenSize PrimaryMonitorSize(Display* display);
// _NET_NUMBER_OF_DESKTOPS of the root window; 1 when it is missing.
int WorkspaceCount(Display* display);

// For backends that do not keep a display open: opens $DISPLAY for the question. Without
// X11 (a Wayland session without Xwayland) the primary Qt screen answers, when a Qt GUI
// application exists; otherwise 0 × 0.
ScreenSize SessionScreenSize();
std::vector<Monitor> SessionMonitors();
int SessionWorkspaceCount();

// Says the message on stderr the first time it is given for this flag.
void WarnOnce(bool& said, const std::string& message);

// What the session desktops (GNOME family, XFCE, KDE, LXQt) have in common: the screen size
// from the session's X server, the placement kept for the next setWallpaper, the colour they
// last set, and the picture handed over only when it is a file.
class SessionDesktop : public Desktop {
 public:
  ScreenSize screenSize() override { return SessionScreenSize(); }

  bool setPlacement(int wallpaperStyle, int tileWallpaper, int, int) override {
    placement_ = PlacementFromValues(wallpaperStyle, tileWallpaper);
    return true;
  }

 protected:
  // HandOverPath of a regular file; nothing for a missing file, a folder or a device.
  static std::optional<std::string> HandOverFile(const std::string& path);

  Placement placement_ = Placement::Center;
  TColor colour_ = 0;
};

}  // namespace tapestra
