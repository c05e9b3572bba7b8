#include <gtest/gtest.h>

#include <QByteArray>
#include <QImage>
#include <climits>
#include <cstring>
#include <functional>
#include <string>

#include "platform/BmpCodec.h"
#include "platform/PictureDecoder.h"
#include "support/PictureFixtures.h"

namespace tapestra {
namespace {

using test::Bytes;

void Put16(Bytes& b, std::size_t at, std::uint32_t v) {
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
  Put16(b, at, v);
  Put16(b, at + 2, v >> 16);
}

struct Kind {
  const char* name;
  int bitCount;
  std::uint32_t compression;
  std::uint32_t headerSize;  // 12 core, 40 info, 124 V5
  bool topDown;
  std::uint32_t masks[3];  // red, green, blue; used by 16 and 32 bits
};

constexpr std::uint32_t kColours[8] = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF,
                                       0xFFFF00, 0x00FFFF, 0xFF00FF, 0xFFFFFF};

int IndexAt(int x, int y, int colours) {
  return (x + 2 * y) % colours;
}

// Writes a bitmap file of the given kind whose pixel (x, y) is kColours[IndexAt(x, y)]; all
// colours are 0 or full scale in each channel, so every kind represents them exactly.
Bytes BuildBmp(const Kind& k, int width, int height) {
  const int colours = k.bitCount <= 8 ? std::min(8, 1 << k.bitCount) : 8;
  const bool core = k.headerSize == 12;
  const bool masksAfterHeader = k.compression == 3 && k.headerSize == 40;
  const std::size_t entrySize = core ? 3 : 4;
  // The full palette, as the header's colour count 0 implies; entries past ours are grey.
  const int entries = k.bitCount <= 8 ? 1 << k.bitCount : 0;
  const std::size_t paletteBytes = entries * entrySize;
  const std::size_t offBits = 14 + k.headerSize + (masksAfterHeader ? 12 : 0) + paletteBytes;
  const std::size_t rowBytes = (static_cast<std::size_t>(width) * k.bitCount + 31) / 32 * 4;
  Bytes b(offBits + rowBytes * height, 0);
  b[0] = 'B';
  b[1] = 'M';
  Put32(b, 2, static_cast<std::uint32_t>(b.size()));
  Put32(b, 10, static_cast<std::uint32_t>(offBits));
  Put32(b, 14, k.headerSize);
  if (core) {
    Put16(b, 18, width);
    Put16(b, 20, height);
    Put16(b, 22, 1);
    Put16(b, 24, k.bitCount);
  } else {
    Put32(b, 18, width);
    Put32(b, 22, k.topDown ? static_cast<std::uint32_t>(-height) : height);
    Put16(b, 26, 1);
    Put16(b, 28, k.bitCount);
    Put32(b, 30, k.compression);
    Put32(b, 34, static_cast<std::uint32_t>(rowBytes * height));
    if (k.compression == 3) {
      for (int i = 0; i < 3; ++i) Put32(b, 54 + 4 * i, k.masks[i]);
    }
  }
  for (int i = 0; i < entries; ++i) {
    const std::size_t at = 14 + k.headerSize + i * entrySize;
    const std::uint32_t c = i < colours ? kColours[i] : 0x808080;
    b[at] = c & 0xFF;
    b[at + 1] = (c >> 8) & 0xFF;
    b[at + 2] = (c >> 16) & 0xFF;
  }
  for (int y = 0; y < height; ++y) {
    const int fileRow = k.topDown ? y : height - 1 - y;
    std::uint8_t* row = b.data() + offBits + rowBytes * fileRow;
    for (int x = 0; x < width; ++x) {
      const int index = IndexAt(x, y, colours);
      const std::uint32_t c = kColours[index];
      const std::uint32_t px = ((c & 0xFF0000) ? k.masks[0] : 0) | ((c & 0xFF00) ? k.masks[1] : 0) |
                               ((c & 0xFF) ? k.masks[2] : 0);
      switch (k.bitCount) {
        case 1:
        case 4:
        case 8: {
          const int perByte = 8 / k.bitCount;
          row[x / perByte] |= index << (8 - k.bitCount * (x % perByte + 1));
          break;
        }
        case 16:
          row[2 * x] = px & 0xFF;
          row[2 * x + 1] = (px >> 8) & 0xFF;
          break;
        case 24:
          row[3 * x] = c & 0xFF;
          row[3 * x + 1] = (c >> 8) & 0xFF;
          row[3 * x + 2] = (c >> 16) & 0xFF;
          break;
        case 32:
          for (int i = 0; i < 4; ++i) row[4 * x + i] = (px >> (8 * i)) & 0xFF;
          // An alpha byte the masks do not cover: it must be ignored.
          if (k.compression == 0) row[4 * x + 3] = 0x7F;
          break;
      }
    }
  }
  return b;
}

class BmpKinds : public ::testing::TestWithParam<Kind> {};

// Each kind decodes to the exact colours, in the right row order; Qt's reader, which shares
// none of our code, must agree on the same bytes.
TEST_P(BmpKinds, DecodesExactColoursLikeQt) {
  const Kind& k = GetParam();
  const int width = 13, height = 5;  // odd width: bit packing and row padding
  const Bytes file = BuildBmp(k, width, height);
  Bitmap24 bmp;
  ASSERT_EQ(DecodeBmp(file.data(), file.size(), bmp), BmpResult::Decoded);
  ASSERT_EQ(bmp.width(), width);
  ASSERT_EQ(bmp.height(), height);
  const int colours = k.bitCount <= 8 ? std::min(8, 1 << k.bitCount) : 8;
  const QImage qt = QImage::fromData(QByteArray(reinterpret_cast<const char*>(file.data()),
                                                static_cast<qsizetype>(file.size())),
                                     "BMP")
                        .convertToFormat(QImage::Format_RGB32);
  ASSERT_FALSE(qt.isNull());
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::uint32_t c = kColours[IndexAt(x, y, colours)];
      const std::uint8_t* p = bmp.row(y) + 3 * x;
      const std::uint32_t got = p[2] << 16 | p[1] << 8 | p[0];
      EXPECT_EQ(got, c) << "at " << x << "," << y;
      // Qt widens 5- and 6-bit channels by shifting (31 → 248); we scale to full range.
      const int slack = k.bitCount == 16 ? 7 : 0;
      const QRgb q = qt.pixel(x, y);
      EXPECT_NEAR(qRed(q), (c >> 16) & 0xFF, slack) << "Qt at " << x << "," << y;
      EXPECT_NEAR(qGreen(q), (c >> 8) & 0xFF, slack) << "Qt at " << x << "," << y;
      EXPECT_NEAR(qBlue(q), c & 0xFF, slack) << "Qt at " << x << "," << y;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, BmpKinds,
    ::testing::Values(Kind{"bits1", 1, 0, 40, false, {}}, Kind{"bits4", 4, 0, 40, false, {}},
                      Kind{"bits8", 8, 0, 40, false, {}}, Kind{"bits8TopDown", 8, 0, 40, true, {}},
                      Kind{"core8", 8, 0, 12, false, {}},
                      Kind{"rgb555", 16, 0, 40, false, {0x7C00, 0x3E0, 0x1F}},
                      Kind{"bitfields565", 16, 3, 40, false, {0xF800, 0x7E0, 0x1F}},
                      Kind{"bits24", 24, 0, 40, false, {}},
                      Kind{"bits24TopDown", 24, 0, 40, true, {}},
                      Kind{"bits32", 32, 0, 40, false, {0xFF0000, 0xFF00, 0xFF}},
                      Kind{"bitfields32Rgba", 32, 3, 40, false, {0xFF000000, 0xFF0000, 0xFF00}},
                      Kind{"v5Bitfields32", 32, 3, 124, true, {0xFF, 0xFF00, 0xFF0000}}),
    [](const auto& info) { return std::string(info.param.name); });

// Channels narrower than 8 bits are scaled to full range with rounding, not just shifted.
TEST(BmpCodec, ScalesNarrowChannelsToFullRange) {
  Bytes file = BuildBmp(Kind{"565", 16, 3, 40, false, {0xF800, 0x7E0, 0x1F}}, 1, 1);
  Put16(file, file.size() - 4, (16u << 11) | (32u << 5) | 1u);  // the pixel (row padded to 4)
  Bitmap24 bmp;
  ASSERT_EQ(DecodeBmp(file.data(), file.size(), bmp), BmpResult::Decoded);
  EXPECT_EQ(bmp.row(0)[2], 132);  // 16 / 31 of 255
  EXPECT_EQ(bmp.row(0)[1], 130);  // 32 / 63
  EXPECT_EQ(bmp.row(0)[0], 8);    // 1 / 31
}

struct Damage {
  const char* name;
  std::function<void(Bytes&)> apply;
  BmpResult expected;
};

class BmpDamage : public ::testing::TestWithParam<Damage> {};

// Starting from a good 24-bit 5 × 4 file (rows of 15 bytes padded to 16), each change gives the
// stated verdict; run under AddressSanitizer this also shows that nothing is read outside the
// buffer.
TEST_P(BmpDamage, GivesVerdictWithoutReadingOutside) {
  Bytes file = BuildBmp(Kind{"24", 24, 0, 40, false, {}}, 5, 4);
  GetParam().apply(file);
  // A copy on the heap of exactly the file's size, so that ASan sees any overrun.
  std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[file.size() + 1]);
  std::memcpy(exact.get(), file.data(), file.size());
  Bitmap24 bmp;
  const BmpResult r = DecodeBmp(exact.get(), file.size(), bmp);
  EXPECT_EQ(r, GetParam().expected);
  BmpHeader header;
  EXPECT_EQ(ReadBmpHeader(exact.get(), std::min<std::size_t>(file.size(), 64), file.size(), header),
            GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BmpDamage,
    ::testing::Values(
        Damage{"cutInFileHeader", [](Bytes& b) { b.resize(13); }, BmpResult::Damaged},
        Damage{"cutInInfoHeader", [](Bytes& b) { b.resize(30); }, BmpResult::Damaged},
        Damage{"notBm", [](Bytes& b) { b[1] = 'A'; }, BmpResult::NotBmp},
        Damage{"hugeOverOneKilobyte",
               [](Bytes& b) {
                 b.resize(1024);
                 Put32(b, 18, 100000);
                 Put32(b, 22, 100000);
               },
               BmpResult::Damaged},
        Damage{"hugeButWithinIntRange",
               [](Bytes& b) {
                 Put32(b, 18, 0x7FFFFFFF);
                 Put32(b, 22, 1);
               },
               BmpResult::Damaged},
        Damage{"offsetPastEnd", [](Bytes& b) { Put32(b, 10, 0xFFFFFFF0u); }, BmpResult::Damaged},
        Damage{"pixelsOneByteShort", [](Bytes& b) { b.resize(b.size() - 2); }, BmpResult::Damaged},
        Damage{"lastRowPaddingMissing", [](Bytes& b) { b.pop_back(); }, BmpResult::Decoded},
        Damage{"zeroWidth", [](Bytes& b) { Put32(b, 18, 0); }, BmpResult::Damaged},
        Damage{"negativeWidth", [](Bytes& b) { Put32(b, 18, 0xFFFFFFFCu); }, BmpResult::Damaged},
        Damage{"heightIntMin", [](Bytes& b) { Put32(b, 22, 0x80000000u); }, BmpResult::Damaged},
        Damage{"tinyInfoHeader", [](Bytes& b) { Put32(b, 14, 8); }, BmpResult::Damaged},
        Damage{"unknownHeaderSize", [](Bytes& b) { Put32(b, 14, 200); }, BmpResult::Unsupported},
        Damage{"bitfieldsOn24Bits", [](Bytes& b) { Put32(b, 30, 3); }, BmpResult::Damaged},
        Damage{"rle8", [](Bytes& b) { Put32(b, 30, 1); }, BmpResult::Unsupported},
        Damage{"zeroOffsetMeansAfterHeader", [](Bytes& b) { Put32(b, 10, 0); },
               BmpResult::Decoded}),
    [](const auto& info) { return std::string(info.param.name); });

// A palette with more colours claimed than the file holds: the missing entries are black and
// nothing is read past the end.
TEST(BmpCodec, ShortPaletteGivesBlackForMissingEntries) {
  Bytes file = BuildBmp(Kind{"8", 8, 0, 40, false, {}}, 3, 1);
  // Keep 8 of the 256 entries that a colour count of 0 implies; the pixels follow at once.
  file.erase(file.begin() + 54 + 8 * 4, file.begin() + 54 + 256 * 4);
  Put32(file, 10, 54 + 8 * 4);
  file[file.size() - 4 + 2] = 200;  // the third pixel: beyond the entries the file holds
  Bitmap24 bmp;
  ASSERT_EQ(DecodeBmp(file.data(), file.size(), bmp), BmpResult::Decoded);
  EXPECT_EQ(bmp.row(0)[6] | bmp.row(0)[7] | bmp.row(0)[8], 0);
  EXPECT_EQ(bmp.row(0)[5], 0xFF);  // index 1 is red
}

TEST(SaveBmp24, WritesExactHeaderAndBottomUpPaddedRows) {
  test::TempDir dir;
  Bitmap24 bmp;
  ASSERT_TRUE(bmp.resize(3, 2));
  for (int y = 0; y < 2; ++y) {
    for (int i = 0; i < 9; ++i) bmp.row(y)[i] = static_cast<std::uint8_t>(10 * y + i + 1);
    for (std::size_t i = 9; i < bmp.stride(); ++i) bmp.row(y)[i] = 0xEE;  // padding must not leak
  }
  const std::string path = dir.file("out.bmp");
  ASSERT_TRUE(SaveBmp24(bmp, path));
  const Bytes expected = {
      'B', 'M', 78, 0,  0,  0,  0,  0,  0,  0, 54, 0, 0, 0,  // file header: size 54 + 2 × 12
      40,  0,   0,  0,  3,  0,  0,  0,  2,  0, 0,  0, 1, 0,
      24,  0,  // size, width, height, planes, bpp
      0,   0,   0,  0,  24, 0,  0,  0,  0,  0, 0,  0, 0, 0,
      0,   0,                                          // compression, image size, dpi
      0,   0,   0,  0,  0,  0,  0,  0,                 // colours used, important
      11,  12,  13, 14, 15, 16, 17, 18, 19, 0, 0,  0,  // bottom row first
      1,   2,   3,  4,  5,  6,  7,  8,  9,  0, 0,  0};
  EXPECT_EQ(test::ReadBytes(path), expected);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(SaveBmp24, FailureLeavesOldFileAndNoTemporary) {
  test::TempDir dir;
  Bitmap24 bmp = test::Pattern(5, 3);
  const std::string path = dir.file("keep.bmp");
  test::WriteBytes(path, {'o', 'l', 'd'});

  EXPECT_FALSE(SaveBmp24(Bitmap24(), path));                    // nothing to write
  EXPECT_FALSE(SaveBmp24(bmp, dir.file("missing/sub/x.bmp")));  // no such folder
  std::filesystem::create_directory(dir.file("isdir.bmp"));
  EXPECT_FALSE(SaveBmp24(bmp, dir.file("isdir.bmp")));  // rename over a folder fails
  if (::geteuid() != 0) {
    std::filesystem::permissions(
        dir.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    EXPECT_FALSE(SaveBmp24(bmp, path));  // folder not writable
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_all);
  }
  EXPECT_EQ(test::ReadBytes(path), (Bytes{'o', 'l', 'd'}));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);

  ASSERT_TRUE(SaveBmp24(bmp, path));  // and a good write replaces it
  const Bytes saved = test::ReadBytes(path);
  Bitmap24 back;
  ASSERT_EQ(DecodeBmp(saved.data(), saved.size(), back), BmpResult::Decoded);
  EXPECT_TRUE(back == bmp);
}

}  // namespace
}  // namespace tapestra
