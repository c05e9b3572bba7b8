// Which desktop runs: the override, XDG_CURRENT_DESKTOP, the shells' D-Bus names, the window
// manager's name; the bare X11 root window when nothing tells.

#include <QDBusConnection>
#include <QDBusConnectionInterface>
// Qt before Xlib: Xlib's macros (Bool, Status, None) break the Qt headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdlib>
#include <iostream>
#include <memory>

#include "platform/DesktopBackends.h"
#include "platform/DesktopScreens.h"
#include "platform/RecordingDesktop.h"

namespace tapestra {

namespace {

std::optional<DesktopKind> FromSessionBus() {
  // Without a session bus address there is nothing to ask (and Qt would complain).
  if (std::getenv("DBUS_SESSION_BUS_ADDRESS") == nullptr) return std::nullopt;
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected() || bus.interface() == nullptr) return std::nullopt;
  const std::pair<const char*, DesktopKind> names[] = {
      {"org.gnome.Shell", DesktopKind::Gnome},
      {"org.kde.plasmashell", DesktopKind::Kde},
      {"org.xfce.Xfconf", DesktopKind::Xfce},
  };
  for (const auto& [name, kind] : names) {
    if (bus.interface()->isServiceRegistered(QString::fromLatin1(name)).value()) return kind;
  }
  return std::nullopt;
}

// Reads a one-window or text property; false when absent.
bool ReadProperty(Display* d, Window w, Atom prop, Atom type, std::string& text, Window& window) {
  Atom actual = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  bool ok = false;
  if (XGetWindowProperty(d, w, prop, 0, 1024, False, type, &actual, &format, &count, &after,
                         &data) == Success &&
      actual == type && data != nullptr && count > 0) {
    if (format == 32) {
      window = static_cast<Window>(*reinterpret_cast<unsigned long*>(data));
    } else if (format == 8) {
      text.assign(reinterpret_cast<char*>(data), count);
    }
    ok = true;
  }
  if (data != nullptr) XFree(data);
  return ok;
}

std::optional<DesktopKind> FromWindowManager() {
  Display* d = XOpenDisplay(nullptr);
  if (d == nullptr) return std::nullopt;
  std::optional<DesktopKind> kind;
  const Atom check = XInternAtom(d, "_NET_SUPPORTING_WM_CHECK", True);
  const Atom name = XInternAtom(d, "_NET_WM_NAME", True);
  const Atom utf8 = XInternAtom(d, "UTF8_STRING", True);
  std::string text;
  Window wm = None;
  if (check != None && name != None && utf8 != None &&
      ReadProperty(d, DefaultRootWindow(d), check, XA_WINDOW, text, wm) && wm != None) {
    // The window may be gone; its errors must not end the program.
    XErrorHandler previous = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    Window unused = None;
    if (ReadProperty(d, wm, name, utf8, text, unused)) kind = DesktopKindFromWindowManager(text);
    XSync(d, False);
    XSetErrorHandler(previous);
  }
  XCloseDisplay(d);
  return kind;
}

}  // namespace

std::optional<DesktopKind> DetectDesktopKind() {
  if (const char* forced = std::getenv("TAPESTRA_DESKTOP"); forced != nullptr && *forced) {
    if (auto kind = DesktopKindFromName(forced)) return kind;
    static bool warned = false;
    WarnOnce(warned, std::string("TAPESTRA_DESKTOP=") + forced + " is unknown; ignored");
  }
  if (const char* xdg = std::getenv("XDG_CURRENT_DESKTOP")) {
    if (auto kind = DesktopKindFromXdgCurrentDesktop(xdg)) return kind;
  }
  if (auto kind = FromSessionBus()) return kind;
  return FromWindowManager();
}

std::unique_ptr<Desktop> CreateDesktop(DesktopKind kind) {
  switch (kind) {
    case DesktopKind::Gnome:
    case DesktopKind::Cinnamon:
    case DesktopKind::Mate:
      if (auto desktop = CreateGnomeDesktop(kind)) return desktop;
      std::cerr << "tapestra: no settings schema for " << DesktopKindName(kind)
                << "; drawing the root window instead" << std::endl;
      return CreateX11Desktop();
    case DesktopKind::Xfce:
      return CreateXfceDesktop();
    case DesktopKind::Kde:
      return CreateKdeDesktop();
    case DesktopKind::Lxqt:
      return CreateLxqtDesktop();
    case DesktopKind::Record: {
      ScreenSize screen = SessionScreenSize();
      if (screen.width <= 0 || screen.height <= 0) screen = {1920, 1080};
      auto desktop = std::make_unique<RecordingDesktop>(screen);
      desktop->setEcho(&std::cout);
      return desktop;
    }
    case DesktopKind::X11:
      break;
  }
  return CreateX11Desktop();
}

std::unique_ptr<Desktop> CreateDesktopForSession() {
  return CreateDesktop(DetectDesktopKind().value_or(DesktopKind::X11));
}

}  // namespace tapestra
