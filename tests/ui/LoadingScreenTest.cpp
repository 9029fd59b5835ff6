// The loading screen: the two pictures, the redraw on each
// progress report, and the reports of the texture catalogue.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <array>
#include <string>

#include "platform/Window.h"
#include "resources/ImageTestHelpers.h"
#include "support/TestArchive.h"
#include "ui/LoadingScreen.h"
#include "ui/OverlayTestHelpers.h"

using namespace imagetest;
using namespace overlaytest;

namespace {

GLint Integer(GLenum what) {
  GLint v = 0;
  glGetIntegerv(what, &v);
  return v;
}

// The archive of a saver run: the two pictures (sign red, load green), a
// blue texture listed three times, and the glyph atlas.
TestMembers SaverMembers() {
  return {{"texture.txt", "blue.jpg\nblue.jpg\nc.jpg\nEND_TEXT\n"},
          {"textures\\sign.jpg", SolidJpeg(32, 32, 255, 0, 0)},
          {"textures\\load.jpg", SolidJpeg(32, 32, 0, 255, 0)},
          {"textures\\blue.jpg", SolidJpeg(8, 8, 0, 0, 255)},
          {"textures\\c.jpg", SolidJpeg(64, 64, 255, 255, 255)}};
}

class LoadingScreenTest : public testing::Test {
protected:
  explicit LoadingScreenTest(int w = 800, int h = 600) : gl(w, h) {}
  void SetUp() override {
    REQUIRE_GL(gl);
    savedSettings = Settings;
    Settings.Width = static_cast<uint32_t>(gl.width);
    Settings.Height = static_cast<uint32_t>(gl.height);
    archive = std::make_unique<TestArchiveDir>(SaverMembers());
    ASSERT_TRUE(archive->Ok());
    LoadLoadingImages();
    BlackFrame();
  }
  void TearDown() override {
    LoadProgressSink = nullptr;
    LoadingSignImage = TextureEntry();
    LoadingLoadImage = TextureEntry();
    for (TextureEntry* e : Textures)
      delete e;
    Textures.Clear();
    archive.reset();
    Settings = savedSettings;
  }

public:
  bool Red(int x, int y) {
    GlTestContext::Rgba p = gl.Pixel(x, y);
    return p.r > 240 && p.g < 16 && p.b < 16;
  }
  bool Green(int x, int y) {
    GlTestContext::Rgba p = gl.Pixel(x, y);
    return p.g > 240 && p.r < 16 && p.b < 16;
  }

protected:
  GlTestContext gl;
  SettingsRecord savedSettings;
  std::unique_ptr<TestArchiveDir> archive;
};

} // namespace

TEST(LoadProgress, MessageNumber) { EXPECT_EQ(LoadProgressMessage, 1026u); }

TEST(LoadProgress, SendCallsTheSinkWhenSet) {
  static int calls;
  calls = 0;
  LoadProgressSink = nullptr;
  SendLoadProgress(); // no sink: nothing happens
  LoadProgressSink = [] { ++calls; };
  SendLoadProgress();
  SendLoadProgress();
  LoadProgressSink = nullptr;
  EXPECT_EQ(calls, 2);
}

TEST_F(LoadingScreenTest, LoadsBothPictures) {
  EXPECT_STREQ(LoadingSignImage.path, "textures\\sign.jpg");
  EXPECT_STREQ(LoadingLoadImage.path, "textures\\load.jpg");
  EXPECT_NE(LoadingSignImage.textureName, 0u);
  EXPECT_NE(LoadingLoadImage.textureName, 0u);
  EXPECT_NE(LoadingSignImage.textureName, LoadingLoadImage.textureName);
  // Not in the catalogue's list.
  EXPECT_EQ(Textures.Size(), 0u);
}

TEST_F(LoadingScreenTest, TwoQuadsWhereThePartPutsThem) {
  int presents = 0;
  // Something on screen and in the depth buffer before: the clear removes it.
  glClearColor(0.2f, 0.4f, 0.6f, 1);
  glClearDepth(0.25);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glClearColor(0, 0, 0, 0);
  glClearDepth(1);
  HandleLoadProgressMessage([&] {
    ++presents;
    // "sign.jpg": 220 x 220 around (400, 350), x 290 to 509, y 240 to 459.
    EXPECT_TRUE(Red(400, 350));
    EXPECT_TRUE(Red(290, 350));
    EXPECT_TRUE(Red(509, 350));
    EXPECT_TRUE(Red(400, 459));
    EXPECT_TRUE(Red(400, 240));
    EXPECT_TRUE(Black(gl, 289, 350));
    EXPECT_TRUE(Black(gl, 510, 350));
    EXPECT_TRUE(Black(gl, 400, 460));
    // "load.jpg": 200 x 200 around (400, 140), x 300 to 499, y 40 to 239.
    EXPECT_TRUE(Green(400, 140));
    EXPECT_TRUE(Green(300, 140));
    EXPECT_TRUE(Green(499, 140));
    EXPECT_TRUE(Green(400, 239));
    EXPECT_TRUE(Green(400, 40));
    EXPECT_TRUE(Black(gl, 299, 140));
    EXPECT_TRUE(Black(gl, 500, 140));
    EXPECT_TRUE(Black(gl, 400, 39));
    // Everything else is black.
    EXPECT_TRUE(Black(gl, 0, 0));
    EXPECT_TRUE(Black(gl, 799, 599));
    EXPECT_TRUE(Black(gl, 295, 235));
    GLfloat depth = 0;
    glReadPixels(10, 10, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    EXPECT_EQ(depth, 1.0f);
  });
  EXPECT_EQ(presents, 1);
}

TEST_F(LoadingScreenTest, StateAfterDrawing) {
  glDisable(GL_TEXTURE_2D);
  const GLint projectionDepth = Integer(GL_PROJECTION_STACK_DEPTH);
  const GLint modelviewDepth = Integer(GL_MODELVIEW_STACK_DEPTH);
  DrawLoadingScreen();
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_EQ(Integer(GL_TEXTURE_BINDING_2D), static_cast<GLint>(LoadingLoadImage.textureName));
  EXPECT_EQ(Integer(GL_MATRIX_MODE), GL_MODELVIEW);
  EXPECT_EQ(Integer(GL_PROJECTION_STACK_DEPTH), projectionDepth);
  EXPECT_EQ(Integer(GL_MODELVIEW_STACK_DEPTH), modelviewDepth);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(LoadingScreenTest, EachTextureRedrawsTheScreen) {
  static int presents;
  static LoadingScreenTest* self;
  presents = 0;
  self = this;
  LoadProgressSink = [] {
    HandleLoadProgressMessage([] {
      ++presents;
      EXPECT_TRUE(self->Red(400, 350));
      EXPECT_TRUE(self->Green(400, 140));
    });
  };
  LoadTextureCatalogue(Textures, "texture.txt", true);
  EXPECT_EQ(Textures.Size(), 3u);
  EXPECT_EQ(presents, 3);
  // And none with the flag clear.
  LoadTextureCatalogue(Textures, "texture.txt", false);
  EXPECT_EQ(presents, 3);
}

TEST_F(LoadingScreenTest, MissingPicturesShowTheirMessageAndDrawUntextured) {
  archive = std::make_unique<TestArchiveDir>(TestMembers{{"texture.txt", "END_TEXT\n"}});
  ASSERT_TRUE(archive->Ok());
  LoadingSignImage = TextureEntry();
  LoadingLoadImage = TextureEntry();
  MessageRecorder messages;
  LoadLoadingImages();
  EXPECT_EQ(LoadingSignImage.textureName, 0u);
  EXPECT_EQ(LoadingLoadImage.textureName, 0u);
  ASSERT_EQ(messages.messages().size(), 2u);
  EXPECT_EQ(messages.messages()[0].first, "ARCH:Can't load JPG file: textures\\load.jpg");
  EXPECT_EQ(messages.messages()[1].first, "ARCH:Can't load JPG file: textures\\sign.jpg");
  HandleLoadProgressMessage([&] {
    GlTestContext::Rgba p = gl.Pixel(400, 350);
    EXPECT_EQ(p.r, 255);
    EXPECT_EQ(p.g, 255);
    EXPECT_EQ(p.b, 255);
  });
}

class LoadingScreenWideTest : public LoadingScreenTest {
protected:
  LoadingScreenWideTest() : LoadingScreenTest(1024, 768) {}
};

TEST_F(LoadingScreenWideTest, PicturesScaleWithTheWindow) {
  HandleLoadProgressMessage([&] {
    // 220 / 800 of 1024 = 281.6 pixels wide, from 371.2 to 652.8.
    EXPECT_TRUE(Black(gl, 370, 448));
    EXPECT_TRUE(Red(372, 448));
    EXPECT_TRUE(Red(652, 448));
    EXPECT_TRUE(Black(gl, 653, 448));
    // "load.jpg" from y 51.2 to 307.2.
    EXPECT_TRUE(Green(512, 52));
    EXPECT_TRUE(Black(gl, 512, 50));
  });
}
