#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/Desktop.h"
#include "platform/DesktopCommands.h"

namespace tapestra {

// The concrete desktop backends. CreateDesktopForSession picks one of them; tests and the
// TAPESTRA_DESKTOP override ask for one by kind.

// We are the desktop: renders the placement into a root window pixmap on $DISPLAY.
std::unique_ptr<Desktop> CreateX11Desktop();
// GSettings: Gnome (also Budgie and Unity), Cinnamon or Mate; other kinds give Gnome.
// Null when the flavour's settings schema is not installed.
std::unique_ptr<Desktop> CreateGnomeDesktop(DesktopKind flavour);
// xfconf channel xfce4-desktop through xfconf-query.
std::unique_ptr<Desktop> CreateXfceDesktop();
// Plasma shell scripts over D-Bus.
std::unique_ptr<Desktop> CreateKdeDesktop();
// pcmanfm-qt's command line.
std::unique_ptr<Desktop> CreateLxqtDesktop();
// The backend of that kind; the bare X11 one when the kind cannot work here. Record prints
// its lines on stdout.
std::unique_ptr<Desktop> CreateDesktop(DesktopKind kind);

// The running desktop: TAPESTRA_DESKTOP, XDG_CURRENT_DESKTOP, then the session bus names of
// the desktop shells, then the window manager's name on X11; nullopt when nothing tells.
std::optional<DesktopKind> DetectDesktopKind();

// "file://" URI of an absolute path, escaped as desktops expect; empty for a relative path.
std::string FileUri(const std::string& path);

}  // namespace tapestra
