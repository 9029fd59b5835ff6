#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "objects/ObjectTestUtil.h"
#include "objects/ParticleSystem.h"
#include "platform/Random.h"

namespace {

using Motion = ParticleSystemObject::Motion;

ParticleSystemObject* ReadSystem(ObjectList& list, const std::string& body) {
  return ReadOne<ParticleSystemObject>(ReadParticleSystemBlock, list,
                                       "ps\nbegin\n" + body + "end\n");
}

float Unit() { return static_cast<float>(Rand()) / 32767.0f; }

struct KeywordCase {
  const char* body;
  std::function<void(const ParticleSystemObject&)> check;
};

TEST(ParticleReading, Keywords) {
  const KeywordCase cases[] = {
      {"",
       [](const ParticleSystemObject& p) {
         EXPECT_EQ(p.motion, Motion::None);
         EXPECT_EQ(p.count, 0);
         EXPECT_EQ(p.size, 2.0f);
         EXPECT_FALSE(p.Active());
       }},
      {"line\ndens 5\n",
       [](const ParticleSystemObject& p) {
         EXPECT_EQ(p.motion, Motion::Line);
         EXPECT_EQ(p.count, 5);
         EXPECT_EQ(p.particlePos.size(), 5u);
         EXPECT_TRUE(p.Active());
       }},
      {"circ\nsize 7\npoint1 V(1 2 3)\n",
       [](const ParticleSystemObject& p) {
         EXPECT_EQ(p.motion, Motion::Circ);
         EXPECT_EQ(p.size, 7.0f);
         EXPECT_EQ(p.point1.z, 3.0f);
       }},
      {"flash\nrot V(0 0 1)\n",
       [](const ParticleSystemObject& p) {
         EXPECT_EQ(p.motion, Motion::Flash);
         EXPECT_EQ(p.right.z, 1.0f);
         EXPECT_EQ(p.right.x, 0.0f);
       }},
      // "dens" sets the interval back to 0: "time" counts only after it.
      {"time 5\ndens 3\n", [](const ParticleSystemObject& p) { EXPECT_EQ(p.interval, 0.0f); }},
      {"dens 3\ntime 5\n", [](const ParticleSystemObject& p) { EXPECT_EQ(p.interval, 5.0f); }},
      {"dens -4\ncirc\n",
       [](const ParticleSystemObject& p) {
         EXPECT_EQ(p.particlePos.size(), 0u);
         EXPECT_FALSE(p.Active());
       }},
      // A count too large to allocate is cut.
      {"line\ndens 2000000000\n",
       [](const ParticleSystemObject& p) {
         EXPECT_EQ(p.count, ParticleSystemObject::MaxParticles);
         EXPECT_EQ(p.particleLife.size(), size_t(ParticleSystemObject::MaxParticles));
       }},
      {"dens many\nsize\n",
       [](const ParticleSystemObject& p) {
         EXPECT_EQ(p.count, 0);
         EXPECT_EQ(p.size, 2.0f);
       }},
  };
  for (const KeywordCase& c : cases) {
    SCOPED_TRACE(c.body);
    ObjectList list;
    ParticleSystemObject* p = ReadSystem(list, c.body);
    ASSERT_NE(p, nullptr);
    c.check(*p);
  }
}

TEST(ParticleDensity, ScattersTheParticlesOnASphereMovingAlongMinusZ) {
  ParticleSystemObject p;
  p.position = Vec3(10, 0, 0);
  p.timer = 3.0f;
  p.interval = 4.0f;
  p.SetDensity(50);
  EXPECT_EQ(p.timer, 0.0f);
  EXPECT_EQ(p.interval, 0.0f);
  for (int i = 0; i < 50; ++i) {
    EXPECT_NEAR((p.particlePos[i] - p.position).Length(), 250.0f, 1e-2);
    EXPECT_EQ(p.particleVel[i].z, -1000.0f);
    EXPECT_EQ(p.particleAcc[i].Length(), 0.0f);
    EXPECT_EQ(p.particleLife[i], 0.0f);
    EXPECT_GE(p.particleAge[i], 0.0f);
    EXPECT_LE(p.particleAge[i], 25.0f);
  }
  p.SetDensity(2); // a later line replaces the particles
  EXPECT_EQ(p.particlePos.size(), 2u);
}

TEST(ParticleUpdate, LineRestartsEveryParticleOnTheFirstUpdate) {
  ParticleSystemObject p;
  p.motion = Motion::Line;
  p.SetDensity(4);
  SRand(11);
  p.Update(0.02);
  SRand(11);
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    float vz = -2400.0f - 17100.0f * Unit();
    float r2 = Unit(), r3 = Unit();
    float life = 1.0f + 2.0f * Unit();
    EXPECT_EQ(p.particlePos[i].Length(), 0.0f);
    EXPECT_FLOAT_EQ(p.particleVel[i].z, vz);
    EXPECT_FLOAT_EQ(p.particleAcc[i].x, 0.57f * -vz * (1.0f + r3));
    EXPECT_FLOAT_EQ(p.particleAcc[i].y, 0.57f * -vz * r2);
    EXPECT_EQ(p.particleAcc[i].z, 0.0f);
    EXPECT_EQ(p.particleAge[i], 0.0f);
    EXPECT_FLOAT_EQ(p.particleLife[i], life);
  }
  EXPECT_EQ(p.timer, 0.0f);

  // Then they move with their velocity and acceleration and age.
  Vec3 v = p.particleVel[0], a = p.particleAcc[0];
  p.Update(0.1);
  EXPECT_NEAR(p.particlePos[0].z, v.z * 0.1f, 1e-2);
  EXPECT_NEAR(p.particleVel[0].x, a.x * 0.1f, 1e-2);
  EXPECT_NEAR(p.particleAge[0], 0.1f, 1e-6);
  EXPECT_NEAR(p.LineAlpha(0), 1.0f - 0.1f / p.particleLife[0], 1e-6);
}

TEST(ParticleUpdate, CircBurstsOnTheFirstUpdateAndThenEveryTwoToThreeSeconds) {
  ParticleSystemObject p;
  p.motion = Motion::Circ;
  p.point1 = Vec3(100, 0, 0);
  p.size = 50.0f;
  p.SetDensity(10);
  SRand(21);
  p.Update(0.01);
  SRand(21);
  float interval = 2.0f + Unit();
  Vec3 d = RandomDirection();
  EXPECT_FLOAT_EQ(p.interval, interval);
  EXPECT_EQ(p.timer, 0.0f);
  EXPECT_NEAR(p.position.x, 100.0f + 50.0f * d.x, 1e-3);
  EXPECT_NEAR(p.position.z, 50.0f * d.z, 1e-3);
  for (int i = 0; i < 10; ++i) {
    // Each particle starts within 4 degrees' turn of the burst centre and is
    // pulled back along the burst direction at 250 to 300.
    EXPECT_LT(p.particlePos[i].Length(), 50.0f * 0.07f);
    float pull = -Dot(p.particleAcc[i], d);
    EXPECT_GE(pull, 249.9f);
    EXPECT_LE(pull, 300.1f);
    EXPECT_LT(p.particleVel[i].Length(), 2100.1f);
  }

  // No burst before the interval has passed, one right after.
  Vec3 centre = p.position;
  int updates = 0;
  while (p.timer + 0.25f <= interval) {
    p.Update(0.25);
    ++updates;
    EXPECT_EQ(p.position.x, centre.x);
  }
  EXPECT_GE(updates, 8);
  p.Update(0.25);
  EXPECT_NE(p.position.x, centre.x);
  EXPECT_EQ(p.timer, 0.0f);
}

TEST(ParticleUpdate, FastBurstSendsParticlesAlongTheBurstDirection) {
  // A seed whose fast-burst draw (the fifth of the burst) is below 0.2.
  uint32_t seed = 1;
  for (;; ++seed) {
    SRand(seed);
    for (int i = 0; i < 4; ++i)
      Rand();
    if (Unit() < 0.2f)
      break;
  }
  ParticleSystemObject p;
  p.motion = Motion::Circ;
  p.SetDensity(20);
  SRand(seed);
  p.Update(0.01);
  SRand(seed);
  Unit();
  Vec3 d = RandomDirection();
  for (int i = 0; i < 20; ++i) {
    Vec3 v = p.particleVel[i];
    // Along d before a random turn of up to 30 degrees, at up to 2100 per second.
    EXPECT_GE(Dot(Normalized(v), d), std::cos(30.5f * 3.14159265f / 180.0f));
    EXPECT_LE(v.Length(), 2100.1f);
  }
}

TEST(ParticleUpdate, CircWithTimeDriftsBeforeItsFirstBurst) {
  ObjectList list;
  ParticleSystemObject* p = ReadSystem(list, "circ\ndens 5\ntime 5\n");
  ASSERT_NE(p, nullptr);
  Vec3 start = p->particlePos[0];
  for (int i = 0; i < 4; ++i)
    p->Update(1.0);
  EXPECT_NEAR(p->particlePos[0].z, start.z - 4000.0f, 1e-2);
  EXPECT_EQ(p->position.Length(), 0.0f);
  EXPECT_NEAR(p->CyclePhase(), 0.8f, 1e-6);
  EXPECT_NEAR(p->CycleAlpha(), 0.4f, 1e-6);
  p->Update(1.01);
  EXPECT_EQ(p->timer, 0.0f); // burst
}

TEST(ParticleUpdate, FlashBoltOfTwentyLastsSixtyOneTicks) {
  ParticleSystemObject p;
  p.motion = Motion::Flash;
  p.point1 = Vec3(0, 0, -1000);
  p.SetDensity(20);
  SRand(31);
  // Every update of 0.06 seconds is one tick (ticks come 0.01 to 0.05 apart).
  int ticks = 0;
  while (p.pulse != -20 && ticks < 100) {
    p.Update(0.06);
    ++ticks;
  }
  EXPECT_EQ(ticks, 41); // the pulse ran from 0 past 40 before the first bolt
  EXPECT_EQ(p.phase, 0.0f);

  // The bolt: 16100 from point1 along its direction, a chain of equal steps
  // across that direction.
  Vec3 d = Normalized(p.position - p.point1);
  EXPECT_NEAR((p.position - p.point1).Length(), 16100.0f, 0.5f);
  EXPECT_NEAR(Dot(p.right, d), 1.0f, 1e-5);
  float step = 100.8f * Cross(p.right, Vec3(0, 1, 0)).Length();
  Vec3 previous(0, 0, 0);
  for (int i = 0; i < 20; ++i) {
    Vec3 s = p.particlePos[i] - previous;
    EXPECT_NEAR(s.Length(), step, 1e-2);
    EXPECT_NEAR(Dot(s, p.right), 0.0f, 1e-2);
    previous = p.particlePos[i];
  }

  // The pulse runs along the chain: the particle at it has base alpha 1 (drawn
  // 1.0 to 1.4), its neighbours 0.05 less per step.
  int length = 0;
  Vec3 bolt = p.position;
  do {
    p.Update(0.06);
    ++length;
    if (p.pulse == 10) {
      EXPECT_FLOAT_EQ(p.FlashBaseAlpha(10), 1.0f);
      EXPECT_FLOAT_EQ(p.FlashBaseAlpha(9), 0.95f);
      EXPECT_FLOAT_EQ(p.FlashBaseAlpha(12), 0.9f);
    }
  } while (p.pulse != -20 && length < 200);
  EXPECT_EQ(length, 61);
  EXPECT_NE(p.position.x, bolt.x);
}

TEST(ParticleUpdate, WithoutMotionOrParticlesNothingMoves) {
  ObjectList list;
  ParticleSystemObject* none = ReadSystem(list, "dens 5\n");
  ParticleSystemObject* empty = ReadSystem(list, "flash\n");
  Vec3 start = none->particlePos[0];
  SRand(4);
  none->Update(1.0);
  empty->Update(1.0);
  EXPECT_EQ(none->particlePos[0].z, start.z);
  EXPECT_EQ(none->timer, 0.0f);
  EXPECT_EQ(empty->pulse, 0);
  int next = Rand();
  SRand(4);
  EXPECT_EQ(next, Rand()); // nothing was drawn
}

class ParticleRender : public ::testing::Test {
protected:
  void SetUp() override {
    if (!frame.gl.ok())
      GTEST_SKIP() << "no offscreen OpenGL context on this machine";
    MakeTexture("textures\\spark.jpg", 255, 255, 255);
    SRand(8);
  }
  void TearDown() override { Textures.Clear(); }

  ParticleSystemObject* Read(const std::string& body) {
    return ReadSystem(list, "texture textures\\spark.jpg\n" + body);
  }

  TestFrame frame;
  ObjectList list;
};

TEST_F(ParticleRender, FirstFrameAlphasAreZeroAndEveryMotionRestoresTheState) {
  for (const char* motion : {"line\n", "circ\n", "flash\npoint1 V(0 0 -100)\nrot V(1 0 0)\n"}) {
    SCOPED_TRACE(motion);
    ParticleSystemObject* p = Read(std::string(motion) + "dens 8\n");
    frame.Begin(Vec3(0, 0, 3000), Vec3(0, 0, 0));
    p->Render(frame.camera); // before any update
    frame.ExpectDefaultState();
    if (p->motion != Motion::Flash)
      EXPECT_EQ(frame.LitPixels(0), 0);
    for (int i = 0; i < 5; ++i)
      p->Update(0.06);
    frame.Begin(Vec3(0, 0, 3000), Vec3(0, 0, 0));
    p->Render(frame.camera);
    frame.ExpectDefaultState();
  }
}

TEST_F(ParticleRender, LineJetIsDrawnInFrontOfEverything) {
  ParticleSystemObject* p = Read("line\ndens 30\n");
  p->Update(0.001);
  frame.Begin(Vec3(0, 0, 5000), Vec3(0, 0, 0));
  WriteDepthSquare(4000, 5000); // the jet ignores the depth buffer
  p->Render(frame.camera);
  frame.ExpectDefaultState();
  EXPECT_GT(frame.Brightness(160, 120), 300);
}

TEST_F(ParticleRender, FlashDrawsTheBoltAndNothingWhenVertical) {
  ParticleSystemObject* p = Read("flash\ndens 20\n");
  for (int i = 0; i < 45; ++i)
    p->Update(0.06); // past the first bolt
  ASSERT_LT(p->pulse, 0);
  // Look at the bolt's middle from 3000 units out along its direction.
  Vec3 middle = p->position + p->particlePos[10];
  frame.Begin(middle + 3000.0f * p->right, middle);
  p->Render(frame.camera);
  frame.ExpectDefaultState();
  EXPECT_GT(frame.LitPixels(), 100);

  p->right = Vec3(0, 1, 0);
  frame.Begin(middle + Vec3(0, 3000, 1), middle);
  p->Render(frame.camera);
  frame.ExpectDefaultState();
  EXPECT_EQ(frame.LitPixels(0), 0);
}

TEST_F(ParticleRender, WithoutMotionOrParticlesNothingIsDrawn) {
  for (const char* body : {"dens 5\n", "flash\n", "circ\ndens 0\n"}) {
    SCOPED_TRACE(body);
    ParticleSystemObject* p = Read(body);
    p->Update(0.1);
    frame.Begin(Vec3(0, 0, 3000), Vec3(0, 0, 0));
    p->Render(frame.camera);
    frame.ExpectDefaultState();
    EXPECT_EQ(frame.LitPixels(0), 0);
  }
}

} // namespace
