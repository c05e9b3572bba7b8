#include "platform/BmpCodec.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "platform/PictureDecoder.h"

namespace tapestra {

namespace {

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitfields = 3;
constexpr std::uint32_t kBiAlphaBitfields = 6;
constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kCoreHeaderSize = 12;  // BITMAPCOREHEADER (OS/2 1.x)
constexpr std::size_t kInfoHeaderSize = 40;  // BITMAPINFOHEADER
constexpr std::size_t kV5HeaderSize = 124;

std::uint16_t U16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
std::uint32_t U32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::int32_t I32(const std::uint8_t* p) {
  return static_cast<std::int32_t>(U32(p));
}

void Put16(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(std::uint8_t* p, std::uint32_t v) {
  Put16(p, v);
  Put16(p + 2, v >> 16);
}

// Everything DecodeBmp needs to find and interpret the pixels; all offsets checked.
struct Layout {
  BmpHeader header;
  std::uint32_t masks[3] = {0, 0, 0};  // red, green, blue
  std::size_t paletteOffset = 0;
  std::size_t paletteEntries = 0;
  std::size_t paletteEntrySize = 4;
  std::uint64_t pixelOffset = 0;
  std::uint64_t rowBytes = 0;
};

BmpResult Parse(const std::uint8_t* data, std::size_t size, std::uint64_t fileSize, Layout& out) {
  if (size < 2 || data[0] != 'B' || data[1] != 'M') return BmpResult::NotBmp;
  if (size < kFileHeaderSize + 4) return BmpResult::Damaged;
  const std::uint32_t offBits = U32(data + 10);
  const std::uint32_t infoSize = U32(data + 14);
  const std::uint8_t* info = data + kFileHeaderSize;

  std::int64_t width = 0;
  std::int64_t height = 0;
  int bitCount = 0;
  std::uint32_t compression = kBiRgb;
  std::uint32_t colorsUsed = 0;
  std::size_t headerEnd = 0;
  if (infoSize == kCoreHeaderSize) {
    if (size < kFileHeaderSize + kCoreHeaderSize) return BmpResult::Damaged;
    width = U16(info + 4);
    height = U16(info + 6);
    bitCount = U16(info + 10);
    out.paletteEntrySize = 3;
    headerEnd = kFileHeaderSize + kCoreHeaderSize;
  } else if (infoSize >= kInfoHeaderSize && infoSize <= kV5HeaderSize) {
    if (size < kFileHeaderSize + infoSize) return BmpResult::Damaged;
    width = I32(info + 4);
    height = I32(info + 8);
    bitCount = U16(info + 14);
    compression = U32(info + 16);
    colorsUsed = U32(info + 32);
    headerEnd = kFileHeaderSize + infoSize;
    // The 64-byte OS/2 2.x header gives compression values 3 and 4 other meanings.
    if (infoSize == 64 && compression != kBiRgb) return BmpResult::Unsupported;
  } else if (infoSize < kCoreHeaderSize) {
    return BmpResult::Damaged;
  } else {
    return BmpResult::Unsupported;
  }

  BmpHeader& h = out.header;
  h.topDown = height < 0;
  if (height < 0) height = -height;
  if (width <= 0 || height <= 0 || width > INT32_MAX || height > INT32_MAX ||
      width * height > Bitmap24::kMaxPixels) {
    return BmpResult::Damaged;
  }
  h.width = static_cast<int>(width);
  h.height = static_cast<int>(height);
  h.bitCount = bitCount;
  h.compression = compression;

  if (compression == kBiBitfields || compression == kBiAlphaBitfields) {
    if (bitCount != 16 && bitCount != 32) return BmpResult::Damaged;
    // Up to BITMAPINFOHEADER the masks follow the header; later headers contain them.
    std::size_t maskOffset = kFileHeaderSize + kInfoHeaderSize;
    if (infoSize == kInfoHeaderSize) {
      headerEnd += compression == kBiAlphaBitfields ? 16 : 12;
      if (size < headerEnd) return BmpResult::Damaged;
    } else if (infoSize < kInfoHeaderSize + 12) {
      return BmpResult::Damaged;
    }
    for (int i = 0; i < 3; ++i) out.masks[i] = U32(data + maskOffset + 4 * i);
  } else if (compression == kBiRgb) {
    switch (bitCount) {
      case 1:
      case 4:
      case 8:
      case 24:
        break;
      case 16:
        out.masks[0] = 0x7C00;
        out.masks[1] = 0x03E0;
        out.masks[2] = 0x001F;
        break;
      case 32:
        out.masks[0] = 0x00FF0000;
        out.masks[1] = 0x0000FF00;
        out.masks[2] = 0x000000FF;
        break;
      default:
        return BmpResult::Unsupported;
    }
  } else {
    return BmpResult::Unsupported;  // RLE4/RLE8, embedded JPEG or PNG, …
  }

  std::size_t paletteBytes = 0;
  if (bitCount <= 8) {
    std::size_t entries = std::size_t{1} << bitCount;
    if (colorsUsed != 0 && colorsUsed < entries) entries = colorsUsed;
    out.paletteOffset = headerEnd;
    // Tolerate palettes cut short by the pixel offset or the buffer: missing entries are black.
    if (offBits >= headerEnd) {
      entries = std::min<std::size_t>(entries, (offBits - headerEnd) / out.paletteEntrySize);
    }
    entries = std::min<std::size_t>(entries, (size - headerEnd) / out.paletteEntrySize);
    out.paletteEntries = entries;
    paletteBytes = entries * out.paletteEntrySize;
  }
  // Some writers leave the offset 0 or point it into the header: the pixels then follow the
  // palette.
  out.pixelOffset = offBits >= headerEnd ? offBits : headerEnd + paletteBytes;

  const std::uint64_t rowBits = static_cast<std::uint64_t>(h.width) * bitCount;
  out.rowBytes = (rowBits + 31) / 32 * 4;
  // The last row may lack its padding.
  const std::uint64_t needed = out.rowBytes * (h.height - 1) + (rowBits + 7) / 8;
  if (out.pixelOffset > fileSize || fileSize - out.pixelOffset < needed) {
    return BmpResult::Damaged;
  }
  return BmpResult::Decoded;
}

// Scales a masked channel to 0…255; works for any mask, contiguous or not.
struct Channel {
  std::uint32_t mask = 0;
  int shift = 0;
  std::uint64_t max = 0;
  explicit Channel(std::uint32_t m) : mask(m) {
    if (m != 0) {
      shift = std::countr_zero(m);
      max = m >> shift;
    }
  }
  std::uint8_t operator()(std::uint32_t px) const {
    if (max == 0) return 0;
    const std::uint64_t v = (px & mask) >> shift;
    return static_cast<std::uint8_t>((v * 255 + max / 2) / max);
  }
};

void DecodeIndexed(const Layout& l, std::uint8_t* dst, const std::uint8_t* src,
                   const std::uint8_t (&lut)[256][3]) {
  const int w = l.header.width;
  const int bpp = l.header.bitCount;
  const int perByte = 8 / bpp;
  const unsigned valueMask = (1u << bpp) - 1;
  for (int x = 0; x < w; ++x, dst += 3) {
    const unsigned byte = src[x / perByte];
    const int shift = 8 - bpp * (x % perByte + 1);
    const std::uint8_t* c = lut[(byte >> shift) & valueMask];
    dst[0] = c[0];
    dst[1] = c[1];
    dst[2] = c[2];
  }
}

}  // namespace

BmpResult ReadBmpHeader(const std::uint8_t* data, std::size_t size, std::uint64_t fileSize,
                        BmpHeader& header) {
  Layout layout;
  const BmpResult r = Parse(data, size, fileSize, layout);
  header = layout.header;
  return r;
}

BmpResult DecodeBmp(const std::uint8_t* data, std::size_t size, Bitmap24& bmp) {
  Layout l;
  const BmpResult r = Parse(data, size, size, l);
  if (r != BmpResult::Decoded) return r;
  const int w = l.header.width;
  const int h = l.header.height;
  if (!bmp.resize(w, h)) return BmpResult::Damaged;

  std::uint8_t lut[256][3] = {};
  for (std::size_t i = 0; i < l.paletteEntries; ++i) {
    const std::uint8_t* e = data + l.paletteOffset + i * l.paletteEntrySize;
    lut[i][0] = e[0];
    lut[i][1] = e[1];
    lut[i][2] = e[2];
  }
  const Channel red(l.masks[0]), green(l.masks[1]), blue(l.masks[2]);
  const bool plain32 = l.header.bitCount == 32 && l.masks[0] == 0xFF0000 && l.masks[1] == 0xFF00 &&
                       l.masks[2] == 0xFF;

  for (int fileRow = 0; fileRow < h; ++fileRow) {
    const std::uint8_t* src = data + l.pixelOffset + l.rowBytes * fileRow;
    const int y = l.header.topDown ? fileRow : h - 1 - fileRow;
    std::uint8_t* dst = bmp.row(y);
    switch (l.header.bitCount) {
      case 24:
        std::memcpy(dst, src, static_cast<std::size_t>(w) * 3);
        break;
      case 32:
        if (plain32) {
          for (int x = 0; x < w; ++x, src += 4, dst += 3) {
            dst[0] = src[0];
            dst[1] = src[1];
            dst[2] = src[2];
          }
        } else {
          for (int x = 0; x < w; ++x, src += 4, dst += 3) {
            const std::uint32_t px = U32(src);
            dst[0] = blue(px);
            dst[1] = green(px);
            dst[2] = red(px);
          }
        }
        break;
      case 16:
        for (int x = 0; x < w; ++x, src += 2, dst += 3) {
          const std::uint32_t px = U16(src);
          dst[0] = blue(px);
          dst[1] = green(px);
          dst[2] = red(px);
        }
        break;
      default:
        DecodeIndexed(l, dst, src, lut);
        break;
    }
  }
  return BmpResult::Decoded;
}

void MakeBmp24Header(int width, int height, std::uint8_t (&out)[kBmp24HeaderSize]) {
  std::memset(out, 0, sizeof out);
  const std::uint64_t image = Bitmap24::strideFor(width) * static_cast<std::uint64_t>(height);
  out[0] = 'B';
  out[1] = 'M';
  Put32(out + 2, static_cast<std::uint32_t>(kBmp24HeaderSize + image));
  Put32(out + 10, kBmp24HeaderSize);
  Put32(out + 14, kInfoHeaderSize);
  Put32(out + 18, static_cast<std::uint32_t>(width));
  Put32(out + 22, static_cast<std::uint32_t>(height));  // positive: bottom-up
  Put16(out + 26, 1);                                   // planes
  Put16(out + 28, 24);                                  // bits per pixel
  Put32(out + 34, static_cast<std::uint32_t>(image));   // biSizeImage; compression stays 0
}

namespace {

bool WriteAll(int fd, const std::uint8_t* p, std::size_t n) {
  while (n > 0) {
    const ssize_t w = ::write(fd, p, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += w;
    n -= static_cast<std::size_t>(w);
  }
  return true;
}

bool WriteBmp24(int fd, const Bitmap24& bmp) {
  std::uint8_t header[kBmp24HeaderSize];
  MakeBmp24Header(bmp.width(), bmp.height(), header);
  if (!WriteAll(fd, header, sizeof header)) return false;
  // Rows go out bottom row first; gather them into blocks of about 1 MiB so that a 3840 × 2160
  // picture takes some 25 writes. The copy also zeroes the row padding, which Bitmap24 leaves
  // uninitialised.
  const std::size_t stride = bmp.stride();
  const std::size_t used = static_cast<std::size_t>(bmp.width()) * 3;
  const std::size_t rowsPerBlock = std::max<std::size_t>(1, (std::size_t{1} << 20) / stride);
  const std::size_t blockRows = std::min<std::size_t>(rowsPerBlock, bmp.height());
  std::unique_ptr<std::uint8_t[]> block(new (std::nothrow) std::uint8_t[blockRows * stride]);
  if (!block) return false;
  for (std::size_t r = 0; r < blockRows; ++r) {
    std::memset(block.get() + r * stride + used, 0, stride - used);
  }
  int y = bmp.height() - 1;
  while (y >= 0) {
    std::size_t n = 0;
    for (; n < blockRows && y >= 0; ++n, --y)
      std::memcpy(block.get() + n * stride, bmp.row(y), used);
    if (!WriteAll(fd, block.get(), n * stride)) return false;
  }
  return true;
}

}  // namespace

bool SaveBmp24(const Bitmap24& bmp, const std::string& fileName) {
  if (bmp.empty() || fileName.empty()) return false;
  // Written beside the target and renamed over it, so the desktop never reads a half-written
  // wallpaper and a failed write leaves the old file in place. No fsync: the file is rebuilt at
  // every change, and a rename over an existing file is flushed in order by the usual Linux
  // file systems anyway; it would cost more than the write on a slow disk.
  std::string temp = fileName + ".XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) return false;
  ::fchmod(fd, 0644);
  const bool written = WriteBmp24(fd, bmp);
  const bool closed = ::close(fd) == 0;
  if (!written || !closed || ::rename(temp.c_str(), fileName.c_str()) != 0) {
    ::unlink(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace tapestra
