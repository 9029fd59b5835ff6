#include "motion/Camera.h"
#include "motion/Matrix4.h"
#include "platform/Random.h"
#include "support/GlTestContext.h"
#include "MotionTestUtil.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

bool SamePlace(const Vec3& a, const Vec3& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

// look and up of a key's orientation.
void KeyAxes(const Quat& orientation, Vec3& look, Vec3& up) {
  Quat q = orientation;
  q.Normalize();
  Matrix4 m = q.ToMatrix();
  look = Vec3(m[0], m[4], m[8]);
  up = Vec3(m[2], m[6], m[10]);
}

// Every key looks at the origin, with up perpendicular and pointing downwards.
void ExpectKeyLooksAtOrigin(const Keyframe& key, const char* what) {
  Vec3 look, up;
  KeyAxes(key.orientation, look, up);
  ASSERT_TRUE(VecNear(look, Normalized(-key.position), 2e-5f)) << what;
  ASSERT_NEAR(Dot(look, up), 0.0f, 2e-5f) << what;
  ASSERT_NEAR(up.Length(), 1.0f, 2e-5f) << what;
  ASSERT_LE(up.y, 1e-5f) << what;
}

} // namespace

TEST(Camera, ConstructorPose) {
  Camera c;
  EXPECT_TRUE(VecNear(c.position, Vec3(0, 0, 0), 0));
  EXPECT_TRUE(VecNear(c.look, Vec3(0, 0, -1), 0));
  EXPECT_TRUE(VecNear(c.up, Vec3(0, 1, 0), 0));
  EXPECT_EQ(c.segmentTime, 0.0f);
}

TEST(Camera, KeyOrientationLooksAtOriginWithDownwardUp) {
  Vec3 places[] = {{0, 0, 90000}, {1, 2, 3}, {-40000, 30000, 5}, {0, -5, 1}, {7, 0, 0}};
  for (const Vec3& p : places) {
    Keyframe k;
    k.position = p;
    k.orientation = Camera::KeyOrientation(p);
    ExpectKeyLooksAtOrigin(k, "key");
  }
  // At (0, 0, 1) the view is -z, so up is the world's -y.
  Vec3 look, up;
  KeyAxes(Camera::KeyOrientation(Vec3(0, 0, 1)), look, up);
  EXPECT_TRUE(VecNear(up, Vec3(0, -1, 0), 1e-6f));
}

// A place on the y axis has no downward direction across the view; it takes a
// fixed side vector instead of NaN.
TEST(Camera, KeyOrientationOnVerticalViewIsConsistent) {
  struct Case {
    Vec3 place, look, up;
  } cases[] = {
      {{0, -500, 0}, {0, 1, 0}, {0, 0, -1}},
      {{0, 500, 0}, {0, -1, 0}, {0, 0, 1}},
      {{0, 3e4f, 0}, {0, -1, 0}, {0, 0, 1}},
  };
  for (const Case& c : cases) {
    Quat q = Camera::KeyOrientation(c.place);
    ASSERT_TRUE(Finite(q));
    Vec3 look, up;
    KeyAxes(q, look, up);
    EXPECT_TRUE(VecNear(look, c.look, 1e-6f));
    EXPECT_TRUE(VecNear(up, c.up, 1e-6f));
  }
  // Almost vertical, with a cross product too small to square in floats.
  EXPECT_TRUE(Finite(Camera::KeyOrientation(Vec3(1e-30f, 40000, -1e-30f))));
}

TEST(Camera, StartBuildsThreeKeysFromFourteenDraws) {
  SRand(2024);
  // The first key, by hand: axis from three draws, then the angle.
  int r[4];
  for (int& v : r)
    v = Rand();
  Vec3 axis = Normalized(
      Vec3(r[0] / 32767.0f * 20 - 10, r[1] / 32767.0f * 20 - 10, r[2] / 32767.0f * 20 - 10));
  Vec3 p0(0, 0, 90000);
  RotateAboutAxis(p0, axis, 10 + 350 * (r[3] / 32767.0f));
  for (int i = 4; i < 14; ++i)
    Rand();
  int fifteenth = Rand();

  SRand(2024);
  Camera c;
  c.Start();
  EXPECT_EQ(Rand(), fifteenth) << "Start draws 14 values";
  EXPECT_TRUE(VecNear(c.keys[0].position, p0, 0));
  EXPECT_NEAR(c.keys[0].position.Length(), 90000.0f, 1.0f);
  for (int k = 1; k <= 2; ++k) {
    EXPECT_GE(c.keys[k].position.Length(), 40000.0f - 1.0f) << k;
    EXPECT_LE(c.keys[k].position.Length(), 45000.0f + 1.0f) << k;
  }
  EXPECT_LE(AngleDegrees(c.keys[0].position, c.keys[1].position), 40.0 + 1e-3);
  EXPECT_LE(AngleDegrees(c.keys[1].position, c.keys[2].position), 40.0 + 1e-3);
  EXPECT_TRUE(VecNear(c.keys[0].gradient, Vec3(0, 0, 0), 0));
  EXPECT_TRUE(VecNear(c.keys[1].gradient, (c.keys[2].position - c.keys[0].position) * 0.5f, 0.05f));
  for (const Keyframe& k : c.keys)
    ExpectKeyLooksAtOrigin(k, "start key");
  EXPECT_EQ(c.segmentTime, 0.0f);
}

// A new key: the axis (0, 1, 0) tilted about a random direction (three draws)
// by a random angle (one draw), the last key turned 40 degrees about it, then
// a random distance (one draw).
TEST(Camera, NewKeyDrawsDirectionAngleThenDistance) {
  SRand(4711);
  Camera c;
  c.Start();
  Vec3 last = c.keys[2].position;
  uint32_t seed = static_cast<uint32_t>(Rand()); // continue on a known stream
  SRand(seed);
  int r[5];
  for (int& v : r)
    v = Rand();
  int sixth = Rand();
  Vec3 around = Normalized(
      Vec3(r[0] / 32767.0f * 20 - 10, r[1] / 32767.0f * 20 - 10, r[2] / 32767.0f * 20 - 10));
  Vec3 axis(0, 1, 0);
  RotateAboutAxis(axis, around, 60 * (r[3] / 32767.0f));
  Vec3 expected = last;
  RotateAboutAxis(expected, axis, 40);
  expected = Normalized(expected) * (30000 + 35000 * (r[4] / 32767.0f));

  SRand(seed);
  c.Advance(10.0);
  EXPECT_EQ(Rand(), sixth) << "a new key draws 5 values";
  EXPECT_TRUE(VecNear(c.keys[2].position, expected, 0));
  EXPECT_TRUE(SamePlace(c.keys[1].position, last));
}

TEST(Camera, FirstFrameLeavesTheFarKeyAtRest) {
  SRand(99);
  Camera c;
  c.Start();
  Vec3 start = c.keys[0].position;
  c.Advance(1.0 / 60);
  EXPECT_NEAR(c.position.Length(), 90000.0f, 5.0f) << "at rest: barely moved";
  EXPECT_LT(AngleDegrees(c.look, -c.position), 0.5);
  EXPECT_NEAR(Dot(c.look, c.up), 0.0f, 1e-5f);
  c.Advance(1.0 / 60);
  // Ten seconds after the start the camera is at the second key.
  Vec3 second = c.keys[1].position;
  c.Advance(10.0 - 2.0 / 60);
  EXPECT_FALSE(SamePlace(c.keys[0].position, start));
  EXPECT_TRUE(SamePlace(c.keys[0].position, second));
  EXPECT_LT(c.segmentTime, 1e-3f);
  EXPECT_GE(c.position.Length(), 40000.0f - 50);
  EXPECT_LE(c.position.Length(), 45000.0f + 50);
}

// Whole-segment steps land exactly on the keys: position is the key's place,
// look points at the origin, up is perpendicular with a negative y.
TEST(Camera, WholeSegmentStepsLandOnKeys) {
  SRand(7);
  Camera c;
  c.Start();
  for (int i = 0; i < 200; ++i) {
    c.Advance(10.0);
    ASSERT_EQ(c.segmentTime, 0.0f);
    ASSERT_TRUE(SamePlace(c.position, c.keys[0].position));
    ASSERT_TRUE(VecNear(c.look, Normalized(-c.position), 2e-5f)) << i;
    ASSERT_NEAR(Dot(c.look, c.up), 0.0f, 2e-5f) << i;
    ASSERT_LE(c.up.y, 1e-5f) << i;
    ASSERT_GE(c.position.Length(), 30000.0f - 5) << i;
    ASSERT_LE(c.position.Length(), 65000.0f + 5) << i;
  }
}

TEST(Camera, LongStepConsumesOneKeyAndExtrapolates) {
  SRand(31337);
  Camera c;
  c.Start();
  c.Advance(3.0);
  Keyframe before[3] = {c.keys[0], c.keys[1], c.keys[2]};
  c.Advance(25.0); // two and a half segments at once
  EXPECT_NEAR(c.segmentTime, 1.8f, 1e-5f);
  EXPECT_TRUE(SamePlace(c.keys[0].position, before[1].position)) << "only one key consumed";
  EXPECT_TRUE(SamePlace(c.keys[1].position, before[2].position));
  Vec3 place;
  Quat q;
  EvaluateSegment(c.keys[0], c.keys[1], 1.8f, place, q);
  EXPECT_TRUE(VecNear(c.position, place, 0)) << "the pose beyond keys[1]";
  EXPECT_TRUE(Finite(c.position) && Finite(c.look) && Finite(c.up));
  Vec3 next = c.keys[1].position;
  c.Advance(0.5);
  EXPECT_NEAR(c.segmentTime, 0.85f, 1e-5f);
  EXPECT_TRUE(SamePlace(c.keys[0].position, next)) << "the next step consumes the next key";
}

namespace {

struct FlightRecord {
  std::vector<Vec3> positions;
  int keysConsumed = 0;
};

// Flies `frames` uneven steps (a fixed step generator, independent of the
// camera's random stream) and checks every frame and every new key.
FlightRecord Fly(uint32_t seed, int frames, double speed) {
  FlightRecord record;
  SRand(seed);
  Camera c;
  c.Start();
  std::mt19937 steps(555);
  std::uniform_real_distribution<double> frameTime(0.0005, 0.8);
  for (int i = 0; i < frames; ++i) {
    double seconds = frameTime(steps);
    if (i % 997 == 500)
      seconds = 12.5; // longer than a segment
    if (i % 331 == 7)
      seconds = 0;
    Keyframe old[3] = {c.keys[0], c.keys[1], c.keys[2]};
    c.Advance(seconds * speed);
    record.positions.push_back(c.position);
    EXPECT_TRUE(Finite(c.position) && Finite(c.look) && Finite(c.up) && Finite(c.orientation))
        << "frame " << i;
    EXPECT_NEAR(c.look.Length(), 1.0f, 1e-5f);
    EXPECT_NEAR(c.up.Length(), 1.0f, 1e-5f);
    EXPECT_NEAR(Dot(c.look, c.up), 0.0f, 1e-5f);
    if (SamePlace(c.keys[0].position, old[0].position))
      continue;
    ++record.keysConsumed;
    EXPECT_TRUE(SamePlace(c.keys[0].position, old[1].position)) << "one key per step";
    EXPECT_TRUE(SamePlace(c.keys[1].position, old[2].position));
    const Keyframe& fresh = c.keys[2];
    float distance = fresh.position.Length();
    EXPECT_GE(distance, 30000.0f - 5) << "frame " << i;
    EXPECT_LE(distance, 65000.0f + 5) << "frame " << i;
    EXPECT_LE(AngleDegrees(c.keys[1].position, fresh.position), 40.0 + 1e-3) << "frame " << i;
    ExpectKeyLooksAtOrigin(fresh, "new key");
    // The finished segment ends where the new one starts, with the same
    // tangent and orientation.
    Vec3 endPlace, startPlace, endBefore, startAfter;
    Quat endTurn, startTurn, q;
    const float h = 1.0f / 4096;
    EvaluateSegment(old[0], old[1], 1, endPlace, endTurn);
    EvaluateSegment(old[0], old[1], 1 - h, endBefore, q);
    EvaluateSegment(c.keys[0], c.keys[1], 0, startPlace, startTurn);
    EvaluateSegment(c.keys[0], c.keys[1], h, startAfter, q);
    EXPECT_TRUE(VecNear(endPlace, startPlace, 0)) << "frame " << i;
    EXPECT_TRUE(SameRotation(endTurn, startTurn, 2e-6f)) << "frame " << i;
    Vec3 tangentIn = (endPlace - endBefore) / h, tangentOut = (startAfter - startPlace) / h;
    float scale = c.keys[0].gradient.Length() + 1000;
    EXPECT_LE((tangentIn - tangentOut).Length(), scale * 0.02f) << "frame " << i;
    EXPECT_LE((tangentOut - c.keys[0].gradient).Length(), scale * 0.02f) << "frame " << i;
    if (::testing::Test::HasFailure())
      break;
  }
  return record;
}

} // namespace

TEST(Camera, LongFlightStaysSmoothAndInRange) {
  const int frames = 60000; // about 2500 segments
  FlightRecord record = Fly(20240611, frames, 1.0);
  EXPECT_GT(record.keysConsumed, 2000);
}

TEST(Camera, SameSeedSamePath) {
  FlightRecord a = Fly(5, 3000, 2.5), b = Fly(5, 3000, 2.5), other = Fly(6, 3000, 2.5);
  ASSERT_EQ(a.positions.size(), b.positions.size());
  bool same = true, differs = false;
  for (size_t i = 0; i < a.positions.size(); ++i) {
    same = same && SamePlace(a.positions[i], b.positions[i]);
    differs = differs || !SamePlace(a.positions[i], other.positions[i]);
  }
  EXPECT_TRUE(same);
  EXPECT_TRUE(differs);
}

TEST(Camera, SpeedSetsKeysPerSecond) {
  struct Case {
    double speedFactor, seconds;
    int keys;
  } cases[] = {{1.0, 95, 9}, {2.5, 95, 23}, {0.5, 95, 4}};
  for (const Case& k : cases) {
    SRand(1);
    Camera c;
    c.Start();
    int consumed = 0;
    for (int frame = 0; frame < k.seconds * 60; ++frame) {
      Vec3 before = c.keys[0].position;
      c.Advance(k.speedFactor / 60);
      consumed += !SamePlace(before, c.keys[0].position);
    }
    EXPECT_EQ(consumed, k.keys) << "speed " << k.speedFactor;
  }
}

// The view LookAt sets: the eye goes to the origin, look to -z and up to +y.
TEST(Camera, LookAtLoadsTheViewMatrix) {
  GlTestContext gl(32, 32);
  REQUIRE_GL(gl);
  SRand(3);
  Camera c;
  c.Start();
  c.Advance(4.2);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  c.LookAt();
  float mv[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, mv);
  auto apply = [&](const Vec3& v, float w) {
    return Vec3(mv[0] * v.x + mv[4] * v.y + mv[8] * v.z + mv[12] * w,
                mv[1] * v.x + mv[5] * v.y + mv[9] * v.z + mv[13] * w,
                mv[2] * v.x + mv[6] * v.y + mv[10] * v.z + mv[14] * w);
  };
  EXPECT_TRUE(VecNear(apply(c.position, 1), Vec3(0, 0, 0), 0.05f));
  EXPECT_TRUE(VecNear(apply(c.look, 0), Vec3(0, 0, -1), 1e-3f));
  EXPECT_TRUE(VecNear(apply(c.up, 0), Vec3(0, 1, 0), 1e-3f));
  // The origin is in front of the camera at its distance.
  Vec3 origin = apply(Vec3(0, 0, 0), 1);
  EXPECT_LT(origin.z, 0);
  EXPECT_NEAR(origin.Length(), c.position.Length(), 1.0f);
}

TEST(Camera, GlobalCameraExists) { EXPECT_TRUE(VecNear(MainCamera.look, Vec3(0, 0, -1), 0)); }
