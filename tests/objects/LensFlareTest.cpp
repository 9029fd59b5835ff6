#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "objects/LensFlare.h"
#include "objects/Sphere.h"
#include "objects/ObjectTestUtil.h"
#include "platform/Random.h"
#include "scene/GeometryStore.h"

namespace {

FlareObject* ReadFlare(ObjectList& list, const std::string& body) {
  return ReadOne<FlareObject>(ReadFlareBlock, list, "flare\nbegin\n" + body + "end\n");
}

struct KeywordCase {
  const char* body;
  std::function<void(const FlareObject&)> check;
};

class FlareReading : public ::testing::Test {
protected:
  void SetUp() override {
    saved = Settings.Width;
    Settings.Width = 1280;
  }
  void TearDown() override {
    Settings.Width = saved;
    Textures.Clear();
  }
  uint32_t saved = 0;
};

TEST_F(FlareReading, Keywords) {
  const KeywordCase cases[] = {
      {"",
       [](const FlareObject& f) {
         EXPECT_EQ(f.glowSize, 10.0f); // defaults are not scaled
         EXPECT_EQ(f.elementSize, 5.0f);
         EXPECT_EQ(f.fadeIn, 6.0f);
         EXPECT_EQ(f.fadeOut, 6.0f);
         EXPECT_EQ(f.spinSpeed, 24.0f);
         EXPECT_EQ(f.lumin, 1.0f);
         EXPECT_EQ(f.fade, 0.0f);
         EXPECT_FALSE(f.lensEffect || f.env || f.useFocus || f.orient || f.unoccluded);
       }},
      {"size 10\n", [](const FlareObject& f) { EXPECT_FLOAT_EQ(f.glowSize, 16.0f); }},
      {"flash 0.5)\nlumin 2)\n",
       [](const FlareObject& f) {
         EXPECT_EQ(f.flickerAmount, 0.5f);
         EXPECT_EQ(f.lumin, 2.0f);
       }},
      {"focus 0.9)\n",
       [](const FlareObject& f) {
         EXPECT_TRUE(f.useFocus);
         EXPECT_EQ(f.focusThreshold, 0.9f);
       }},
      {"FOV 0.3\nxy 2\n",
       [](const FlareObject& f) {
         EXPECT_EQ(f.fov, 0.3f);
         EXPECT_EQ(f.xy, 2.0f);
       }},
      {"alpha 1 fade: 0.05 0.1\n",
       [](const FlareObject& f) {
         EXPECT_FLOAT_EQ(f.fadeIn, 3.0f);
         EXPECT_FLOAT_EQ(f.fadeOut, 6.0f);
         EXPECT_EQ(f.fade, 0.0f); // the first value has no effect
       }},
      {"alpha 1 fade: 0.05\n",
       [](const FlareObject& f) {
         EXPECT_FLOAT_EQ(f.fadeIn, 3.0f);
         EXPECT_EQ(f.fadeOut, 6.0f);
       }},
      {"env V(0 0 -1)\nposition V(1 2 3)\n",
       [](const FlareObject& f) {
         EXPECT_TRUE(f.env);
         EXPECT_EQ(f.anchor.z, -1.0f);
         EXPECT_EQ(f.position.y, 2.0f);
       }},
      {"rotation 30 0.5\n",
       [](const FlareObject& f) {
         EXPECT_EQ(f.angle, 30.0f);
         EXPECT_EQ(f.spinSpeed, 30.0f);
       }},
      {"orient V(400 300 0)\n",
       [](const FlareObject& f) {
         EXPECT_TRUE(f.orient);
         EXPECT_EQ(f.orientPoint.x, 400.0f);
       }},
      // The four lines after "lenseffect" are taken by position: a "size" line
      // among them is not a glow size, and the fourth line goes on to the
      // remaining keyword tests.
      {"lenseffect\n\tsize 4\nsize 99\n\ttexture textures\\b.tga\nxy 2\n",
       [](const FlareObject& f) {
         EXPECT_TRUE(f.lensEffect);
         EXPECT_FLOAT_EQ(f.elementSize, 6.4f);
         EXPECT_EQ(f.glowSize, 10.0f);
         EXPECT_TRUE(f.tga);
         EXPECT_EQ(f.xy, 2.0f);
       }},
  };
  for (const KeywordCase& c : cases) {
    SCOPED_TRACE(c.body);
    ObjectList list;
    FlareObject* f = ReadFlare(list, c.body);
    ASSERT_NE(f, nullptr);
    c.check(*f);
  }
}

TEST_F(FlareReading, LensTexturesComeFromTheCatalogue) {
  auto* a = new TextureEntry;
  snprintf(a->path, sizeof a->path, "textures\\a.jpg");
  a->textureName = 41;
  auto* c = new TextureEntry;
  snprintf(c->path, sizeof c->path, "textures\\c.jpg");
  c->textureName = 43;
  Textures.PushBack(a);
  Textures.PushBack(c);
  ObjectList list;
  FlareObject* f = ReadFlare(list, "lenseffect\n\tsize 5\n\ttexture textures\\a.jpg\n"
                                   "\ttexture textures\\missing.jpg\n\ttexture textures\\c.jpg\n");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->lensTextures[0], 41u);
  EXPECT_EQ(f->lensTextures[1], 0u); // not in the catalogue: no texture
  EXPECT_EQ(f->lensTextures[2], 43u);
  EXPECT_FALSE(f->tga);
}

TEST_F(FlareReading, AnEndAmongTheLensLinesClosesTheBlock) {
  HeldBlocks held("flare\nbegin\nlenseffect\n\tsize 1\n\ttexture x\n\ttexture y\nend\nmesh\n");
  ASSERT_TRUE(held.Ok());
  ObjectList list;
  ReadFlareBlock(list);
  ASSERT_EQ(list.Size(), 1u);
  EXPECT_EQ(held.NextLine(), "mesh");
}

TEST(FlareUpdate, FadesTowardsTheLastOcclusionResult) {
  FlareObject f;
  // Without "flash" every update starts an empty flicker cycle and adds 0.7 per
  // second on top while fade is above 0.
  f.unoccluded = true;
  f.Update(0.1);
  EXPECT_NEAR(f.fade, 0.6 + 0.07, 1e-6);
  f.Update(0.1);
  EXPECT_NEAR(f.fade, 1.0 + 0.07, 1e-6);
  f.unoccluded = false;
  f.fade = 1.0f;
  f.Update(0.1);
  EXPECT_NEAR(f.fade, 1.0 - 0.6 + 0.07, 1e-6);
  f.Update(0.1);
  f.Update(0.1);
  EXPECT_EQ(f.fade, 0.0f); // the floor, and nothing added at 0
}

TEST(FlareUpdate, SpinWrapsOnce) {
  FlareObject f;
  f.angle = 350.0f;
  f.Update(1.0);
  EXPECT_NEAR(f.angle, 14.0f, 1e-4);
  f.spinSpeed = -24.0f;
  f.angle = 10.0f;
  f.Update(1.0);
  EXPECT_NEAR(f.angle, 346.0f, 1e-4);
}

TEST(FlareUpdate, FlickerDimsThenBrightensAtSevenTenthsPerSecond) {
  FlareObject f;
  f.flickerAmount = 1.0f;
  f.unoccluded = true;
  f.fade = 1.0f;
  SRand(1000);
  f.Update(0.001); // timer passes the empty first cycle: a new one is drawn
  SRand(1000);
  double r1 = Rand() / 32767.0, r2 = Rand() / 32767.0;
  EXPECT_NEAR(f.flickerDimEnd, 6 * r1, 1e-5);
  EXPECT_NEAR(f.flickerCycleEnd, 6 * (r1 + r2), 1e-5);
  EXPECT_EQ(f.flickerTimer, 0.0f);
  ASSERT_GT(f.flickerDimEnd, 0.06f);

  // Dimming phase: fade (held at 1 by step one) loses 0.7 per second.
  float before = f.fade;
  f.Update(0.01);
  EXPECT_NEAR(f.fade, std::min(before, 1.0f) - 0.007, 1e-5);
  // Bright phase, once the timer is past the dimming part.
  f.flickerTimer = f.flickerDimEnd;
  f.fade = 0.5f;
  f.unoccluded = false;
  f.fadeOut = 0.0f;
  f.Update(0.01);
  EXPECT_NEAR(f.fade, 0.5 + 0.007, 1e-5);
}

TEST(FlareFocus, FactorByTheCosineToTheAnchor) {
  struct Case {
    bool useFocus;
    float threshold;
    Vec3 anchor, look;
    float expected;
  };
  const float c20 = std::cos(20.0f * 3.14159265f / 180.0f);
  const Case cases[] = {
      {false, 0.9f, Vec3(0, 0, 0), Vec3(0, 0, -1), 1.0f},
      {true, 0.9f, Vec3(0, 0, -5), Vec3(0, 0, -1), 1.0f},
      {true, 0.9f, Vec3(0, 0, -5), Vec3(std::sin(0.5f), 0, -std::cos(0.5f)), 0.0f},
      {true, 0.9f, Vec3(0, 0, -1), Vec3(std::sqrt(1 - c20 * c20), 0, -c20), (c20 - 0.9f) / 0.1f},
      {true, 0.0f, Vec3(0, 0, -1), Vec3(1, 0, 0), 0.0f},
      // A threshold of 1 or more: all or nothing.
      {true, 1.0f, Vec3(0, 0, -1), Vec3(0, 0, -1), 1.0f},
      {true, 1.0f, Vec3(0, 0, -1), Vec3(0.1f, 0, -0.995f), 0.0f},
      {true, 1.5f, Vec3(0, 0, -1), Vec3(0, 0, -1), 0.0f},
      // A zero anchor has no direction.
      {true, 0.5f, Vec3(0, 0, 0), Vec3(0, 0, -1), 0.0f},
  };
  for (const Case& c : cases) {
    FlareObject f;
    f.useFocus = c.useFocus;
    f.focusThreshold = c.threshold;
    f.anchor = c.anchor;
    EXPECT_NEAR(f.FocusFactor(c.look), c.expected, 1e-4) << c.threshold;
  }
}

class FlareRender : public ::testing::Test {
protected:
  void SetUp() override {
    if (!frame.gl.ok())
      GTEST_SKIP() << "no offscreen OpenGL context on this machine";
    MakeTexture("textures\\white.jpg", 255, 255, 255);
  }
  void TearDown() override { Textures.Clear(); }

  FlareObject* Read(const std::string& body) {
    return ReadFlare(list, "texture textures\\white.jpg\nrotation 0 0\n" + body);
  }
  // Pixels brighter than a threshold further than r from (x, y).
  int LitBeyond(int x, int y, double r) {
    auto all = frame.gl.ReadAll();
    int n = 0;
    for (int py = 0; py < frame.gl.height; ++py)
      for (int px = 0; px < frame.gl.width; ++px) {
        const uint8_t* p = &all[(py * frame.gl.width + px) * 4];
        if (p[0] + p[1] + p[2] > 20 && std::hypot(px - x, py - y) > r)
          ++n;
      }
    return n;
  }

  TestFrame frame;
  ObjectList list;
};

TEST_F(FlareRender, FadesInWhileSeenAndOutBehindAPlanet) {
  FlareObject* f = Read("position V(20 10 0)\n");
  double ppu = frame.PixelsPerUnit(100);
  int x = 160 + int(20 * ppu), y = 120 + int(10 * ppu);

  frame.Begin(Vec3(0, 0, 100), Vec3(0, 0, 0));
  f->Render(frame.camera);
  frame.ExpectDefaultState();
  EXPECT_TRUE(f->unoccluded);
  EXPECT_EQ(frame.LitPixels(), 0); // still dark
  for (int i = 0; i < 3; ++i)
    f->Update(0.1);
  EXPECT_GT(f->fade, 0.99f);
  frame.Begin(Vec3(0, 0, 100), Vec3(0, 0, 0));
  f->Render(frame.camera);
  frame.ExpectDefaultState();
  EXPECT_GT(frame.Brightness(x, y), 700);
  EXPECT_EQ(LitBeyond(x, y, 16), 0); // the glow only: half size 10 pixels

  // A planet drawn in front of it earlier in the frame.
  int frames = 0;
  do {
    frame.Begin(Vec3(0, 0, 100), Vec3(0, 0, 0));
    WriteDepthSquare(30, 20);
    f->Render(frame.camera);
    frame.ExpectDefaultState();
    EXPECT_FALSE(f->unoccluded);
    f->Update(0.05);
  } while (f->fade > 0.0f && ++frames < 100);
  // Fades out at fadeOut - 0.7 per second: from about 1 in about 0.2 seconds.
  EXPECT_GE(frames, 3);
  EXPECT_LE(frames, 5);
  frame.Begin(Vec3(0, 0, 100), Vec3(0, 0, 0));
  f->Render(frame.camera);
  EXPECT_EQ(frame.LitPixels(), 0);
}

TEST_F(FlareRender, AnOccluderSphereDrawnEarlierHidesIt) {
  GeometryStoreRecord saved = GeometryStore;
  GLUquadric* quadric = gluNewQuadric();
  GeometryStore.sphereList = glGenLists(1);
  glNewList(GeometryStore.sphereList, GL_COMPILE);
  gluSphere(quadric, 1.0, 24, 12);
  glEndList();
  gluDeleteQuadric(quadric);
  ObjectList spheres;
  // Halfway between the viewer at z = 100 and the light, on the line to it.
  SphereObject* planet = ReadOne<SphereObject>(
      ReadSphereBlock, spheres, "sphere\nbegin\norbit\nposition V(10 5 50)\nradius 8\nmask\nend\n");
  ASSERT_NE(planet, nullptr);
  FlareObject* f = Read("position V(20 10 0)\n");
  f->fade = 1.0f;
  frame.Begin(Vec3(0, 0, 100), Vec3(0, 0, 0));
  planet->Render(frame.camera);
  f->Render(frame.camera);
  frame.ExpectDefaultState();
  EXPECT_FALSE(f->unoccluded);
  // Moved aside, the sphere no longer covers the light.
  planet->position = Vec3(-10, -5, 50);
  frame.Begin(Vec3(0, 0, 100), Vec3(0, 0, 0));
  planet->Render(frame.camera);
  f->Render(frame.camera);
  EXPECT_TRUE(f->unoccluded);
  GeometryStore = saved;
}

TEST_F(FlareRender, BehindTheViewerOrOutsideTheWindowIsHidden) {
  FlareObject* behind = Read("position V(0 0 200)\n");
  FlareObject* aside = Read("position V(1000 0 0)\n");
  frame.Begin(Vec3(0, 0, 100), Vec3(0, 0, 0));
  behind->Render(frame.camera);
  aside->Render(frame.camera);
  frame.ExpectDefaultState();
  EXPECT_FALSE(behind->unoccluded);
  EXPECT_FALSE(aside->unoccluded);
}

TEST_F(FlareRender, EnvFlareIsHiddenWhereDepthWasWritten) {
  FlareObject* f = Read("env V(0.02 0.01 -1)\n");
  Vec3 eye(5000, 300, -2000);
  frame.Begin(eye, eye + Vec3(0, 0, -1));
  f->Render(frame.camera);
  frame.ExpectDefaultState();
  EXPECT_TRUE(f->unoccluded);
  EXPECT_FLOAT_EQ(f->position.x, eye.x + 0.02f);

  // Anything at all in the depth buffer there hides it, however far.
  frame.Begin(eye, eye + Vec3(0, 0, -1));
  glPushMatrix();
  glTranslatef(eye.x, eye.y, eye.z);
  WriteDepthSquare(-50000, 50000);
  glPopMatrix();
  f->Render(frame.camera);
  frame.ExpectDefaultState();
  EXPECT_FALSE(f->unoccluded);
}

TEST_F(FlareRender, LensEffectDrawsElementsAcrossTheWindowButNotFromTheCentre) {
  const std::string lens = "lenseffect\n\tsize 10\n\ttexture textures\\white.jpg\n"
                           "\ttexture textures\\white.jpg\n\ttexture textures\\white.jpg\n";
  FlareObject* off = Read("position V(30 20 0)\n" + lens);
  off->fade = 1.0f;
  frame.Begin(Vec3(0, 0, 100), Vec3(0, 0, 0));
  off->Render(frame.camera);
  frame.ExpectDefaultState();
  double ppu = frame.PixelsPerUnit(100);
  EXPECT_GT(LitBeyond(160 + int(30 * ppu), 120 + int(20 * ppu), 20), 100);
  // The elements on the far side of the window centre.
  EXPECT_GT(frame.Brightness(160 - int(30 * ppu * 0.8), 120 - int(20 * ppu * 0.8)), 0);

  FlareObject* centred = Read("position V(0 0 0)\n" + lens);
  centred->fade = 1.0f;
  frame.Begin(Vec3(0, 0, 100), Vec3(0, 0, 0));
  centred->Render(frame.camera);
  frame.ExpectDefaultState();
  EXPECT_GT(frame.Brightness(160, 120), 700);
  EXPECT_EQ(LitBeyond(160, 120, 16), 0);
}

TEST_F(FlareRender, InvisibleParentDrawsNothing) {
  FlareObject parent;
  snprintf(parent.name, sizeof parent.name, "ship");
  parent.visible = false;
  list.PushBack(&parent);
  FlareObject* f = Read("parent ship V(0 0 0)\n");
  ASSERT_EQ(f->parentObject, &parent);
  f->fade = 1.0f;
  frame.Begin(Vec3(0, 0, 100), Vec3(0, 0, 0));
  f->Render(frame.camera);
  frame.ExpectDefaultState();
  EXPECT_EQ(frame.LitPixels(), 0);
  // Visible, the flare sits at the offset along the parent's own axes:
  // x along right, y along right x look, z along look.
  parent.visible = true;
  parent.position = Vec3(1, 2, 3);
  f->anchor = Vec3(1, 2, 3);
  f->Render(frame.camera);
  // right (1, 0, 0), look (0, 0, 1), right x look = (0, -1, 0).
  EXPECT_FLOAT_EQ(f->position.x, 2.0f);
  EXPECT_FLOAT_EQ(f->position.y, 0.0f);
  EXPECT_FLOAT_EQ(f->position.z, 6.0f);
}

} // namespace
