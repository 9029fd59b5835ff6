// JPEG decoding: layout of the buffer, colour spaces, damaged files,
// and the message box of a member that cannot be read.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "resources/ImageTestHelpers.h"
#include "resources/JpegImage.h"
#include "support/TestArchive.h"

using namespace imagetest;

namespace {

bool Decode(const std::string& bytes, JpegImage& image) {
  return DecodeJpeg(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), image);
}

// Expects the pixel at buffer row `row`, column `x` to be near (r, g, b).
void ExpectPixel(const JpegImage& image, int row, int x, int r, int g, int b, int tolerance = 6) {
  const uint8_t* p = image.pixels + row * image.rowBytes + x * 3;
  EXPECT_NEAR(p[0], r, tolerance) << "row " << row << " x " << x;
  EXPECT_NEAR(p[1], g, tolerance) << "row " << row << " x " << x;
  EXPECT_NEAR(p[2], b, tolerance) << "row " << row << " x " << x;
}

// Offset of the SOF marker's height field in a baseline or progressive JPEG.
size_t FrameSizeOffset(const std::string& bytes) {
  for (size_t i = 0; i + 9 < bytes.size(); ++i) {
    const uint8_t a = static_cast<uint8_t>(bytes[i]), b = static_cast<uint8_t>(bytes[i + 1]);
    if (a == 0xFF && (b == 0xC0 || b == 0xC2))
      return i + 5;
  }
  return 0;
}

std::string WithSize(std::string bytes, int width, int height) {
  size_t at = FrameSizeOffset(bytes);
  bytes[at] = static_cast<char>(height >> 8);
  bytes[at + 1] = static_cast<char>(height & 0xff);
  bytes[at + 2] = static_cast<char>(width >> 8);
  bytes[at + 3] = static_cast<char>(width & 0xff);
  return bytes;
}

// The 3 x 2 picture: top row red, green, blue; bottom row white, black, grey.
std::vector<uint8_t> ThreeByTwo() {
  return {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255, 0, 0, 0, 128, 128, 128};
}

} // namespace

TEST(JpegImage, ThreeByTwoIsBottomUpRgb) {
  JpegImage image;
  ASSERT_TRUE(Decode(EncodeJpeg(3, 2, ThreeByTwo()), image));
  EXPECT_EQ(image.rowBytes, 9);
  EXPECT_EQ(image.width, 3);
  EXPECT_EQ(image.height, 2);
  ASSERT_NE(image.pixels, nullptr);
  // The picture's top row is the buffer's second row.
  const int tolerance = 40; // a 3 x 2 picture with hard edges rings a little
  ExpectPixel(image, 1, 0, 255, 0, 0, tolerance);
  ExpectPixel(image, 1, 1, 0, 255, 0, tolerance);
  ExpectPixel(image, 1, 2, 0, 0, 255, tolerance);
  ExpectPixel(image, 0, 0, 255, 255, 255, tolerance);
  ExpectPixel(image, 0, 1, 0, 0, 0, tolerance);
  ExpectPixel(image, 0, 2, 128, 128, 128, tolerance);
  free(image.pixels);
}

TEST(JpegImage, RowsOfALargerPictureAreFlipped) {
  // 16 x 24: each band of 8 rows has its own colour, so nothing rings.
  const int w = 16, h = 24;
  const uint8_t bands[3][3] = {{200, 30, 30}, {30, 200, 30}, {30, 30, 200}};
  std::vector<uint8_t> pixels;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      pixels.insert(pixels.end(), bands[y / 8], bands[y / 8] + 3);
  JpegImage image;
  ASSERT_TRUE(Decode(EncodeJpeg(w, h, pixels), image));
  EXPECT_EQ(image.rowBytes, 48);
  for (int row = 0; row < h; ++row) {
    const uint8_t* c = bands[(h - 1 - row) / 8];
    ExpectPixel(image, row, 7, c[0], c[1], c[2]);
  }
  free(image.pixels);
}

TEST(JpegImage, ProgressiveDecodesToo) {
  JpegImage image;
  std::vector<uint8_t> pixels(8 * 8 * 3);
  for (size_t i = 0; i < pixels.size(); i += 3) {
    pixels[i] = 10;
    pixels[i + 1] = 100;
    pixels[i + 2] = 220;
  }
  ASSERT_TRUE(Decode(EncodeJpeg(8, 8, pixels, JCS_RGB, 3, 100, true), image));
  ExpectPixel(image, 3, 3, 10, 100, 220);
  free(image.pixels);
}

TEST(JpegImage, GreyscaleComesOutAsThreeEqualBytes) {
  std::vector<uint8_t> grey(8 * 8, 90);
  JpegImage image;
  ASSERT_TRUE(Decode(EncodeJpeg(8, 8, grey, JCS_GRAYSCALE, 1), image));
  EXPECT_EQ(image.rowBytes, 24);
  ExpectPixel(image, 0, 0, 90, 90, 90, 2);
  ExpectPixel(image, 7, 7, 90, 90, 90, 2);
  free(image.pixels);
}

TEST(JpegImage, CmykComesOutAsRgb) {
  // libjpeg writes CMYK with an Adobe marker, inverted: 255 means no ink.
  // Cyan ink only (C stored 0) on full K (stored 255): red 0, green and blue 255.
  std::vector<uint8_t> cmyk;
  for (int i = 0; i < 8 * 8; ++i)
    cmyk.insert(cmyk.end(), {0, 255, 255, 255});
  JpegImage image;
  ASSERT_TRUE(Decode(EncodeJpeg(8, 8, cmyk, JCS_CMYK, 4), image));
  EXPECT_EQ(image.rowBytes, 24);
  ExpectPixel(image, 4, 4, 0, 255, 255, 4);
  free(image.pixels);
}

TEST(JpegImage, DamagedFilesFailOrDecodeWithoutCrashing) {
  const std::string good = SolidJpeg(32, 32, 40, 80, 120);
  JpegImage image;

  // Nothing, and bytes that are not a JPEG at all: false.
  EXPECT_FALSE(DecodeJpeg(nullptr, 0, image));
  EXPECT_EQ(image.pixels, nullptr);
  EXPECT_FALSE(Decode(std::string("not a jpeg at all, just some text"), image));
  EXPECT_EQ(image.pixels, nullptr);
  EXPECT_FALSE(Decode(good.substr(0, 2), image));  // only the start marker
  EXPECT_FALSE(Decode(good.substr(0, 20), image)); // header cut short
  EXPECT_EQ(image.pixels, nullptr);

  // Every cut of the file: false or a whole buffer, never a read past the end
  // (the sanitizer watches) and never a crash.
  for (size_t n = 1; n < good.size(); n += 7) {
    std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<long>(n));
    JpegImage part;
    if (DecodeJpeg(cut.data(), cut.size(), part)) {
      EXPECT_EQ(part.width, 32);
      EXPECT_EQ(part.height, 32);
      free(part.pixels);
    } else {
      EXPECT_EQ(part.pixels, nullptr);
    }
  }

  // Garbage in the entropy-coded data and in the headers.
  for (size_t at = 2; at < good.size(); at += 5) {
    std::string bad = good;
    bad[at] = static_cast<char>(bad[at] ^ 0x5A);
    JpegImage part;
    if (Decode(bad, part))
      free(part.pixels);
    else
      EXPECT_EQ(part.pixels, nullptr);
  }
}

TEST(JpegImage, TruncatedDataCountsAWarning) {
  const std::string good = SolidJpeg(64, 64, 200, 100, 50);
  JpegImage image;
  ASSERT_TRUE(Decode(good.substr(0, good.size() - 40), image));
  EXPECT_GT(LastJpegWarningCount(), 0);
  free(image.pixels);
  ASSERT_TRUE(Decode(good, image));
  EXPECT_EQ(LastJpegWarningCount(), 0);
  free(image.pixels);
}

TEST(JpegImage, HugeOrEmptyDimensionsAreRefused) {
  const std::string good = SolidJpeg(16, 16, 1, 2, 3);
  ASSERT_NE(FrameSizeOffset(good), 0u);
  JpegImage image;
  EXPECT_FALSE(Decode(WithSize(good, MaxImageSide + 1, 16), image));
  EXPECT_FALSE(Decode(WithSize(good, 16, MaxImageSide + 1), image));
  EXPECT_FALSE(Decode(WithSize(good, 65500, 65500), image));
  EXPECT_FALSE(Decode(WithSize(good, 0, 16), image));
  EXPECT_EQ(image.pixels, nullptr);
  // A size within the limit that the data does not fill: a whole buffer.
  ASSERT_TRUE(Decode(WithSize(good, 16, 64), image));
  EXPECT_EQ(image.height, 64);
  free(image.pixels);
}

TEST(JpegImage, LoadJpegReadsTheMember) {
  TestArchiveDir archive(TestMembers{{"textures\\sun.jpg", SolidJpeg(8, 8, 250, 200, 10)}});
  ASSERT_TRUE(archive.Ok());
  MessageRecorder messages;
  JpegImage image;
  ASSERT_TRUE(LoadJpeg("textures\\sun.jpg", image));
  EXPECT_EQ(image.width, 8);
  ExpectPixel(image, 0, 0, 250, 200, 10);
  free(image.pixels);
  EXPECT_TRUE(messages.messages().empty());
}

TEST(JpegImage, MissingMemberShowsTheMessageBox) {
  TestArchiveDir archive(TestMembers{{"textures\\sun.jpg", SolidJpeg(8, 8, 250, 200, 10)}});
  ASSERT_TRUE(archive.Ok());
  MessageRecorder messages;
  JpegImage image;
  EXPECT_FALSE(LoadJpeg("textures\\moon.jpg", image));
  EXPECT_EQ(image.pixels, nullptr);
  ASSERT_EQ(messages.messages().size(), 1u);
  EXPECT_EQ(messages.messages()[0].first, "ARCH:Can't load JPG file: textures\\moon.jpg");
  EXPECT_EQ(messages.messages()[0].second, "Error");
}

TEST(JpegImage, CorruptMemberFailsWithoutAMessage) {
  TestArchiveDir archive(
      TestMembers{{"textures\\bad.jpg", std::string("\xFF\xD8\xFF\xE0 garbage", 12)}});
  ASSERT_TRUE(archive.Ok());
  MessageRecorder messages;
  JpegImage image;
  EXPECT_FALSE(LoadJpeg("textures\\bad.jpg", image));
  EXPECT_EQ(image.pixels, nullptr);
  EXPECT_TRUE(messages.messages().empty());
}
