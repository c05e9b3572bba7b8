#include "platform/DesktopCommands.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>

namespace tapestra {

namespace {

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

// Doubles in the C locale whatever the user's locale, shortest form that reads back.
std::string FormatDouble(double v) {
  std::array<char, 32> buf{};
  const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), v);
  std::string s(buf.data(), r.ptr);
  if (s.find_first_of(".e") == std::string::npos) s += ".0";
  return s;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<DesktopKind> DesktopKindFromXdgCurrentDesktop(std::string_view value) {
  while (!value.empty()) {
    const std::size_t colon = value.find(':');
    const std::string name = Lower(value.substr(0, colon));
    value = colon == std::string_view::npos ? std::string_view{} : value.substr(colon + 1);
    if (name == "gnome" || name == "ubuntu" || name == "unity" || name == "budgie" ||
        name == "gnome-classic") {
      return DesktopKind::Gnome;
    }
    if (name == "cinnamon" || name == "x-cinnamon") return DesktopKind::Cinnamon;
    if (name == "mate") return DesktopKind::Mate;
    if (name == "xfce") return DesktopKind::Xfce;
    if (name == "kde") return DesktopKind::Kde;
    if (name == "lxqt") return DesktopKind::Lxqt;
  }
  return std::nullopt;
}

std::optional<DesktopKind> DesktopKindFromName(std::string_view name) {
  const std::string n = Lower(name);
  for (DesktopKind k :
       {DesktopKind::X11, DesktopKind::Gnome, DesktopKind::Cinnamon, DesktopKind::Mate,
        DesktopKind::Xfce, DesktopKind::Kde, DesktopKind::Lxqt, DesktopKind::Record}) {
    if (n == DesktopKindName(k)) return k;
  }
  return std::nullopt;
}

std::optional<DesktopKind> DesktopKindFromWindowManager(std::string_view name) {
  const std::string n = Lower(name);
  if (n == "xfwm4") return DesktopKind::Xfce;
  if (n == "kwin" || n == "kwin_x11") return DesktopKind::Kde;
  if (n == "muffin" || n == "mutter (muffin)") return DesktopKind::Cinnamon;
  if (n == "mutter" || n == "gnome shell" || n.starts_with("mutter (")) return DesktopKind::Gnome;
  if (n == "marco" || n == "metacity (marco)") return DesktopKind::Mate;
  return std::nullopt;
}

const char* DesktopKindName(DesktopKind kind) {
  switch (kind) {
    case DesktopKind::X11:
      return "x11";
    case DesktopKind::Gnome:
      return "gnome";
    case DesktopKind::Cinnamon:
      return "cinnamon";
    case DesktopKind::Mate:
      return "mate";
    case DesktopKind::Xfce:
      return "xfce";
    case DesktopKind::Kde:
      return "kde";
    case DesktopKind::Lxqt:
      return "lxqt";
    case DesktopKind::Record:
      return "record";
  }
  return "x11";
}

std::string ColourHex(TColor color) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%02x%02x%02x", RedOf(color), GreenOf(color), BlueOf(color));
  return buf;
}

bool ParseColourHex(std::string_view text, TColor& color) {
  if (text.size() != 7 && text.size() != 13) return false;
  if (text[0] != '#') return false;
  const std::size_t digits = (text.size() - 1) / 3;  // 2 or 4 per channel
  int channel[3];
  for (int c = 0; c < 3; ++c) {
    int v = 0;
    for (std::size_t i = 0; i < digits; ++i) {
      const int d = HexDigit(text[1 + c * digits + i]);
      if (d < 0) return false;
      v = v * 16 + d;
    }
    // Of a 16-bit channel only the high byte counts.
    channel[c] = digits == 4 ? v >> 8 : v;
  }
  color = MakeColor(static_cast<std::uint8_t>(channel[0]), static_cast<std::uint8_t>(channel[1]),
                    static_cast<std::uint8_t>(channel[2]));
  return true;
}

const char* GnomePictureOptions(Placement placement) {
  switch (placement) {
    case Placement::Fill:
      return "zoom";
    case Placement::Fit:
      return "scaled";
    case Placement::Stretch:
      return "stretched";
    case Placement::Tile:
      return "wallpaper";
    case Placement::Span:
      return "spanned";
    case Placement::Center:
      break;
  }
  return "centered";
}

int XfceImageStyle(Placement placement) {
  switch (placement) {
    case Placement::Tile:
      return 2;
    case Placement::Stretch:
      return 3;
    case Placement::Fit:
      return 4;
    case Placement::Fill:
      return 5;
    case Placement::Span:
      return 6;
    case Placement::Center:
      break;
  }
  return 1;
}

std::string XfceBackdropPrefix(std::string_view monitor, int workspace) {
  return "/backdrop/screen0/monitor" + std::string(monitor) + "/workspace" +
         std::to_string(workspace) + "/";
}

namespace {

template <typename Add>
std::vector<XfconfSetting> ForEveryBackdrop(const std::vector<std::string>& monitors,
                                            int workspaces, Add add) {
  std::vector<XfconfSetting> out;
  for (const std::string& monitor : monitors) {
    for (int w = 0; w < std::max(1, workspaces); ++w) add(out, XfceBackdropPrefix(monitor, w));
  }
  return out;
}

}  // namespace

std::vector<XfconfSetting> XfceWallpaperSettings(const std::vector<std::string>& monitors,
                                                 int workspaces, const std::string& path,
                                                 Placement placement) {
  const std::string style = std::to_string(XfceImageStyle(placement));
  return ForEveryBackdrop(monitors, workspaces,
                          [&](std::vector<XfconfSetting>& out, const std::string& prefix) {
                            out.push_back({prefix + "last-image", "string", {path}});
                            out.push_back({prefix + "image-style", "int", {style}});
                          });
}

std::vector<XfconfSetting> XfceColourSettings(const std::vector<std::string>& monitors,
                                              int workspaces, TColor color) {
  const std::vector<std::string> rgba{FormatDouble(RedOf(color) / 255.0),
                                      FormatDouble(GreenOf(color) / 255.0),
                                      FormatDouble(BlueOf(color) / 255.0), FormatDouble(1.0)};
  return ForEveryBackdrop(monitors, workspaces,
                          [&](std::vector<XfconfSetting>& out, const std::string& prefix) {
                            out.push_back({prefix + "color-style", "int", {"0"}});
                            out.push_back({prefix + "rgba1", "double", rgba});
                          });
}

std::vector<std::string> XfconfQueryArgs(const XfconfSetting& setting) {
  std::vector<std::string> args{"-c", "xfce4-desktop", "-p", setting.property, "-n"};
  // One type per value; xfconf-query pairs them in order.
  for (std::size_t i = 0; i < setting.values.size(); ++i) {
    args.push_back("-t");
    args.push_back(setting.type);
  }
  for (const std::string& v : setting.values) {
    args.push_back("-s");
    args.push_back(v);
  }
  return args;
}

bool ParseXfconfRgba(std::string_view output, TColor& color) {
  // "Value is an array with 4 items:\n\n0.1\n0.2\n0.3\n1\n": the numbers are the lines that
  // parse completely.
  std::vector<double> values;
  while (!output.empty()) {
    const std::size_t nl = output.find('\n');
    std::string_view line = output.substr(0, nl);
    output = nl == std::string_view::npos ? std::string_view{} : output.substr(nl + 1);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
    double v = 0;
    const auto r = std::from_chars(line.data(), line.data() + line.size(), v);
    if (!line.empty() && r.ec == std::errc{} && r.ptr == line.data() + line.size()) {
      values.push_back(v);
    }
  }
  if (values.size() != 4) return false;
  std::uint8_t c[3];
  for (int i = 0; i < 3; ++i) {
    const double v = values[i] < 0 ? 0 : values[i] > 1 ? 1 : values[i];
    c[i] = static_cast<std::uint8_t>(v * 255.0 + 0.5);
  }
  color = MakeColor(c[0], c[1], c[2]);
  return true;
}

int KdeFillMode(Placement placement) {
  switch (placement) {
    case Placement::Stretch:
      return 0;
    case Placement::Fit:
      return 1;
    case Placement::Fill:
    case Placement::Span:
      return 2;
    case Placement::Tile:
      return 3;
    case Placement::Center:
      break;
  }
  return 6;
}

std::string JsQuote(std::string_view text) {
  std::string out = "'";
  for (const char c : text) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\'':
        out += "\\'";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        out += c;
    }
  }
  return out + "'";
}

namespace {

std::string ForEveryDesktop(const std::string& body) {
  return "var ds = desktops();\n"
         "for (var i = 0; i < ds.length; i++) {\n"
         "  var d = ds[i];\n" +
         body + "}\n";
}

}  // namespace

std::string KdeWallpaperScript(const std::string& imageUri, Placement placement) {
  return ForEveryDesktop(
      "  d.wallpaperPlugin = 'org.kde.image';\n"
      "  d.currentConfigGroup = ['Wallpaper', 'org.kde.image', 'General'];\n"
      "  d.writeConfig('Image', " +
      JsQuote(imageUri) +
      ");\n"
      "  d.writeConfig('FillMode', " +
      std::to_string(KdeFillMode(placement)) + ");\n");
}

std::string KdeColourScript(TColor color) {
  // Both the picture plugin (its margins) and the plain-colour plugin keep a colour.
  const std::string hex = JsQuote(ColourHex(color));
  return ForEveryDesktop(
      "  d.currentConfigGroup = ['Wallpaper', 'org.kde.image', 'General'];\n"
      "  d.writeConfig('Color', " +
      hex +
      ");\n"
      "  d.currentConfigGroup = ['Wallpaper', 'org.kde.color', 'General'];\n"
      "  d.writeConfig('Color', " +
      hex + ");\n");
}

std::string KdeClearScript(TColor color) {
  return ForEveryDesktop(
      "  d.wallpaperPlugin = 'org.kde.color';\n"
      "  d.currentConfigGroup = ['Wallpaper', 'org.kde.color', 'General'];\n"
      "  d.writeConfig('Color', " +
      JsQuote(ColourHex(color)) + ");\n");
}

const char* PcmanfmQtMode(Placement placement) {
  switch (placement) {
    case Placement::Stretch:
      return "stretch";
    case Placement::Fit:
      return "fit";
    case Placement::Tile:
      return "tile";
    case Placement::Fill:
    case Placement::Span:
      return "zoom";
    case Placement::Center:
      break;
  }
  return "center";
}

std::vector<std::string> PcmanfmQtArgs(const std::string& path, Placement placement) {
  return {"--set-wallpaper", path, "--wallpaper-mode", PcmanfmQtMode(placement)};
}

}  // namespace tapestra
