#include "motion/Keyframe.h"
#include "MotionTestUtil.h"

#include <gtest/gtest.h>

namespace {

Keyframe Key(Vec3 position, Quat orientation, Vec3 gradient = Vec3(0, 0, 0)) {
  Keyframe k;
  k.position = position;
  k.orientation = orientation;
  k.gradient = gradient;
  return k;
}

Quat Negated(const Quat& q) { return Quat(-q.x, -q.y, -q.z, -q.w); }

} // namespace

TEST(Keyframe, ConstructorValuesAndCopy) {
  Keyframe k;
  EXPECT_TRUE(VecNear(k.position, Vec3(0, 0, 0), 0));
  EXPECT_TRUE(VecNear(k.gradient, Vec3(0, 0, 0), 0));
  EXPECT_TRUE(QuatNear(k.orientation, Quat(0, 0, 0, 0), 0));
  EXPECT_TRUE(QuatNear(k.orientationIn, Quat(0, 1, 0, 1), 0));
  EXPECT_TRUE(QuatNear(k.orientationOut, Quat(0, 1, 0, 1), 0));
  Keyframe a = Key(Vec3(1, 2, 3), Quat(0.1f, 0.2f, 0.3f, 0.4f), Vec3(4, 5, 6));
  a.orientationIn = Quat(1, 0, 0, 0);
  a.orientationOut = Quat(0, 0, 1, 0);
  Keyframe b;
  b = a;
  EXPECT_TRUE(VecNear(b.position, a.position, 0));
  EXPECT_TRUE(VecNear(b.gradient, a.gradient, 0));
  EXPECT_TRUE(QuatNear(b.orientation, a.orientation, 0));
  EXPECT_TRUE(QuatNear(b.orientationIn, a.orientationIn, 0));
  EXPECT_TRUE(QuatNear(b.orientationOut, a.orientationOut, 0));
}

TEST(Keyframe, StraightLineGivesSpacingAsGradient) {
  Quat q = AxisAngle(Vec3(0, 1, 0), 10);
  Keyframe prev = Key(Vec3(0, 0, 0), q), k = Key(Vec3(10, -20, 30), q),
           next = Key(Vec3(20, -40, 60), q);
  k.PrepareInner(prev, next);
  EXPECT_TRUE(VecNear(k.gradient, Vec3(10, -20, 30), 0));
  // Uneven neighbours: half the vector from prev to next.
  Keyframe far = Key(Vec3(100, 0, 0), q);
  k.PrepareInner(prev, far);
  EXPECT_TRUE(VecNear(k.gradient, Vec3(50, 0, 0), 1e-5f));
}

TEST(Keyframe, ChordGradientsRunAtConstantSpeed) {
  Quat q(0, 0, 0, 1);
  Vec3 p0(5, 6, 7), chord(30, 60, -90);
  Keyframe k0 = Key(p0, q, chord), k1 = Key(p0 + chord, q, chord);
  for (float s : {0.0f, 0.1f, 0.25f, 0.5f, 0.75f, 1.0f}) {
    Vec3 place;
    Quat orientation;
    EvaluateSegment(k0, k1, s, place, orientation);
    EXPECT_TRUE(VecNear(place, p0 + chord * s, 1e-4f)) << s;
  }
}

TEST(Keyframe, EqualOrientationsStayConstant) {
  Quat q = AxisAngle(Vec3(1, -2, 0.5f), 123);
  Keyframe prev = Key(Vec3(0, 0, 0), q), k = Key(Vec3(1, 0, 0), q), next = Key(Vec3(3, 1, 0), q);
  k.PrepareInner(prev, next);
  EXPECT_TRUE(QuatNear(k.orientationIn, q, 1e-6f));
  EXPECT_TRUE(QuatNear(k.orientationOut, q, 1e-6f));
  next.PrepareInner(k, Key(Vec3(9, 9, 9), q));
  for (float s = 0; s <= 1.0f; s += 0.125f) {
    Vec3 place;
    Quat orientation;
    EvaluateSegment(k, next, s, place, orientation);
    EXPECT_TRUE(QuatNear(orientation, q, 1e-6f)) << s;
  }
}

TEST(Keyframe, CoincidentNeighboursNeedNothingSpecial) {
  Quat q = AxisAngle(Vec3(0, 0, 1), 45);
  Keyframe k = Key(Vec3(1, 2, 3), q);
  k.PrepareInner(k, k);
  EXPECT_TRUE(VecNear(k.gradient, Vec3(0, 0, 0), 0));
  EXPECT_TRUE(QuatNear(k.orientationIn, q, 1e-6f));
  EXPECT_TRUE(QuatNear(k.orientationOut, q, 1e-6f));
}

TEST(Keyframe, FarHemisphereNeighboursGiveShortArcControls) {
  Quat qp = AxisAngle(Vec3(0, 1, 0), -50), qk = AxisAngle(Vec3(0, 1, 0.2f), 10),
       qn = AxisAngle(Vec3(0.3f, 1, 0), 70);
  Keyframe near = Key(Vec3(0, 0, 0), qk), far = Key(Vec3(0, 0, 0), qk);
  near.PrepareInner(Key(Vec3(-1, 0, 0), qp), Key(Vec3(1, 0, 0), qn));
  far.PrepareInner(Key(Vec3(-1, 0, 0), Negated(qp)), Key(Vec3(1, 0, 0), Negated(qn)));
  EXPECT_TRUE(QuatNear(far.orientationIn, near.orientationIn, 1e-6f));
  EXPECT_TRUE(QuatNear(far.orientationOut, near.orientationOut, 1e-6f));
  // The controls lie on the short arcs: well within 90 degrees of the key.
  EXPECT_GT(Dot(near.orientationIn, qk), 0.9f);
  EXPECT_GT(Dot(near.orientationOut, qk), 0.9f);
}

TEST(Keyframe, PrepareStartSetsOutgoingControlOnly) {
  Quat q0(0, 0, 0, 1), q1 = AxisAngle(Vec3(0, 0, 1), 150);
  Keyframe k = Key(Vec3(0, 0, 0), q0, Vec3(1, 2, 3));
  k.PrepareStart(Key(Vec3(5, 0, 0), q1));
  EXPECT_TRUE(VecNear(k.gradient, Vec3(1, 2, 3), 0)) << "gradient untouched";
  EXPECT_TRUE(QuatNear(k.orientationIn, Quat(0, 1, 0, 1), 0));
  // A third of the way along the arc (the sine branch): a 50 degree turn.
  EXPECT_TRUE(QuatNear(k.orientationOut, AxisAngle(Vec3(0, 0, 1), 50), 1e-6f));
}

TEST(Keyframe, SegmentEnds) {
  Keyframe k0 = Key(Vec3(1, 2, 3), Quat(0, 0, 0, 2), Vec3(100, 0, 0));
  Keyframe k1 = Key(Vec3(-4, 5, 6), Negated(AxisAngle(Vec3(1, 1, 1), 80)), Vec3(0, 100, 0));
  k0.orientationOut = AxisAngle(Vec3(1, 0, 0), 20);
  k1.orientationIn = AxisAngle(Vec3(1, 1, 0), 60);
  Vec3 place;
  Quat orientation;
  EvaluateSegment(k0, k1, 0, place, orientation);
  EXPECT_TRUE(VecNear(place, k0.position, 0));
  EXPECT_TRUE(QuatNear(orientation, Quat(0, 0, 0, 1), 1e-6f)) << "k0's orientation normalised";
  EvaluateSegment(k0, k1, 1, place, orientation);
  EXPECT_TRUE(VecNear(place, k1.position, 0));
  EXPECT_TRUE(SameRotation(orientation, k1.orientation, 1e-6f));
  // Beyond the end the same cubics extrapolate.
  EvaluateSegment(k0, k1, 1.5f, place, orientation);
  EXPECT_TRUE(Finite(place));
  EXPECT_NEAR(QuatLength(orientation), 1.0, 1e-6);
}

// A chain of keys prepared as the camera prepares them: each segment ends with
// the place, tangent and orientation the next one starts with.
TEST(Keyframe, ConsecutiveSegmentsMeetSmoothly) {
  Vec3 places[] = {{0, 0, 0}, {10, 5, 0}, {18, -3, 4}, {30, 0, 10}, {33, 12, 9}, {50, 20, 0}};
  Quat turns[] = {AxisAngle(Vec3(0, 1, 0), 0),   AxisAngle(Vec3(0, 1, 0), 35),
                  AxisAngle(Vec3(1, 1, 0), 80),  AxisAngle(Vec3(1, 0, 0), 120),
                  AxisAngle(Vec3(0, 0, 1), 160), Negated(AxisAngle(Vec3(0, 1, 1), 200))};
  const int n = 6;
  Keyframe keys[n];
  for (int i = 0; i < n; ++i)
    keys[i] = Key(places[i], turns[i]);
  keys[0].PrepareStart(keys[1]);
  for (int i = 1; i + 1 < n; ++i)
    keys[i].PrepareInner(keys[i - 1], keys[i + 1]);
  const float h = 1.0f / 1024;
  for (int i = 1; i + 1 < n - 1; ++i) {
    Vec3 endPlace, endBefore, startPlace, startAfter;
    Quat endTurn, startTurn, q;
    EvaluateSegment(keys[i - 1], keys[i], 1, endPlace, endTurn);
    EvaluateSegment(keys[i - 1], keys[i], 1 - h, endBefore, q);
    EvaluateSegment(keys[i], keys[i + 1], 0, startPlace, startTurn);
    EvaluateSegment(keys[i], keys[i + 1], h, startAfter, q);
    EXPECT_TRUE(VecNear(endPlace, startPlace, 0)) << i;
    EXPECT_TRUE(SameRotation(endTurn, startTurn, 1e-6f)) << i;
    Vec3 tangentIn = (endPlace - endBefore) / h, tangentOut = (startAfter - startPlace) / h;
    EXPECT_TRUE(VecNear(tangentIn, keys[i].gradient, 0.05f)) << i;
    EXPECT_TRUE(VecNear(tangentOut, keys[i].gradient, 0.05f)) << i;
  }
}
