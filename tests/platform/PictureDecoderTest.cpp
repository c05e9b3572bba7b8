#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <functional>
#include <string>

#include "platform/BmpCodec.h"
#include "platform/PictureDecoder.h"
#include "support/PictureFixtures.h"

namespace tapestra {
namespace {

using test::Bytes;
using test::TempDir;

Bytes ToBytes(const QByteArray& a) {
  return Bytes(a.begin(), a.end());
}

Bytes Encode(const QImage& image, const char* format) {
  QByteArray out;
  QBuffer buffer(&out);
  buffer.open(QIODevice::WriteOnly);
  EXPECT_TRUE(image.save(&buffer, format)) << format;
  return ToBytes(out);
}

Bytes Jpeg(int w, int h) {
  return test::CompressJpeg(test::Pattern(w, h));
}

std::uint32_t Crc32(const std::uint8_t* p, std::size_t n) {
  std::uint32_t c = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < n; ++i) {
    c ^= p[i];
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
  }
  return ~c;
}

void PutBe32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

// A real PNG whose IHDR claims 100 000 × 100 000, with a correct checksum so that the reader
// believes it.
Bytes PngClaimingHugeSize() {
  Bytes png = Encode(QImage(4, 4, QImage::Format_RGB32), "PNG");
  PutBe32(png, 16, 100000);
  PutBe32(png, 20, 100000);
  PutBe32(png, 29, Crc32(png.data() + 12, 17));  // "IHDR" + 13 data bytes
  return png;
}

// 2 × 1 GIF: a red and a blue pixel (LZW codes clear, 0, 1, end in 3 bits each).
const Bytes kGif = {'G',  'I', 'F',  '8',  '9', 'a',  2, 0, 1, 0, 0x80, 0, 0,  // screen, 2 colours
                    0xFF, 0,   0,    0,    0,   0xFF,                          // red, blue
                    0x2C, 0,   0,    0,    0,   2,    0, 1, 0, 0,              // image descriptor
                    2,    2,   0x44, 0x0A, 0,   0x3B};

// The same GIF with a logical screen of 16 000 × 16 000: within the pixel bound, but no
// 36-byte file can describe that many pixels.
Bytes GifClaimingHugeScreen() {
  Bytes g = kGif;
  g[6] = g[8] = 0x80;
  g[7] = g[9] = 0x3E;
  return g;
}

Bytes BmpHeaderOnly(std::uint32_t width, std::uint32_t height, std::uint32_t offBits,
                    std::size_t total) {
  Bytes b(total, 0x55);
  const std::uint8_t head[54] = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0};
  std::copy(head, head + 54, b.begin());
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  put32(10, offBits);
  put32(18, width);
  put32(22, height);
  b[26] = 1;
  b[28] = 24;
  return b;
}

// Stray bytes before the scan marker: libjpeg warns and carries on.
Bytes JpegWithStrayBytes() {
  Bytes j = Jpeg(32, 24);
  for (std::size_t i = 2; i + 1 < j.size(); ++i) {
    if (j[i] == 0xFF && j[i + 1] == 0xDA) {
      j.insert(j.begin() + static_cast<std::ptrdiff_t>(i), {0x00, 0x01, 0x02});
      break;
    }
  }
  return j;
}

// Metadata segments of 120 kB before the frame header, as cameras write.
Bytes JpegWithLargeMetadata(int w, int h) {
  Bytes j = Jpeg(w, h);
  Bytes app = {0xFF, 0xE2, 0xEA, 0x62};  // APP2 of 60002 bytes
  app.resize(4 + 60000, 0x20);
  j.insert(j.begin() + 2, app.begin(), app.end());
  j.insert(j.begin() + 2, app.begin(), app.end());
  return j;
}

// TurboJPEG decodes CMYK but does not convert it to BGR; Qt's reader does.
Bytes CmykJpeg() {
  std::vector<unsigned char> cmyk(16 * 8 * 4, 0);
  for (std::size_t i = 0; i < cmyk.size(); i += 4) cmyk[i + 1] = cmyk[i + 2] = 255;  // red
  tjhandle h = tjInitCompress();
  unsigned char* out = nullptr;
  unsigned long size = 0;
  Bytes bytes;
  if (tjCompress2(h, cmyk.data(), 16, 0, 8, TJPF_CMYK, &out, &size, TJSAMP_444, 90, 0) == 0) {
    bytes.assign(out, out + size);
  }
  tjFree(out);
  tjDestroy(h);
  return bytes;
}

void ExpectPixel(const Bitmap24& bmp, int x, int y, int b, int g, int r) {
  ASSERT_FALSE(bmp.empty());
  const std::uint8_t* p = bmp.row(y) + 3 * x;
  EXPECT_NEAR(p[0], b, 1) << "blue at " << x << "," << y;
  EXPECT_NEAR(p[1], g, 1) << "green at " << x << "," << y;
  EXPECT_NEAR(p[2], r, 1) << "red at " << x << "," << y;
}

struct FileCase {
  const char* name;
  const char* fileName;
  std::function<void(const TempDir&, const std::string&)> make;
  int width;  // 0 × 0: an empty bitmap is expected
  int height;
  std::function<void(const Bitmap24&)> check;
};

auto Write(Bytes bytes) {
  return [bytes](const TempDir&, const std::string& path) { test::WriteBytes(path, bytes); };
}
auto WriteLazy(std::function<Bytes()> make) {
  return [make](const TempDir&, const std::string& path) { test::WriteBytes(path, make()); };
}
auto Nothing() {
  return [](const TempDir&, const std::string&) {};
}

class LoadPictureFiles : public ::testing::TestWithParam<FileCase> {};

// Every file gives either a correct 24-bit picture or an empty bitmap, never a crash, a hang or
// an allocation the header alone asked for.
TEST_P(LoadPictureFiles, GivesPictureOrEmpty) {
  const FileCase& c = GetParam();
  TempDir dir;
  const std::string path = dir.file(c.fileName);
  c.make(dir, path);
  Bitmap24 bmp = test::Pattern(3, 3);  // a previous content must not survive a failure
  LoadPicture(path, bmp);
  EXPECT_EQ(bmp.width(), c.width);
  EXPECT_EQ(bmp.height(), c.height);
  if (c.check && !bmp.empty()) c.check(bmp);
}

INSTANTIATE_TEST_SUITE_P(
    Files, LoadPictureFiles,
    ::testing::Values(
        FileCase{"zeroBytes", "empty.jpg", Write({}), 0, 0, {}},
        FileCase{"textNamedJpg", "note.jpg", Write({'h', 'e', 'l', 'l', 'o', '\n'}), 0, 0, {}},
        FileCase{"missingPath", "missing.png", Nothing(), 0, 0, {}},
        FileCase{"folder",
                 "folder.jpg",
                 [](const TempDir&, const std::string& p) { std::filesystem::create_directory(p); },
                 0,
                 0,
                 {}},
        FileCase{"fifoDoesNotBlock",
                 "pipe.bmp",
                 [](const TempDir&, const std::string& p) { ::mkfifo(p.c_str(), 0600); },
                 0,
                 0,
                 {}},
        FileCase{"jpegNamedBmp", "photo.bmp", WriteLazy([] { return Jpeg(40, 30); }), 40, 30,
                 [](const Bitmap24& b) {
                   EXPECT_LT(test::MeanDifference(b, test::Pattern(40, 30)), 4);
                 }},
        FileCase{"jpegNoExtension", "photo", WriteLazy([] { return Jpeg(8, 8); }), 8, 8, {}},
        FileCase{"jpeg1x1", "one.jpg", WriteLazy([] { return Jpeg(1, 1); }), 1, 1, {}},
        FileCase{"jpeg1xN", "column.jpg", WriteLazy([] { return Jpeg(1, 37); }), 1, 37, {}},
        FileCase{"jpegNx1", "row.jpg", WriteLazy([] { return Jpeg(37, 1); }), 37, 1, {}},
        FileCase{"truncatedJpegIsEmpty",
                 "cut.jpg",
                 WriteLazy([] {
                   Bytes j = Jpeg(64, 48);
                   j.resize(j.size() / 2);
                   return j;
                 }),
                 0,
                 0,
                 {}},
        FileCase{"jpegWithStrayBytesLoads", "stray.jpg", WriteLazy(JpegWithStrayBytes), 32, 24,
                 [](const Bitmap24& b) {
                   EXPECT_LT(test::MeanDifference(b, test::Pattern(32, 24)), 4);
                 }},
        FileCase{"cmykJpegThroughQt", "cmyk.jpg", WriteLazy(CmykJpeg), 16, 8, {}},
        FileCase{"pngWithAlphaOverWhite", "alpha.png", WriteLazy([] {
                   QImage img(4, 1, QImage::Format_ARGB32);
                   img.setPixel(0, 0, 0xFFFF0000);  // opaque red
                   img.setPixel(1, 0, 0x00000000);  // transparent
                   img.setPixel(2, 0, 0x800000FF);  // half blue
                   img.setPixel(3, 0, 0xFF00FF00);  // opaque green
                   return Encode(img, "PNG");
                 }),
                 4, 1,
                 [](const Bitmap24& b) {
                   ExpectPixel(b, 0, 0, 0, 0, 255);
                   ExpectPixel(b, 1, 0, 255, 255, 255);
                   ExpectPixel(b, 2, 0, 255, 127, 127);
                   ExpectPixel(b, 3, 0, 0, 255, 0);
                 }},
        FileCase{"png1xN", "column.png", WriteLazy([] {
                   QImage img(1, 9, QImage::Format_RGB32);
                   img.fill(QColor(10, 20, 30));
                   return Encode(img, "PNG");
                 }),
                 1, 9, [](const Bitmap24& b) { ExpectPixel(b, 0, 8, 30, 20, 10); }},
        FileCase{"pngHeaderClaimsHugeSize", "huge.png", WriteLazy(PngClaimingHugeSize), 0, 0, {}},
        FileCase{"gifNamedJpg", "anim.jpg", Write(kGif), 2, 1,
                 [](const Bitmap24& b) {
                   ExpectPixel(b, 0, 0, 0, 0, 255);
                   ExpectPixel(b, 1, 0, 255, 0, 0);
                 }},
        FileCase{"gifScreenClaimsHugeSize", "huge.gif", WriteLazy(GifClaimingHugeScreen), 0, 0, {}},
        FileCase{"bmpClaims100000SquaredOver1k",
                 "huge.bmp",
                 Write(BmpHeaderOnly(100000, 100000, 54, 1024)),
                 0,
                 0,
                 {}},
        FileCase{
            "bmpOffsetPastEnd", "far.bmp", Write(BmpHeaderOnly(4, 4, 0x7FFFFFF0, 200)), 0, 0, {}},
        FileCase{"tiffByExtension", "scan.tif", WriteLazy([] {
                   QImage img(6, 4, QImage::Format_RGB32);
                   img.fill(QColor(200, 100, 50));
                   return Encode(img, "TIFF");
                 }),
                 6, 4, [](const Bitmap24& b) { ExpectPixel(b, 5, 3, 50, 100, 200); }},
        // The extension chooses the reader for formats without a signature we check.
        FileCase{"tiffWithOtherExtension",
                 "scan.dat",
                 WriteLazy([] { return Encode(QImage(6, 4, QImage::Format_RGB32), "TIFF"); }),
                 0,
                 0,
                 {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LoadPicture, SavedBitmapsComeBackExactly) {
  TempDir dir;
  for (const auto& [w, h] : {std::pair{1, 1}, {1, 7}, {7, 1}, {3, 2}, {17, 5}, {64, 3}}) {
    const Bitmap24 original = test::Pattern(w, h, w * 31 + h);
    const std::string path = dir.file("round.bmp");
    ASSERT_TRUE(SaveBmp24(original, path));
    Bitmap24 back;
    LoadPicture(path, back);
    EXPECT_TRUE(back == original) << w << " x " << h;
  }
}

TEST(JpegBandDecoder, BandsGiveTheSamePixelsAsLoadPicture) {
  TempDir dir;
  const std::string path = dir.file("bands.jpg");
  test::WriteBytes(path, Jpeg(123, 77));
  Bitmap24 whole;
  LoadPicture(path, whole);
  ASSERT_EQ(whole.width(), 123);

  JpegBandDecoder dec;
  ASSERT_TRUE(dec.open(path));
  EXPECT_EQ(dec.width(), 123);
  EXPECT_EQ(dec.height(), 77);
  Bitmap24 bmp;
  ASSERT_TRUE(dec.start(bmp));
  int bands = 0;
  while (!dec.done()) {
    const int before = dec.rowsDone();
    const int n = dec.decodeRows(10);
    ASSERT_GT(n, 0);
    ASSERT_LE(n, 10);
    EXPECT_EQ(dec.rowsDone(), before + n);
    ++bands;
  }
  EXPECT_EQ(bands, 8);
  EXPECT_EQ(dec.decodeRows(10), 0);
  EXPECT_TRUE(bmp == whole);
}

TEST(JpegBandDecoder, RefusesOtherFilesAndStopsOnTruncation) {
  TempDir dir;
  JpegBandDecoder dec;
  EXPECT_FALSE(dec.open(dir.file("missing.jpg")));
  test::WriteBytes(dir.file("gif.jpg"), kGif);
  EXPECT_FALSE(dec.open(dir.file("gif.jpg")));

  Bytes cut = Jpeg(64, 64);
  cut.resize(cut.size() * 2 / 3);
  ASSERT_TRUE(dec.open(cut.data(), cut.size()));
  Bitmap24 bmp;
  ASSERT_TRUE(dec.start(bmp));
  int last = 0;
  while (!dec.done()) last = dec.decodeRows(8);
  EXPECT_EQ(last, -1);
  EXPECT_LT(dec.rowsDone(), 64);
}

struct ScaledCase {
  const char* name;
  const char* fileName;
  std::function<Bytes()> make;
  int maxWidth, maxHeight;
  int width, height;
};

class LoadPictureScaledSizes : public ::testing::TestWithParam<ScaledCase> {};

TEST_P(LoadPictureScaledSizes, FitsTheBox) {
  const ScaledCase& c = GetParam();
  TempDir dir;
  const std::string path = dir.file(c.fileName);
  test::WriteBytes(path, c.make());
  Bitmap24 bmp;
  LoadPictureScaled(path, c.maxWidth, c.maxHeight, bmp);
  EXPECT_EQ(bmp.width(), c.width);
  EXPECT_EQ(bmp.height(), c.height);
}

Bytes Png(int w, int h) {
  return Encode(QImage(w, h, QImage::Format_RGB32), "PNG");
}
Bytes Bmp(int w, int h) {
  const Bitmap24 bmp = test::Pattern(w, h);
  std::uint8_t header[kBmp24HeaderSize];
  MakeBmp24Header(w, h, header);
  Bytes b(header, header + kBmp24HeaderSize);
  for (int y = h - 1; y >= 0; --y) b.insert(b.end(), bmp.row(y), bmp.row(y) + bmp.stride());
  return b;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LoadPictureScaledSizes,
    ::testing::Values(
        // JPEG: the smallest DCT scale at or above the fitted size (800 × 600 → 100 × 75).
        ScaledCase{"jpegEighth", "a.jpg", [] { return Jpeg(800, 600); }, 100, 100, 100, 75},
        ScaledCase{"jpegThreeEighths", "a.jpg", [] { return Jpeg(800, 600); }, 300, 300, 300, 225},
        ScaledCase{"jpegJustAboveHalf", "a.jpg", [] { return Jpeg(800, 600); }, 401, 1000, 500,
                   375},
        ScaledCase{"jpegHeightOnly", "a.jpg", [] { return Jpeg(800, 600); }, 0, 150, 200, 150},
        ScaledCase{"jpegSmallerThanBox", "a.jpg", [] { return Jpeg(80, 60); }, 1000, 1000, 80, 60},
        ScaledCase{"jpegUnbounded", "a.jpg", [] { return Jpeg(80, 60); }, 0, 0, 80, 60},
        ScaledCase{"pngFitted", "a.png", [] { return Png(200, 100); }, 50, 50, 50, 25},
        ScaledCase{"bmpFitted", "a.bmp", [] { return Bmp(200, 100); }, 50, 50, 50, 25},
        ScaledCase{"bmpSmallerThanBox", "a.bmp", [] { return Bmp(20, 10); }, 50, 50, 20, 10}),
    [](const auto& info) { return std::string(info.param.name); });

struct SizeCase {
  const char* name;
  const char* fileName;
  std::function<Bytes()> make;
  bool known;
  int width, height;
};

class ReadPictureSizes : public ::testing::TestWithParam<SizeCase> {};

TEST_P(ReadPictureSizes, ReadsHeaderSize) {
  const SizeCase& c = GetParam();
  TempDir dir;
  const std::string path = dir.file(c.fileName);
  test::WriteBytes(path, c.make());
  int w = -1, h = -1;
  EXPECT_EQ(ReadPictureSize(path, w, h), c.known);
  if (c.known) {
    EXPECT_EQ(w, c.width);
    EXPECT_EQ(h, c.height);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadPictureSizes,
    ::testing::Values(SizeCase{"jpeg", "a.bmp", [] { return Jpeg(70, 50); }, true, 70, 50},
                      SizeCase{"jpegFrameBeyond64k", "a.jpg",
                               [] { return JpegWithLargeMetadata(70, 50); }, true, 70, 50},
                      SizeCase{"bmp", "a.bmp", [] { return Bmp(9, 4); }, true, 9, 4},
                      SizeCase{"png", "a.png", [] { return Png(5, 3); }, true, 5, 3},
                      SizeCase{"gif", "a.gif", [] { return kGif; }, true, 2, 1},
                      SizeCase{"tiff", "a.tiff",
                               [] { return Encode(QImage(6, 4, QImage::Format_RGB32), "TIFF"); },
                               true, 6, 4},
                      SizeCase{"hugeBmp", "a.bmp",
                               [] { return BmpHeaderOnly(100000, 100000, 54, 1024); }, false, 0, 0},
                      SizeCase{"hugePng", "a.png", PngClaimingHugeSize, false, 0, 0},
                      SizeCase{"hugeGif", "a.gif", GifClaimingHugeScreen, false, 0, 0},
                      SizeCase{"text", "a.jpg",
                               [] {
                                 return Bytes{'n', 'o'};
                               },
                               false, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReadPictureSize, MissingFileIsUnknown) {
  int w = 0, h = 0;
  EXPECT_FALSE(ReadPictureSize("/nonexistent/dir/x.jpg", w, h));
}

}  // namespace
}  // namespace tapestra
