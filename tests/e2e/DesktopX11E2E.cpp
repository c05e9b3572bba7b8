// The bare X11 backend against a real X server (run by desktop_x11_e2e.sh under Xvfb):
// sets a four-colour picture in every placement and reads the root window back.

#include <gtest/gtest.h>

#include <QImage>
// GoogleTest and Qt before Xlib: Xlib's macros (Bool, Status, None) break their headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/DesktopBackends.h"

namespace tapestra {
namespace {

namespace fs = std::filesystem;

struct Rgb {
  int r, g, b;
};
constexpr Rgb kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kWhite{255, 255, 255};
// 0x00BBGGRR
constexpr TColor kBackground = 0x00336699;
constexpr Rgb kBack{0x99, 0x66, 0x33};

std::ostream& operator<<(std::ostream& os, const Rgb& c) {
  return os << "(" << c.r << "," << c.g << "," << c.b << ")";
}

bool Near(const Rgb& a, const Rgb& b) {
  return std::abs(a.r - b.r) <= 3 && std::abs(a.g - b.g) <= 3 && std::abs(a.b - b.b) <= 3;
}

struct Probe {
  int x, y;
  Rgb expected;
};

class X11DesktopE2E : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = fs::temp_directory_path() / ("tapestra-x11-e2e-" + std::to_string(getpid()));
    fs::create_directories(dir_);
    // 160 × 60, quadrants of 80 × 30: red, green / blue, white.
    QImage image(160, 60, QImage::Format_RGB32);
    for (int y = 0; y < 60; ++y) {
      for (int x = 0; x < 160; ++x) {
        const Rgb c = y < 30 ? (x < 80 ? kRed : kGreen) : (x < 80 ? kBlue : kWhite);
        image.setPixel(x, y, qRgb(c.r, c.g, c.b));
      }
    }
    picture_ = (dir_ / "四色 quadrants.bmp").string();
    ASSERT_TRUE(image.save(QString::fromStdString(picture_), "BMP"));
  }
  static void TearDownTestSuite() { fs::remove_all(dir_); }

  void SetUp() override {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display";
    display_ = XOpenDisplay(nullptr);
    ASSERT_NE(display_, nullptr);
    root_ = DefaultRootWindow(display_);
    desktop_ = CreateX11Desktop();
    ASSERT_TRUE(desktop_->setBackgroundColor(kBackground));
  }
  void TearDown() override {
    desktop_.reset();
    if (display_ != nullptr) XCloseDisplay(display_);
  }

  Rgb rootPixel(int x, int y) {
    XImage* image = XGetImage(display_, root_, x, y, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr) return {-1, -1, -1};
    const unsigned long p = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    Visual* v = DefaultVisual(display_, DefaultScreen(display_));
    const auto channel = [p](unsigned long mask) {
      int shift = 0;
      while (((mask >> shift) & 1) == 0) ++shift;
      return static_cast<int>((p & mask) >> shift);
    };
    return {channel(v->red_mask), channel(v->green_mask), channel(v->blue_mask)};
  }

  void expectPixels(const char* what, std::initializer_list<Probe> probes) {
    for (const Probe& p : probes) {
      const Rgb got = rootPixel(p.x, p.y);
      EXPECT_TRUE(Near(got, p.expected))
          << what << " at " << p.x << "," << p.y << ": " << got << " expected " << p.expected;
    }
  }

  Pixmap rootPixmap(const char* name) {
    const Atom atom = XInternAtom(display_, name, True);
    if (atom == None) return None;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    Pixmap p = None;
    if (XGetWindowProperty(display_, root_, atom, 0, 1, False, XA_PIXMAP, &type, &format, &count,
                           &after, &data) == Success &&
        type == XA_PIXMAP && count == 1) {
      p = static_cast<Pixmap>(*reinterpret_cast<unsigned long*>(data));
    }
    if (data != nullptr) XFree(data);
    return p;
  }

  bool pixmapExists(Pixmap p) {
    static int error = 0;
    error = 0;
    XSync(display_, False);
    auto* previous = XSetErrorHandler([](Display*, XErrorEvent*) {
      error = 1;
      return 0;
    });
    Window r;
    int x, y;
    unsigned w, h, border, depth;
    XGetGeometry(display_, p, &r, &x, &y, &w, &h, &border, &depth);
    XSync(display_, False);
    XSetErrorHandler(previous);
    return error == 0;
  }

  bool show(int style, int tile) {
    return desktop_->setPlacement(style, tile, 0, 0) && desktop_->setWallpaper(picture_);
  }

  static inline fs::path dir_;
  static inline std::string picture_;
  Display* display_ = nullptr;
  Window root_ = None;
  std::unique_ptr<Desktop> desktop_;
};

TEST_F(X11DesktopE2E, RendersEveryPlacement) {
  // 640 × 480 screen, one monitor.
  ASSERT_TRUE(show(10, 0));
  // Fill: scaled by 8 to 1280 × 480, the middle half shown.
  expectPixels(
      "fill",
      {{10, 10, kRed}, {200, 10, kRed}, {630, 10, kGreen}, {10, 470, kBlue}, {630, 470, kWhite}});
  ASSERT_TRUE(show(6, 0));
  // Fit: 640 × 240 at y 120, the colour above and below.
  expectPixels("fit", {{10, 10, kBack},
                       {10, 130, kRed},
                       {630, 130, kGreen},
                       {10, 350, kBlue},
                       {630, 350, kWhite},
                       {320, 470, kBack}});
  ASSERT_TRUE(show(2, 0));
  // Stretch: scaled by 4 across and 8 down.
  expectPixels(
      "stretch",
      {{10, 10, kRed}, {200, 10, kRed}, {330, 10, kGreen}, {10, 470, kBlue}, {630, 470, kWhite}});
  ASSERT_TRUE(show(0, 1));
  expectPixels("tile", {{10, 10, kRed},
                        {90, 10, kGreen},
                        {170, 10, kRed},
                        {10, 40, kBlue},
                        {10, 70, kRed},
                        {630, 470, kWhite}});  // 630 - 480 = 150 across, 470 - 420 = 50 down
  ASSERT_TRUE(show(0, 0));
  // Centre: 160 × 60 at (240, 210).
  expectPixels("centre", {{10, 10, kBack},
                          {250, 220, kRed},
                          {390, 220, kGreen},
                          {250, 260, kBlue},
                          {390, 260, kWhite},
                          {238, 220, kBack},
                          {401, 220, kBack}});
  ASSERT_TRUE(show(18, 0));
  expectPixels("span", {{10, 10, kRed}, {630, 470, kWhite}});
}

TEST_F(X11DesktopE2E, PublishesTheRootPixmapAndFreesTheOldOne) {
  ASSERT_TRUE(show(6, 0));
  const Pixmap first = rootPixmap("_XROOTPMAP_ID");
  ASSERT_NE(first, static_cast<Pixmap>(None));
  EXPECT_EQ(rootPixmap("ESETROOT_PMAP_ID"), first);
  ASSERT_TRUE(show(0, 0));
  const Pixmap second = rootPixmap("_XROOTPMAP_ID");
  EXPECT_NE(second, first);
  EXPECT_EQ(rootPixmap("ESETROOT_PMAP_ID"), second);
  EXPECT_TRUE(pixmapExists(second));
  EXPECT_FALSE(pixmapExists(first)) << "the previous wallpaper pixmap was leaked";
  // The pixmap outlives the backend (and so the program).
  desktop_.reset();
  EXPECT_TRUE(pixmapExists(second));
  expectPixels("after exit", {{250, 220, kRed}});
}

TEST_F(X11DesktopE2E, BackgroundColourRoundTripsAndRecolours) {
  ASSERT_TRUE(show(6, 0));
  EXPECT_EQ(desktop_->backgroundColor(), kBackground);
  // A new colour shows in the margins while the picture stays.
  ASSERT_TRUE(desktop_->setBackgroundColor(0x0000FF00));
  expectPixels("recoloured", {{10, 10, kGreen}, {10, 130, kRed}});
  // A restart finds the colour and still knows the picture.
  desktop_ = CreateX11Desktop();
  EXPECT_EQ(desktop_->backgroundColor(), 0x0000FF00);
  ASSERT_TRUE(desktop_->setBackgroundColor(0x00FF0000));
  expectPixels("recoloured after restart", {{10, 10, kBlue}, {10, 130, kRed}});
  // Clearing leaves only the colour.
  ASSERT_TRUE(desktop_->clearWallpaper());
  expectPixels("cleared", {{10, 10, kBlue}, {10, 130, kBlue}, {320, 240, kBlue}});
  ASSERT_TRUE(desktop_->setBackgroundColor(kBackground));
  expectPixels("cleared, new colour", {{320, 240, kBack}});
}

TEST_F(X11DesktopE2E, RefusesWhatItCannotShow) {
  ASSERT_TRUE(show(0, 0));
  EXPECT_FALSE(desktop_->setWallpaper((dir_ / "missing.bmp").string()));
  const std::string junk = (dir_ / "junk.jpg").string();
  std::FILE* f = std::fopen(junk.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fputs("not a picture", f);
  std::fclose(f);
  EXPECT_FALSE(desktop_->setWallpaper(junk));
  expectPixels("unchanged", {{250, 220, kRed}, {10, 10, kBack}});
}

TEST_F(X11DesktopE2E, WithoutDisplayEveryCallFails) {
  const std::string saved = std::getenv("DISPLAY");
  setenv("DISPLAY", ":65000", 1);
  auto none = CreateX11Desktop();
  setenv("DISPLAY", saved.c_str(), 1);
  EXPECT_FALSE(none->setPlacement(10, 0, 0, 0));
  EXPECT_FALSE(none->setWallpaper(picture_));
  EXPECT_FALSE(none->clearWallpaper());
  EXPECT_FALSE(none->setBackgroundColor(255));
  EXPECT_EQ(none->screenSize().width, 0);
}

TEST_F(X11DesktopE2E, OutsideViewThroughImport) {
  if (!fs::exists("/usr/bin/import")) GTEST_SKIP() << "ImageMagick import missing";
  ASSERT_TRUE(show(6, 0));
  const fs::path shot = dir_ / "root.png";
  const std::string command = "/usr/bin/import -window root '" + shot.string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  QImage image(QString::fromStdString(shot.string()));
  ASSERT_FALSE(image.isNull());
  ASSERT_EQ(image.width(), 640);
  const auto at = [&](int x, int y) {
    const QRgb c = image.pixel(x, y);
    return Rgb{qRed(c), qGreen(c), qBlue(c)};
  };
  EXPECT_TRUE(Near(at(10, 10), kBack)) << at(10, 10);
  EXPECT_TRUE(Near(at(10, 130), kRed)) << at(10, 130);
  EXPECT_TRUE(Near(at(630, 350), kWhite)) << at(630, 350);
}

// Two monitors of different size: RandR 1.5 monitors set on the running server.
TEST_F(X11DesktopE2E, PlacesPerMonitorAndSpansThemAll) {
  int major = 0, minor = 0;
  if (!XRRQueryVersion(display_, &major, &minor) || (major == 1 && minor < 5)) {
    GTEST_SKIP() << "no RandR 1.5";
  }
  // A monitor on the server's one output replaces the automatic whole-screen monitor.
  int count = 0;
  XRRMonitorInfo* existing = XRRGetMonitors(display_, root_, False, &count);
  const bool hasOutput = count == 1 && existing[0].noutput == 1;
  const RROutput output = hasOutput ? existing[0].outputs[0] : None;
  XRRFreeMonitors(existing);
  if (!hasOutput) GTEST_SKIP() << "not the one-output server we expect";
  XRRMonitorInfo* a = XRRAllocateMonitor(display_, 1);
  a->outputs[0] = output;
  a->name = XInternAtom(display_, "TAPESTRA-A", False);
  a->primary = True;
  a->x = 0, a->y = 0, a->width = 400, a->height = 480, a->mwidth = 100, a->mheight = 120;
  XRRMonitorInfo* b = XRRAllocateMonitor(display_, 0);
  b->name = XInternAtom(display_, "TAPESTRA-B", False);
  b->x = 400, b->y = 0, b->width = 240, b->height = 240, b->mwidth = 60, b->mheight = 60;
  XRRSetMonitor(display_, root_, a);
  XRRSetMonitor(display_, root_, b);
  XSync(display_, False);
  int now = 0;
  XRRMonitorInfo* monitors = XRRGetMonitors(display_, root_, True, &now);
  XRRFreeMonitors(monitors);
  if (now != 2) {
    GTEST_SKIP() << "the server did not take the extra monitors";
  }
  const ScreenSize primary = desktop_->screenSize();
  EXPECT_EQ(primary.width, 400);
  EXPECT_EQ(primary.height, 480);
  // Fit on A: 400 × 150 at y 165; on B: 240 × 90 at (400, 75); below B the colour.
  ASSERT_TRUE(show(6, 0));
  expectPixels("fit per monitor", {{10, 170, kRed},
                                   {390, 310, kWhite},
                                   {410, 80, kRed},
                                   {630, 160, kWhite},
                                   {410, 300, kBack}});
  // Span: the bounding box 640 × 480 filled as one.
  ASSERT_TRUE(show(18, 0));
  expectPixels("span", {{10, 10, kRed}, {630, 10, kGreen}, {630, 470, kWhite}});
  XRRDeleteMonitor(display_, root_, a->name);
  XRRDeleteMonitor(display_, root_, b->name);
  XSync(display_, False);
  XRRFreeMonitors(a);
  XRRFreeMonitors(b);
}

}  // namespace
}  // namespace tapestra
