// Overlays: the clock text, the glyphs and where they land, the
// frame rate, the centred quad, and the OpenGL state each helper leaves.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <array>
#include <cmath>
#include <string>

#include "platform/Clock.h"
#include "ui/OverlayTestHelpers.h"

using namespace overlaytest;

namespace {

std::string Clock(int h, int m, int s, bool twelveHour) {
  char text[16];
  int n = FormatClockText(h, m, s, twelveHour, text);
  EXPECT_EQ(n, static_cast<int>(strlen(text)));
  return text;
}

std::array<GLfloat, 16> Matrix(GLenum which) {
  std::array<GLfloat, 16> m{};
  glGetFloatv(which, m.data());
  return m;
}

GLint Integer(GLenum what) {
  GLint v = 0;
  glGetIntegerv(what, &v);
  return v;
}

void ExpectMatrixNear(const std::array<GLfloat, 16>& a, const std::array<GLfloat, 16>& b) {
  for (int i = 0; i < 16; ++i)
    EXPECT_NEAR(a[i], b[i], 1e-5) << "element " << i;
}

// glOrtho(0, right, 0, top, -1, 1) as OpenGL stores it.
std::array<GLfloat, 16> Ortho(float right, float top) {
  return {2 / right, 0, 0, 0, 0, 2 / top, 0, 0, 0, 0, -1, 0, -1, -1, 0, 1};
}

const std::array<GLfloat, 16> Identity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

class OverlayTest : public testing::Test {
protected:
  explicit OverlayTest(int w = 800, int h = 600) : gl(w, h) {}
  void SetUp() override {
    REQUIRE_GL(gl);
    savedSettings = Settings;
    Settings.Width = static_cast<uint32_t>(gl.width);
    Settings.Height = static_cast<uint32_t>(gl.height);
    Settings.TimeFormat = false;
    atlas = std::make_unique<AtlasInCatalogue>();
    BlackFrame();
  }
  void TearDown() override {
    atlas.reset();
    ClearLocalTimeOverride();
    Settings = savedSettings;
  }

  GlTestContext gl;
  SettingsRecord savedSettings;
  std::unique_ptr<AtlasInCatalogue> atlas;
};

} // namespace

TEST(ClockText, TableOfTimes) {
  struct Row {
    int h, m, s;
    bool twelve;
    const char* text;
  } rows[] = {
      {0, 5, 9, false, "00:05:09"},    {0, 5, 9, true, "12:05:09;"},
      {12, 5, 9, false, "12:05:09"},   {12, 5, 9, true, "12:05:09<"},
      {12, 30, 0, true, "12:30:00<"},  {13, 0, 0, true, "01:00:00<"},
      {13, 0, 0, false, "13:00:00"},   {23, 59, 59, false, "23:59:59"},
      {23, 59, 59, true, "11:59:59<"}, {11, 59, 59, true, "11:59:59;"},
      {1, 0, 0, true, "01:00:00;"},    {9, 9, 9, false, "09:09:09"},
      {10, 10, 10, false, "10:10:10"}, {22, 0, 1, true, "10:00:01<"},
      {0, 0, 0, false, "00:00:00"},
  };
  for (const Row& r : rows)
    EXPECT_EQ(Clock(r.h, r.m, r.s, r.twelve), r.text) << r.h << ":" << r.m << ":" << r.s;
}

TEST(ClockText, OddValuesNeverOverflow) {
  char text[16];
  int n = FormatClockText(2000000000, -2000000000, 2000000000, true, text);
  EXPECT_LE(n, 15);
  EXPECT_EQ(strlen(text), static_cast<size_t>(n));
}

TEST_F(OverlayTest, BuildDigitGlyphsMakesThirteenLists) {
  EXPECT_EQ(GlyphAtlasTexture, atlas->entry->textureName);
  ASSERT_NE(FirstGlyphList, 0u);
  for (int q = 0; q < GlyphCount; ++q)
    EXPECT_TRUE(glIsList(FirstGlyphList + q)) << q;
  EXPECT_EQ(Integer(GL_TEXTURE_BINDING_2D), static_cast<GLint>(GlyphAtlasTexture));
  EXPECT_FLOAT_EQ(GlyphAdvance, 27.99999952316284f);
}

TEST_F(OverlayTest, ClockTwentyFourHour) {
  SetLocalTimeOverride(0, 5, 9);
  DrawClock();
  EXPECT_EQ(ReadGlyphs(gl, 525, 2, 40, 28), "00:05:09");
  // Eight glyphs end at 525 + 7 x 28 + 40 = 761.
  EXPECT_FALSE(Black(gl, 760, 20));
  EXPECT_TRUE(Black(gl, 761, 20));
  EXPECT_TRUE(Black(gl, 524, 20));
  EXPECT_FALSE(Black(gl, 525, 20));
  // Bottom edge at 2, top at 42.
  EXPECT_TRUE(Black(gl, 540, 1));
  EXPECT_FALSE(Black(gl, 540, 2));
  EXPECT_FALSE(Black(gl, 540, 41));
  EXPECT_TRUE(Black(gl, 540, 42));
}

TEST_F(OverlayTest, ClockTwelveHourMarks) {
  struct Row {
    int h, m, s;
    const char* text;
  } rows[] = {{0, 5, 9, "12:05:09;"}, {12, 30, 0, "12:30:00<"}, {13, 0, 0, "01:00:00<"}};
  Settings.TimeFormat = true;
  for (const Row& r : rows) {
    BlackFrame();
    SetLocalTimeOverride(r.h, r.m, r.s);
    DrawClock();
    EXPECT_EQ(ReadGlyphs(gl, 525, 2, 40, 28), r.text);
    // Nine glyphs end at x = 789.
    EXPECT_FALSE(Black(gl, 788, 20));
    EXPECT_TRUE(Black(gl, 789, 20));
  }
}

TEST_F(OverlayTest, ClockWithoutMarkInTheAfternoonOnTwentyFourHours) {
  SetLocalTimeOverride(15, 45, 30);
  DrawClock();
  EXPECT_EQ(ReadGlyphs(gl, 525, 2, 40, 28), "15:45:30");
}

TEST_F(OverlayTest, ClockLeavesItsState) {
  SetLocalTimeOverride(1, 2, 3);
  glDisable(GL_ALPHA_TEST);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  const auto projection = Matrix(GL_PROJECTION_MATRIX);
  const GLint projectionDepth = Integer(GL_PROJECTION_STACK_DEPTH);
  const GLint modelviewDepth = Integer(GL_MODELVIEW_STACK_DEPTH);
  glTranslatef(1, 2, 3);
  const auto modelview = Matrix(GL_MODELVIEW_MATRIX);
  DrawClock();
  EXPECT_TRUE(glIsEnabled(GL_ALPHA_TEST));
  EXPECT_EQ(Integer(GL_ALPHA_TEST_FUNC), GL_ALWAYS);
  GLfloat ref = -1;
  glGetFloatv(GL_ALPHA_TEST_REF, &ref);
  EXPECT_EQ(ref, 0.0f);
  EXPECT_EQ(Integer(GL_BLEND_SRC), GL_SRC_ALPHA);
  EXPECT_EQ(Integer(GL_BLEND_DST), GL_ONE);
  EXPECT_TRUE(glIsEnabled(GL_BLEND));
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_EQ(Integer(GL_MATRIX_MODE), GL_MODELVIEW);
  EXPECT_EQ(Integer(GL_PROJECTION_STACK_DEPTH), projectionDepth);
  EXPECT_EQ(Integer(GL_MODELVIEW_STACK_DEPTH), modelviewDepth);
  ExpectMatrixNear(Matrix(GL_PROJECTION_MATRIX), projection);
  ExpectMatrixNear(Matrix(GL_MODELVIEW_MATRIX), modelview);
  EXPECT_EQ(Integer(GL_TEXTURE_BINDING_2D), static_cast<GLint>(GlyphAtlasTexture));
  GLfloat colour[4];
  glGetFloatv(GL_CURRENT_COLOR, colour);
  EXPECT_EQ(colour[0] + colour[1] + colour[2] + colour[3], 4.0f);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(OverlayTest, FrameRateGlyphs) {
  BeginOverlay();
  DrawFps(7);
  EndOverlay();
  EXPECT_EQ(ReadGlyphs(gl, 4, 558, 40, 28), "7");
  // One glyph: from x 4 to 43, y 558 to 597.
  EXPECT_TRUE(Black(gl, 3, 570));
  EXPECT_FALSE(Black(gl, 4, 570));
  EXPECT_FALSE(Black(gl, 43, 570));
  EXPECT_TRUE(Black(gl, 44, 570));
  EXPECT_FALSE(Black(gl, 20, 597));
  EXPECT_TRUE(Black(gl, 20, 598));

  BlackFrame();
  BeginOverlay();
  DrawFps(120);
  EndOverlay();
  EXPECT_EQ(ReadGlyphs(gl, 4, 558, 40, 28), "120");
  EXPECT_FALSE(Black(gl, 4 + 2 * 28 + 39, 570));
  EXPECT_TRUE(Black(gl, 4 + 2 * 28 + 40, 570));
}

TEST_F(OverlayTest, FrameRateLeavesItsState) {
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_BLEND);
  glColor4f(0.5f, 0.5f, 0.5f, 0.5f);
  glBindTexture(GL_TEXTURE_2D, 0);
  BeginOverlay();
  glTranslatef(100, 100, 0); // DrawFps loads the identity itself
  DrawFps(5);
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_TRUE(glIsEnabled(GL_BLEND));
  EXPECT_EQ(Integer(GL_BLEND_SRC), GL_SRC_ALPHA);
  EXPECT_EQ(Integer(GL_BLEND_DST), GL_ONE);
  EXPECT_EQ(Integer(GL_TEXTURE_BINDING_2D), static_cast<GLint>(GlyphAtlasTexture));
  GLfloat colour[4];
  glGetFloatv(GL_CURRENT_COLOR, colour);
  EXPECT_EQ(colour[0] + colour[1] + colour[2] + colour[3], 4.0f);
  // The glyph's advance stays on the modelview matrix.
  auto m = Matrix(GL_MODELVIEW_MATRIX);
  EXPECT_NEAR(m[12], 4 + GlyphAdvance, 1e-4);
  EXPECT_NEAR(m[13], 558, 1e-4);
  EndOverlay();
  EXPECT_EQ(ReadGlyphs(gl, 4, 558, 40, 28), "5");
}

TEST_F(OverlayTest, GlyphPlacementInPixelSpace) {
  BeginPixelOverlay();
  glLoadIdentity();
  glBindTexture(GL_TEXTURE_2D, GlyphAtlasTexture);
  glColor4f(1, 1, 1, 1);
  DrawGlyphText(100, 50, "0:;<9");
  auto m = Matrix(GL_MODELVIEW_MATRIX);
  EXPECT_NEAR(m[12], 100 + 5 * GlyphAdvance, 1e-3);
  EXPECT_NEAR(m[13], 50, 1e-4);
  EndOverlay();
  EXPECT_EQ(ReadGlyphs(gl, 100, 50, 40, 28), "0:;<9");
  EXPECT_TRUE(Black(gl, 99, 70));
  EXPECT_FALSE(Black(gl, 100, 70));
  EXPECT_TRUE(Black(gl, 110, 49));
  EXPECT_FALSE(Black(gl, 110, 50));
  EXPECT_FALSE(Black(gl, 110, 89));
  EXPECT_TRUE(Black(gl, 110, 90));
  // The last glyph starts at 100 + 4 x 28 = 212 and ends at 252.
  EXPECT_FALSE(Black(gl, 251, 70));
  EXPECT_TRUE(Black(gl, 252, 70));
  // Where two glyphs overlap (128 to 139) both add up: brighter green is
  // clipped, red is the sum of the two cells.
  GlTestContext::Rgba overlap = gl.Pixel(134, 70);
  EXPECT_NEAR(overlap.r, CellRed(0) + CellRed(10), 6);
}

TEST_F(OverlayTest, EveryGlyphCell) {
  BeginPixelOverlay();
  glLoadIdentity();
  glBindTexture(GL_TEXTURE_2D, GlyphAtlasTexture);
  glColor4f(1, 1, 1, 1);
  DrawGlyphText(10, 300, "0123456789:;<");
  EndOverlay();
  EXPECT_EQ(ReadGlyphs(gl, 10, 300, 40, 28, 20), "0123456789:;<");
}

TEST_F(OverlayTest, OtherCharactersDrawNothing) {
  BeginPixelOverlay();
  glLoadIdentity();
  glBindTexture(GL_TEXTURE_2D, GlyphAtlasTexture);
  glColor4f(1, 1, 1, 1);
  DrawGlyphText(10, 10, "-1 a=2\xff/");
  auto m = Matrix(GL_MODELVIEW_MATRIX);
  EXPECT_NEAR(m[12], 10 + 2 * GlyphAdvance, 1e-3);
  EndOverlay();
  EXPECT_EQ(ReadGlyphs(gl, 10, 10, 40, 28), "12");
}

TEST_F(OverlayTest, SameFractionOfTheScreenOnAnySize) {
  atlas.reset(); // each context gets an atlas of its own
  for (std::array<int, 2> size : {std::array<int, 2>{1024, 768}, std::array<int, 2>{1600, 1200}}) {
    GlTestContext big(size[0], size[1]);
    REQUIRE_GL(big);
    Settings.Width = static_cast<uint32_t>(size[0]);
    Settings.Height = static_cast<uint32_t>(size[1]);
    AtlasInCatalogue bigAtlas;
    BlackFrame();
    SetLocalTimeOverride(10, 20, 30);
    DrawClock();
    const double sx = size[0] / 800.0, sy = size[1] / 600.0;
    EXPECT_EQ(ReadGlyphs(big, 525 * sx, 2 * sy, 40 * sx, 28 * sx), "10:20:30");
    // Left and right edges at 525 and 761 of the 800 virtual units.
    const int left = static_cast<int>(std::ceil(525 * sx - 0.5));
    const int right = static_cast<int>(std::ceil(761 * sx - 0.5));
    const int y = static_cast<int>(20 * sy);
    EXPECT_TRUE(Black(big, left - 1, y)) << size[0];
    EXPECT_FALSE(Black(big, left, y)) << size[0];
    EXPECT_FALSE(Black(big, right - 1, y)) << size[0];
    EXPECT_TRUE(Black(big, right, y)) << size[0];
  }
}

TEST_F(OverlayTest, OverlaySpaces) {
  glViewport(0, 0, 10, 10);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glFrustum(-1, 1, -1, 1, 1, 100);
  const auto projection = Matrix(GL_PROJECTION_MATRIX);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glTranslatef(5, 6, 7);
  const auto modelview = Matrix(GL_MODELVIEW_MATRIX);
  const GLint projectionDepth = Integer(GL_PROJECTION_STACK_DEPTH);
  const GLint modelviewDepth = Integer(GL_MODELVIEW_STACK_DEPTH);

  BeginOverlay();
  EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
  EXPECT_EQ(Integer(GL_MATRIX_MODE), GL_MODELVIEW);
  ExpectMatrixNear(Matrix(GL_PROJECTION_MATRIX), Ortho(800, 600));
  ExpectMatrixNear(Matrix(GL_MODELVIEW_MATRIX), Identity);
  EXPECT_EQ(Integer(GL_PROJECTION_STACK_DEPTH), projectionDepth + 1);
  EXPECT_EQ(Integer(GL_MODELVIEW_STACK_DEPTH), modelviewDepth + 1);
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[0], 0);
  EXPECT_EQ(viewport[1], 0);
  EXPECT_EQ(viewport[2], 800);
  EXPECT_EQ(viewport[3], 600);
  EndOverlay();
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_EQ(Integer(GL_MATRIX_MODE), GL_MODELVIEW);
  ExpectMatrixNear(Matrix(GL_PROJECTION_MATRIX), projection);
  ExpectMatrixNear(Matrix(GL_MODELVIEW_MATRIX), modelview);
  EXPECT_EQ(Integer(GL_PROJECTION_STACK_DEPTH), projectionDepth);
  EXPECT_EQ(Integer(GL_MODELVIEW_STACK_DEPTH), modelviewDepth);

  // The pixel space: Width x Height units; EndOverlay enables depth test and
  // lighting even when they were off before.
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  Settings.Width = 640;
  Settings.Height = 480;
  BeginPixelOverlay();
  ExpectMatrixNear(Matrix(GL_PROJECTION_MATRIX), Ortho(640, 480));
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 640);
  EXPECT_EQ(viewport[3], 480);
  EndOverlay();
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  ExpectMatrixNear(Matrix(GL_PROJECTION_MATRIX), projection);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(OverlayTest, CenteredQuadCornersAndTextureOrientation) {
  // A 2 x 2 texture: bottom row red, green; top row blue, white.
  const uint8_t pixels[] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
  const uint32_t name = UploadImage(3, GL_RGB, 2, 2, pixels);
  glBindTexture(GL_TEXTURE_2D, name);
  BeginPixelOverlay();
  glColor4f(1, 1, 1, 1);
  DrawCenteredQuad(400, 300, 100, 50);
  EndOverlay();
  // Covers x 300 to 499, y 250 to 349.
  EXPECT_TRUE(Black(gl, 299, 300));
  EXPECT_FALSE(Black(gl, 300, 300));
  EXPECT_FALSE(Black(gl, 499, 300));
  EXPECT_TRUE(Black(gl, 500, 300));
  EXPECT_TRUE(Black(gl, 400, 249));
  EXPECT_FALSE(Black(gl, 400, 250));
  EXPECT_FALSE(Black(gl, 400, 349));
  EXPECT_TRUE(Black(gl, 400, 350));
  // Texture coordinate (0, 0) at the bottom left: the texel centres.
  auto near = [&](int x, int y, int r, int g, int b) {
    GlTestContext::Rgba p = gl.Pixel(x, y);
    EXPECT_NEAR(p.r, r, 8) << x << "," << y;
    EXPECT_NEAR(p.g, g, 8) << x << "," << y;
    EXPECT_NEAR(p.b, b, 8) << x << "," << y;
  };
  near(350, 275, 255, 0, 0);
  near(450, 275, 0, 255, 0);
  near(350, 325, 0, 0, 255);
  near(450, 325, 255, 255, 255);
}

TEST_F(OverlayTest, WithoutAtlasGlyphsAreWhiteQuads) {
  atlas.reset();
  ASSERT_EQ(FindTexture("textures\\c.jpg"), nullptr);
  BuildDigitGlyphs();
  EXPECT_EQ(GlyphAtlasTexture, 0u);
  BlackFrame();
  SetLocalTimeOverride(12, 0, 0);
  DrawClock();
  GlTestContext::Rgba p = gl.Pixel(545, 22);
  EXPECT_EQ(p.r, 255);
  EXPECT_EQ(p.g, 255);
  EXPECT_EQ(p.b, 255);
  EXPECT_FALSE(Black(gl, 760, 22));
  EXPECT_TRUE(Black(gl, 761, 22));
}
