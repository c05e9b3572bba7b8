#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Colour.h"
#include "platform/Desktop.h"

namespace tapestra {

// The settings, scripts and command lines the desktop backends hand to the running desktop,
// built without talking to it, so they can be checked in tests.

// Which backend drives the desktop.
enum class DesktopKind { X11, Gnome, Cinnamon, Mate, Xfce, Kde, Lxqt, Record };

// XDG_CURRENT_DESKTOP: colon-separated names, case-insensitive; the first one we know wins
// ("ubuntu:GNOME", "X-Cinnamon", "Budgie:GNOME"). Nothing known: nullopt.
std::optional<DesktopKind> DesktopKindFromXdgCurrentDesktop(std::string_view value);
// The names of the TAPESTRA_DESKTOP override: x11, gnome, cinnamon, mate, xfce, kde, lxqt,
// record.
std::optional<DesktopKind> DesktopKindFromName(std::string_view name);
const char* DesktopKindName(DesktopKind kind);
// The window manager's _NET_WM_NAME ("Xfwm4", "KWin", "Mutter", "Muffin", "Marco").
std::optional<DesktopKind> DesktopKindFromWindowManager(std::string_view name);

// "#rrggbb" from 0x00BBGGRR.
std::string ColourHex(TColor color);
// Reads "#rrggbb" or the 16-bit-per-channel "#rrrrggggbbbb"; false for anything else.
bool ParseColourHex(std::string_view text, TColor& color);

// GSettings "picture-options" of the GNOME family.
const char* GnomePictureOptions(Placement placement);

// xfdesktop "image-style": centre 1, tile 2, stretch 3, fit 4, fill 5, span 6.
int XfceImageStyle(Placement placement);

// One xfconf property with its type and value(s); more than one value makes an array.
struct XfconfSetting {
  std::string property;
  std::string type;  // xfconf-query type name: string, int, double
  std::vector<std::string> values;
  friend bool operator==(const XfconfSetting&, const XfconfSetting&) = default;
};

// "/backdrop/screen0/monitor<NAME>/workspace<N>/"
std::string XfceBackdropPrefix(std::string_view monitor, int workspace);
// The wallpaper (last-image, image-style) for every monitor and workspace.
std::vector<XfconfSetting> XfceWallpaperSettings(const std::vector<std::string>& monitors,
                                                 int workspaces, const std::string& path,
                                                 Placement placement);
// A solid background colour (color-style 0, rgba1) for every monitor and workspace.
std::vector<XfconfSetting> XfceColourSettings(const std::vector<std::string>& monitors,
                                              int workspaces, TColor color);
// xfconf-query arguments that set the property, creating it when it does not exist yet.
std::vector<std::string> XfconfQueryArgs(const XfconfSetting& setting);
// The colour from xfconf-query's print-out of an rgba1 array; false when it is not one.
bool ParseXfconfRgba(std::string_view output, TColor& color);

// Plasma "FillMode": stretch 0, fit 1, fill 2, tile 3, centre 6; span fills.
int KdeFillMode(Placement placement);
// A JavaScript string literal in single quotes.
std::string JsQuote(std::string_view text);
// Plasma shell scripts for org.kde.PlasmaShell.evaluateScript, applied to every desktop.
std::string KdeWallpaperScript(const std::string& imageUri, Placement placement);
std::string KdeColourScript(TColor color);
// No picture: the plain-colour wallpaper plugin.
std::string KdeClearScript(TColor color);

// pcmanfm-qt "--wallpaper-mode": stretch, fit, center, tile, zoom (fill and span).
const char* PcmanfmQtMode(Placement placement);
std::vector<std::string> PcmanfmQtArgs(const std::string& path, Placement placement);

}  // namespace tapestra
