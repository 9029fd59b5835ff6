// The preview's failure path and the user interface's pictures. Showing the
// picture inside a real parent window is checked under Xvfb by
// tests/e2e/preview_window.sh.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <zlib.h>

#include <set>
#include <string>
#include <vector>

#include "ui/Pictures.h"
#include "ui/Preview.h"

namespace ui {
namespace {

TEST(Preview, WithoutAParentWindowReportsAndReturns) {
  setenv("NIMBREL_NO_MESSAGE_BOX", "1", 1);
  for (unsigned long parent : {0ul, 0x7ffffffful}) {
    testing::internal::CaptureStderr();
    RunPreviewWindow(parent);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("ERROR: Cannot creat window!"), std::string::npos) << parent << ": " << err;
  }
}

TEST(Pictures, HaveTheSizesTheWindowsExpect) {
  struct Case {
    const Picture& picture;
    int width, height;
  } cases[] = {{PreviewPicture(), 155, 115}, {DecorationPicture(), 263, 179}};
  for (const Case& c : cases) {
    EXPECT_EQ(c.picture.width, c.width);
    EXPECT_EQ(c.picture.height, c.height);
    ASSERT_EQ(c.picture.rgb.size(), (size_t)c.width * c.height * 3);
    // A real picture: many colours, not one flat fill.
    std::set<uint32_t> colours;
    for (size_t i = 0; i < c.picture.rgb.size(); i += 3)
      colours.insert(c.picture.rgb[i] << 16 | c.picture.rgb[i + 1] << 8 | c.picture.rgb[i + 2]);
    EXPECT_GT(colours.size(), 50u);
  }
  EXPECT_EQ(&PreviewPicture(), &PreviewPicture()) << "made once";
}

// A PNG of the given pixels (RGB or RGBA), each row with its own filter type.
std::vector<uint8_t> MakePng(int width, int height, int channels, const std::vector<uint8_t>& px,
                             const std::vector<int>& filters) {
  std::vector<uint8_t> raw;
  size_t stride = (size_t)width * channels;
  for (int y = 0; y < height; ++y) {
    int f = filters[(size_t)y % filters.size()];
    raw.push_back((uint8_t)f);
    for (size_t i = 0; i < stride; ++i) {
      int cur = px[y * stride + i];
      int a = i >= (size_t)channels ? px[y * stride + i - channels] : 0;
      int b = y > 0 ? px[(y - 1) * stride + i] : 0;
      int c = y > 0 && i >= (size_t)channels ? px[(y - 1) * stride + i - channels] : 0;
      int p = a + b - c, pa = abs(p - a), pb = abs(p - b), pc = abs(p - c);
      int paeth = (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
      int pred[] = {0, a, b, (a + b) / 2, paeth};
      raw.push_back((uint8_t)(cur - pred[f]));
    }
  }
  uLongf zsize = compressBound(raw.size());
  std::vector<uint8_t> z(zsize);
  compress(z.data(), &zsize, raw.data(), raw.size());
  z.resize(zsize);

  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  auto chunk = [&](const char* type, const std::vector<uint8_t>& body) {
    auto be = [&](uint32_t v) {
      for (int s = 24; s >= 0; s -= 8)
        png.push_back((uint8_t)(v >> s));
    };
    be((uint32_t)body.size());
    size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), body.begin(), body.end());
    be((uint32_t)crc32(0, &png[start], (uInt)(png.size() - start)));
  };
  std::vector<uint8_t> ihdr = {
      0, 0, 0, (uint8_t)width, 0, 0, 0, (uint8_t)height, 8, (uint8_t)(channels == 4 ? 6 : 2),
      0, 0, 0};
  chunk("IHDR", ihdr);
  chunk("IDAT", z);
  chunk("IEND", {});
  return png;
}

TEST(Pictures, DecodePngUndoesEveryRowFilter) {
  for (int channels : {3, 4}) {
    int w = 7, h = 10;
    std::vector<uint8_t> px((size_t)w * h * channels);
    for (size_t i = 0; i < px.size(); ++i)
      px[i] = (uint8_t)(i * 37 + (i / 5) * 11);
    std::vector<uint8_t> png = MakePng(w, h, channels, px, {0, 1, 2, 3, 4});
    Picture picture;
    ASSERT_TRUE(DecodePng(png.data(), png.size(), picture)) << channels;
    ASSERT_EQ(picture.width, w);
    ASSERT_EQ(picture.height, h);
    for (int i = 0; i < w * h; ++i)
      for (int k = 0; k < 3; ++k)
        ASSERT_EQ(picture.rgb[(size_t)i * 3 + k], px[(size_t)i * channels + k]) << i;
  }
}

TEST(Pictures, DecodePngRefusesDamagedFiles) {
  std::vector<uint8_t> px(4 * 4 * 3, 200);
  std::vector<uint8_t> good = MakePng(4, 4, 3, px, {0});
  Picture picture;
  ASSERT_TRUE(DecodePng(good.data(), good.size(), picture));

  std::vector<uint8_t> badCrc = good;
  badCrc[8 + 8 + 2] ^= 1; // inside IHDR
  std::vector<uint8_t> palette = good;
  palette[8 + 8 + 9] = 3; // colour type 3 (CRC fixed below)
  uLong crc = crc32(0, &palette[12], 17);
  for (int k = 0; k < 4; ++k)
    palette[29 + k] = (uint8_t)(crc >> (24 - 8 * k));
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"truncated", std::vector<uint8_t>(good.begin(), good.begin() + (long)good.size() - 20)},
      {"bad CRC", badCrc},
      {"palette", palette},
      {"not a PNG", std::vector<uint8_t>(good.begin() + 1, good.end())},
      {"empty", {}},
  };
  for (const Case& c : cases) {
    Picture untouched;
    EXPECT_FALSE(DecodePng(c.bytes.data(), c.bytes.size(), untouched)) << c.what;
    EXPECT_EQ(untouched.width, 0) << c.what;
  }
}

// For tests/e2e/preview_window.sh: the picture the preview must show, as raw
// RGB bytes, into the file NIMBREL_WRITE_PREVIEW_RGB names.
TEST(Pictures, WritesThePreviewPictureWhenAsked) {
  const char* path = getenv("NIMBREL_WRITE_PREVIEW_RGB");
  if (!path)
    GTEST_SKIP() << "only for the preview window's end-to-end test";
  FILE* f = fopen(path, "wb");
  ASSERT_NE(f, nullptr) << path;
  const Picture& p = PreviewPicture();
  EXPECT_EQ(fwrite(p.rgb.data(), 1, p.rgb.size(), f), p.rgb.size());
  fclose(f);
}

} // namespace
} // namespace ui
