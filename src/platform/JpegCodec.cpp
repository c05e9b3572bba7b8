#include "platform/JpegCodec.h"

#include <turbojpeg.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

// jpeglib.h needs size_t and FILE declared first.
#include <jerror.h>
#include <jpeglib.h>

#include "platform/FileBytes.h"
#include "platform/PictureDecoder.h"

namespace tapestra {

namespace {

struct TjDeleter {
  void operator()(void* h) const { tjDestroy(h); }
};
using TjHandle = std::unique_ptr<void, TjDeleter>;

// libjpeg's text for JWRN_JPEG_EOF; TurboJPEG reports warnings only as text.
constexpr const char* kPrematureEnd = "Premature end of JPEG file";

// A JPEG holding kMaxPixels pixels is far smaller than this.
constexpr std::uint64_t kMaxJpegFileBytes = std::uint64_t{1} << 30;

bool TooLarge(int width, int height) {
  return width <= 0 || height <= 0 ||
         static_cast<std::int64_t>(width) * height > Bitmap24::kMaxPixels;
}

// The smallest factor (at most 1) that still covers the picture fitted into the box.
tjscalingfactor ChooseScale(int width, int height, int maxWidth, int maxHeight) {
  tjscalingfactor best{1, 1};
  if (maxWidth <= 0 && maxHeight <= 0) return best;
  int count = 0;
  const tjscalingfactor* factors = tjGetScalingFactors(&count);
  if (factors == nullptr) return best;
  for (int i = 0; i < count; ++i) {
    const tjscalingfactor f = factors[i];
    if (f.num > f.denom) continue;
    // f ≥ min(maxWidth / width, maxHeight / height), in integers; a bound ≤ 0 is no bound.
    const bool coversWidth = maxWidth > 0 && static_cast<std::int64_t>(f.num) * width >=
                                                 std::int64_t{maxWidth} * f.denom;
    const bool coversHeight = maxHeight > 0 && static_cast<std::int64_t>(f.num) * height >=
                                                   std::int64_t{maxHeight} * f.denom;
    const bool covers = (maxWidth > 0 && maxHeight > 0) ? (coversWidth || coversHeight)
                        : maxWidth > 0                  ? coversWidth
                                                        : coversHeight;
    if (covers && static_cast<std::int64_t>(f.num) * best.denom <
                      static_cast<std::int64_t>(best.num) * f.denom) {
      best = f;
    }
  }
  return best;
}

bool IsTruncationWarning(tjhandle h) {
  return tjGetErrorCode(h) == TJERR_WARNING && std::strstr(tjGetErrorStr2(h), kPrematureEnd);
}

}  // namespace

bool HasJpegSignature(const std::uint8_t* data, std::size_t size) {
  return size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
}

bool ReadJpegSize(const std::uint8_t* data, std::size_t size, int& width, int& height) {
  if (!HasJpegSignature(data, size)) return false;
  TjHandle h(tjInitDecompress());
  if (!h) return false;
  int w = 0, ht = 0, subsamp = 0, colorspace = 0;
  if (tjDecompressHeader3(h.get(), data, static_cast<unsigned long>(size), &w, &ht, &subsamp,
                          &colorspace) != 0 ||
      w <= 0 || ht <= 0) {  // a buffer cut before the frame header reads as "tables only"
    return false;
  }
  width = w;
  height = ht;
  return true;
}

JpegResult DecodeJpeg(const std::uint8_t* data, std::size_t size, Bitmap24& bmp, int maxWidth,
                      int maxHeight) {
  if (!HasJpegSignature(data, size)) return JpegResult::Failed;
  TjHandle h(tjInitDecompress());
  if (!h) return JpegResult::Failed;
  const auto jpegSize = static_cast<unsigned long>(size);
  int width = 0, height = 0, subsamp = 0, colorspace = 0;
  if (tjDecompressHeader3(h.get(), data, jpegSize, &width, &height, &subsamp, &colorspace) != 0) {
    return JpegResult::Failed;
  }
  // TooLarge also rejects 0 × 0, which the header reader reports for a file without a frame.
  if (TooLarge(width, height) || !PlausiblePixelCount(width, height, size)) {
    return JpegResult::Failed;
  }
  const tjscalingfactor f = ChooseScale(width, height, maxWidth, maxHeight);
  const int outWidth = TJSCALED(width, f);
  const int outHeight = TJSCALED(height, f);
  if (!bmp.resize(outWidth, outHeight)) return JpegResult::Failed;

  // Stop at the first warning so that a truncated file fails fast instead of decoding
  // megapixels of grey; any other warning (stray bytes before a marker, say) is harmless, and
  // the picture is decoded again without stopping.
  const int flags = TJFLAG_LIMITSCANS;
  const int pitch = static_cast<int>(bmp.stride());
  if (tjDecompress2(h.get(), data, jpegSize, bmp.data(), outWidth, pitch, outHeight, TJPF_BGR,
                    flags | TJFLAG_STOPONWARNING) == 0) {
    return JpegResult::Decoded;
  }
  if (tjGetErrorCode(h.get()) != TJERR_WARNING) return JpegResult::Failed;
  if (IsTruncationWarning(h.get())) return JpegResult::Truncated;
  if (tjDecompress2(h.get(), data, jpegSize, bmp.data(), outWidth, pitch, outHeight, TJPF_BGR,
                    flags) == 0) {
    return JpegResult::Decoded;
  }
  if (tjGetErrorCode(h.get()) != TJERR_WARNING) return JpegResult::Failed;
  return IsTruncationWarning(h.get()) ? JpegResult::Truncated : JpegResult::Decoded;
}

// ---- Band decoder over libjpeg's scanline interface ----

namespace {

struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

// Silent, except that running out of data is an error here as it is in DecodeJpeg.
void EmitMessage(j_common_ptr cinfo, int level) {
  if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF) ErrorExit(cinfo);
}

void OutputMessage(j_common_ptr) {}

}  // namespace

struct JpegBandDecoder::State {
  jpeg_decompress_struct cinfo;
  ErrorManager err;
  bool created = false;
  bool headerRead = false;
  bool started = false;
  bool finished = false;
  int rowsDone = 0;
  Bitmap24* bmp = nullptr;
  std::unique_ptr<std::uint8_t[]> ownBytes;
  std::vector<JSAMPROW> rows;

  ~State() {
    if (created) jpeg_destroy_decompress(&cinfo);
  }
};

// The libjpeg calls live in these functions, which hold nothing with a destructor, because an
// error returns through longjmp.
namespace {

bool ReadHeader(jpeg_decompress_struct* cinfo, ErrorManager* err, const unsigned char* data,
                std::size_t size) {
  if (setjmp(err->jump)) return false;
  jpeg_mem_src(cinfo, data, static_cast<unsigned long>(size));
  if (jpeg_read_header(cinfo, TRUE) != JPEG_HEADER_OK) return false;
  cinfo->out_color_space = JCS_EXT_BGR;
  return true;
}

bool StartDecompress(jpeg_decompress_struct* cinfo, ErrorManager* err) {
  if (setjmp(err->jump)) return false;
  return jpeg_start_decompress(cinfo) == TRUE;
}

// Returns the rows read, or -1 on an error.
int ReadRows(jpeg_decompress_struct* cinfo, ErrorManager* err, JSAMPROW* rows, int count) {
  if (setjmp(err->jump)) return -1;
  int done = 0;
  while (done < count) {
    const JDIMENSION n =
        jpeg_read_scanlines(cinfo, rows + done, static_cast<JDIMENSION>(count - done));
    if (n == 0) return -1;  // cannot happen with a memory source; guards against a loop
    done += static_cast<int>(n);
  }
  if (cinfo->output_scanline >= cinfo->output_height) jpeg_finish_decompress(cinfo);
  return done;
}

}  // namespace

JpegBandDecoder::JpegBandDecoder() = default;
JpegBandDecoder::~JpegBandDecoder() = default;

bool JpegBandDecoder::open(const unsigned char* data, std::size_t size) {
  state_.reset();
  if (!HasJpegSignature(data, size)) return false;
  auto s = std::make_unique<State>();
  s->cinfo.err = jpeg_std_error(&s->err.pub);
  s->err.pub.error_exit = ErrorExit;
  s->err.pub.emit_message = EmitMessage;
  s->err.pub.output_message = OutputMessage;
  if (setjmp(s->err.jump)) return false;
  jpeg_create_decompress(&s->cinfo);
  s->created = true;
  if (!ReadHeader(&s->cinfo, &s->err, data, size)) return false;
  const auto w = static_cast<int>(std::min<JDIMENSION>(s->cinfo.image_width, INT32_MAX));
  const auto h = static_cast<int>(std::min<JDIMENSION>(s->cinfo.image_height, INT32_MAX));
  if (TooLarge(w, h) || !PlausiblePixelCount(w, h, size)) return false;
  s->headerRead = true;
  state_ = std::move(s);
  return true;
}

bool JpegBandDecoder::open(const std::string& fileName) {
  state_.reset();
  FileBytes file;
  if (!ReadFileBytes(fileName, kMaxJpegFileBytes, file) || !file.complete()) return false;
  if (!open(file.data.get(), file.size)) return false;
  state_->ownBytes = std::move(file.data);
  return true;
}

int JpegBandDecoder::width() const {
  return state_ ? static_cast<int>(state_->cinfo.image_width) : 0;
}
int JpegBandDecoder::height() const {
  return state_ ? static_cast<int>(state_->cinfo.image_height) : 0;
}

bool JpegBandDecoder::start(Bitmap24& bmp) {
  if (!state_ || !state_->headerRead || state_->started) return false;
  State& s = *state_;
  if (!bmp.resize(width(), height()) || !StartDecompress(&s.cinfo, &s.err) ||
      static_cast<int>(s.cinfo.output_width) != bmp.width() ||
      static_cast<int>(s.cinfo.output_height) != bmp.height()) {
    s.finished = true;
    return false;
  }
  s.started = true;
  s.bmp = &bmp;
  return true;
}

int JpegBandDecoder::decodeRows(int maxRows) {
  if (!state_ || !state_->started) return -1;
  State& s = *state_;
  if (s.finished) return 0;
  const int count = std::min(std::max(maxRows, 1), s.bmp->height() - s.rowsDone);
  s.rows.resize(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) s.rows[i] = s.bmp->row(s.rowsDone + i);
  const int n = ReadRows(&s.cinfo, &s.err, s.rows.data(), count);
  if (n < 0) {
    s.finished = true;
    return -1;
  }
  s.rowsDone += n;
  if (s.rowsDone >= s.bmp->height()) s.finished = true;
  return n;
}

int JpegBandDecoder::rowsDone() const {
  return state_ ? state_->rowsDone : 0;
}

bool JpegBandDecoder::done() const {
  return !state_ || state_->finished;
}

}  // namespace tapestra
