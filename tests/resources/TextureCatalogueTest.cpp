// The texture catalogue and texture upload against archives made
// on the fly, on an offscreen OpenGL context.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstring>
#include <string>
#include <vector>

#include "resources/ImageTestHelpers.h"
#include "resources/TextureCatalogue.h"
#include "resources/TgaImage.h"
#include "support/GlTestContext.h"
#include "support/TestArchive.h"

using namespace imagetest;

namespace {

int progressCalls = 0;
void CountProgress() { ++progressCalls; }

class TextureCatalogueTest : public testing::Test {
protected:
  void SetUp() override {
    REQUIRE_GL(gl);
    progressCalls = 0;
    LoadProgressSink = CountProgress;
  }
  void TearDown() override {
    LoadProgressSink = nullptr;
    for (TextureEntry* e : catalogue)
      delete e;
    catalogue.Clear();
  }

  // Loads the catalogue from an archive holding "texture.txt" = script and
  // the given further members.
  void Load(const std::string& script, TestMembers members = {}, bool progress = true) {
    members.insert(members.begin(), {"texture.txt", script});
    TestArchiveDir dir(members);
    ASSERT_TRUE(dir.Ok());
    LoadTextureCatalogue(catalogue, "texture.txt", progress);
  }

  std::vector<std::string> Paths() const {
    std::vector<std::string> paths;
    for (TextureEntry* e : catalogue)
      paths.push_back(e->path);
    return paths;
  }

  static GLint TexLevelParameter(GLuint name, int level, GLenum what) {
    GLint value = 0;
    glBindTexture(GL_TEXTURE_2D, name);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, what, &value);
    return value;
  }

  GlTestContext gl{64, 64};
  TextureCatalogue catalogue;
  MessageRecorder messages;
};

// An internal format given as a component count (1, 3, 4) or as its name;
// drivers report either.
bool SameFormat(GLint reported, int components) {
  switch (components) {
  case 1:
    return reported == 1 || reported == GL_LUMINANCE;
  case 3:
    return reported == 3 || reported == GL_RGB;
  case 4:
    return reported == 4 || reported == GL_RGBA;
  }
  return false;
}

std::string Tga32(uint16_t w, uint16_t h, std::vector<uint8_t> bgra) {
  TgaHeader hd;
  hd.imageType = 2;
  hd.depth = 32;
  hd.width = w;
  hd.height = h;
  return MakeTga(hd, bgra);
}

} // namespace

TEST_F(TextureCatalogueTest, LineGivesEntryUnderTexturesPath) {
  Load("sun.jpg\nEND_TEXT\n", {{"textures\\sun.jpg", SolidJpeg(8, 8, 255, 128, 0)}});
  ASSERT_EQ(catalogue.Size(), 1u);
  EXPECT_STREQ(catalogue[0]->path, "textures\\sun.jpg");
  EXPECT_NE(catalogue[0]->textureName, 0u);
  EXPECT_TRUE(glIsTexture(catalogue[0]->textureName));
  EXPECT_EQ(catalogue.Find("textures\\sun.jpg"), catalogue[0]);
  EXPECT_EQ(catalogue.Find("sun.jpg"), nullptr);
  EXPECT_EQ(catalogue.Find("textures\\SUN.JPG"), nullptr);
  EXPECT_EQ(progressCalls, 1);
  EXPECT_TRUE(messages.messages().empty());
}

TEST_F(TextureCatalogueTest, GlobalCatalogueAndFindTexture) {
  TestArchiveDir dir(TestMembers{{"texture.txt", "a.jpg\nEND_TEXT\n"},
                                 {"textures\\a.jpg", SolidJpeg(4, 4, 1, 2, 3)}});
  ASSERT_TRUE(dir.Ok());
  Textures.Clear();
  LoadTextureCatalogue(Textures, "texture.txt", false);
  ASSERT_EQ(Textures.Size(), 1u);
  EXPECT_EQ(FindTexture("textures\\a.jpg"), Textures[0]);
  EXPECT_EQ(FindTexture("a.jpg"), nullptr);
  delete Textures[0];
  Textures.Clear();
  EXPECT_EQ(FindTexture("textures\\a.jpg"), nullptr);
}

TEST_F(TextureCatalogueTest, Endings) {
  const std::string jpeg = SolidJpeg(8, 8, 10, 20, 30);
  const std::string tga = Tga32(2, 2, std::vector<uint8_t>(16, 200));
  Load("a.jpg\nb.JPG\nc.tga\nd.TGA\ne.png\nf.Jpg\ng.jpeg\njpg\nh\nEND_TEXT\n",
       {{"textures\\a.jpg", jpeg},
        {"textures\\b.JPG", jpeg},
        {"textures\\c.tga", tga},
        {"textures\\d.TGA", tga},
        {"textures\\e.png", jpeg},
        {"textures\\f.Jpg", jpeg},
        {"textures\\g.jpeg", jpeg},
        {"textures\\jpg", jpeg},
        {"textures\\h", jpeg}});
  ASSERT_EQ(catalogue.Size(), 9u);
  EXPECT_EQ(Paths(),
            (std::vector<std::string>{"textures\\a.jpg", "textures\\b.JPG", "textures\\c.tga",
                                      "textures\\d.TGA", "textures\\e.png", "textures\\f.Jpg",
                                      "textures\\g.jpeg", "textures\\jpg", "textures\\h"}));
  const bool loaded[9] = {true, true, true, true, false, false, false, true, false};
  for (int i = 0; i < 9; ++i)
    EXPECT_EQ(catalogue[i]->textureName != 0, loaded[i]) << catalogue[i]->path;
  // Each texture is a name of its own.
  EXPECT_NE(catalogue[0]->textureName, catalogue[1]->textureName);
  EXPECT_EQ(progressCalls, 9);
}

TEST_F(TextureCatalogueTest, FirstWordOfALine) {
  Load("sun.jpg moon.jpg\n\tmoon.jpg  trailing\nEND_TEXT\n",
       {{"textures\\sun.jpg", SolidJpeg(4, 4, 1, 1, 1)},
        {"textures\\moon.jpg", SolidJpeg(4, 4, 2, 2, 2)}});
  EXPECT_EQ(Paths(), (std::vector<std::string>{"textures\\sun.jpg", "textures\\moon.jpg"}));
  EXPECT_NE(catalogue[1]->textureName, 0u);
}

TEST_F(TextureCatalogueTest, ProgressFlag) {
  const TestMembers images = {{"textures\\a.jpg", SolidJpeg(4, 4, 1, 1, 1)}};
  Load("a.jpg\na.jpg\na.jpg\nEND_TEXT\n", images, false);
  EXPECT_EQ(catalogue.Size(), 3u);
  EXPECT_EQ(progressCalls, 0);
  Load("a.jpg\na.jpg\na.jpg\nEND_TEXT\n", images, true);
  EXPECT_EQ(catalogue.Size(), 6u);
  EXPECT_EQ(progressCalls, 3);
}

TEST_F(TextureCatalogueTest, ProgressAfterUploadBeforeTheEntryJoins) {
  static TextureCatalogue* seen;
  static std::vector<std::pair<size_t, bool>> calls;
  seen = &catalogue;
  calls.clear();
  LoadProgressSink = [] {
    // The texture of the line is already uploaded (the newest texture name
    // exists), and the entry is not in the catalogue yet.
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    calls.emplace_back(seen->Size(), bound != 0 && glIsTexture(static_cast<GLuint>(bound)));
  };
  Load("a.jpg\nb.jpg\nEND_TEXT\n", {{"textures\\a.jpg", SolidJpeg(4, 4, 1, 1, 1)},
                                    {"textures\\b.jpg", SolidJpeg(4, 4, 1, 1, 1)}});
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0], std::make_pair(size_t{0}, true));
  EXPECT_EQ(calls[1], std::make_pair(size_t{1}, true));
}

TEST_F(TextureCatalogueTest, DuplicatesGiveTwoEntriesAndTwoTextures) {
  Load("sun.jpg\nsun.jpg\nEND_TEXT\n", {{"textures\\sun.jpg", SolidJpeg(4, 4, 9, 9, 9)}});
  ASSERT_EQ(catalogue.Size(), 2u);
  EXPECT_NE(catalogue[0]->textureName, 0u);
  EXPECT_NE(catalogue[1]->textureName, 0u);
  EXPECT_NE(catalogue[0]->textureName, catalogue[1]->textureName);
  EXPECT_EQ(catalogue.Find("textures\\sun.jpg"), catalogue[0]);
}

TEST_F(TextureCatalogueTest, MissingMembers) {
  Load("gone.jpg\ngone.tga\nEND_TEXT\n");
  ASSERT_EQ(catalogue.Size(), 2u);
  EXPECT_EQ(catalogue[0]->textureName, 0u);
  EXPECT_EQ(catalogue[1]->textureName, 0u);
  EXPECT_EQ(progressCalls, 2);
  // Only the JPEG shows a message.
  ASSERT_EQ(messages.messages().size(), 1u);
  EXPECT_EQ(messages.messages()[0].first, "ARCH:Can't load JPG file: textures\\gone.jpg");
  EXPECT_EQ(messages.messages()[0].second, "Error");
  EXPECT_EQ(catalogue.Find("textures\\gone.tga"), catalogue[1]);
}

TEST_F(TextureCatalogueTest, DamagedImagesJoinWithoutTexture) {
  Load("bad.jpg\nbad.tga\ndeep.tga\nEND_TEXT\n", {{"textures\\bad.jpg", "not a jpeg"},
                                                  {"textures\\bad.tga", std::string("\0\0\x05", 3)},
                                                  {"textures\\deep.tga", [] {
                                                     TgaHeader h;
                                                     h.depth = 12;
                                                     return MakeTga(h, {1, 2});
                                                   }()}});
  ASSERT_EQ(catalogue.Size(), 3u);
  for (TextureEntry* e : catalogue)
    EXPECT_EQ(e->textureName, 0u) << e->path;
  ASSERT_EQ(messages.messages().size(), 1u);
  EXPECT_EQ(messages.messages()[0].first, "Unsupported image depth.");
}

TEST_F(TextureCatalogueTest, EndOfList) {
  const TestMembers images = {{"textures\\a.jpg", SolidJpeg(4, 4, 1, 1, 1)}};
  // Lines after END_TEXT are not read; END_TEXT is a prefix test.
  Load("a.jpg\nEND_TEXTURES\na.jpg\n", images);
  EXPECT_EQ(catalogue.Size(), 1u);
  TearDown();
  SetUp();
  // No END_TEXT: the list ends with the member's last line, with or without
  // its line feed.
  Load("a.jpg\na.jpg", images);
  EXPECT_EQ(catalogue.Size(), 2u);
  TearDown();
  SetUp();
  Load("a.jpg\na.jpg\n", images);
  EXPECT_EQ(catalogue.Size(), 2u);
  EXPECT_EQ(progressCalls, 2);
  TearDown();
  SetUp();
  // " END_TEXT": leading spaces are dropped by the line reader.
  Load("a.jpg\n   END_TEXT\na.jpg\n", images);
  EXPECT_EQ(catalogue.Size(), 1u);
}

TEST_F(TextureCatalogueTest, MissingListGivesNothing) {
  TestArchiveDir dir(TestMembers{{"other.txt", "a.jpg\n"}});
  ASSERT_TRUE(dir.Ok());
  LoadTextureCatalogue(catalogue, "texture.txt", true);
  EXPECT_EQ(catalogue.Size(), 0u);
  EXPECT_EQ(progressCalls, 0);
}

TEST_F(TextureCatalogueTest, LinesWithoutAWordAreSkipped) {
  Load("\na.jpg\n\n   \n\t\nb.jpg\r\n\r\nEND_TEXT\n",
       {{"textures\\a.jpg", SolidJpeg(4, 4, 1, 1, 1)},
        {"textures\\b.jpg", SolidJpeg(4, 4, 1, 1, 1)}});
  EXPECT_EQ(Paths(), (std::vector<std::string>{"textures\\a.jpg", "textures\\b.jpg"}));
  EXPECT_EQ(progressCalls, 2);
}

TEST_F(TextureCatalogueTest, LongFileNamesAreSkipped) {
  const std::string name22 = "abcdefghijklmnopqr.jpg";  // 22 characters
  const std::string name23 = "abcdefghijklmnopqrs.jpg"; // 23
  ASSERT_EQ(name22.size(), 22u);
  const std::string longest(120, 'x');
  Load(name23 + "\n" + name22 + "\n" + longest + ".jpg\nEND_TEXT\n",
       {{"textures\\" + name22, SolidJpeg(4, 4, 1, 1, 1)},
        {"textures\\" + name23, SolidJpeg(4, 4, 1, 1, 1)}});
  ASSERT_EQ(catalogue.Size(), 1u);
  EXPECT_EQ(std::string(catalogue[0]->path), "textures\\" + name22);
  EXPECT_EQ(strlen(catalogue[0]->path), 31u);
  EXPECT_NE(catalogue[0]->textureName, 0u);
  EXPECT_EQ(progressCalls, 1);

  // TextureEntry::Load itself refuses such a name, leaving the path empty.
  TestArchiveDir dir(TestMembers{{"textures\\" + name23, SolidJpeg(4, 4, 1, 1, 1)}});
  TextureEntry entry;
  entry.Load(name23.c_str());
  EXPECT_STREQ(entry.path, "");
  EXPECT_EQ(entry.textureName, 0u);
}

TEST_F(TextureCatalogueTest, JpegUploadIsRgbWithMipmaps) {
  Load("a.jpg\nEND_TEXT\n", {{"textures\\a.jpg", SolidJpeg(16, 8, 200, 100, 50)}});
  ASSERT_EQ(catalogue.Size(), 1u);
  const GLuint name = catalogue[0]->textureName;
  ASSERT_NE(name, 0u);
  EXPECT_EQ(TexLevelParameter(name, 0, GL_TEXTURE_WIDTH), 16);
  EXPECT_EQ(TexLevelParameter(name, 0, GL_TEXTURE_HEIGHT), 8);
  EXPECT_PRED2(SameFormat, TexLevelParameter(name, 0, GL_TEXTURE_INTERNAL_FORMAT), 3);
  // The whole chain down to 1 x 1.
  EXPECT_EQ(TexLevelParameter(name, 4, GL_TEXTURE_WIDTH), 1);
  EXPECT_EQ(TexLevelParameter(name, 4, GL_TEXTURE_HEIGHT), 1);
  GLint minFilter = 0, magFilter = 0, alignment = 0, bound = 0;
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
  EXPECT_EQ(minFilter, GL_LINEAR_MIPMAP_LINEAR);
  EXPECT_EQ(magFilter, GL_LINEAR);
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  EXPECT_EQ(alignment, 1);
  // The pixels: level 0 read back.
  std::vector<uint8_t> rgb(16 * 8 * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  EXPECT_NEAR(rgb[0], 200, 4);
  EXPECT_NEAR(rgb[1], 100, 4);
  EXPECT_NEAR(rgb[2], 50, 4);
  (void)bound;
}

TEST_F(TextureCatalogueTest, NonPowerOfTwoIsScaled) {
  Load("a.jpg\nEND_TEXT\n", {{"textures\\a.jpg", SolidJpeg(3, 2, 10, 200, 10)}});
  const GLuint name = catalogue[0]->textureName;
  ASSERT_NE(name, 0u);
  const GLint w = TexLevelParameter(name, 0, GL_TEXTURE_WIDTH);
  const GLint h = TexLevelParameter(name, 0, GL_TEXTURE_HEIGHT);
  EXPECT_TRUE(w == 2 || w == 4) << w;
  EXPECT_EQ(h, 2);
}

TEST_F(TextureCatalogueTest, TgaUploadFollowsTheDecodedDepth) {
  TgaHeader h24;
  h24.depth = 24;
  h24.width = 2;
  h24.height = 1;
  TgaHeader h16 = h24;
  h16.depth = 16;
  TgaHeader h8 = h24;
  h8.imageType = 3;
  h8.depth = 8;
  Load("rgba.tga\nbgr.tga\nhigh.tga\ngrey.tga\nEND_TEXT\n",
       {{"textures\\rgba.tga", Tga32(2, 1, {10, 20, 30, 40, 50, 60, 70, 80})},
        {"textures\\bgr.tga", MakeTga(h24, {10, 20, 30, 40, 50, 60})},
        {"textures\\high.tga", MakeTga(h16, {0x1F, 0x00, 0x00, 0x7C})},
        {"textures\\grey.tga", MakeTga(h8, {90, 180})}});
  ASSERT_EQ(catalogue.Size(), 4u);
  for (TextureEntry* e : catalogue)
    ASSERT_NE(e->textureName, 0u) << e->path;
  glPixelStorei(GL_PACK_ALIGNMENT, 1);

  // 32 bits: four components, R, G, B, A after the swap.
  EXPECT_PRED2(SameFormat,
               TexLevelParameter(catalogue[0]->textureName, 0, GL_TEXTURE_INTERNAL_FORMAT), 4);
  std::vector<uint8_t> rgba(8);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  EXPECT_EQ(rgba, (std::vector<uint8_t>{30, 20, 10, 40, 70, 60, 50, 80}));

  // 24 bits: three components, the stored blue, green, red read as such.
  EXPECT_PRED2(SameFormat,
               TexLevelParameter(catalogue[1]->textureName, 0, GL_TEXTURE_INTERNAL_FORMAT), 3);
  std::vector<uint8_t> rgb(6);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  EXPECT_EQ(rgb, (std::vector<uint8_t>{30, 20, 10, 60, 50, 40}));

  // 16 bits decode to 24: pure blue, then pure red.
  EXPECT_PRED2(SameFormat,
               TexLevelParameter(catalogue[2]->textureName, 0, GL_TEXTURE_INTERNAL_FORMAT), 3);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  EXPECT_EQ(rgb, (std::vector<uint8_t>{0, 0, 248, 248, 0, 0}));

  // 8 bits grey: luminance.
  EXPECT_PRED2(SameFormat,
               TexLevelParameter(catalogue[3]->textureName, 0, GL_TEXTURE_INTERNAL_FORMAT), 1);
  std::vector<uint8_t> lum(2);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_LUMINANCE, GL_UNSIGNED_BYTE, lum.data());
  EXPECT_EQ(lum, (std::vector<uint8_t>{90, 180}));
}

TEST_F(TextureCatalogueTest, UploadTgaReturnsZeroOnFailure) {
  TestArchiveDir dir(TestMembers{{"textures\\ok.tga", Tga32(1, 1, {1, 2, 3, 4})}});
  ASSERT_TRUE(dir.Ok());
  EXPECT_EQ(UploadTga("textures\\nothere.tga"), 0u);
  const uint32_t name = UploadTga("textures\\ok.tga");
  EXPECT_NE(name, 0u);
  EXPECT_TRUE(glIsTexture(name));
  EXPECT_EQ(DecodedTga.pixels, nullptr); // freed after the upload
}
