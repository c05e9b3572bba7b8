#include "app/ComposerPipeline.h"

#include <algorithm>
#include <atomic>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/PictureDecoder.h"

// libjpeg after the standard headers: it needs size_t and FILE declared.
#include <jpeglib.h>

namespace tapestra {

namespace {

constexpr int kBlurZone = 3;
constexpr int kBlurRange = GaussianBlurReach(kBlurZone);  // the blur reads this far either side
constexpr int kMarginContrast = -10;
constexpr int kRowsPerStep = 16;  // output rows per band: keeps the resampler's row cache warm
// Rows of a piece blurred in one go: a band, and at the end the blur's reach above it.
constexpr int kFinishRows = kRowsPerStep + kBlurRange;

struct Rect {
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  bool empty() const { return x0 >= x1 || y0 >= y1; }
};

// Entries [begin, begin + n) of an axis, as an axis of their own.
void SliceAxis(const ResizeAxis& from, int begin, int n, ResizeAxis& to) {
  to.size = n;
  to.taps = from.taps;
  to.index.resize(static_cast<std::size_t>(from.taps) * n);
  to.weight.resize(static_cast<std::size_t>(from.taps) * n);
  for (int t = 0; t < from.taps; ++t) {
    const std::size_t src = static_cast<std::size_t>(t) * from.size + begin;
    const std::size_t dst = static_cast<std::size_t>(t) * n;
    std::copy_n(from.index.begin() + src, n, to.index.begin() + dst);
    std::copy_n(from.weight.begin() + src, n, to.weight.begin() + dst);
  }
}

// One past the last source row that output rows [begin, end) of the axis read.
int SourceRowsFor(const ResizeAxis& rows, int begin, int end) {
  int last = 0;
  for (int t = 0; t < rows.taps; ++t) {
    const int* idx = rows.index.data() + static_cast<std::size_t>(t) * rows.size;
    for (int i = begin; i < end; ++i) last = std::max(last, idx[i]);
  }
  return last + 1;
}

// A resize computed band by band into a small bitmap: `whole` describes all output rows,
// `band` is the same plan cut down to the rows of the current band.
class BandResizer {
 public:
  bool Init(const ResizePlan& whole) {
    whole_ = &whole;
    band_ = whole;
    band_.rows = {};
    return true;
  }
  int rows() const { return whole_->dstHeight; }
  int SourceRowsNeeded(int begin, int end) const { return SourceRowsFor(whole_->rows, begin, end); }
  int LowestSourceRow(int begin, int end) const {
    const ResizeAxis& rows = whole_->rows;
    int low = rows.index.empty() ? 0 : rows.index[begin];
    for (int t = 0; t < rows.taps; ++t) {
      const int* idx = rows.index.data() + static_cast<std::size_t>(t) * rows.size;
      for (int i = begin; i < end; ++i) low = std::min(low, idx[i]);
    }
    return low;
  }
  // Output rows [begin, end) into pixels(), whose rows 0 … end − begin − 1 they become. With
  // ringRows > 0 the source is a ring of that many rows, source row y in row y % ringRows.
  bool Run(const Bitmap24& src, int begin, int end, int ringRows) {
    SliceAxis(whole_->rows, begin, end - begin, band_.rows);
    if (ringRows > 0) {
      for (int& i : band_.rows.index) i %= ringRows;
      band_.srcHeight = ringRows;
    }
    band_.dstHeight = end - begin;
    if (!pixels_.resize(band_.dstWidth, band_.dstHeight)) return false;
    return BmpResizeRows(src, pixels_, 0, band_.dstHeight, band_);
  }
  const Bitmap24& pixels() const { return pixels_; }

 private:
  const ResizePlan* whole_ = nullptr;
  ResizePlan band_;
  Bitmap24 pixels_;
};

// A piece of the blurred background: the background resampled over `area`, blurred and
// contrast-reduced on its own. That equals the whole background's blur on `visible`: every
// visible pixel has all its neighbours within the blur's reach inside the piece, or the piece
// ends where the screen ends, just as the whole background does.
struct Piece {
  Rect area, visible;
  ResizePlan plan;  // the background's plan restricted to `area`
  BandResizer resizer;
  GaussianBlurStream blur;  // the piece's own blur, fed band by band
  int width = 0, height = 0;
  Bitmap24 rows;                  // finished rows before they go to the output
  int resized = 0, finished = 0;  // rows resampled into the blur, rows written out
};

// The whole composition, in independent streams of bands: the fitted picture resampled
// band by band into the output, and each piece of the background resampled, blurred and
// contrast-reduced band by band. Any thread may advance any stream that no other thread is
// advancing; a band is done as soon as the source rows it reads exist.
class Composition {
 public:
  // The fitted picture is cut into `fittedParts` streams of rows (more than one only when the
  // whole source is there from the start).
  bool Build(int width, int height, int screenWidth, int screenHeight, TResizeMode mode,
             int fittedParts = 1);
  // Advances every stream it can, for as long as it can. `available` source rows exist;
  // `complete` says no more will come. Returns when no band is left that this thread could do
  // now: all done, waiting for source rows, or taken by the other thread.
  void Work(const Bitmap24& src, int available);
  bool done() const;
  // Reads the source from a ring of this many rows (source row y in ring row y % rows).
  void UseRing(int rows) { ringRows_ = rows; }
  // The most source rows one band reads: a ring must hold at least that many.
  int LargestBandSpan() const;
  // The lowest source row that a band still to be done reads; rows below it are free.
  int LowWater() const;
  // Counts the bands done, so that a thread can wait for the other to free ring rows.
  std::atomic<unsigned>& progress() { return progress_; }
  bool failed() const { return failed_.load(); }
  Bitmap24 out;

 private:
  void AddPiece(Rect area, Rect visible, const ResizePlan& background);
  struct FittedPart {
    BandResizer resizer;
    int begin = 0, end = 0, done = 0;  // rows of the fitted picture
  };
  bool StepFitted(FittedPart& f, const Bitmap24& src, int available);
  bool StepPiece(Piece& p, const Bitmap24& src, int available);
  void FinishPieceRows(Piece& p, int upTo);

  StretchBlurGeometry geo_;
  Rect fit_;  // the fitted picture on the screen
  ResizePlan fitted_;
  std::vector<std::unique_ptr<FittedPart>> parts_;
  std::vector<std::unique_ptr<Piece>> pieces_;
  // One lock per stream: [0] the fitted picture, [1 + i] piece i.
  std::vector<std::unique_ptr<std::mutex>> locks_;
  std::vector<std::unique_ptr<std::atomic<bool>>> finished_;
  std::uint8_t contrast_[3][256] = {};
  std::atomic<bool> failed_{false};
  std::atomic<unsigned> progress_{0};
  // Per stream, the lowest source row its next band reads (INT32_MAX when it needs no more).
  std::vector<std::unique_ptr<std::atomic<int>>> low_;
  int ringRows_ = 0;
  void UpdateLow(std::size_t stream);
};

bool Composition::Build(int width, int height, int screenWidth, int screenHeight, TResizeMode mode,
                        int fittedParts) {
  if (!PlanStretchBlur(width, height, screenWidth, screenHeight, geo_)) return false;
  const int SW = screenWidth, SH = screenHeight;
  ResizePlan fitted, background;
  if (!fitted.Build(width, height, geo_.fitWidth, geo_.fitHeight, mode) ||
      !background.Build(width, height, SW, SH, mode)) {
    return false;
  }
  fit_ = {std::max(0, geo_.x), std::max(0, geo_.y), std::min(SW, geo_.x + geo_.fitWidth),
          std::min(SH, geo_.y + geo_.fitHeight)};
  if (fit_.empty()) return false;
  try {
    // Only the part of the fitted picture that lies on the screen.
    fitted_ = fitted;
    SliceAxis(fitted.cols, fit_.x0 - geo_.x, fit_.x1 - fit_.x0, fitted_.cols);
    SliceAxis(fitted.rows, fit_.y0 - geo_.y, fit_.y1 - fit_.y0, fitted_.rows);
    fitted_.dstWidth = fit_.x1 - fit_.x0;
    fitted_.dstHeight = fit_.y1 - fit_.y0;
    const int parts = std::clamp(fittedParts, 1, std::max(1, fitted_.dstHeight / kRowsPerStep));
    for (int i = 0; i < parts; ++i) {
      auto f = std::make_unique<FittedPart>();
      f->resizer.Init(fitted_);
      f->begin = f->done = fitted_.dstHeight * i / parts;
      f->end = fitted_.dstHeight * (i + 1) / parts;
      parts_.push_back(std::move(f));
    }

    // The background shows left and right of the picture, or above and below it, or (for
    // rounding's sake) anywhere.
    const int R = kBlurRange;
    const bool fullRows = fit_.y0 == 0 && fit_.y1 == SH;
    const bool fullCols = fit_.x0 == 0 && fit_.x1 == SW;
    if (fullRows && fullCols) {
      // nothing of the background is visible
    } else if (fullRows && fit_.x0 + R < fit_.x1 - R) {
      if (fit_.x0 > 0)
        AddPiece({0, 0, std::min(SW, fit_.x0 + R), SH}, {0, 0, fit_.x0, SH}, background);
      if (fit_.x1 < SW)
        AddPiece({std::max(0, fit_.x1 - R), 0, SW, SH}, {fit_.x1, 0, SW, SH}, background);
    } else if (fullCols && fit_.y0 + R < fit_.y1 - R) {
      if (fit_.y0 > 0)
        AddPiece({0, 0, SW, std::min(SH, fit_.y0 + R)}, {0, 0, SW, fit_.y0}, background);
      if (fit_.y1 < SH)
        AddPiece({0, std::max(0, fit_.y1 - R), SW, SH}, {0, fit_.y1, SW, SH}, background);
    } else {
      AddPiece({0, 0, SW, SH}, {0, 0, SW, SH}, background);
    }
    for (std::size_t i = 0; i < parts_.size() + pieces_.size(); ++i) {
      locks_.push_back(std::make_unique<std::mutex>());
      finished_.push_back(std::make_unique<std::atomic<bool>>(false));
      low_.push_back(std::make_unique<std::atomic<int>>(0));
    }
    for (std::size_t i = 0; i < low_.size(); ++i) UpdateLow(i);
  } catch (const std::bad_alloc&) {
    return false;
  }
  // The contrast of the margins is a function of the byte alone: take it from Contrast itself.
  Bitmap24 ramp;
  if (!ramp.resize(256, 1)) return false;
  for (int v = 0; v < 256; ++v) std::fill_n(ramp.row(0) + 3 * v, 3, static_cast<std::uint8_t>(v));
  if (!Contrast(ramp, kMarginContrast)) return false;
  for (int v = 0; v < 256; ++v) {
    for (int ch = 0; ch < 3; ++ch) contrast_[ch][v] = ramp.row(0)[3 * v + ch];
  }
  return out.resize(SW, SH);
}

void Composition::AddPiece(Rect area, Rect visible, const ResizePlan& background) {
  auto p = std::make_unique<Piece>();
  p->area = area;
  p->visible = visible;
  p->width = area.x1 - area.x0;
  p->height = area.y1 - area.y0;
  p->plan = background;
  SliceAxis(background.cols, area.x0, p->width, p->plan.cols);
  SliceAxis(background.rows, area.y0, p->height, p->plan.rows);
  p->plan.dstWidth = p->width;
  p->plan.dstHeight = p->height;
  p->resizer.Init(p->plan);
  if (!p->blur.Init(p->width, p->height, kBlurZone, kRowsPerStep) ||
      !p->rows.resize(p->width, std::min(p->height, kFinishRows))) {
    throw std::bad_alloc();
  }
  pieces_.push_back(std::move(p));
}

bool Composition::StepFitted(FittedPart& f, const Bitmap24& src, int available) {
  const int begin = f.done, end = std::min(f.end, begin + kRowsPerStep);
  if (begin >= f.end || f.resizer.SourceRowsNeeded(begin, end) > available) return false;
  if (!f.resizer.Run(src, begin, end, ringRows_)) {
    failed_ = true;
    f.done = f.end;
    return true;
  }
  const Bitmap24& band = f.resizer.pixels();
  const std::size_t bytes = 3 * static_cast<std::size_t>(band.width());
  for (int r = begin; r < end; ++r) {
    std::memcpy(out.row(fit_.y0 + r) + 3 * static_cast<std::size_t>(fit_.x0), band.row(r - begin),
                bytes);
  }
  f.done = end;
  return true;
}

bool Composition::StepPiece(Piece& p, const Bitmap24& src, int available) {
  const int begin = p.resized, end = std::min(p.height, begin + kRowsPerStep);
  if (begin >= p.height || p.resizer.SourceRowsNeeded(begin, end) > available) return false;
  if (!p.resizer.Run(src, begin, end, ringRows_)) {
    failed_ = true;
    p.resized = p.finished = p.height;
    return true;
  }
  const Bitmap24& band = p.resizer.pixels();
  for (int r = begin; r < end; ++r) {
    if (!p.blur.AddRow(band.row(r - begin))) {
      failed_ = true;
      p.resized = p.finished = p.height;
      return true;
    }
  }
  p.resized = end;
  FinishPieceRows(p, p.blur.finishable());
  return true;
}

void Composition::FinishPieceRows(Piece& p, int upTo) {
  while (p.finished < upTo) {
    const int first = p.finished, last = std::min(upTo, first + p.rows.height());
    if (!p.blur.Finish(last, p.rows.row(0), p.rows.stride())) {
      failed_ = true;
      p.finished = p.height;
      return;
    }
    for (int y = first; y < last; ++y) {
      const int sy = p.area.y0 + y;
      if (sy < p.visible.y0 || sy >= p.visible.y1) continue;
      const std::uint8_t* line = p.rows.row(y - first);
      std::uint8_t* to = out.row(sy);
      // The visible pixels of the row, leaving out the fitted picture.
      const auto put = [&](int x0, int x1) {
        for (int x = x0; x < x1; ++x) {
          const std::uint8_t* s = line + 3 * static_cast<std::size_t>(x - p.area.x0);
          std::uint8_t* d = to + 3 * static_cast<std::size_t>(x);
          d[0] = contrast_[0][s[0]];
          d[1] = contrast_[1][s[1]];
          d[2] = contrast_[2][s[2]];
        }
      };
      if (sy >= fit_.y0 && sy < fit_.y1) {
        put(p.visible.x0, std::min(p.visible.x1, fit_.x0));
        put(std::max(p.visible.x0, fit_.x1), p.visible.x1);
      } else {
        put(p.visible.x0, p.visible.x1);
      }
    }
    p.finished = last;
  }
}

void Composition::Work(const Bitmap24& src, int available) {
  for (bool progress = true; progress;) {
    progress = false;
    for (std::size_t s = 0; s < locks_.size(); ++s) {
      if (finished_[s]->load()) continue;
      std::unique_lock<std::mutex> hold(*locks_[s], std::try_to_lock);
      if (!hold.owns_lock()) continue;
      // Several bands in a row while this thread holds the stream.
      for (int n = 0; n < 4; ++n) {
        bool stepped, over;
        if (s < parts_.size()) {
          FittedPart& f = *parts_[s];
          stepped = StepFitted(f, src, available);
          over = f.done >= f.end;
        } else {
          Piece& p = *pieces_[s - parts_.size()];
          stepped = StepPiece(p, src, available);
          over = p.finished >= p.height;
        }
        if (stepped) {
          UpdateLow(s);
          progress_.fetch_add(1, std::memory_order_acq_rel);
          progress_.notify_all();
        }
        if (over) finished_[s]->store(true);
        if (!stepped || over) break;
        progress = true;
      }
    }
  }
}

void Composition::UpdateLow(std::size_t s) {
  int low = INT32_MAX;
  if (s < parts_.size()) {
    const FittedPart& f = *parts_[s];
    if (f.done < f.end)
      low = f.resizer.LowestSourceRow(f.done, std::min(f.end, f.done + kRowsPerStep));
  } else {
    const Piece& p = *pieces_[s - parts_.size()];
    if (p.resized < p.height) {
      low = p.resizer.LowestSourceRow(p.resized, std::min(p.height, p.resized + kRowsPerStep));
    }
  }
  low_[s]->store(low, std::memory_order_release);
}

int Composition::LowWater() const {
  int low = INT32_MAX;
  for (const auto& l : low_) low = std::min(low, l->load(std::memory_order_acquire));
  return low;
}

int Composition::LargestBandSpan() const {
  int span = 1;
  const auto bands = [&](const BandResizer& r, int begin, int end) {
    for (int b = begin; b < end; b += kRowsPerStep) {
      const int e = std::min(end, b + kRowsPerStep);
      span = std::max(span, r.SourceRowsNeeded(b, e) - r.LowestSourceRow(b, e));
    }
  };
  for (const auto& f : parts_) bands(f->resizer, f->begin, f->end);
  for (const auto& p : pieces_) bands(p->resizer, 0, p->height);
  return span;
}

bool Composition::done() const {
  return std::all_of(finished_.begin(), finished_.end(), [](const auto& f) { return f->load(); });
}

// libjpeg's scanline decoding into row addresses of our choosing (a ring), for the plain
// baseline JPEGs whose pixels are known to equal LoadPicture's: 8-bit, not progressive, and
// decoded without a single warning. Anything else is left to the loader.
struct JpegErrors {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  int warnings = 0;
};

[[noreturn]] void JpegErrorExit(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<JpegErrors*>(cinfo->err)->jump, 1);
}
void JpegEmitMessage(j_common_ptr cinfo, int level) {
  if (level < 0) ++reinterpret_cast<JpegErrors*>(cinfo->err)->warnings;
}
void JpegOutputMessage(j_common_ptr) {}

// The libjpeg calls sit in functions that hold nothing with a destructor, since an error
// returns through longjmp.
class JpegRows {
 public:
  JpegRows() = default;
  JpegRows(const JpegRows&) = delete;
  JpegRows& operator=(const JpegRows&) = delete;
  ~JpegRows() {
    if (created_) jpeg_destroy_decompress(&cinfo_);
  }

  bool Open(const unsigned char* data, std::size_t size) {
    cinfo_.err = jpeg_std_error(&err_.pub);
    err_.pub.error_exit = JpegErrorExit;
    err_.pub.emit_message = JpegEmitMessage;
    err_.pub.output_message = JpegOutputMessage;
    if (setjmp(err_.jump)) return false;
    jpeg_create_decompress(&cinfo_);
    created_ = true;
    jpeg_mem_src(&cinfo_, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(&cinfo_, TRUE) != JPEG_HEADER_OK) return false;
    if (cinfo_.progressive_mode || cinfo_.data_precision != 8) return false;
    cinfo_.out_color_space = JCS_EXT_BGR;
    if (!jpeg_start_decompress(&cinfo_)) return false;
    return err_.warnings == 0 && cinfo_.output_components == 3 &&
           cinfo_.output_width == cinfo_.image_width &&
           cinfo_.output_height == cinfo_.image_height && cinfo_.output_width <= INT32_MAX &&
           cinfo_.output_height <= INT32_MAX;
  }
  int width() const { return static_cast<int>(cinfo_.output_width); }
  int height() const { return static_cast<int>(cinfo_.output_height); }

  // The next n rows; false on an error or any warning (damaged or truncated data).
  bool Read(JSAMPROW* rows, int n) {
    if (setjmp(err_.jump)) return false;
    for (int done = 0; done < n;) {
      const JDIMENSION got =
          jpeg_read_scanlines(&cinfo_, rows + done, static_cast<JDIMENSION>(n - done));
      if (got == 0) return false;
      done += static_cast<int>(got);
    }
    if (cinfo_.output_scanline >= cinfo_.output_height) jpeg_finish_decompress(&cinfo_);
    return err_.warnings == 0;
  }

 private:
  jpeg_decompress_struct cinfo_{};
  JpegErrors err_;
  bool created_ = false;
};

// Runs the composition on this thread and one helper while `produce` makes source rows:
// the helper works whenever rows arrive; this thread joins in once production ends.
// `produce(publish)` calls publish(rows) after each band and returns false on damage.
template <class Produce>
bool RunComposition(Composition& c, const Bitmap24& src, Produce&& produce) {
  std::atomic<int> available{0};
  std::atomic<bool> ended{false};
  std::thread helper;
  try {
    helper = std::thread([&] {
      for (;;) {
        const int seen = available.load(std::memory_order_acquire);
        if (seen < 0) return;  // the source is damaged
        c.Work(src, seen);
        if (c.done()) return;
        if (ended.load(std::memory_order_acquire)) return;  // the rest is the other thread's
        if (available.load(std::memory_order_acquire) != seen) continue;
        available.wait(seen, std::memory_order_acquire);
      }
    });
  } catch (const std::system_error&) {
    return false;
  }
  const bool ok = produce([&](int rows) {
    available.store(rows, std::memory_order_release);
    available.notify_one();
  });
  if (!ok) {
    available.store(-1, std::memory_order_release);
    available.notify_one();
    helper.join();
    return false;
  }
  // Wakes the helper with a value it has not seen: every source row exists now.
  ended.store(true, std::memory_order_release);
  available.store(INT32_MAX, std::memory_order_release);
  available.notify_one();
  c.Work(src, INT32_MAX);
  helper.join();
  c.Work(src, INT32_MAX);  // anything the helper let go of as it left
  return c.done() && !c.failed();
}

}  // namespace

Bitmap24 CornerProxy(const Bitmap24& picture) {
  const auto pick = [](int n) {
    std::vector<int> keep;
    if (n < 4) {
      for (int i = 0; i < n; ++i) keep.push_back(i);
    } else {
      keep = {0, 1, n - 2, n - 1};
    }
    return keep;
  };
  const std::vector<int> cols = pick(picture.width()), rows = pick(picture.height());
  Bitmap24 proxy;
  if (!proxy.resize(static_cast<int>(cols.size()), static_cast<int>(rows.size()))) return proxy;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    for (std::size_t c = 0; c < cols.size(); ++c) {
      std::copy_n(picture.row(rows[r]) + 3 * static_cast<std::size_t>(cols[c]), 3,
                  proxy.row(static_cast<int>(r)) + 3 * c);
    }
  }
  return proxy;
}

bool ComposeStretchBlurFromBitmap(const Bitmap24& picture, int screenWidth, int screenHeight,
                                  TResizeMode mode, Bitmap24& out) {
  out.clear();
  if (picture.empty()) return false;
  Composition c;
  // Two threads from the start: the fitted picture in halves, so neither waits for the other.
  if (!c.Build(picture.width(), picture.height(), screenWidth, screenHeight, mode, 2)) return false;
  const bool ok = RunComposition(c, picture, [&](auto&& publish) {
    publish(picture.height());
    return true;
  });
  if (!ok) return false;
  out = std::move(c.out);
  return true;
}

bool ComposeStretchBlurFromJpeg(const std::string& fileName, int screenWidth, int screenHeight,
                                TResizeMode mode, Bitmap24& out, Bitmap24* corners) {
  out.clear();
  std::vector<unsigned char> bytes;
  {
    std::ifstream in(fileName, std::ios::binary | std::ios::ate);
    if (!in) return false;
    const std::streamoff size = in.tellg();
    if (size <= 0 || size > (std::streamoff{1} << 30)) return false;
    bytes.resize(static_cast<std::size_t>(size));
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) return false;
  }
  // The loader's own verdict on the header (size limits, plausibility) comes first.
  {
    JpegBandDecoder check;
    if (!check.open(bytes.data(), bytes.size())) return false;
  }
  JpegRows jpeg;
  if (!jpeg.Open(bytes.data(), bytes.size())) return false;
  const int W = jpeg.width(), H = jpeg.height();
  Composition c;
  if (!c.Build(W, H, screenWidth, screenHeight, mode)) return false;

  // The decoded rows live in a ring large enough for two of the widest bands and some slack:
  // the full-size picture never exists.
  const int ringRows = std::min(H, std::max(128, 2 * c.LargestBandSpan() + 4 * kRowsPerStep));
  Bitmap24 ring;
  if (!ring.resize(W, ringRows)) return false;
  c.UseRing(ringRows);
  // Rows 0, 1, H − 2 and H − 1 (all of them below 4): everything the colour analysis reads.
  Bitmap24 edges;
  if (corners != nullptr && !edges.resize(W, std::min(H, 4))) return false;
  const auto edgeSlot = [&](int y) {
    return H < 4 ? y : y < 2 ? y : y >= H - 2 ? y - (H - 4) : -1;
  };

  // This thread decodes into the ring as far as the slowest stream allows, and works on the
  // bands itself while the ring is full.
  const bool ok = RunComposition(c, ring, [&](auto&& publish) {
    constexpr int kDecodeRows = 16;
    JSAMPROW rows[kDecodeRows];
    for (int decoded = 0; decoded < H;) {
      const int n = std::min({kDecodeRows, H - decoded, c.LowWater() + ringRows - decoded});
      if (n <= 0) {
        const unsigned before = c.progress().load(std::memory_order_acquire);
        c.Work(ring, decoded);
        if (c.failed()) return false;
        if (c.progress().load(std::memory_order_acquire) == before) c.progress().wait(before);
        continue;
      }
      for (int i = 0; i < n; ++i) rows[i] = ring.row((decoded + i) % ringRows);
      if (!jpeg.Read(rows, n)) return false;
      if (corners != nullptr) {
        for (int i = 0; i < n; ++i) {
          const int slot = edgeSlot(decoded + i);
          if (slot >= 0) std::memcpy(edges.row(slot), rows[i], 3 * static_cast<std::size_t>(W));
        }
      }
      decoded += n;
      publish(decoded);
    }
    return true;
  });
  if (!ok) return false;
  if (corners != nullptr) *corners = CornerProxy(edges);
  out = std::move(c.out);
  return true;
}

}  // namespace tapestra
