#include <gtest/gtest.h>

#include <functional>

#include "objects/Mesh.h"
#include "objects/ObjectTestUtil.h"
#include "scene/GeometryStore.h"

namespace {

MeshObject* ReadMesh(ObjectList& list, const std::string& body,
                     const std::string& begin = "begin") {
  return ReadOne<MeshObject>(ReadMeshBlock, list, "mesh\n" + begin + "\n" + body + "end\n");
}

struct KeywordCase {
  const char* body;
  std::function<void(const MeshObject&)> check;
};

class MeshReading : public ::testing::Test {
protected:
  void SetUp() override {
    saved = GeometryStore;
    GeometryStore.geometryList = 77;
    auto* entry = new TextureEntry;
    snprintf(entry->path, sizeof entry->path, "textures\\hull.jpg");
    entry->textureName = 9;
    Textures.PushBack(entry);
  }
  void TearDown() override {
    GeometryStore = saved;
    Textures.Clear();
  }
  GeometryStoreRecord saved;
};

TEST_F(MeshReading, Keywords) {
  const KeywordCase cases[] = {
      {"",
       [](const MeshObject& m) {
         EXPECT_EQ(m.displayList, 77u); // the geometry slot when the block starts
         EXPECT_EQ(m.scale, 1.0f);
         EXPECT_EQ(m.orientAxis.y, 1.0f);
         EXPECT_EQ(m.orientAngle, 0.0f);
         EXPECT_EQ(m.look.z, 1.0f);
         EXPECT_EQ(m.right.x, 1.0f);
         EXPECT_FALSE(m.metal || m.additive || m.unlit || m.blend || m.hasTexture);
       }},
      {"orient V(1 0 0) 45\nposition V(1 2 3)\nlook V(0 1 0)\nright V(0 0 -1)\n",
       [](const MeshObject& m) {
         EXPECT_EQ(m.orientAxis.x, 1.0f);
         EXPECT_EQ(m.orientAngle, 45.0f);
         EXPECT_EQ(m.position.z, 3.0f);
         EXPECT_EQ(m.look.y, 1.0f);
         EXPECT_EQ(m.right.z, -1.0f);
       }},
      {"scale 4\nspeed 3\ninvup\ntiling 2\n",
       [](const MeshObject& m) { EXPECT_EQ(m.scale, 4.0f); }},
      {"light\nillum\nblend\ncolor V(0.5 1 1)\n",
       [](const MeshObject& m) {
         EXPECT_TRUE(m.additive);
         EXPECT_TRUE(m.unlit);
         EXPECT_TRUE(m.blend);
         EXPECT_EQ(m.color.x, 0.5f);
       }},
      {"material\n\tmetal\n\tchrome\n\tmap1 textures\\hull.jpg\n\tmap2 textures\\x.jpg\n",
       [](const MeshObject& m) {
         EXPECT_TRUE(m.metal);
         EXPECT_TRUE(m.hasTexture);
         EXPECT_EQ(m.texture, 9u);
       }},
      // The chrome line counts as the first of the four.
      {"material\n\tchrome\n\tmap1 textures\\hull.jpg\n\tmap2 x\nscale 2\n",
       [](const MeshObject& m) {
         EXPECT_FALSE(m.metal);
         EXPECT_FALSE(m.hasTexture);
         EXPECT_EQ(m.scale, 2.0f); // the fourth line goes on to the remaining tests
       }},
      // Lines that look like keywords are consumed by position.
      {"material\nblend\nillum\n\tmap1 textures\\missing.jpg\nlight\n",
       [](const MeshObject& m) {
         EXPECT_FALSE(m.blend);
         EXPECT_FALSE(m.unlit);
         EXPECT_TRUE(m.hasTexture);
         EXPECT_EQ(m.texture, 0u);
         EXPECT_TRUE(m.additive);
       }},
      {"scale\ncolor V(0.25 zz 1)\n",
       [](const MeshObject& m) {
         EXPECT_EQ(m.scale, 1.0f);
         EXPECT_EQ(m.color.x, 0.25f);
         EXPECT_EQ(m.color.y, 1.0f);
       }},
  };
  for (const KeywordCase& c : cases) {
    SCOPED_TRACE(c.body);
    ObjectList list;
    MeshObject* m = ReadMesh(list, c.body);
    ASSERT_NE(m, nullptr);
    c.check(*m);
  }
}

TEST_F(MeshReading, NameFromTheBeginLineAndParentsFindIt) {
  ObjectList list;
  MeshObject* named = ReadMesh(list, "", "begin station");
  ASSERT_NE(named, nullptr);
  EXPECT_STREQ(named->name, "station");
  EXPECT_EQ(list.FindByName("station"), named);
  MeshObject* unnamed = ReadMesh(list, "", "begin");
  EXPECT_STREQ(unnamed->name, "");
  MeshObject* longName = ReadMesh(list, "", "begin averyveryverylongname");
  EXPECT_STREQ(longName->name, "averyveryveryl"); // cut at 14 characters
}

TEST_F(MeshReading, MaterialLinesReachingTheEndOfTheMemberStop) {
  HeldBlocks held("mesh\nbegin\nmaterial\n\tmetal\n");
  ASSERT_TRUE(held.Ok());
  ObjectList list;
  ReadMeshBlock(list);
  ASSERT_EQ(list.Size(), 1u);
  EXPECT_TRUE(static_cast<MeshObject*>(list[0])->metal);
  EXPECT_EQ(held.NextLine(), "");
}

class MeshRender : public ::testing::Test {
protected:
  void SetUp() override {
    if (!frame.gl.ok())
      GTEST_SKIP() << "no offscreen OpenGL context on this machine";
    saved = GeometryStore;
    // Three markers on the local axes, 20 units out: red on y, green on z,
    // blue on x.
    markers = glGenLists(2);
    glNewList(markers, GL_COMPILE);
    glPointSize(7);
    glBegin(GL_POINTS);
    glColor3f(1, 0, 0);
    glVertex3f(0, 20, 0);
    glColor3f(0, 1, 0);
    glVertex3f(0, 0, 20);
    glColor3f(0, 0, 1);
    glVertex3f(20, 0, 0);
    glEnd();
    glPointSize(1);
    glEndList();
    // A square in the local y-z plane, turned away from a viewer on +z when
    // drawn with the default axes (clockwise as seen from there).
    backFacing = markers + 1;
    glNewList(backFacing, GL_COMPILE);
    glBegin(GL_QUADS);
    glVertex3f(0, -10, -10);
    glVertex3f(0, -10, 10);
    glVertex3f(0, 10, 10);
    glVertex3f(0, 10, -10);
    glEnd();
    glEndList();
  }
  void TearDown() override {
    GeometryStore = saved;
    Textures.Clear();
  }

  MeshObject* Read(uint32_t displayList, const std::string& body) {
    GeometryStore.geometryList = displayList;
    return ReadMesh(list, body);
  }
  // The colour channel (0 red, 1 green, 2 blue) that dominates around (x, y).
  int MarkerAt(int x, int y) {
    int best = -1, bestValue = 100;
    for (int dy = -3; dy <= 3; ++dy)
      for (int dx = -3; dx <= 3; ++dx) {
        auto p = frame.gl.Pixel(x + dx, y + dy);
        const int v[3] = {p.r, p.g, p.b};
        for (int c = 0; c < 3; ++c)
          if (v[c] > bestValue) {
            bestValue = v[c];
            best = c;
          }
      }
    return best;
  }

  TestFrame frame;
  ObjectList list;
  GeometryStoreRecord saved;
  GLuint markers = 0, backFacing = 0;
};

TEST_F(MeshRender, LocalAxesFollowLookRightAndUp) {
  struct Case {
    const char* body;
    int redX, redY, greenX, greenY, blueX, blueY; // in units of 20 world units
  };
  // Default look (0 0 1), right (1 0 0): local x on world z (towards the
  // viewer), local y on world x, local z on world y.
  const Case cases[] = {
      {"", 1, 0, 0, 1, 0, 0},
      {"look V(1 0 0)\nright V(0 1 0)\n", 0, 1, 0, 0, 1, 0},
      {"scale 2\n", 2, 0, 0, 2, 0, 0},
      {"position V(-20 -20 0)\n", 0, -1, -1, 0, 0, 0},
      // An extra tilt of 90 degrees about local x takes local y to local z and
      // local z to local -y.
      {"orient V(1 0 0) 90\n", 0, 1, -1, 0, 0, 0},
  };
  double ppu = frame.PixelsPerUnit(100) * 20;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    frame.Begin(Vec3(0, 0, 100), Vec3(0, 0, 0));
    MeshObject* m = Read(markers, std::string("illum\n") + c.body);
    m->Render(frame.camera);
    frame.ExpectDefaultState();
    if (c.redX || c.redY)
      EXPECT_EQ(MarkerAt(160 + int(c.redX * ppu), 120 + int(c.redY * ppu)), 0);
    if (c.greenX || c.greenY)
      EXPECT_EQ(MarkerAt(160 + int(c.greenX * ppu), 120 + int(c.greenY * ppu)), 1);
    if (c.blueX || c.blueY)
      EXPECT_EQ(MarkerAt(160 + int(c.blueX * ppu), 120 + int(c.blueY * ppu)), 2);
  }
}

TEST_F(MeshRender, BlendDrawsAtHalfAlphaWithoutCulling) {
  frame.Begin(Vec3(0, 0, 100), Vec3(0, 0, 0));
  MeshObject* solid = Read(backFacing, "illum\ncolor V(0.5 1 1)\n");
  solid->Render(frame.camera);
  frame.ExpectDefaultState();
  EXPECT_EQ(frame.LitPixels(0), 0); // culled

  MeshObject* blended = Read(backFacing, "illum\nblend\ncolor V(0.5 1 1)\n");
  blended->Render(frame.camera);
  frame.ExpectDefaultState();
  auto p = frame.gl.Pixel(160, 120);
  EXPECT_NEAR(p.r, 128, 2);
  EXPECT_NEAR(p.g, 128, 2);
  EXPECT_NEAR(p.b, 128, 2);
  // No depth is written.
  float depth = 0;
  glReadPixels(160, 120, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
  EXPECT_EQ(depth, 1.0f);
}

TEST_F(MeshRender, InvisibleMeshDrawsNothing) {
  frame.Begin(Vec3(0, 0, 100), Vec3(0, 0, 0));
  MeshObject* m = Read(markers, "illum\n");
  m->visible = false;
  m->Render(frame.camera);
  frame.ExpectDefaultState();
  EXPECT_EQ(frame.LitPixels(0), 0);
}

TEST_F(MeshRender, MaterialModesLeaveOnlyTheTextureModeChanged) {
  struct Case {
    const char* body;
    GLint mode;
  };
  const Case cases[] = {
      {"light\n", GL_ADD},
      {"", GL_MODULATE},
      {"material\n\tmetal\n\tchrome\n\tmap1 textures\\red.jpg\n\tmap2 x\nlight\n", GL_ADD},
  };
  MakeTexture("textures\\red.jpg", 255, 0, 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    frame.Begin(Vec3(0, 0, 100), Vec3(0, 0, 0));
    MeshObject* m = Read(markers, c.body);
    m->Render(frame.camera);
    frame.ExpectDefaultState(); // light 0 is off again after "metal"
    GLint mode = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
    EXPECT_EQ(mode, c.mode);
  }
}

} // namespace
