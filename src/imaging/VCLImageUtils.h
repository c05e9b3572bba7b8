#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/Bitmap24.h"

namespace tapestra {

// The resampling filter; the numbering is stored in the configuration by name.
enum class TResizeMode : std::uint8_t {
  rmNearest,
  rmBilinear,
  rmBicubic,
  rmBSpline,
  rmHermite,
  rmMitchell,
  rmBell,
  rmLanczos,
  rmLagrange,
};

// A light accessor over one 24-bit bitmap: the address of every row, no copy of the pixels,
// no bounds checks. Make it after the last resize of the bitmap.
class TBmpData24 {
 public:
  explicit TBmpData24(Bitmap24& bmp);
  std::uint8_t* GetData(int x, int y) const {
    return sl[static_cast<std::size_t>(y)] + 3 * static_cast<std::size_t>(x);
  }

  std::vector<std::uint8_t*> sl;
  int FWidth = 0;
  int FHeight = 0;
};

// Clamps to 0 … 255 and rounds to the nearest integer, ties to even.
std::uint8_t AdjustByte(double value);

// A full copy; an empty bitmap when the copy cannot be allocated.
Bitmap24 BmpClone(const Bitmap24& bmp);

// Scales bmp to rwidth × rheight with the given filter; false (bmp untouched) for a size
// below 1, an empty bitmap or a bitmap that cannot be allocated. Output pixel (ix, iy)
// samples source position (ix × W / rwidth, iy × H / rheight); the kernels keep their width
// when shrinking, so a large reduction samples rather than averages. The rows are split
// across ImagingThreadCount() workers (Parallel.h).
bool BmpResize(Bitmap24& bmp, int rwidth, int rheight, TResizeMode mode);

// The source taps and weights of one axis of a resize, computed once per output column or
// row. Tap t of output position i reads source index index[t * size + i] (the edge rule
// already applied) with weight weight[t * size + i]. Nearest uses one tap and no weight;
// Bilinear uses (1 − d, d); Hermite two taps; the other filters four.
struct ResizeAxis {
  int size = 0;
  int taps = 0;
  std::vector<int> index;
  std::vector<double> weight;
};

// Everything BmpResize computes before touching a pixel. Build it once per picture, then
// fill the output in bands with BmpResizeRows, possibly from several threads and while the
// source is still being decoded (see SourceRowsNeeded).
struct ResizePlan {
  // False for a size below 1 or when the tables cannot be allocated.
  bool Build(int srcWidth, int srcHeight, int dstWidth, int dstHeight, TResizeMode mode);
  // Output rows [0, rowEnd) read only source rows [0, SourceRowsNeeded(rowEnd)).
  int SourceRowsNeeded(int rowEnd) const;

  TResizeMode mode = TResizeMode::rmNearest;
  int srcWidth = 0, srcHeight = 0, dstWidth = 0, dstHeight = 0;
  ResizeAxis cols, rows;
};

// Computes output rows [rowBegin, rowEnd) of the resize described by plan into dst, which
// must already have the plan's output size; src must have the plan's source size (only the
// rows SourceRowsNeeded(rowEnd) names are read). Bands may run concurrently on one dst.
// False (nothing written) when the sizes or the row range do not fit the plan or the
// scratch memory cannot be allocated. The bytes equal those of BmpResize.
bool BmpResizeRows(const Bitmap24& src, Bitmap24& dst, int rowBegin, int rowEnd,
                   const ResizePlan& plan);

// How far the blur of a zone reads to either side, in pixels.
constexpr int GaussianBlurReach(int zone) {
  return 3 * zone;
}

// Separable Gaussian blur in place, sigma = zone pixels, radius 3 × zone; zone 1 … 30,
// otherwise (or for an empty bitmap, or out of memory) false and nothing changes.
bool GaussianBlur(Bitmap24& bmp, int zone);

// GaussianBlur of a picture that is never whole in memory: its rows come in order and each
// goes through the horizontal pass as it arrives; a row is finished (the vertical pass) once
// the rows within the blur's reach below it have come. Only a ring of rows is kept. The bytes
// are those GaussianBlur gives the whole picture: the same code does the arithmetic.
class GaussianBlurStream {
 public:
  GaussianBlurStream();
  ~GaussianBlurStream();
  GaussianBlurStream(GaussianBlurStream&&) noexcept;
  GaussianBlurStream& operator=(GaussianBlurStream&&) noexcept;

  // A width × height picture and the zone as for GaussianBlur; at most `band` rows are added
  // between finishing all that can be finished. False (and unusable) for a bad size, zone or
  // band, or out of memory.
  bool Init(int width, int height, int zone, int band);

  // The next row of the picture, 3 × width bytes. False when every row has come, or when the
  // ring is full: the rows come faster than they are finished.
  bool AddRow(const std::uint8_t* row);
  int added() const;
  int finished() const;
  // The rows that can be finished now: those the blur's reach below has come for, all of them
  // once the last row has come.
  int finishable() const;
  // Finishes rows [finished(), upTo) into out: row finished() at out, each next row outStride
  // bytes on, 3 × width bytes each. False (nothing written) when upTo exceeds finishable().
  bool Finish(int upTo, std::uint8_t* out, std::size_t outStride);

 private:
  struct State;
  std::unique_ptr<State> s_;
};

// Contrast about mid-grey in place; nContrast −100 (all grey) … 100, otherwise (or for an
// empty bitmap) false and nothing changes.
bool Contrast(Bitmap24& bmp, int nContrast);

}  // namespace tapestra
