#include <gtest/gtest.h>

#include <functional>

#include "objects/Flame.h"
#include "objects/ObjectTestUtil.h"

namespace {

FlameObject* ReadFlame(ObjectList& list, const std::string& body) {
  return ReadOne<FlameObject>(ReadFlameBlock, list, "flame\nbegin\n" + body + "end\n");
}

struct KeywordCase {
  const char* body;
  std::function<void(const FlameObject&)> check;
};

TEST(FlameReading, Keywords) {
  const KeywordCase cases[] = {
      {"",
       [](const FlameObject& f) {
         EXPECT_EQ(f.radius, 0.8f);
         EXPECT_EQ(f.ell, 1.0f);
         EXPECT_EQ(f.slope, 0.0f);
         EXPECT_EQ(f.bandWidth, 0.2f);
         EXPECT_EQ(f.colorFrom.y, 1.0f);
         EXPECT_EQ(f.colorFrom.z, 0.0f);
         EXPECT_EQ(f.colorTo.z, 1.0f);
         EXPECT_EQ(f.colorTo.x, 0.0f);
       }},
      {"size 3\n", [](const FlameObject& f) { EXPECT_EQ(f.radius, 2003.0f); }},
      {"angle 1\nellipse 2\noffset 0.5\n",
       [](const FlameObject& f) {
         EXPECT_EQ(f.slope, 1.0f);
         EXPECT_EQ(f.ell, 1.0f); // "ellipse" begins with "ell" but does not parse
         EXPECT_EQ(f.bandWidth, 0.5f);
       }},
      {"ell 2\norient V(1 2 3)\n",
       [](const FlameObject& f) {
         EXPECT_EQ(f.ell, 2.0f);
         EXPECT_EQ(f.center.z, 3.0f);
       }},
      {"colorfrom V(1 0 0)\ncolorto V(0 1 0)\n",
       [](const FlameObject& f) {
         EXPECT_EQ(f.colorFrom.y, 0.0f);
         EXPECT_EQ(f.colorTo.y, 1.0f);
       }},
      {"size x\ncolorto V(0.5)\n",
       [](const FlameObject& f) {
         EXPECT_EQ(f.radius, 0.8f);
         EXPECT_EQ(f.colorTo.x, 0.5f);
         EXPECT_EQ(f.colorTo.z, 1.0f);
       }},
      {"parent nobody\ntexture textures\\none.jpg\n",
       [](const FlameObject& f) {
         EXPECT_EQ(f.parent, nullptr);
         EXPECT_TRUE(f.hasTexture);
       }},
  };
  for (const KeywordCase& c : cases) {
    SCOPED_TRACE(c.body);
    ObjectList list;
    FlameObject* f = ReadFlame(list, c.body);
    ASSERT_NE(f, nullptr);
    c.check(*f);
  }
}

TEST(FlameRing, StretchAndSlope) {
  FlameObject f;
  f.radius = 1.0f;
  f.ell = 2.0f;
  f.slope = 1.0f;
  f.center = Vec3(1, 5, 0);
  Vec3 p0 = f.RingPoint(0); // theta 0: along x
  EXPECT_FLOAT_EQ(p0.x, 3.0f);
  EXPECT_FLOAT_EQ(p0.y, 3.0f + 5.0f); // the slope multiplies the whole x
  EXPECT_NEAR(p0.z, 0.0f, 1e-6);
  Vec3 p50 = f.RingPoint(50); // a quarter turn: along z
  EXPECT_NEAR(p50.x, 1.0f, 1e-5);
  EXPECT_NEAR(p50.z, 1.0f, 1e-6);
  Vec3 p200 = f.RingPoint(200);
  EXPECT_NEAR(p200.x, p0.x, 1e-5);
}

class FlameRender : public ::testing::Test {
protected:
  void SetUp() override {
    if (!frame.gl.ok())
      GTEST_SKIP() << "no offscreen OpenGL context on this machine";
  }
  TestFrame frame;
  ObjectList list;
};

TEST_F(FlameRender, DefaultRingIsYellowToBlueOfRadiusPointEightInTheXzPlane) {
  FlameObject* f = ReadFlame(list, "");
  ASSERT_NE(f, nullptr);
  // From above, looking down the y axis: world x to the right.
  frame.Begin(Vec3(0, 5, 0), Vec3(0, 0, 0), Vec3(0, 0, -1));
  f->Render(frame.camera);
  frame.ExpectDefaultState();
  double ppu = frame.PixelsPerUnit(5);
  for (int dir = 0; dir < 4; ++dir) {
    SCOPED_TRACE(dir);
    int dx = dir == 0 ? 1 : dir == 1 ? -1 : 0, dy = dir == 2 ? 1 : dir == 3 ? -1 : 0;
    // The ring line, opaque yellow, about 0.8 from the centre.
    int best = 0;
    double bestR = 0;
    for (double r = 0.70; r <= 0.90; r += 0.5 / ppu) {
      auto p = frame.gl.Pixel(160 + int(dx * r * ppu), 120 + int(dy * r * ppu));
      if (p.r > best) {
        best = p.r;
        bestR = r;
      }
    }
    EXPECT_GE(best, 250);
    EXPECT_NEAR(bestR, 0.8, 0.03);
    auto ring = frame.gl.Pixel(160 + int(dx * bestR * ppu), 120 + int(dy * bestR * ppu));
    EXPECT_GE(ring.g, 250);
    EXPECT_LE(ring.b, 5);
    // Inside, the band turns from yellow near the ring to blue near its edge.
    auto nearRing = frame.gl.Pixel(160 + int(dx * 0.75 * ppu), 120 + int(dy * 0.75 * ppu));
    auto nearEdge = frame.gl.Pixel(160 + int(dx * 0.63 * ppu), 120 + int(dy * 0.63 * ppu));
    EXPECT_GT(nearRing.r, nearRing.b);
    EXPECT_GT(nearEdge.b, nearEdge.r);
    // Nothing beyond the outer band.
    EXPECT_EQ(frame.Brightness(160 + int(dx * 1.05 * ppu), 120 + int(dy * 1.05 * ppu)), 0);
  }
  EXPECT_EQ(frame.Brightness(160, 120), 0);

  // From the side the ring is a line at height 0 with its bands above and
  // below.
  frame.Begin(Vec3(0, 0, 5), Vec3(0, 0, 0));
  f->Render(frame.camera);
  frame.ExpectDefaultState();
  EXPECT_GT(frame.Brightness(160 + int(0.5 * ppu), 120), 200);
  EXPECT_GT(frame.Brightness(160 + int(0.5 * ppu), 120 + int(0.08 * ppu)), 0);
  EXPECT_EQ(frame.Brightness(160 + int(0.5 * ppu), 120 + int(0.3 * ppu)), 0);
  // The flame writes no depth.
  float depth = 0;
  glReadPixels(160, 120, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
  EXPECT_EQ(depth, 1.0f);
}

} // namespace
