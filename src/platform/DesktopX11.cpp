// The bare X11 root window: nobody else draws the desktop, so we render the placement
// ourselves into a pixmap and make it the root window's background, published the way root
// setters do (_XROOTPMAP_ID / ESETROOT_PMAP_ID) so compositors and terminals follow.

#include <QImage>
// Qt before Xlib: Xlib's macros (Bool, Status, None) break the Qt headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/DesktopBackends.h"
#include "platform/DesktopLayout.h"
#include "platform/DesktopScreens.h"
#include "platform/PictureDecoder.h"

namespace tapestra {

namespace {

// X errors (a pixmap too large for the server, a stale pixmap id) must fail the call, not
// end the program as Xlib's default handler does.
int g_xError = 0;
int RecordXError(Display*, XErrorEvent* e) {
  g_xError = e->error_code;
  return 0;
}

class ErrorTrap {
 public:
  explicit ErrorTrap(Display* d) : display_(d) {
    XSync(display_, False);
    g_xError = 0;
    previous_ = XSetErrorHandler(RecordXError);
  }
  ~ErrorTrap() { XSetErrorHandler(previous_); }
  // True when no request since the trap was set failed.
  bool ok() {
    XSync(display_, False);
    return g_xError == 0;
  }

 private:
  Display* display_;
  int (*previous_)(Display*, XErrorEvent*) = nullptr;
};

// One colour channel of a TrueColor visual: where its bits sit in a pixel.
struct Channel {
  int shift = 0;
  int bits = 0;
  explicit Channel(unsigned long mask) {
    if (mask == 0) return;
    shift = std::countr_zero(mask);
    bits = std::popcount(mask);
  }
  unsigned long put(unsigned v) const {
    const unsigned long scaled = bits >= 8 ? (static_cast<unsigned long>(v) << (bits - 8))
                                           : static_cast<unsigned long>(v >> (8 - bits));
    return scaled << shift;
  }
};

// The picture as 0xFFRRGGBB; null when no decoder read it.
QImage DecodePicture(const std::string& path) {
  Bitmap24 bmp;
  LoadPicture(path, bmp);
  if (bmp.empty()) return {};
  // Bitmap24 rows are blue, green, red: Qt's BGR888 over the same bytes, then converted.
  const QImage view(bmp.data(), bmp.width(), bmp.height(), static_cast<qsizetype>(bmp.stride()),
                    QImage::Format_BGR888);
  return view.convertToFormat(QImage::Format_RGB32);
}

// The rectangle of the scaled picture that a drawing shows, and the part of the source
// that gives it, so a huge scale factor never makes a huge intermediate image.
void DrawScaled(const QImage& source, const PictureDrawing& d, int canvasWidth,
                std::vector<std::uint32_t>& canvas) {
  const Rect visible = Intersect(d.clip, d.picture);
  if (visible.empty()) return;
  const int w = source.width(), h = source.height();
  const Rect& p = d.picture;
  // Source columns and rows under the visible part, widened to whole source pixels.
  const auto srcLo = [](int offset, int srcLen, int dstLen) {
    return static_cast<int>(static_cast<std::int64_t>(offset) * srcLen / dstLen);
  };
  const auto srcHi = [](int offset, int srcLen, int dstLen) {
    const std::int64_t n = static_cast<std::int64_t>(offset) * srcLen;
    return static_cast<int>((n + dstLen - 1) / dstLen);
  };
  const int sx0 = srcLo(visible.x - p.x, w, p.width);
  const int sx1 = std::min(w, srcHi(visible.right() - p.x, w, p.width));
  const int sy0 = srcLo(visible.y - p.y, h, p.height);
  const int sy1 = std::min(h, srcHi(visible.bottom() - p.y, h, p.height));
  // Where those source pixels land.
  const auto dst = [](int src, int srcLen, int dstLen, int origin) {
    return origin + static_cast<int>(static_cast<std::int64_t>(src) * dstLen / srcLen);
  };
  const int dx0 = dst(sx0, w, p.width, p.x), dx1 = dst(sx1, w, p.width, p.x);
  const int dy0 = dst(sy0, h, p.height, p.y), dy1 = dst(sy1, h, p.height, p.y);
  if (dx1 <= dx0 || dy1 <= dy0 || sx1 <= sx0 || sy1 <= sy0) return;
  QImage part = source.copy(sx0, sy0, sx1 - sx0, sy1 - sy0);
  if (part.width() != dx1 - dx0 || part.height() != dy1 - dy0) {
    part = part.scaled(dx1 - dx0, dy1 - dy0, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
               .convertToFormat(QImage::Format_RGB32);
  }
  const Rect target = Intersect(visible, {dx0, dy0, dx1 - dx0, dy1 - dy0});
  for (int y = target.y; y < target.bottom(); ++y) {
    const auto* src = reinterpret_cast<const std::uint32_t*>(part.constScanLine(y - dy0));
    std::uint32_t* out = canvas.data() + static_cast<std::size_t>(y) * canvasWidth;
    for (int x = target.x; x < target.right(); ++x) out[x] = src[x - dx0] | 0xFF000000u;
  }
}

void DrawTiled(const QImage& source, const PictureDrawing& d, int canvasWidth,
               std::vector<std::uint32_t>& canvas) {
  const int w = source.width(), h = source.height();
  for (int y = d.clip.y; y < d.clip.bottom(); ++y) {
    const int sy = (y - d.picture.y) % h;
    const auto* src = reinterpret_cast<const std::uint32_t*>(source.constScanLine(sy));
    std::uint32_t* out = canvas.data() + static_cast<std::size_t>(y) * canvasWidth;
    for (int x = d.clip.x; x < d.clip.right(); ++x) {
      out[x] = src[(x - d.picture.x) % w] | 0xFF000000u;
    }
  }
}

class X11Desktop : public Desktop {
 public:
  X11Desktop() : display_(XOpenDisplay(nullptr)) {
    if (display_ == nullptr) {
      WarnOnce(warnedNoDisplay_, "cannot open the X display; the wallpaper cannot be set");
      return;
    }
    root_ = DefaultRootWindow(display_);
    backgroundAtom_ = XInternAtom(display_, "_TAPESTRA_BACKGROUND", False);
    wallpaperAtom_ = XInternAtom(display_, "_TAPESTRA_WALLPAPER", False);
    utf8Atom_ = XInternAtom(display_, "UTF8_STRING", False);
    readState();
  }
  ~X11Desktop() override {
    if (display_ != nullptr) XCloseDisplay(display_);
  }

  ScreenSize screenSize() override {
    if (!usable()) return {};
    return PrimaryMonitorSize(display_);
  }

  bool setPlacement(int wallpaperStyle, int tileWallpaper, int, int) override {
    if (!usable()) return false;
    placement_ = PlacementFromValues(wallpaperStyle, tileWallpaper);
    return true;
  }

  bool setWallpaper(const std::string& path) override {
    if (!usable()) return false;
    if (!renderPicture(path, placement_)) return false;
    current_ = path;
    currentPlacement_ = placement_;
    writeState();
    return true;
  }

  bool clearWallpaper() override {
    if (!usable()) return false;
    current_.clear();
    writeState();
    return renderColour();
  }

  TColor backgroundColor() override { return colour_; }

  bool setBackgroundColor(TColor color) override {
    if (!usable()) return false;
    colour_ = color & 0xFFFFFF;
    writeState();
    if (current_.empty()) return renderColour();
    const ScreenSize screen = rootSize();
    if (canvasSize_.width == screen.width && canvasSize_.height == screen.height &&
        !canvas_.empty()) {
      if (canvasCovered_) return true;  // the colour shows nowhere
      return publish();
    }
    // A picture shown by an earlier run, or the screen changed size: draw it again; a
    // picture that has gone away leaves the plain colour.
    if (renderPicture(current_, currentPlacement_)) return true;
    return renderColour();
  }

 private:
  bool usable() {
    if (display_ != nullptr) return true;
    WarnOnce(warnedNoDisplay_, "cannot open the X display; the wallpaper cannot be set");
    return false;
  }

  ScreenSize rootSize() const {
    const int screen = DefaultScreen(display_);
    return {DisplayWidth(display_, screen), DisplayHeight(display_, screen)};
  }

  std::vector<Rect> monitorRects() {
    std::vector<Rect> rects;
    for (const Monitor& m : QueryMonitors(display_)) rects.push_back(m.rect);
    return rects;
  }

  bool renderPicture(const std::string& path, Placement placement) {
    const QImage source = DecodePicture(path);
    if (source.isNull()) return false;
    const ScreenSize screen = rootSize();
    const std::vector<PictureDrawing> drawings =
        LayoutWallpaper(placement, source.width(), source.height(), monitorRects(), screen);
    canvasSize_ = screen;
    canvas_.assign(static_cast<std::size_t>(screen.width) * screen.height, 0);
    for (const PictureDrawing& d : drawings) {
      if (d.tiled) {
        DrawTiled(source, d, screen.width, canvas_);
      } else {
        DrawScaled(source, d, screen.width, canvas_);
      }
    }
    canvasCovered_ = CoversScreen(drawings, screen);
    return publish();
  }

  bool renderColour() {
    canvasSize_ = rootSize();
    canvas_.assign(static_cast<std::size_t>(canvasSize_.width) * canvasSize_.height, 0);
    canvasCovered_ = false;
    return publish();
  }

  // Puts the canvas, its bare pixels in the background colour, into a new root pixmap.
  bool publish() {
    Display* d = XOpenDisplay(DisplayString(display_));
    if (d == nullptr) return false;
    const int screen = DefaultScreen(d);
    const Window root = RootWindow(d, screen);
    Visual* visual = DefaultVisual(d, screen);
    const int depth = DefaultDepth(d, screen);
    if (visual->c_class != TrueColor || (depth != 24 && depth != 32 && depth != 16)) {
      WarnOnce(warnedVisual_, "the X screen is not TrueColor; the wallpaper cannot be drawn");
      XCloseDisplay(d);
      return false;
    }
    const int width = canvasSize_.width, height = canvasSize_.height;
    bool ok = false;
    {
      ErrorTrap trap(d);
      const Pixmap pixmap =
          XCreatePixmap(d, root, static_cast<unsigned>(width), static_cast<unsigned>(height),
                        static_cast<unsigned>(depth));
      ok = trap.ok() && putCanvas(d, visual, depth, pixmap);
      if (ok) ok = setRootPixmap(d, root, pixmap) && trap.ok();
      if (!ok) XFreePixmap(d, pixmap);
    }
    if (ok) {
      // The pixmap must outlive this connection and this program.
      XSetCloseDownMode(d, RetainPermanent);
    }
    XCloseDisplay(d);
    return ok;
  }

  bool putCanvas(Display* d, Visual* visual, int depth, Pixmap pixmap) {
    const int width = canvasSize_.width, height = canvasSize_.height;
    const Channel red(visual->red_mask), green(visual->green_mask), blue(visual->blue_mask);
    const std::uint32_t bg = 0xFF000000u | (std::uint32_t{RedOf(colour_)} << 16) |
                             (std::uint32_t{GreenOf(colour_)} << 8) | BlueOf(colour_);
    GC gc = XCreateGC(d, pixmap, 0, nullptr);
    // Bands of about 4 MB keep the request and the buffer small on large screens.
    const int band = std::max(1, (4 << 20) / std::max(1, width * 4));
    bool ok = true;
    for (int y0 = 0; y0 < height && ok; y0 += band) {
      const int rows = std::min(band, height - y0);
      XImage* image =
          XCreateImage(d, visual, static_cast<unsigned>(depth), ZPixmap, 0, nullptr,
                       static_cast<unsigned>(width), static_cast<unsigned>(rows), 32, 0);
      if (image == nullptr) {
        ok = false;
        break;
      }
      image->data =
          static_cast<char*>(std::malloc(static_cast<std::size_t>(image->bytes_per_line) * rows));
      if (image->data == nullptr) {
        XDestroyImage(image);
        ok = false;
        break;
      }
      const bool direct =
          image->bits_per_pixel == 32 &&
          image->byte_order == (std::endian::native == std::endian::little ? LSBFirst : MSBFirst);
      for (int y = 0; y < rows; ++y) {
        const std::uint32_t* in = canvas_.data() + static_cast<std::size_t>(y0 + y) * width;
        auto* out = reinterpret_cast<std::uint32_t*>(image->data + static_cast<std::size_t>(y) *
                                                                       image->bytes_per_line);
        for (int x = 0; x < width; ++x) {
          const std::uint32_t px = (in[x] >> 24) != 0 ? in[x] : bg;
          const unsigned long value =
              red.put((px >> 16) & 0xFF) | green.put((px >> 8) & 0xFF) | blue.put(px & 0xFF);
          if (direct) {
            out[x] = static_cast<std::uint32_t>(value);
          } else {
            XPutPixel(image, x, y, value);
          }
        }
      }
      XPutImage(d, pixmap, gc, image, 0, 0, 0, y0, static_cast<unsigned>(width),
                static_cast<unsigned>(rows));
      XDestroyImage(image);  // frees the pixel buffer too
    }
    XFreeGC(d, gc);
    return ok;
  }

  static Pixmap ReadPixmapProperty(Display* d, Window root, Atom prop) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    Pixmap p = None;
    if (XGetWindowProperty(d, root, prop, 0, 1, False, AnyPropertyType, &type, &format, &count,
                           &after, &data) == Success &&
        type == XA_PIXMAP && format == 32 && count == 1 && data != nullptr) {
      p = static_cast<Pixmap>(*reinterpret_cast<unsigned long*>(data));
    }
    if (data != nullptr) XFree(data);
    return p;
  }

  static bool setRootPixmap(Display* d, Window root, Pixmap pixmap) {
    const Atom rootId = XInternAtom(d, "_XROOTPMAP_ID", False);
    const Atom esetroot = XInternAtom(d, "ESETROOT_PMAP_ID", False);
    // A pixmap published under both names belongs to a retained client of the previous
    // setter (maybe our own earlier run); freeing it is the convention, else every change
    // would leak a screen-sized pixmap in the server.
    const Pixmap oldRoot = ReadPixmapProperty(d, root, rootId);
    const Pixmap oldEsetroot = ReadPixmapProperty(d, root, esetroot);
    if (oldRoot != None && oldRoot == oldEsetroot) XKillClient(d, oldRoot);
    const unsigned long id = pixmap;
    XChangeProperty(d, root, rootId, XA_PIXMAP, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&id), 1);
    XChangeProperty(d, root, esetroot, XA_PIXMAP, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&id), 1);
    XSetWindowBackgroundPixmap(d, root, pixmap);
    XClearWindow(d, root);
    return true;
  }

  // Our own properties on the root window, so a restart knows the colour and the picture.
  void readState() {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display_, root_, backgroundAtom_, 0, 1, False, XA_CARDINAL, &type,
                           &format, &count, &after, &data) == Success &&
        type == XA_CARDINAL && format == 32 && count == 1 && data != nullptr) {
      colour_ = static_cast<TColor>(*reinterpret_cast<unsigned long*>(data) & 0xFFFFFF);
    }
    if (data != nullptr) XFree(data);
    data = nullptr;
    // "<placement number> <path>"
    if (XGetWindowProperty(display_, root_, wallpaperAtom_, 0, 1 << 16, False, utf8Atom_, &type,
                           &format, &count, &after, &data) == Success &&
        type == utf8Atom_ && format == 8 && data != nullptr) {
      const std::string text(reinterpret_cast<char*>(data), count);
      const std::size_t space = text.find(' ');
      if (space == 1 && text[0] >= '0' && text[0] <= '5') {
        currentPlacement_ = static_cast<Placement>(text[0] - '0');
        current_ = text.substr(2);
      }
    }
    if (data != nullptr) XFree(data);
  }

  void writeState() {
    const unsigned long colour = static_cast<unsigned long>(colour_);
    XChangeProperty(display_, root_, backgroundAtom_, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&colour), 1);
    if (current_.empty()) {
      XDeleteProperty(display_, root_, wallpaperAtom_);
    } else {
      const std::string text = std::to_string(static_cast<int>(currentPlacement_)) + ' ' + current_;
      XChangeProperty(display_, root_, wallpaperAtom_, utf8Atom_, 8, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(text.data()),
                      static_cast<int>(text.size()));
    }
    XFlush(display_);
  }

  Display* display_ = nullptr;
  Window root_ = None;
  Atom backgroundAtom_ = None, wallpaperAtom_ = None, utf8Atom_ = None;
  bool warnedNoDisplay_ = false, warnedVisual_ = false;
  Placement placement_ = Placement::Center;
  Placement currentPlacement_ = Placement::Center;
  std::string current_;
  TColor colour_ = 0;
  // The last rendering: 0xFFRRGGBB where the picture is, 0 where the colour shows.
  std::vector<std::uint32_t> canvas_;
  ScreenSize canvasSize_;
  bool canvasCovered_ = false;
};

}  // namespace

std::unique_ptr<Desktop> CreateX11Desktop() {
  return std::make_unique<X11Desktop>();
}

}  // namespace tapestra
