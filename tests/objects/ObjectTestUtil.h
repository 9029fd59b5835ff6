// Helpers of the object-kind tests: object blocks read from a temporary
// data.sdd through the object-file holder, and a frame on an offscreen GL
// context set up the way the frame driver leaves it for the objects.
#pragma once
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "motion/Camera.h"
#include "objects/ObjectKinds.h"
#include "resources/ArchiveFile.h"
#include "resources/TextureCatalogue.h"
#include "scene/ObjectList.h"
#include "scene/SceneObject.h"
#include "shell/Settings.h"
#include "support/GlTestContext.h"
#include "support/TestArchive.h"

// Reads object blocks from the member "objects.txt" of a fresh archive,
// calling one block reader per block the way the object-file loader does
// after it has read the kind line.
class HeldBlocks {
public:
  explicit HeldBlocks(const std::string& text) : dir({{"objects.txt", text}}) {
    ObjectFileHolder.Close();
    opened = dir.Ok() && ObjectFileHolder.Open("objects.txt");
  }
  ~HeldBlocks() { ObjectFileHolder.Close(); }
  bool Ok() const { return opened; }

  // The next line of the holder (what the loader would read next).
  std::string NextLine() {
    char line[ArchiveFile::LineBufferSize];
    ObjectFileHolder.ReadLine(line);
    return line;
  }

private:
  TestArchiveDir dir;
  bool opened = false;
};

// Reads one block with reader and returns the object it appended to list
// (null when it appended none).
template <typename T>
T* ReadOne(void (*reader)(ObjectList&), ObjectList& list, const std::string& text) {
  HeldBlocks held(text);
  EXPECT_TRUE(held.Ok());
  size_t before = list.Size();
  reader(list);
  return list.Size() > before ? static_cast<T*>(list[list.Size() - 1]) : nullptr;
}

// A 1 x 1 texture of the given colour, also listed in the texture catalogue
// under path (so "texture" lines find it).
inline uint32_t MakeTexture(const char* path, uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255) {
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  const uint8_t pixel[4] = {r, g, b, a};
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
  glBindTexture(GL_TEXTURE_2D, 0);
  auto* entry = new TextureEntry; // entries live until the program ends
  snprintf(entry->path, sizeof entry->path, "%s", path);
  entry->textureName = name;
  Textures.PushBack(entry);
  return name;
}

// An offscreen frame of 320 x 240 pixels in the frame driver's default state:
// alpha test, depth test, lighting, light 1, blending (source alpha, one), 2D
// texturing and normalisation on; a 4:3 perspective (near 1, so small test
// scenes fit); the camera's view on the modelview matrix. Settings.Width and
// Height are the window's.
class TestFrame {
public:
  TestFrame() : gl(320, 240) {
    savedWidth = Settings.Width;
    savedHeight = Settings.Height;
    Settings.Width = gl.width;
    Settings.Height = gl.height;
  }
  ~TestFrame() {
    Settings.Width = savedWidth;
    Settings.Height = savedHeight;
  }

  // Clears the buffers and applies a view from eye towards at.
  void Begin(Vec3 eye, Vec3 at, Vec3 up = Vec3(0, 1, 0)) {
    glViewport(0, 0, gl.width, gl.height);
    glClearColor(0, 0, 0, 0);
    glClearDepth(1.0);
    glDepthMask(GL_TRUE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_ALWAYS, 0.0f);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT1);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_NORMALIZE);
    glDisable(GL_CULL_FACE);
    glDisable(GL_COLOR_MATERIAL);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-0.5 * 4 / 3, 0.5 * 4 / 3, -0.5, 0.5, 1.0, 100000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    Vec3 look = Normalized(at - eye);
    camera.position = eye;
    camera.look = look;
    camera.up = Normalized(Cross(Cross(look, up), look));
    gluLookAt(eye.x, eye.y, eye.z, at.x, at.y, at.z, up.x, up.y, up.z);
    glGetFloatv(GL_MODELVIEW_MATRIX, view);
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
  }

  // Pixels per world unit at distance d from the eye, for this projection.
  double PixelsPerUnit(double d) const { return gl.height / 2.0 / (0.5 * d); }

  // Brightness (r + g + b) of a pixel, and the number of pixels brighter than
  // the threshold.
  int Brightness(int x, int y) const {
    auto p = gl.Pixel(x, y);
    return p.r + p.g + p.b;
  }
  int LitPixels(int threshold = 30) const {
    auto all = gl.ReadAll();
    int n = 0;
    for (size_t i = 0; i < all.size(); i += 4)
      n += all[i] + all[i + 1] + all[i + 2] > threshold;
    return n;
  }

  // The frame's default state: what every object hands back after Render.
  void ExpectDefaultState() const {
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    GLint mode = 0, depthMask = 0, src = 0, dst = 0, stackMv = 0, stackPr = 0, stackTx = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &stackMv);
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &stackPr);
    glGetIntegerv(GL_TEXTURE_STACK_DEPTH, &stackTx);
    EXPECT_EQ(stackMv, 1);
    EXPECT_EQ(stackPr, 1);
    EXPECT_EQ(stackTx, 1);
    float m[16], p[16], t[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    glGetFloatv(GL_PROJECTION_MATRIX, p);
    glGetFloatv(GL_TEXTURE_MATRIX, t);
    for (int i = 0; i < 16; ++i) {
      EXPECT_FLOAT_EQ(m[i], view[i]) << "modelview element " << i;
      EXPECT_FLOAT_EQ(p[i], projection[i]) << "projection element " << i;
      EXPECT_FLOAT_EQ(t[i], i % 5 == 0 ? 1.0f : 0.0f) << "texture matrix element " << i;
    }
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    glGetIntegerv(GL_BLEND_SRC, &src);
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_EQ(src, GL_SRC_ALPHA);
    EXPECT_EQ(dst, GL_ONE);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    glGetIntegerv(GL_DEPTH_WRITEMASK, &depthMask);
    EXPECT_EQ(depthMask, GL_TRUE);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_ALPHA_TEST));
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    EXPECT_FALSE(glIsEnabled(GL_LIGHT0));
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], gl.width);
    EXPECT_EQ(viewport[3], gl.height);
  }

  GlTestContext gl;
  Camera camera;
  float view[16] = {};
  float projection[16] = {};

private:
  uint32_t savedWidth = 0, savedHeight = 0;
};

// Fills the depth buffer with a square of half size h at depth z (world,
// facing +z) without touching the colour buffer, as a planet drawn earlier in
// the frame would.
inline void WriteDepthSquare(float z, float h) {
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_LIGHTING);
  glBegin(GL_QUADS);
  glVertex3f(-h, -h, z);
  glVertex3f(h, -h, z);
  glVertex3f(h, h, z);
  glVertex3f(-h, h, z);
  glEnd();
  glPopAttrib();
}
