#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "objects/Billboard.h"
#include "objects/ObjectTestUtil.h"
#include "platform/Random.h"

namespace {

BillboardObject* ReadBillboard(ObjectList& list, const std::string& body) {
  return ReadOne<BillboardObject>(ReadBillboardBlock, list, "billboard\nbegin\n" + body + "end\n");
}

struct KeywordCase {
  const char* body;
  std::function<void(const BillboardObject&)> check;
};

TEST(BillboardReading, Keywords) {
  const KeywordCase cases[] = {
      {"",
       [](const BillboardObject& b) {
         EXPECT_EQ(b.size, 5.0f);
         EXPECT_EQ(b.alpha, 1.0f);
         EXPECT_EQ(b.xy, 1.0f);
         EXPECT_EQ(b.fov, 0.1f);
         EXPECT_FALSE(b.env || b.orientOff || b.flash || b.blend || b.depth || b.oreol || b.sys);
         EXPECT_EQ(b.parentObject, nullptr);
         EXPECT_FALSE(b.hasTexture);
       }},
      {"size 12\n", [](const BillboardObject& b) { EXPECT_EQ(b.size, 12.0f); }},
      {"rotation 90 0.5\n",
       [](const BillboardObject& b) {
         EXPECT_EQ(b.angle, 90.0f);
         EXPECT_EQ(b.spinSpeed, 30.0f); // per sixtieth of a second
       }},
      {"tiling 3\nFOV 0.4\nalpha 0.25\nxy 2\n",
       [](const BillboardObject& b) {
         EXPECT_EQ(b.tiling, 3.0f);
         EXPECT_EQ(b.fov, 0.4f);
         EXPECT_EQ(b.alpha, 0.25f);
         EXPECT_EQ(b.xy, 2.0f);
       }},
      {"orient off\n", [](const BillboardObject& b) { EXPECT_TRUE(b.orientOff); }},
      {"orient on\n", [](const BillboardObject& b) { EXPECT_FALSE(b.orientOff); }},
      {"blend\ndepth\n",
       [](const BillboardObject& b) {
         EXPECT_TRUE(b.blend);
         EXPECT_TRUE(b.depth);
       }},
      {"system of stars\n", [](const BillboardObject& b) { EXPECT_TRUE(b.sys); }},
      {"env V(1 2 3)\n",
       [](const BillboardObject& b) {
         EXPECT_TRUE(b.env);
         EXPECT_EQ(b.anchor.z, 3.0f);
       }},
      {"oreol V(4 5 6) 7\n",
       [](const BillboardObject& b) {
         EXPECT_TRUE(b.oreol);
         EXPECT_EQ(b.anchor.x, 4.0f);
         EXPECT_EQ(b.oreolRadius, 7.0f);
       }},
      {"flash 0.5 1 2)\n",
       [](const BillboardObject& b) {
         EXPECT_TRUE(b.flash);
         EXPECT_EQ(b.flashTimer, 0.5f);
         EXPECT_EQ(b.flashDark, 1.0f);
         EXPECT_EQ(b.flashLit, 2.0f);
       }},
      {"up V(0 0 3)\nright V(0 4 0)\n",
       [](const BillboardObject& b) {
         EXPECT_EQ(b.quadUp.z, 1.0f);
         EXPECT_EQ(b.quadRight.y, 1.0f);
       }},
      {"position V(1 -2 3)\ncolor V(0.5 0.25 0)\n",
       [](const BillboardObject& b) {
         EXPECT_EQ(b.position.y, -2.0f);
         EXPECT_EQ(b.tint.x, 0.5f);
         EXPECT_EQ(b.tint.z, 0.0f);
       }},
      // "colorfrom" begins with "color" but its vector does not parse.
      {"colorfrom V(0 0 0)\n", [](const BillboardObject& b) { EXPECT_EQ(b.tint.x, 1.0f); }},
      // Values that do not all parse leave the rest alone.
      {"size big\nposition V(7 oops 9)\nflash 3\n",
       [](const BillboardObject& b) {
         EXPECT_EQ(b.size, 5.0f);
         EXPECT_EQ(b.position.x, 7.0f);
         EXPECT_EQ(b.position.y, 0.0f);
         EXPECT_EQ(b.position.z, 0.0f);
         EXPECT_TRUE(b.flash);
         EXPECT_EQ(b.flashTimer, 3.0f);
         EXPECT_EQ(b.flashDark, 0.0f);
       }},
      // The rotation speed is kept when only the angle is given.
      {"rotation 45\n", [](const BillboardObject& b) { EXPECT_EQ(b.angle, 45.0f); }},
  };
  for (const KeywordCase& c : cases) {
    SCOPED_TRACE(c.body);
    ObjectList list;
    BillboardObject* b = ReadBillboard(list, c.body);
    ASSERT_NE(b, nullptr);
    c.check(*b);
  }
}

TEST(BillboardReading, ParentIsAnEarlierNamedObjectOfTheList) {
  ObjectList list;
  BillboardObject named;
  snprintf(named.name, sizeof named.name, "sun");
  list.PushBack(&named);
  BillboardObject* b = ReadBillboard(list, "parent sun V(1 2 3)\n");
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->parentObject, &named);
  EXPECT_EQ(b->anchor.y, 2.0f);
  BillboardObject* orphan = ReadBillboard(list, "parent moon V(0 5 0)\n");
  ASSERT_NE(orphan, nullptr);
  EXPECT_EQ(orphan->parentObject, nullptr);
  EXPECT_EQ(orphan->anchor.y, 5.0f);
}

TEST(BillboardReading, ConsumesTheBlockUpToItsEnd) {
  HeldBlocks held("billboard\nnote\nbegin\nsize 2\nend\nflare\n");
  ASSERT_TRUE(held.Ok());
  ObjectList list;
  ReadBillboardBlock(list);
  ASSERT_EQ(list.Size(), 1u);
  EXPECT_EQ(static_cast<BillboardObject*>(list[0])->size, 2.0f);
  EXPECT_EQ(held.NextLine(), "flare");
}

TEST(BillboardReading, StopsAtTheEndOfTheMember) {
  ObjectList list;
  BillboardObject* b =
      ReadOne<BillboardObject>(ReadBillboardBlock, list, "billboard\nbegin\nsize 3");
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->size, 3.0f);
  EXPECT_EQ(ReadOne<BillboardObject>(ReadBillboardBlock, list, "billboard\nsize 3\n"), nullptr);
}

TEST(BillboardUpdate, DefaultSpinIsOneDrawBetweenMinusAndPlusSixty) {
  SRand(5);
  int r = Rand();
  SRand(5);
  BillboardObject b;
  EXPECT_FLOAT_EQ(b.spinSpeed, (1.0f - 2.0f * r / 32767.0f) * 60.0f);
  EXPECT_NE(Rand(), r); // exactly one draw was taken
}

TEST(BillboardUpdate, SpinWrapsOnceEachWay) {
  BillboardObject b;
  b.spinSpeed = 60.0f;
  b.angle = 10.0f;
  b.Update(0.5);
  EXPECT_FLOAT_EQ(b.angle, 40.0f);
  b.angle = 350.0f;
  b.Update(0.5);
  EXPECT_FLOAT_EQ(b.angle, 20.0f);
  b.spinSpeed = -60.0f;
  b.Update(1.0);
  EXPECT_FLOAT_EQ(b.angle, 320.0f);
}

TEST(BillboardUpdate, BlinkCycleHidesOneSecondAndShowsHalfASecond) {
  ObjectList list;
  BillboardObject* b = ReadBillboard(list, "flash 0 1 0.5)\n");
  ASSERT_NE(b, nullptr);
  // Quarter-second steps: hidden for four, shown for two (the phase 1.5 still
  // shows), then the cycle starts over.
  const bool hidden[] = {true, true, true, true,  false, false, false,
                         true, true, true, false, false, false, true};
  for (size_t i = 0; i < sizeof hidden; ++i) {
    EXPECT_EQ(b->HiddenByBlink(), hidden[i]) << "after " << i * 0.25 << " seconds";
    b->Update(0.25);
  }
  // The timer runs without "flash" too, but nothing hides then.
  BillboardObject plain;
  plain.flashDark = 1.0f;
  EXPECT_FALSE(plain.HiddenByBlink());
}

class BillboardRender : public ::testing::Test {
protected:
  void SetUp() override {
    if (!frame.gl.ok())
      GTEST_SKIP() << "no offscreen OpenGL context on this machine";
    white = MakeTexture("textures\\white.jpg", 255, 255, 255);
  }
  void TearDown() override { Textures.Clear(); }

  BillboardObject* Read(const std::string& body) {
    return ReadBillboard(list, "texture textures\\white.jpg\nrotation 0 0\n" + body);
  }

  TestFrame frame;
  ObjectList list;
  uint32_t white = 0;
};

TEST_F(BillboardRender, FacesTheViewerAndXyStretchesItsWidth) {
  for (float xy : {1.0f, 2.0f}) {
    SCOPED_TRACE(xy);
    Vec3 eye(30, 20, 50);
    frame.Begin(eye, Vec3(0, 0, 0));
    BillboardObject* b = Read("xy " + std::to_string(xy) + "\n");
    ASSERT_NE(b, nullptr);
    b->Render(frame.camera);
    frame.ExpectDefaultState();
    // An upright rectangle on screen, centred on the window, half as high as
    // the size in pixels at the billboard's distance.
    double h = 5.0 * frame.PixelsPerUnit(eye.Length());
    int cx = 160, cy = 120;
    EXPECT_GT(frame.Brightness(cx, cy), 700);
    EXPECT_GT(frame.Brightness(cx, cy + int(0.85 * h)), 700);
    EXPECT_EQ(frame.Brightness(cx, cy + int(1.15 * h)), 0);
    EXPECT_GT(frame.Brightness(cx + int(0.85 * h * xy), cy + int(0.85 * h)), 700);
    EXPECT_EQ(frame.Brightness(cx + int(1.15 * h * xy), cy), 0);
    EXPECT_EQ(frame.Brightness(cx - int(1.15 * h * xy), cy), 0);
    // It is additive and writes no depth.
    float depth = 0;
    glReadPixels(cx, cy, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    EXPECT_EQ(depth, 1.0f);
  }
}

TEST_F(BillboardRender, BlinkAndInvisibleParentDrawNothing) {
  frame.Begin(Vec3(0, 0, 50), Vec3(0, 0, 0));
  BillboardObject* blinking = Read("flash 0 1 1)\n");
  blinking->Render(frame.camera);
  frame.ExpectDefaultState();
  EXPECT_EQ(frame.LitPixels(), 0);

  BillboardObject parent;
  snprintf(parent.name, sizeof parent.name, "ship");
  parent.visible = false;
  list.PushBack(&parent);
  BillboardObject* child = Read("parent ship V(0 0 0)\n");
  ASSERT_EQ(child->parentObject, &parent);
  child->Render(frame.camera);
  frame.ExpectDefaultState();
  EXPECT_EQ(frame.LitPixels(), 0);
  parent.visible = true;
  child->Render(frame.camera);
  EXPECT_GT(frame.LitPixels(), 0);
}

TEST_F(BillboardRender, FollowsItsParentAlongTheViewersUp) {
  frame.Begin(Vec3(0, 0, 100), Vec3(0, 0, 0));
  BillboardObject parent;
  snprintf(parent.name, sizeof parent.name, "ship");
  parent.position = Vec3(10, 0, 0);
  list.PushBack(&parent);
  BillboardObject* b = Read("parent ship V(99 4 99)\nsize 1\n");
  b->Render(frame.camera);
  frame.ExpectDefaultState();
  EXPECT_FLOAT_EQ(b->position.x, 10.0f);
  EXPECT_FLOAT_EQ(b->position.y, 4.0f);
  EXPECT_FLOAT_EQ(b->position.z, 0.0f);
  double ppu = frame.PixelsPerUnit(100);
  EXPECT_GT(frame.Brightness(160 + int(10 * ppu), 120 + int(4 * ppu)), 0);
  EXPECT_EQ(frame.Brightness(160, 120), 0);
}

TEST_F(BillboardRender, OrientOffKeepsItsAxesAndZeroAxesDrawNothing) {
  // Seen from the side, a fixed rectangle in the x-y plane is a line.
  frame.Begin(Vec3(50, 0, 0), Vec3(0, 0, 0));
  BillboardObject* fixed = Read("orient off\n");
  fixed->Render(frame.camera);
  frame.ExpectDefaultState();
  EXPECT_LT(frame.LitPixels(), 60);
  EXPECT_EQ(fixed->quadUp.y, 1.0f);

  frame.Begin(Vec3(0, 0, 50), Vec3(0, 0, 0));
  BillboardObject* flat = Read("orient off\nup V(0 0 0)\n");
  flat->Render(frame.camera);
  frame.ExpectDefaultState();
  EXPECT_EQ(frame.LitPixels(), 0);
}

TEST_F(BillboardRender, EnvKeepsItsOffsetFromTheViewerWithItsOwnFrustum) {
  Vec3 eye(1000, -500, 300);
  frame.Begin(eye, eye + Vec3(0, 0, -1));
  BillboardObject* b = Read("env V(0 0 -100)\nsize 5\n");
  b->Render(frame.camera);
  frame.ExpectDefaultState();
  EXPECT_FLOAT_EQ(b->position.x, eye.x);
  EXPECT_FLOAT_EQ(b->position.z, eye.z - 100.0f);
  // Its own frustum has a near plane half height of 0.1 at distance 1: the
  // square's half height 5 at distance 100 fills half the window's height.
  EXPECT_GT(frame.Brightness(160, 120 + 55), 0);
  EXPECT_EQ(frame.Brightness(160, 120 + 65), 0);
}

TEST_F(BillboardRender, HaloMovesTowardsTheViewerAndGrowsToTheRadius) {
  Vec3 eye(0, 0, 100);
  frame.Begin(eye, Vec3(0, 0, 0));
  BillboardObject* b = Read("oreol V(0 0 0) 20\nsize 30\n");
  WriteDepthSquare(50, 100); // the halo ignores the depth buffer
  b->Render(frame.camera);
  frame.ExpectDefaultState();
  float k = 20.0f / 100.0f;
  EXPECT_FLOAT_EQ(b->position.z, k * 20.0f);
  double h = (1 - k * k) * 20 + k * 30;
  double ppu = frame.PixelsPerUnit(100 - k * 20);
  EXPECT_GT(frame.Brightness(160, 120 + int(0.9 * h * ppu)), 0);
  EXPECT_EQ(frame.Brightness(160, 120 + int(1.1 * h * ppu)), 0);

  // The viewer at the halo's centre: no shape, nothing drawn, no NaN stored.
  frame.Begin(Vec3(0, 0, 0), Vec3(0, 0, -1));
  b->Render(frame.camera);
  frame.ExpectDefaultState();
  EXPECT_EQ(frame.LitPixels(), 0);
  EXPECT_TRUE(std::isfinite(b->position.z));
}

TEST_F(BillboardRender, SysStandsAlongTheLineToItsParent) {
  frame.Begin(Vec3(0, 0, 100), Vec3(0, 0, 0));
  BillboardObject parent;
  snprintf(parent.name, sizeof parent.name, "moon");
  parent.position = Vec3(0, 0, -30);
  list.PushBack(&parent);
  BillboardObject* b = Read("parent moon V(0 0 0)\nsys\n");
  b->Render(frame.camera);
  frame.ExpectDefaultState();
  EXPECT_FLOAT_EQ(b->quadUp.z, -1.0f);
  // Edge-on to the viewer: a thin line at most.
  EXPECT_LT(frame.LitPixels(), 60);

  // Without a parent, "sys" is ignored and the rectangle faces the viewer.
  BillboardObject* alone = Read("sys\n");
  frame.Begin(Vec3(0, 0, 100), Vec3(0, 0, 0));
  alone->Render(frame.camera);
  frame.ExpectDefaultState();
  EXPECT_GT(frame.LitPixels(), 100);
}

TEST_F(BillboardRender, BlendAndDepthRestoreTheFrameState) {
  frame.Begin(Vec3(0, 0, 50), Vec3(0, 0, 0));
  WriteDepthSquare(10, 100); // in front of the billboard
  BillboardObject* hidden = Read("");
  hidden->Render(frame.camera);
  EXPECT_EQ(frame.LitPixels(), 0);
  BillboardObject* onTop = Read("depth\nblend\ntiling 3\n");
  onTop->Render(frame.camera);
  frame.ExpectDefaultState();
  EXPECT_GT(frame.LitPixels(), 100);
}

} // namespace
