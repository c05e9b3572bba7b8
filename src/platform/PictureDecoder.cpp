#include "platform/PictureDecoder.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <QSize>
#include <QString>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <filesystem>

#include "platform/BmpCodec.h"
#include "platform/FileBytes.h"
#include "platform/JpegCodec.h"

namespace tapestra {

namespace {

// Files up to this size are read into memory and decoded from there; larger ones only reach
// Qt's readers, which stream from the file.
constexpr std::uint64_t kMaxInMemoryBytes = std::uint64_t{1} << 30;
// Enough for every header we parse ourselves and for TurboJPEG's header reader in the usual
// case (Exif and ICC segments come before the frame header).
constexpr std::size_t kHeaderBytes = 64 * 1024;
// Qt's own bound on one decoded image, in MiB: kMaxPixels at 4 bytes a pixel.
constexpr int kQtAllocationLimitMb = static_cast<int>(Bitmap24::kMaxPixels * 4 >> 20);

enum class Kind { Bmp, Jpeg, Gif, Png, Other };

Kind Sniff(const std::uint8_t* d, std::size_t n) {
  static constexpr std::uint8_t kPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (n >= 2 && d[0] == 'B' && d[1] == 'M') return Kind::Bmp;
  if (HasJpegSignature(d, n)) return Kind::Jpeg;
  if (n >= 4 && std::memcmp(d, "GIF8", 4) == 0) return Kind::Gif;
  if (n >= 8 && std::memcmp(d, kPng, 8) == 0) return Kind::Png;
  return Kind::Other;
}

const char* QtFormat(Kind k) {
  switch (k) {
    case Kind::Bmp:
      return "bmp";
    case Kind::Jpeg:
      return "jpeg";
    case Kind::Gif:
      return "gif";
    case Kind::Png:
      return "png";
    case Kind::Other:
      break;
  }
  return nullptr;
}

QByteArray ExtensionFormat(const std::string& fileName) {
  std::string ext = std::filesystem::path(fileName).extension().string();
  if (!ext.empty()) ext.erase(0, 1);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return QByteArray::fromStdString(ext);
}

bool TooLarge(const QSize& s) {
  return static_cast<std::int64_t>(s.width()) * s.height() > Bitmap24::kMaxPixels;
}

// The largest size with the picture's aspect ratio inside the box; the picture's own size when
// it already fits. A bound of 0 or less leaves that side free.
QSize FitInto(const QSize& picture, int maxWidth, int maxHeight) {
  const int w = picture.width(), h = picture.height();
  double scale = 1.0;
  if (maxWidth > 0) scale = std::min(scale, static_cast<double>(maxWidth) / w);
  if (maxHeight > 0) scale = std::min(scale, static_cast<double>(maxHeight) / h);
  if (scale >= 1.0) return picture;
  return QSize(std::max(1, static_cast<int>(std::lround(w * scale))),
               std::max(1, static_cast<int>(std::lround(h * scale))));
}

bool Bounded(int maxWidth, int maxHeight) {
  return maxWidth > 0 || maxHeight > 0;
}

// Copies any QImage into 24-bit BGR rows; transparency is composited over white.
bool FromQImage(const QImage& image, Bitmap24& bmp) {
  if (image.isNull() || !bmp.resize(image.width(), image.height())) return false;
  const int w = image.width();
  if (image.format() == QImage::Format_BGR888) {
    for (int y = 0; y < image.height(); ++y) {
      std::memcpy(bmp.row(y), image.constScanLine(y), static_cast<std::size_t>(w) * 3);
    }
    return true;
  }
  const bool alpha = image.hasAlphaChannel();
  const QImage argb =
      image.convertToFormat(alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
  if (argb.isNull()) return false;
  for (int y = 0; y < argb.height(); ++y) {
    const QRgb* src = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
    std::uint8_t* dst = bmp.row(y);
    for (int x = 0; x < w; ++x, dst += 3) {
      const QRgb px = src[x];
      // Over white: premultiplied colour + (1 − alpha) × 255.
      const int white = alpha ? 255 - qAlpha(px) : 0;
      dst[0] = static_cast<std::uint8_t>(std::min(255, qBlue(px) + white));
      dst[1] = static_cast<std::uint8_t>(std::min(255, qGreen(px) + white));
      dst[2] = static_cast<std::uint8_t>(std::min(255, qRed(px) + white));
    }
  }
  return true;
}

bool Acceptable(const QSize& s, std::uint64_t fileBytes) {
  return !s.isEmpty() && !TooLarge(s) && PlausiblePixelCount(s.width(), s.height(), fileBytes);
}

bool ReadWithQt(QImageReader& reader, std::uint64_t fileBytes, int maxWidth, int maxHeight,
                Bitmap24& bmp) {
  // Some readers allocate more than size() tells (GIF: the logical screen, not the first
  // frame), so Qt's own limit follows the file's size too.
  const std::uint64_t plausibleMb = MaxPlausiblePixels(fileBytes) * 4 >> 20;
  reader.setAllocationLimit(static_cast<int>(
      std::min<std::uint64_t>(plausibleMb + 1, static_cast<std::uint64_t>(kQtAllocationLimitMb))));
  const QSize size = reader.size();
  if (size.isValid()) {
    if (!Acceptable(size, fileBytes)) return false;
    if (Bounded(maxWidth, maxHeight)) {
      const QSize fitted = FitInto(size, maxWidth, maxHeight);
      if (fitted != size) reader.setScaledSize(fitted);
    }
  }
  QImage image;
  if (!reader.read(&image) || !Acceptable(image.size(), fileBytes)) return false;
  if (!size.isValid() && Bounded(maxWidth, maxHeight)) {
    const QSize fitted = FitInto(image.size(), maxWidth, maxHeight);
    if (fitted != image.size()) {
      image = image.scaled(fitted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
  }
  return FromQImage(image, bmp);
}

bool ReadMemoryWithQt(const FileBytes& file, const char* format, int maxWidth, int maxHeight,
                      Bitmap24& bmp) {
  QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(file.data.get()),
                                             static_cast<qsizetype>(file.size));
  QBuffer buffer(&bytes);
  if (!buffer.open(QIODevice::ReadOnly)) return false;
  QImageReader reader(&buffer, format);
  reader.setAutoDetectImageFormat(false);
  return ReadWithQt(reader, file.fileSize, maxWidth, maxHeight, bmp);
}

bool ReadFileWithQt(const std::string& fileName, std::uint64_t fileBytes, const QByteArray& format,
                    int maxWidth, int maxHeight, Bitmap24& bmp) {
  if (format.isEmpty()) return false;
  QImageReader reader(QString::fromStdString(fileName), format);
  reader.setAutoDetectImageFormat(false);
  return ReadWithQt(reader, fileBytes, maxWidth, maxHeight, bmp);
}

// Shrinks a decoded picture into the box (for formats we decode ourselves at full size).
bool ShrinkInto(Bitmap24& bmp, int maxWidth, int maxHeight) {
  const QSize size(bmp.width(), bmp.height());
  const QSize fitted = FitInto(size, maxWidth, maxHeight);
  if (fitted == size) return true;
  const QImage view(bmp.data(), bmp.width(), bmp.height(), static_cast<qsizetype>(bmp.stride()),
                    QImage::Format_BGR888);
  Bitmap24 small;
  if (!FromQImage(view.scaled(fitted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), small)) {
    return false;
  }
  bmp = std::move(small);
  return true;
}

// The order of attempts: the content decides among bitmap, JPEG, GIF and PNG, and the decoder
// of the recognised format has the last word (so that Qt's JPEG reader does not turn a
// truncated file, which ours refuses, into a grey-filled picture after all). Only content none
// of them recognises goes to the reader registered for the file name's extension.
bool Load(const std::string& fileName, int maxWidth, int maxHeight, Bitmap24& bmp) {
  FileBytes file;
  if (!ReadFileBytes(fileName, kMaxInMemoryBytes, file)) return false;
  const Kind kind = Sniff(file.data.get(), file.size);
  if (!file.complete()) {
    // Too large to hold in memory: let Qt stream it from the file.
    const char* format = QtFormat(kind);
    return ReadFileWithQt(fileName, file.fileSize,
                          format ? QByteArray(format) : ExtensionFormat(fileName), maxWidth,
                          maxHeight, bmp);
  }
  switch (kind) {
    case Kind::Bmp:
      switch (DecodeBmp(file.data.get(), file.size, bmp)) {
        case BmpResult::Decoded:
          return !Bounded(maxWidth, maxHeight) || ShrinkInto(bmp, maxWidth, maxHeight);
        case BmpResult::Unsupported:
          return ReadMemoryWithQt(file, "bmp", maxWidth, maxHeight, bmp);
        default:
          return false;
      }
    case Kind::Jpeg:
      switch (DecodeJpeg(file.data.get(), file.size, bmp, maxWidth, maxHeight)) {
        case JpegResult::Decoded:
          return true;
        case JpegResult::Failed:  // CMYK and other colour spaces TurboJPEG does not convert
          return ReadMemoryWithQt(file, "jpeg", maxWidth, maxHeight, bmp);
        case JpegResult::Truncated:
          return false;
      }
      return false;
    case Kind::Gif:
    case Kind::Png:
      return ReadMemoryWithQt(file, QtFormat(kind), maxWidth, maxHeight, bmp);
    case Kind::Other:
      break;
  }
  return ReadFileWithQt(fileName, file.fileSize, ExtensionFormat(fileName), maxWidth, maxHeight,
                        bmp);
}

void LoadSafely(const std::string& fileName, int maxWidth, int maxHeight, Bitmap24& bmp) {
  bool ok = false;
  try {
    ok = Load(fileName, maxWidth, maxHeight, bmp);
  } catch (...) {
    ok = false;
  }
  if (!ok) bmp.clear();
}

bool QtSize(QImageReader& reader, std::uint64_t fileBytes, int& width, int& height) {
  const QSize s = reader.size();
  if (!s.isValid() || !Acceptable(s, fileBytes)) return false;
  width = s.width();
  height = s.height();
  return true;
}

bool ReadSize(const std::string& fileName, int& width, int& height) {
  FileBytes head;
  if (!ReadFileBytes(fileName, kHeaderBytes, head)) return false;
  const Kind kind = Sniff(head.data.get(), head.size);
  if (kind == Kind::Bmp) {
    BmpHeader h;
    const BmpResult r = ReadBmpHeader(head.data.get(), head.size, head.fileSize, h);
    if (r == BmpResult::Decoded) {
      width = h.width;
      height = h.height;
      return true;
    }
    if (r == BmpResult::Damaged) return false;
  }
  if (kind == Kind::Gif && head.size >= 10) {
    // The logical screen: what the reader allocates, whatever the first frame's size.
    const int w = head.data[6] | head.data[7] << 8;
    const int h = head.data[8] | head.data[9] << 8;
    if (!Acceptable(QSize(w, h), head.fileSize)) return false;
    width = w;
    height = h;
    return true;
  }
  if (kind == Kind::Jpeg) {
    int w = 0, h = 0;
    bool ok = ReadJpegSize(head.data.get(), head.size, w, h);
    if (!ok && !head.complete()) {
      // The frame header lies beyond large metadata segments.
      FileBytes whole;
      ok = ReadFileBytes(fileName, kMaxInMemoryBytes, whole) &&
           ReadJpegSize(whole.data.get(), whole.size, w, h);
    }
    if (!ok || !Acceptable(QSize(w, h), head.fileSize)) return false;
    width = w;
    height = h;
    return true;
  }
  const char* format = QtFormat(kind);
  QImageReader reader(QString::fromStdString(fileName),
                      format ? QByteArray(format) : ExtensionFormat(fileName));
  reader.setAutoDetectImageFormat(false);
  return QtSize(reader, head.fileSize, width, height);
}

}  // namespace

void LoadPicture(const std::string& fileName, Bitmap24& bmp) {
  LoadSafely(fileName, 0, 0, bmp);
}

void LoadPictureScaled(const std::string& fileName, int maxWidth, int maxHeight, Bitmap24& bmp) {
  LoadSafely(fileName, std::max(maxWidth, 0), std::max(maxHeight, 0), bmp);
}

bool ReadPictureSize(const std::string& fileName, int& width, int& height) {
  try {
    return ReadSize(fileName, width, height);
  } catch (...) {
    return false;
  }
}

}  // namespace tapestra
