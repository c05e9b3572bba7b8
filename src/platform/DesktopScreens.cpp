#include "platform/DesktopScreens.h"

#include <QGuiApplication>
#include <QScreen>
// Qt before Xlib: Xlib's macros (Bool, Status, None) break the Qt headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <filesystem>
#include <iostream>
#include <memory>

#include "platform/DesktopHandOver.h"

namespace tapestra {

namespace {

struct DisplayCloser {
  void operator()(Display* d) const {
    if (d != nullptr) XCloseDisplay(d);
  }
};
using DisplayPtr = std::unique_ptr<Display, DisplayCloser>;

bool HasRandr(Display* display, int& major, int& minor) {
  int eventBase = 0, errorBase = 0;
  if (!XRRQueryExtension(display, &eventBase, &errorBase)) return false;
  return XRRQueryVersion(display, &major, &minor) != 0;
}

std::vector<Monitor> MonitorsFromOutputs(Display* display, Window root) {
  std::vector<Monitor> out;
  XRRScreenResources* res = XRRGetScreenResourcesCurrent(display, root);
  if (res == nullptr) return out;
  const RROutput primary = XRRGetOutputPrimary(display, root);
  for (int i = 0; i < res->noutput; ++i) {
    XRROutputInfo* info = XRRGetOutputInfo(display, res, res->outputs[i]);
    if (info == nullptr) continue;
    if (info->connection == RR_Connected && info->crtc != 0) {
      if (XRRCrtcInfo* crtc = XRRGetCrtcInfo(display, res, info->crtc)) {
        out.push_back(
            {std::string(info->name, static_cast<std::size_t>(info->nameLen)),
             {crtc->x, crtc->y, static_cast<int>(crtc->width), static_cast<int>(crtc->height)},
             res->outputs[i] == primary});
        XRRFreeCrtcInfo(crtc);
      }
    }
    XRRFreeOutputInfo(info);
  }
  XRRFreeScreenResources(res);
  return out;
}

}  // namespace

std::vector<Monitor> QueryMonitors(Display* display) {
  std::vector<Monitor> out;
  if (display == nullptr) return out;
  int major = 0, minor = 0;
  if (!HasRandr(display, major, minor)) return out;
  const Window root = DefaultRootWindow(display);
  if (major > 1 || (major == 1 && minor >= 5)) {
    int count = 0;
    if (XRRMonitorInfo* monitors = XRRGetMonitors(display, root, True, &count)) {
      for (int i = 0; i < count; ++i) {
        const XRRMonitorInfo& m = monitors[i];
        std::string name;
        if (m.name != None) {
          if (char* n = XGetAtomName(display, m.name)) {
            name = n;
            XFree(n);
          }
        }
        out.push_back({name, {m.x, m.y, m.width, m.height}, m.primary != 0});
      }
      XRRFreeMonitors(monitors);
      if (!out.empty()) return out;
    }
  }
  return MonitorsFromOutputs(display, root);
}

ScreenSize PrimaryMonitorSize(Display* display) {
  if (display == nullptr) return {};
  const std::vector<Monitor> monitors = QueryMonitors(display);
  for (const Monitor& m : monitors) {
    if (m.primary) return {m.rect.width, m.rect.height};
  }
  if (!monitors.empty()) return {monitors[0].rect.width, monitors[0].rect.height};
  const int screen = DefaultScreen(display);
  return {DisplayWidth(display, screen), DisplayHeight(display, screen)};
}

int WorkspaceCount(Display* display) {
  if (display == nullptr) return 1;
  const Atom prop = XInternAtom(display, "_NET_NUMBER_OF_DESKTOPS", True);
  if (prop == None) return 1;
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  int n = 1;
  if (XGetWindowProperty(display, DefaultRootWindow(display), prop, 0, 1, False, XA_CARDINAL, &type,
                         &format, &count, &after, &data) == Success &&
      type == XA_CARDINAL && format == 32 && count == 1 && data != nullptr) {
    // Format-32 properties come back as longs whatever their size on the wire.
    const long v = *reinterpret_cast<long*>(data);
    if (v >= 1 && v <= 1000) n = static_cast<int>(v);
  }
  if (data != nullptr) XFree(data);
  return n;
}

ScreenSize SessionScreenSize() {
  if (DisplayPtr d{XOpenDisplay(nullptr)}) return PrimaryMonitorSize(d.get());
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
    if (QScreen* s = QGuiApplication::primaryScreen()) {
      const QSize size = s->size() * s->devicePixelRatio();
      return {size.width(), size.height()};
    }
  }
  return {};
}

std::vector<Monitor> SessionMonitors() {
  DisplayPtr d{XOpenDisplay(nullptr)};
  return QueryMonitors(d.get());
}

int SessionWorkspaceCount() {
  DisplayPtr d{XOpenDisplay(nullptr)};
  return WorkspaceCount(d.get());
}

void WarnOnce(bool& said, const std::string& message) {
  if (said) return;
  said = true;
  std::cerr << "tapestra: " << message << std::endl;
}

std::optional<std::string> SessionDesktop::HandOverFile(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
  return HandOverPath(path);
}

}  // namespace tapestra
