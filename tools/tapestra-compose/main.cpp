// tapestra-compose: runs the imaging functions and the wallpaper composer from the command
// line, without a display and without touching the real desktop.
//
//   tapestra-compose resize IN OUT WIDTH HEIGHT FILTER
//   tapestra-compose blur IN OUT ZONE
//   tapestra-compose contrast IN OUT N
//   tapestra-compose colors PICTURE
//   tapestra-compose wallpaper --screen WxH --style N --filter FILTER
//       [--background single|bright|dark|average] [--color DECIMAL] --folder DIR PICTURE
//
// Exit status 0 when the command ran (its answer is printed), 2 for a malformed command.

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/Composer.h"
#include "app/Configuration.h"
#include "imaging/ColorAnalysis.h"
#include "imaging/VCLImageUtils.h"
#include "platform/PictureDecoder.h"
#include "platform/RecordingDesktop.h"

namespace {

using namespace tapestra;

constexpr const char* kUsage =
    "usage:\n"
    "  tapestra-compose resize IN.bmp OUT.bmp WIDTH HEIGHT FILTER\n"
    "  tapestra-compose blur IN.bmp OUT.bmp ZONE\n"
    "  tapestra-compose contrast IN.bmp OUT.bmp N\n"
    "  tapestra-compose colors PICTURE\n"
    "  tapestra-compose wallpaper --screen WxH --style N --filter FILTER\n"
    "      [--background single|bright|dark|average] [--color DECIMAL] --folder DIR PICTURE\n"
    "FILTER: Nearest Bilinear Bicubic BSpline Hermite Mitchell Bell Lanczos Lagrange\n";

int Usage(const std::string& why) {
  std::cerr << "tapestra-compose: " << why << "\n" << kUsage;
  return 2;
}

std::optional<long long> ParseInt(std::string_view text) {
  long long value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || ec != std::errc() || ptr != end) return std::nullopt;
  return value;
}

std::optional<int> ParseInt32(std::string_view text) {
  const auto v = ParseInt(text);
  if (!v || *v < INT32_MIN || *v > INT32_MAX) return std::nullopt;
  return static_cast<int>(*v);
}

// Prints the answer of an in-place filter and writes the result only when it was accepted.
int Filter(const std::string& in, const std::string& out, auto&& apply) {
  Bitmap24 bmp;
  LoadPicture(in, bmp);
  const bool ok = !bmp.empty() && apply(bmp) && SaveBmp24(bmp, out);
  std::cout << (ok ? "true" : "false") << '\n';
  return 0;
}

// The recording desktop with a chosen starting background colour.
class ToolDesktop : public RecordingDesktop {
 public:
  ToolDesktop(ScreenSize screen, TColor initial) : RecordingDesktop(screen), colour_(initial) {}
  TColor backgroundColor() override { return colour_; }
  bool setBackgroundColor(TColor color) override {
    colour_ = color;
    return RecordingDesktop::setBackgroundColor(color);
  }

 private:
  TColor colour_;
};

int Wallpaper(const std::vector<std::string>& args) {
  std::optional<ScreenSize> screen;
  std::optional<int> style;
  std::optional<TResizeMode> filter;
  std::optional<std::string> folder, picture;
  std::string background = "single";
  TColor colour = 0;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool option = a.size() > 2 && a.compare(0, 2, "--") == 0;
    if (!option) {
      if (picture) return Usage("more than one picture given");
      picture = a;
      continue;
    }
    if (i + 1 >= args.size()) return Usage("missing value after " + a);
    const std::string& v = args[++i];
    if (a == "--screen") {
      const auto x = v.find('x');
      if (x == std::string::npos) return Usage("--screen wants WxH");
      const auto w = ParseInt32(std::string_view(v).substr(0, x));
      const auto h = ParseInt32(std::string_view(v).substr(x + 1));
      if (!w || !h || *w < 1 || *h < 1) return Usage("--screen wants WxH");
      screen = ScreenSize{*w, *h};
    } else if (a == "--style") {
      style = ParseInt32(v);
      if (!style) return Usage("--style wants a number");
    } else if (a == "--filter") {
      filter = ResizeModeFromExactName(v);
      if (!filter) return Usage("unknown filter " + v);
    } else if (a == "--background") {
      if (v != "single" && v != "bright" && v != "dark" && v != "average") {
        return Usage("--background wants single, bright, dark or average");
      }
      background = v;
    } else if (a == "--color") {
      // A plain 0x00BBGGRR value: anything else would be masked into some unrelated colour.
      const auto c = ParseInt32(v);
      if (!c || *c < 0 || *c > 0xFFFFFF)
        return Usage("--color wants a decimal colour 0 … 16777215");
      colour = *c;
    } else if (a == "--folder") {
      folder = v;
    } else {
      return Usage("unknown option " + a);
    }
  }
  if (!screen || !style || !filter || !folder || !picture) {
    return Usage("wallpaper needs --screen, --style, --filter, --folder and a picture");
  }

  Settings settings;
  // The model holds the style as a byte; numbers beyond it stay out of range.
  settings.WallpaperStyleNo =
      static_cast<std::uint8_t>(*style >= 0 && *style <= 255 ? *style : 255);
  settings.WallPaperStyle = WallPaperStyleFor(*style);
  settings.ResizeMode = *filter;
  settings.BackgroundSingle = background == "single";
  settings.BackgroundBright = background == "bright";
  settings.BackgroundDark = background == "dark";
  settings.BackgroundAverage = background == "average";
  settings.BackgroundColor = colour;
  settings.INIPath = *folder + "/";
  settings.OriginalFile = *folder + "/_WallPaper.bmp";

  ToolDesktop desktop(*screen, colour);
  desktop.setEcho(&std::cout);
  WallpaperComposer composer(settings, desktop);
  const bool result = composer.ChangeWallpaper(*picture);
  std::cout << "result " << (result ? "true" : "false") << '\n';
  return 0;
}

int Run(const std::vector<std::string>& args) {
  if (args.empty()) return Usage("no command");
  const std::string& cmd = args[0];
  const std::size_t n = args.size() - 1;
  if (cmd == "resize") {
    if (n != 5) return Usage("resize wants IN OUT WIDTH HEIGHT FILTER");
    const auto w = ParseInt32(args[3]), h = ParseInt32(args[4]);
    const auto mode = ResizeModeFromExactName(args[5]);
    if (!w || !h) return Usage("WIDTH and HEIGHT must be numbers");
    if (!mode) return Usage("unknown filter " + args[5]);
    return Filter(args[1], args[2], [&](Bitmap24& b) { return BmpResize(b, *w, *h, *mode); });
  }
  if (cmd == "blur") {
    if (n != 3) return Usage("blur wants IN OUT ZONE");
    const auto zone = ParseInt32(args[3]);
    if (!zone) return Usage("ZONE must be a number");
    return Filter(args[1], args[2], [&](Bitmap24& b) { return GaussianBlur(b, *zone); });
  }
  if (cmd == "contrast") {
    if (n != 3) return Usage("contrast wants IN OUT N");
    const auto amount = ParseInt32(args[3]);
    if (!amount) return Usage("N must be a number");
    return Filter(args[1], args[2], [&](Bitmap24& b) { return Contrast(b, *amount); });
  }
  if (cmd == "colors") {
    if (n != 1) return Usage("colors wants PICTURE");
    Bitmap24 bmp;
    LoadPicture(args[1], bmp);
    if (bmp.empty()) {
      std::cout << "false\n";
      return 0;
    }
    std::cout << "bright=" << GetBrightColor(bmp) << " dark=" << GetDarkColor(bmp)
              << " average=" << GetAverageColor(bmp) << '\n';
    return 0;
  }
  if (cmd == "wallpaper") return Wallpaper({args.begin() + 1, args.end()});
  return Usage("unknown command " + cmd);
}

}  // namespace

int main(int argc, char** argv) {
  // An unreadable picture is an answer ("false"), not something for the image plugins to
  // complain about on stderr.
  setenv("QT_LOGGING_RULES", "qt.gui.imageio*=false", 0);
  std::ios::sync_with_stdio(false);
  return Run(std::vector<std::string>(argv + 1, argv + argc));
}
