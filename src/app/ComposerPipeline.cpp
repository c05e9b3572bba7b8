#include "app/ComposerPipeline.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <exception>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include "imaging/Parallel.h"
#include "platform/PictureDecoder.h"

namespace tapestra {

namespace {

constexpr int kBlurZone = 3;
constexpr int kBlurRange = 3 * kBlurZone;  // the blur reads this many pixels to either side
constexpr int kMarginContrast = -10;
constexpr int kRowsPerStep = 16;  // output rows resampled per call: keeps the row caches warm

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

// Copies all entries of `from` into `to` starting at entry `at`.
void PlaceAxis(const ResizeAxis& from, int at, ResizeAxis& to) {
  for (int t = 0; t < from.taps; ++t) {
    const std::size_t src = static_cast<std::size_t>(t) * from.size;
    const std::size_t dst = static_cast<std::size_t>(t) * to.size + at;
    std::copy_n(from.index.begin() + src, from.size, to.index.begin() + dst);
    std::copy_n(from.weight.begin() + src, from.size, to.weight.begin() + dst);
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

// A piece of the blurred background: its resampled pixels over `area`, blurred on their own.
// The blur of a piece equals the blur of the whole background on `visible` because every
// visible pixel keeps all its neighbours within reach inside the piece, or the piece reaches
// the screen edge there just as the whole background does.
struct Piece {
  Rect area;
  Rect visible;
  ResizePlan plan;  // the background's plan restricted to `area`
  Bitmap24 pixels;
  int rowsDone = 0;
  std::vector<int> needed;  // per row of the piece: source rows its resampling reads
};

// The whole composition: the fitted picture resampled straight into the output, the visible
// parts of the background resampled, blurred and contrast-reduced piece by piece. Work is
// driven by how many source rows exist, so it can follow a decoder.
class Composition {
 public:
  bool Build(int width, int height, int screenWidth, int screenHeight, TResizeMode mode);
  // Resamples up to kRowsPerStep more rows of each part that source rows [0, available)
  // allow. Returns whether any row was done; `waiting` tells whether rows remain.
  bool Advance(const Bitmap24& src, int available, bool& waiting);
  // Splits the fitted rows into independent bands (for a picture fully in memory).
  void AdvanceFittedBand(const Bitmap24& src, int begin, int end);
  void AdvancePieceBand(const Bitmap24& src, std::size_t piece, int begin, int end);
  // Blur and contrast of the pieces and their visible pixels into the output.
  bool Finish();

  int fittedRows() const { return fit_.y1 - fit_.y0; }
  std::size_t pieces() const { return pieces_.size(); }
  int pieceRows(std::size_t i) const { return pieces_[i].area.y1 - pieces_[i].area.y0; }
  bool failed() const { return failed_; }
  Bitmap24 out;

 private:
  void AddPiece(Rect area, Rect visible, const ResizePlan& background);

  StretchBlurGeometry geo_;
  Rect fit_;              // the fitted picture on the screen
  ResizePlan composite_;  // screen-size plan whose rows fit_.y0 … fit_.y1 give the fitted picture
  std::vector<int> fittedNeeded_;
  int fittedDone_ = 0;  // rows of fit_ done, counted from fit_.y0
  std::vector<Piece> pieces_;
  std::atomic<bool> failed_{false};
};

bool Composition::Build(int width, int height, int screenWidth, int screenHeight,
                        TResizeMode mode) {
  if (!PlanStretchBlur(width, height, screenWidth, screenHeight, geo_)) return false;
  const int SW = screenWidth, SH = screenHeight;
  const int TW = geo_.fitWidth, TH = geo_.fitHeight;
  ResizePlan fitted, background;
  if (!fitted.Build(width, height, TW, TH, mode) ||
      !background.Build(width, height, SW, SH, mode)) {
    return false;
  }
  fit_ = {std::max(0, geo_.x), std::max(0, geo_.y), std::min(SW, geo_.x + TW),
          std::min(SH, geo_.y + TH)};
  if (fit_.empty()) return false;
  try {
    // The output's own plan: the fitted picture's taps on the fitted rows and columns, the
    // background's elsewhere (those pixels are overwritten by the pieces).
    composite_ = background;
    ResizeAxis cols, rows;
    SliceAxis(fitted.cols, fit_.x0 - geo_.x, fit_.x1 - fit_.x0, cols);
    SliceAxis(fitted.rows, fit_.y0 - geo_.y, fit_.y1 - fit_.y0, rows);
    PlaceAxis(cols, fit_.x0, composite_.cols);
    PlaceAxis(rows, fit_.y0, composite_.rows);
    fittedNeeded_.resize(static_cast<std::size_t>(TH));
    for (int r = fit_.y0; r < fit_.y1; ++r) {
      fittedNeeded_[r - fit_.y0] = SourceRowsFor(composite_.rows, r, r + 1);
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
  } catch (const std::bad_alloc&) {
    return false;
  }
  for (const Piece& p : pieces_) {
    if (p.pixels.empty()) return false;
  }
  if (!out.resize(SW, SH)) return false;
  return true;
}

void Composition::AddPiece(Rect area, Rect visible, const ResizePlan& background) {
  Piece p;
  p.area = area;
  p.visible = visible;
  p.plan = background;
  SliceAxis(background.cols, area.x0, area.x1 - area.x0, p.plan.cols);
  SliceAxis(background.rows, area.y0, area.y1 - area.y0, p.plan.rows);
  p.plan.dstWidth = area.x1 - area.x0;
  p.plan.dstHeight = area.y1 - area.y0;
  p.needed.resize(static_cast<std::size_t>(p.plan.dstHeight));
  for (int r = 0; r < p.plan.dstHeight; ++r) p.needed[r] = SourceRowsFor(p.plan.rows, r, r + 1);
  if (!p.pixels.resize(p.plan.dstWidth, p.plan.dstHeight)) p.pixels.clear();
  pieces_.push_back(std::move(p));
}

bool Composition::Advance(const Bitmap24& src, int available, bool& waiting) {
  waiting = false;
  bool progress = false;
  // The fitted rows and the pieces in turns, so that every part keeps up with the source.
  const int total = fittedRows();
  int end = fittedDone_;
  while (end < total && end - fittedDone_ < kRowsPerStep && fittedNeeded_[end] <= available) ++end;
  if (end > fittedDone_) {
    AdvanceFittedBand(src, fittedDone_, end);
    fittedDone_ = end;
    progress = true;
  }
  waiting |= fittedDone_ < total;
  for (std::size_t i = 0; i < pieces_.size(); ++i) {
    Piece& p = pieces_[i];
    const int rows = p.plan.dstHeight;
    int e = p.rowsDone;
    while (e < rows && e - p.rowsDone < kRowsPerStep && p.needed[e] <= available) ++e;
    if (e > p.rowsDone) {
      AdvancePieceBand(src, i, p.rowsDone, e);
      p.rowsDone = e;
      progress = true;
    }
    waiting |= p.rowsDone < rows;
  }
  return progress;
}

void Composition::AdvanceFittedBand(const Bitmap24& src, int begin, int end) {
  if (!BmpResizeRows(src, out, fit_.y0 + begin, fit_.y0 + end, composite_)) failed_ = true;
}

void Composition::AdvancePieceBand(const Bitmap24& src, std::size_t piece, int begin, int end) {
  Piece& p = pieces_[piece];
  if (!BmpResizeRows(src, p.pixels, begin, end, p.plan)) failed_ = true;
}

bool Composition::Finish() {
  if (failed_) return false;
  for (Piece& p : pieces_) {
    if (!GaussianBlur(p.pixels, kBlurZone) || !Contrast(p.pixels, kMarginContrast)) return false;
    // The visible pixels, leaving out the fitted picture.
    for (int y = p.visible.y0; y < p.visible.y1; ++y) {
      const std::uint8_t* from = p.pixels.row(y - p.area.y0);
      std::uint8_t* to = out.row(y);
      const auto copy = [&](int x0, int x1) {
        if (x0 >= x1) return;
        std::memcpy(to + 3 * static_cast<std::size_t>(x0),
                    from + 3 * static_cast<std::size_t>(x0 - p.area.x0),
                    3 * static_cast<std::size_t>(x1 - x0));
      };
      if (y >= fit_.y0 && y < fit_.y1) {
        copy(p.visible.x0, std::min(p.visible.x1, fit_.x0));
        copy(std::max(p.visible.x0, fit_.x1), p.visible.x1);
      } else {
        copy(p.visible.x0, p.visible.x1);
      }
    }
    p.pixels.clear();
  }
  return true;
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
  if (!c.Build(picture.width(), picture.height(), screenWidth, screenHeight, mode)) return false;
  try {
    ParallelBands(c.fittedRows(), kRowsPerStep,
                  [&](int, int begin, int end) { c.AdvanceFittedBand(picture, begin, end); });
    for (std::size_t i = 0; i < c.pieces(); ++i) {
      ParallelBands(c.pieceRows(i), kRowsPerStep,
                    [&](int, int begin, int end) { c.AdvancePieceBand(picture, i, begin, end); });
    }
  } catch (const std::exception&) {
    return false;
  }
  if (!c.Finish()) return false;
  out = std::move(c.out);
  return true;
}

bool ComposeStretchBlurFromJpeg(const std::string& fileName, int screenWidth, int screenHeight,
                                TResizeMode mode, Bitmap24& out, Bitmap24* corners) {
  out.clear();
  JpegBandDecoder decoder;
  if (!decoder.open(fileName)) return false;
  Composition c;
  if (!c.Build(decoder.width(), decoder.height(), screenWidth, screenHeight, mode)) return false;
  Bitmap24 src;
  if (!decoder.start(src)) return false;

  // This thread decodes; the worker resamples every band as soon as its source rows exist.
  std::atomic<int> available{0};
  std::atomic<bool> stop{false};
  std::thread worker;
  try {
    worker = std::thread([&] {
      int seen = 0;
      while (!stop.load(std::memory_order_acquire)) {
        bool waiting = false;
        if (c.Advance(src, seen, waiting)) continue;
        if (!waiting) break;
        available.wait(seen, std::memory_order_acquire);
        seen = available.load(std::memory_order_acquire);
      }
    });
  } catch (const std::system_error&) {
    return false;
  }
  bool damaged = false;
  while (!decoder.done()) {
    if (decoder.decodeRows(32) < 0) {
      damaged = true;
      break;
    }
    available.store(decoder.rowsDone(), std::memory_order_release);
    available.notify_one();
  }
  if (damaged) {
    stop.store(true, std::memory_order_release);
    available.store(-1, std::memory_order_release);
    available.notify_one();
  }
  worker.join();
  if (damaged || c.failed()) return false;
  if (corners != nullptr) *corners = CornerProxy(src);
  src.clear();
  if (!c.Finish()) return false;
  out = std::move(c.out);
  return true;
}

}  // namespace tapestra
