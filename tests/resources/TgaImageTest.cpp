// TGA decoding: every type and depth as a table, the decoding rules that are
// easy to get wrong, and damaged files (truncated, huge sizes, runs that overflow).
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <string>
#include <vector>

#include "resources/ImageTestHelpers.h"
#include "resources/JpegImage.h"
#include "resources/TgaImage.h"
#include "support/TestArchive.h"

using namespace imagetest;
using Bytes = std::vector<uint8_t>;

namespace {

struct Decoded {
  bool ok = false;
  int depth = 0;
  int width = 0;
  int height = 0;
  Bytes pixels;
  std::vector<std::pair<std::string, std::string>> messages;
};

// Puts `file` into an archive as "textures\t.tga" and decodes it.
Decoded DecodeFile(const std::string& file) {
  TestArchiveDir archive(TestMembers{{"textures\\t.tga", file}});
  EXPECT_TRUE(archive.Ok());
  MessageRecorder recorder;
  TgaImage image;
  Decoded d;
  d.ok = LoadTga("textures\\t.tga", image);
  EXPECT_EQ(image.palette, nullptr);
  if (d.ok) {
    d.depth = image.pixelDepth;
    d.width = image.width;
    d.height = image.height;
    const size_t n = static_cast<size_t>(image.width) * image.height * (image.pixelDepth / 8);
    d.pixels.assign(image.pixels, image.pixels + n);
    free(image.pixels);
  } else {
    EXPECT_EQ(image.pixels, nullptr);
  }
  d.messages = recorder.messages();
  return d;
}

TgaHeader Header(uint8_t type, uint8_t depth, uint16_t w, uint16_t h) {
  TgaHeader hd;
  hd.imageType = type;
  hd.depth = depth;
  hd.width = w;
  hd.height = h;
  return hd;
}

TgaHeader Mapped(uint8_t type, uint16_t entries, uint8_t entryBits, uint16_t w, uint16_t h) {
  TgaHeader hd = Header(type, 8, w, h);
  hd.colorMapType = 1;
  hd.colorMapLength = entries;
  hd.colorMapEntrySize = entryBits;
  return hd;
}

struct Case {
  const char* name;
  std::string file;
  bool ok;
  int depth;
  Bytes pixels;
};

} // namespace

TEST(TgaImage, TypesAndDepths) {
  // A 2 x 2 picture in every supported form.
  const Bytes bgra = {10, 20, 30, 40, 1, 2, 3, 4, 5, 6, 7, 8, 50, 60, 70, 80};
  const Bytes rgba = {30, 20, 10, 40, 3, 2, 1, 4, 7, 6, 5, 8, 70, 60, 50, 80};
  const Bytes bgr = {10, 20, 30, 1, 2, 3, 5, 6, 7, 50, 60, 70};
  const Bytes grey = {9, 99, 199, 255};
  const Bytes map = {1, 2, 3, 4, 5, 6, 7, 8, 9}; // three entries B, G, R
  // 16-bit: 0x7FFF white, 0x001F blue 31, 0x03E0 green 31, 0x7C00 red 31.
  const Bytes v16 = {0xFF, 0x7F, 0x1F, 0x00, 0xE0, 0x03, 0x00, 0x7C};
  const Bytes out16 = {248, 248, 248, 248, 0, 0, 0, 248, 0, 0, 0, 248};

  const std::vector<Case> cases = {
      {"32-bit raw: B, G, R, A becomes R, G, B, A", MakeTga(Header(2, 32, 2, 2), bgra), true, 32,
       rgba},
      {"32-bit RLE: raw packet of 2, run of 2",
       MakeTga(Header(10, 32, 2, 2), {1, 10, 20, 30, 40, 1, 2, 3, 4, 0x81, 9, 9, 9, 9}),
       true,
       32,
       {30, 20, 10, 40, 3, 2, 1, 4, 9, 9, 9, 9, 9, 9, 9, 9}},
      {"24-bit raw, as stored", MakeTga(Header(2, 24, 2, 2), bgr), true, 24, bgr},
      {"24-bit RLE",
       MakeTga(Header(10, 24, 2, 2), {0x82, 1, 2, 3, 0, 4, 5, 6}),
       true,
       24,
       {1, 2, 3, 1, 2, 3, 1, 2, 3, 4, 5, 6}},
      {"16-bit raw: 0x7FFF gives 248, 248, 248", MakeTga(Header(2, 16, 2, 2), v16), true, 24,
       out16},
      {"16-bit RLE",
       MakeTga(Header(10, 16, 2, 2), {0x83, 0xFF, 0x7F}),
       true,
       24,
       {248, 248, 248, 248, 248, 248, 248, 248, 248, 248, 248, 248}},
      {"8-bit grey raw", MakeTga(Header(3, 8, 2, 2), grey), true, 8, grey},
      {"8-bit grey RLE", MakeTga(Header(11, 8, 2, 2), {0x81, 7, 1, 8, 9}), true, 8, {7, 7, 8, 9}},
      {"colour-mapped raw",
       MakeTga(Mapped(1, 3, 24, 2, 2), {2, 0, 1, 2}, map),
       true,
       24,
       {7, 8, 9, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
      {"colour-mapped RLE",
       MakeTga(Mapped(9, 3, 24, 2, 2), {0x82, 1, 0, 2}, map),
       true,
       24,
       {4, 5, 6, 4, 5, 6, 4, 5, 6, 7, 8, 9}},
      {"colour-mapped: an index beyond the map is black",
       MakeTga(Mapped(1, 3, 24, 2, 2), {0, 3, 200, 1}, map),
       true,
       24,
       {1, 2, 3, 0, 0, 0, 0, 0, 0, 4, 5, 6}},
      {"colour-mapped: the first-index field is ignored",
       [&] {
         TgaHeader h = Mapped(1, 3, 24, 2, 2);
         h.colorMapStart = 1;
         return MakeTga(h, {0, 1, 2, 0}, map);
       }(),
       true,
       24,
       {1, 2, 3, 4, 5, 6, 7, 8, 9, 1, 2, 3}},
      {"colour-mapped with a 16-bit map: false",
       MakeTga(Mapped(1, 3, 16, 2, 2), {0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}),
       false,
       0,
       {}},
      {"colour-mapped without a map: false",
       [&] {
         TgaHeader h = Mapped(1, 3, 24, 2, 2);
         h.colorMapType = 0;
         return MakeTga(h, {0, 0, 0, 0}, map);
       }(),
       false,
       0,
       {}},
      {"colour-mapped 16-bit indices: false",
       [&] {
         TgaHeader h = Mapped(1, 3, 24, 2, 2);
         h.depth = 16;
         return MakeTga(h, Bytes(8, 0), map);
       }(),
       false,
       0,
       {}},
      {"type 2 with 8 bits: false", MakeTga(Header(2, 8, 2, 2), grey), false, 0, {}},
      {"type 3 with 24 bits: false", MakeTga(Header(3, 24, 2, 2), bgr), false, 0, {}},
      {"type 11 with 32 bits: false", MakeTga(Header(11, 32, 2, 2), bgra), false, 0, {}},
      {"type 0: false", MakeTga(Header(0, 32, 2, 2), bgra), false, 0, {}},
      {"type 5: false", MakeTga(Header(5, 32, 2, 2), bgra), false, 0, {}},
      {"type 32 (Huffman): false", MakeTga(Header(32, 32, 2, 2), bgra), false, 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Decoded d = DecodeFile(c.file);
    EXPECT_EQ(d.ok, c.ok);
    EXPECT_TRUE(d.messages.empty());
    if (c.ok) {
      EXPECT_EQ(d.depth, c.depth);
      EXPECT_EQ(d.width, 2);
      EXPECT_EQ(d.height, 2);
      EXPECT_EQ(d.pixels, c.pixels);
    }
  }
}

TEST(TgaImage, ThirtyTwoBitFirstPixelIsSwapped) {
  Decoded d = DecodeFile(MakeTga(Header(2, 32, 1, 1), {10, 20, 30, 40}));
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(d.pixels, (Bytes{30, 20, 10, 40}));
}

TEST(TgaImage, RunLengthEncodedEqualsRaw) {
  // 5 x 3, 32 bits, with runs and raw stretches across row ends.
  Bytes raw;
  std::vector<std::array<uint8_t, 4>> px;
  for (int i = 0; i < 15; ++i) {
    std::array<uint8_t, 4> p = {static_cast<uint8_t>(i < 6 ? 11 : 20 + i), 22,
                                static_cast<uint8_t>(i < 6 ? 33 : i), 44};
    px.push_back(p);
    raw.insert(raw.end(), p.begin(), p.end());
  }
  Bytes rle = {0x85, 11, 22, 33, 44, 0x08}; // run of 6, then 9 raw
  for (int i = 6; i < 15; ++i)
    rle.insert(rle.end(), px[i].begin(), px[i].end());
  Decoded a = DecodeFile(MakeTga(Header(2, 32, 5, 3), raw));
  Decoded b = DecodeFile(MakeTga(Header(10, 32, 5, 3), rle));
  ASSERT_TRUE(a.ok);
  ASSERT_TRUE(b.ok);
  EXPECT_EQ(a.pixels, b.pixels);
  EXPECT_EQ(a.pixels[0], 33);
  EXPECT_EQ(a.pixels[2], 11);
}

TEST(TgaImage, IdFieldIsSkipped) {
  const Bytes bgra = {10, 20, 30, 40, 1, 2, 3, 4};
  TgaHeader plain = Header(2, 32, 2, 1);
  TgaHeader withId = plain;
  withId.idLength = 5;
  Decoded a = DecodeFile(MakeTga(plain, bgra));
  Decoded b = DecodeFile(MakeTga(withId, bgra, {}, "HELLO"));
  ASSERT_TRUE(a.ok);
  ASSERT_TRUE(b.ok);
  EXPECT_EQ(a.pixels, b.pixels);

  // Also before a colour map.
  TgaHeader m = Mapped(1, 2, 24, 2, 1);
  Decoded c = DecodeFile(MakeTga(m, {1, 0}, {1, 2, 3, 4, 5, 6}));
  m.idLength = 5;
  Decoded e = DecodeFile(MakeTga(m, {1, 0}, {1, 2, 3, 4, 5, 6}, "12345"));
  ASSERT_TRUE(c.ok);
  EXPECT_EQ(c.pixels, e.pixels);
  EXPECT_EQ(c.pixels, (Bytes{4, 5, 6, 1, 2, 3}));
}

TEST(TgaImage, UnsupportedDepthShowsItsMessage) {
  for (uint8_t depth : {12, 0, 15, 48}) {
    SCOPED_TRACE(static_cast<int>(depth));
    Decoded d = DecodeFile(MakeTga(Header(2, depth, 2, 2), Bytes(16, 0)));
    EXPECT_FALSE(d.ok);
    ASSERT_EQ(d.messages.size(), 1u);
    EXPECT_EQ(d.messages[0].first, "Unsupported image depth.");
    EXPECT_EQ(d.messages[0].second, "TGA");
  }
}

TEST(TgaImage, MissingMemberIsFalseWithoutMessage) {
  TestArchiveDir archive(
      TestMembers{{"textures\\other.tga", MakeTga(Header(2, 32, 1, 1), {1, 2, 3, 4})}});
  ASSERT_TRUE(archive.Ok());
  MessageRecorder recorder;
  TgaImage image;
  EXPECT_FALSE(LoadTga("textures\\t.tga", image));
  EXPECT_EQ(image.pixels, nullptr);
  EXPECT_TRUE(recorder.messages().empty());
}

TEST(TgaImage, TruncatedFilesLeaveTheRestZero) {
  // Raw 32-bit, 2 x 2, with one and a half pixels of data.
  Decoded a = DecodeFile(MakeTga(Header(2, 32, 2, 2), {10, 20, 30, 40, 1, 2}));
  ASSERT_TRUE(a.ok);
  EXPECT_EQ(a.pixels, (Bytes{30, 20, 10, 40, 0, 2, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0}));

  // RLE: a run of 2, then a raw packet announcing 2 with only one pixel.
  Decoded b = DecodeFile(MakeTga(Header(10, 24, 2, 2), {0x81, 1, 2, 3, 0x01, 4, 5, 6}));
  ASSERT_TRUE(b.ok);
  EXPECT_EQ(b.pixels, (Bytes{1, 2, 3, 1, 2, 3, 4, 5, 6, 0, 0, 0}));

  // A run packet whose value is cut short.
  Decoded c = DecodeFile(MakeTga(Header(10, 32, 2, 1), {0x81, 9, 8}));
  ASSERT_TRUE(c.ok);
  EXPECT_EQ(c.pixels, (Bytes{0, 8, 9, 0, 0, 8, 9, 0}));

  // 16-bit and colour-mapped, cut after one pixel.
  Decoded d = DecodeFile(MakeTga(Header(2, 16, 2, 1), {0xFF, 0x7F}));
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(d.pixels, (Bytes{248, 248, 248, 0, 0, 0}));
  Decoded e = DecodeFile(MakeTga(Mapped(1, 2, 24, 3, 1), {1}, {1, 2, 3, 4, 5, 6}));
  ASSERT_TRUE(e.ok);
  EXPECT_EQ(e.pixels, (Bytes{4, 5, 6, 0, 0, 0, 0, 0, 0}));
  // The colour map itself cut short.
  Decoded f = DecodeFile(MakeTga(Mapped(1, 2, 24, 2, 1), {}, {1, 2, 3, 4}));
  ASSERT_TRUE(f.ok);
  EXPECT_EQ(f.pixels, (Bytes{0, 0, 0, 0, 0, 0}));

  // Only the header, or less: a zero image, or false when the header itself
  // is cut (then the type reads as 0).
  Decoded g = DecodeFile(MakeTga(Header(2, 24, 3, 3), {}));
  ASSERT_TRUE(g.ok);
  EXPECT_EQ(g.pixels, Bytes(27, 0));
  EXPECT_FALSE(DecodeFile(MakeTga(Header(2, 24, 3, 3), {}).substr(0, 2)).ok);
  EXPECT_FALSE(DecodeFile(std::string()).ok);
}

TEST(TgaImage, RunsNeverWritePastTheLastPixel) {
  // A run of 128 and a raw packet of 128 into a 2 x 2 picture.
  Decoded a = DecodeFile(MakeTga(Header(10, 32, 2, 2), {0xFF, 1, 2, 3, 4}));
  ASSERT_TRUE(a.ok);
  EXPECT_EQ(a.pixels.size(), 16u);
  EXPECT_EQ(a.pixels, (Bytes{3, 2, 1, 4, 3, 2, 1, 4, 3, 2, 1, 4, 3, 2, 1, 4}));
  Bytes raw = {0x7F};
  for (int i = 0; i < 128; ++i)
    raw.insert(raw.end(), {static_cast<uint8_t>(i), 0, 0});
  Decoded b = DecodeFile(MakeTga(Header(10, 24, 1, 3), raw));
  ASSERT_TRUE(b.ok);
  EXPECT_EQ(b.pixels, (Bytes{0, 0, 0, 1, 0, 0, 2, 0, 0}));
  Decoded c = DecodeFile(MakeTga(Header(10, 16, 1, 1), {0xFF, 0xFF, 0x7F}));
  ASSERT_TRUE(c.ok);
  EXPECT_EQ(c.pixels, (Bytes{248, 248, 248}));
  Decoded d = DecodeFile(MakeTga(Mapped(9, 1, 24, 1, 2), {0xFF, 0}, {7, 8, 9}));
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(d.pixels, (Bytes{7, 8, 9, 7, 8, 9}));
}

TEST(TgaImage, SizesAreLimited) {
  EXPECT_FALSE(DecodeFile(MakeTga(Header(2, 32, MaxImageSide + 1, 1), {1, 2, 3, 4})).ok);
  EXPECT_FALSE(DecodeFile(MakeTga(Header(2, 32, 1, MaxImageSide + 1), {1, 2, 3, 4})).ok);
  EXPECT_FALSE(DecodeFile(MakeTga(Header(2, 32, 65535, 65535), {1, 2, 3, 4})).ok);
  EXPECT_FALSE(DecodeFile(MakeTga(Header(2, 32, 0, 4), {1, 2, 3, 4})).ok);
  EXPECT_FALSE(DecodeFile(MakeTga(Header(2, 32, 4, 0), {1, 2, 3, 4})).ok);
}

TEST(TgaImage, LittleDataDecodesWithTheRestZeroButHugeClaimsAreRefused) {
  // 64 x 32 grey from one run packet: the bytes there are decoded, the rest is
  // zero, and nothing reads past the member.
  TestArchiveDir archive(TestMembers{
      {"textures\\small.tga", MakeTga(Header(11, 8, 64, 32), {0x83, 77})},
      {"textures\\big.tga", MakeTga(Header(11, 8, MaxImageSide, MaxImageSide), {0x83, 77})}});
  ASSERT_TRUE(archive.Ok());
  TgaImage image;
  ASSERT_TRUE(LoadTga("textures\\small.tga", image));
  EXPECT_EQ(image.width, 64);
  EXPECT_EQ(image.pixels[0], 77);
  EXPECT_EQ(image.pixels[3], 77);
  EXPECT_EQ(image.pixels[4], 0);
  EXPECT_EQ(image.pixels[64 * 32 - 1], 0);
  free(image.pixels);

  // The same few bytes claiming 16384 x 16384 describe data that is not there.
  TgaImage huge;
  EXPECT_FALSE(LoadTga("textures\\big.tga", huge));
  EXPECT_EQ(huge.pixels, nullptr);
}

TEST(TgaImage, HeaderFieldsAreKept) {
  TgaHeader h = Header(2, 32, 3, 2);
  h.descriptor = 8;
  TestArchiveDir archive(TestMembers{{"textures\\t.tga", MakeTga(h, Bytes(24, 1))}});
  ASSERT_TRUE(archive.Ok());
  ASSERT_TRUE(LoadTga("textures\\t.tga", DecodedTga));
  EXPECT_EQ(DecodedTga.imageType, 2);
  EXPECT_EQ(DecodedTga.width, 3);
  EXPECT_EQ(DecodedTga.height, 2);
  EXPECT_EQ(DecodedTga.pixelDepth, 32);
  EXPECT_EQ(DecodedTga.imageDescriptor, 8);
  free(DecodedTga.pixels);
  DecodedTga.pixels = nullptr;
}
