#include "motion/MathTypes.h"
#include "platform/Random.h"
#include "support/GlTestContext.h"
#include "MotionTestUtil.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <cmath>

TEST(Vec3, Operators) {
  Vec3 a(1, 2, 3), b(4, -5, 6);
  EXPECT_TRUE(VecNear(-a, Vec3(-1, -2, -3), 0));
  EXPECT_TRUE(VecNear(a + b, Vec3(5, -3, 9), 0));
  EXPECT_TRUE(VecNear(a - b, Vec3(-3, 7, -3), 0));
  EXPECT_TRUE(VecNear(a * 2, Vec3(2, 4, 6), 0));
  EXPECT_TRUE(VecNear(2 * a, Vec3(2, 4, 6), 0));
  EXPECT_TRUE(VecNear(b / 2, Vec3(2, -2.5f, 3), 0));
  EXPECT_FLOAT_EQ(Dot(a, b), 4 - 10 + 18);
  EXPECT_FLOAT_EQ(Vec3(3, 4, 12).Length(), 13);
  Vec3 c = a;
  c += b;
  EXPECT_TRUE(VecNear(c, Vec3(5, -3, 9), 0));
  EXPECT_TRUE(VecNear(a, Vec3(1, 2, 3), 0)) << "operands stay unchanged";
  c.Fill(7);
  EXPECT_TRUE(VecNear(c, Vec3(7, 7, 7), 0));
}

TEST(Vec3, CrossProducts) {
  struct Case {
    Vec3 a, b, expected;
  } cases[] = {
      {{0, -1, 0}, {0, 0, -1}, {1, 0, 0}}, {{0, 0, -1}, {1, 0, 0}, {0, -1, 0}},
      {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}},   {{0, 1, 0}, {1, 0, 0}, {0, 0, -1}},
      {{2, 3, 4}, {2, 3, 4}, {0, 0, 0}},   {{1, 2, 3}, {4, 5, 6}, {-3, 6, -3}},
  };
  for (const Case& c : cases)
    EXPECT_TRUE(VecNear(Cross(c.a, c.b), c.expected, 0));
}

TEST(Vec3, NormalizedGivesUnitLengthAndZeroForZero) {
  EXPECT_TRUE(VecNear(Normalized(Vec3(0, 3, -4)), Vec3(0, 0.6f, -0.8f), 1e-7f));
  EXPECT_TRUE(VecNear(Normalized(Vec3(0, 0, 0)), Vec3(0, 0, 0), 0));
  // Components whose squares underflow: no infinity, no NaN.
  EXPECT_TRUE(Finite(Normalized(Vec3(1e-30f, 0, 1e-30f))));
}

TEST(Vec3, RotateAboutAxisTurnsTheNegativeWay) {
  struct Case {
    Vec3 v, axis;
    float degrees;
    Vec3 expected;
  } cases[] = {
      {{1, 0, 0}, {0, 0, 1}, 90, {0, -1, 0}},
      {{1, 0, 0}, {0, 0, 5}, 90, {0, -1, 0}}, // the axis need not be a unit vector
      {{0, 1, 0}, {0, 0, 1}, 90, {1, 0, 0}},
      {{0, 0, 1}, {1, 0, 0}, 90, {0, 1, 0}},
      {{1, 0, 0}, {0, 0, 1}, -90, {0, 1, 0}},
      {{1, 0, 0}, {0, 0, 1}, 180, {-1, 0, 0}},
      {{0, 0, 7}, {0, 0, 1}, 33, {0, 0, 7}}, // along the axis: unchanged
      {{1, 2, 3}, {1, 1, 1}, 360, {1, 2, 3}},
      {{1, 2, 3}, {0, 0, 0}, 45, {1, 2, 3}}, // no axis: unchanged
  };
  for (const Case& c : cases) {
    Vec3 v = c.v;
    RotateAboutAxis(v, c.axis, c.degrees);
    EXPECT_TRUE(VecNear(v, c.expected, 2e-6f)) << "degrees " << c.degrees;
  }
}

// The rotation is the transpose of the one glRotatef builds from the same angle
// and axis.
TEST(Vec3, RotateAboutAxisMatchesTransposeOfGlRotate) {
  GlTestContext gl(16, 16);
  REQUIRE_GL(gl);
  SRand(77);
  glMatrixMode(GL_MODELVIEW);
  for (int i = 0; i < 50; ++i) {
    Vec3 axis = RandomDirection() * (0.5f + 3.0f * i / 50.0f);
    Vec3 v = RandomDirection() * 1000.0f;
    float degrees = -400.0f + 16.0f * i;
    glLoadIdentity();
    glRotatef(degrees, axis.x, axis.y, axis.z);
    float mv[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, mv);
    // OpenGL is column-major: R(i, j) = mv[4j + i]; R^T v has component i = sum_j mv[4i + j] v_j.
    Vec3 expected(mv[0] * v.x + mv[1] * v.y + mv[2] * v.z, mv[4] * v.x + mv[5] * v.y + mv[6] * v.z,
                  mv[8] * v.x + mv[9] * v.y + mv[10] * v.z);
    Vec3 rotated = v;
    RotateAboutAxis(rotated, axis, degrees);
    EXPECT_TRUE(VecNear(rotated, expected, 1e-3f)) << "case " << i;
    EXPECT_NEAR(rotated.Length(), v.Length(), 1e-3f);
  }
}

TEST(Vec3, RandomDirectionIsUnitAndUsesThreeDrawsInOrder) {
  SRand(12345);
  int r1 = Rand(), r2 = Rand(), r3 = Rand(), after = Rand();
  Vec3 raw(r1 / 32767.0f * 20 - 10, r2 / 32767.0f * 20 - 10, r3 / 32767.0f * 20 - 10);
  SRand(12345);
  Vec3 d = RandomDirection();
  EXPECT_EQ(Rand(), after) << "exactly three draws";
  EXPECT_TRUE(VecNear(d, Normalized(raw), 0));
  for (int i = 0; i < 10000; ++i)
    ASSERT_NEAR(RandomDirection().Length(), 1.0f, 1e-6f);
}

TEST(Vec3, HermiteEndsAndCurve) {
  Vec3 p0(1, 2, 3), p1(-40, 50, 60), t0(1000, -7, 3), t1(-5, 900, 11);
  EXPECT_TRUE(VecNear(Hermite(p0, p1, t0, t1, 0), p0, 0));
  EXPECT_TRUE(VecNear(Hermite(p0, p1, t0, t1, 1), p1, 0));
  // Midpoint: (p0 + p1) / 2 + (t0 - t1) / 8.
  EXPECT_TRUE(VecNear(Hermite(p0, p1, t0, t1, 0.5f), (p0 + p1) * 0.5f + (t0 - t1) * 0.125f, 1e-4f));
  // Beyond the end it follows the same cubic: s = 2 gives 5 p0 - 4 p1 + 2 t0 + 4 t1.
  EXPECT_TRUE(VecNear(Hermite(p0, p1, t0, t1, 2), p0 * 5 - p1 * 4 + t0 * 2 + t1 * 4, 1e-3f));
}

TEST(Quat, NormalizeAndZero) {
  Quat q(1, 2, 2, 4);
  q.Normalize();
  EXPECT_TRUE(QuatNear(q, Quat(0.2f, 0.4f, 0.4f, 0.8f), 1e-7f));
  Quat zero(0, 0, 0, 0);
  zero.Normalize();
  EXPECT_TRUE(QuatNear(zero, Quat(0, 0, 0, 1), 0)) << "the zero quaternion becomes the identity";
}

TEST(Quat, SlerpBranches) {
  Quat q = AxisAngle(Vec3(1, 2, 3), 70);
  Quat minusQ(-q.x, -q.y, -q.z, -q.w);
  for (float t : {-1.0f, -1.0f / 3, 0.0f, 0.25f, 0.5f, 1.0f, 1.5f}) {
    EXPECT_TRUE(QuatNear(Slerp(q, q, t), q, 1e-6f)) << t;
    EXPECT_TRUE(QuatNear(Slerp(q, minusQ, t), q, 1e-6f)) << "far one negated back, t " << t;
  }

  // Dot product 0.95: linear blend, the midpoint falls short of unit length.
  Quat a(0, 0, 0, 1);
  float s95 = std::sqrt(1 - 0.95f * 0.95f);
  Quat b(s95, 0, 0, 0.95f);
  Quat mid = Slerp(a, b, 0.5f);
  EXPECT_TRUE(QuatNear(mid, Quat(s95 / 2, 0, 0, (1 + 0.95f) / 2), 1e-6f));
  EXPECT_LT(QuatLength(mid), 0.99);
  EXPECT_GT(QuatLength(mid), 0.98);

  // Dot product 0.5: the sine formula, the midpoint is unit length, at 30 of the 60 degrees.
  Quat c(std::sqrt(0.75f), 0, 0, 0.5f);
  Quat mid2 = Slerp(a, c, 0.5f);
  EXPECT_NEAR(QuatLength(mid2), 1.0, 1e-6);
  EXPECT_TRUE(QuatNear(mid2, Quat(0.5f, 0, 0, std::sqrt(0.75f)), 1e-6f));
  // The same arc when the end point is given on the far hemisphere.
  EXPECT_TRUE(QuatNear(Slerp(a, Quat(-c.x, -c.y, -c.z, -c.w), 0.5f), mid2, 1e-6f));
  // Extrapolation along the arc: t = -1 is 60 degrees the other way.
  EXPECT_TRUE(QuatNear(Slerp(a, c, -1), Quat(-std::sqrt(0.75f), 0, 0, 0.5f), 1e-6f));
  EXPECT_TRUE(QuatNear(Slerp(a, c, 0), a, 1e-6f));
  EXPECT_TRUE(QuatNear(Slerp(a, c, 1), c, 1e-6f));
}

TEST(Quat, BezierEndsAndStraightCase) {
  Quat q0 = AxisAngle(Vec3(0, 1, 0), 0), q1 = AxisAngle(Vec3(0, 1, 0), 120);
  Quat c0 = AxisAngle(Vec3(1, 0, 1), 50), c1 = AxisAngle(Vec3(1, 1, 0), 80);
  EXPECT_TRUE(QuatNear(QuatBezier(q0, q1, c0, c1, 0), q0, 1e-6f));
  EXPECT_TRUE(QuatNear(QuatBezier(q0, q1, c0, c1, 1), q1, 1e-6f));
  // Controls on the arc at one and two thirds: the curve keeps to that plane and,
  // by symmetry, its midpoint is the half-way rotation (short of unit length,
  // since neighbouring controls are close enough to be blended linearly).
  Quat d0 = AxisAngle(Vec3(0, 1, 0), 40), d1 = AxisAngle(Vec3(0, 1, 0), 80);
  Quat mid = QuatBezier(q0, q1, d0, d1, 0.5f);
  EXPECT_LT(QuatLength(mid), 1.0);
  mid.Normalize();
  EXPECT_TRUE(QuatNear(mid, AxisAngle(Vec3(0, 1, 0), 60), 1e-6f));
}

TEST(Quat, ToMatrixOfIdentityAndAxisRotation) {
  Matrix4 m = Quat(0, 0, 0, 1).ToMatrix();
  Matrix4 id = Matrix4::Identity();
  for (int i = 0; i < 16; ++i)
    EXPECT_EQ(m[i], id[i]) << i;
  // 90 degrees about +z: column 0 (image of x) is +y, column 1 is -x.
  Matrix4 r = AxisAngle(Vec3(0, 0, 1), 90).ToMatrix();
  EXPECT_TRUE(VecNear(Vec3(r[0], r[4], r[8]), Vec3(0, 1, 0), 1e-6f));
  EXPECT_TRUE(VecNear(Vec3(r[1], r[5], r[9]), Vec3(-1, 0, 0), 1e-6f));
  EXPECT_TRUE(VecNear(Vec3(r[2], r[6], r[10]), Vec3(0, 0, 1), 1e-6f));
  EXPECT_EQ(r[3], 0);
  EXPECT_EQ(r[12], 0);
  EXPECT_EQ(r[15], 1);
}

TEST(Quat, FromMatrixBranches) {
  struct Case {
    const char* name;
    Vec3 r0, r1, r2;
    Quat expected;
  } cases[] = {
      {"identity (trace 3)", {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, 0, 1}},
      {"diag(1,-1,-1): largest diagonal 0", {1, 0, 0}, {0, -1, 0}, {0, 0, -1}, {1, 0, 0, 0}},
      {"diag(-1,1,-1): largest diagonal 1", {-1, 0, 0}, {0, 1, 0}, {0, 0, -1}, {0, 1, 0, 0}},
      {"diag(-1,-1,1): largest diagonal 2", {-1, 0, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, 1, 0}},
      // Rows of the +90 degree z rotation; the result is its transpose, -90 about z.
      {"trace 1 rotation", {0, -1, 0}, {1, 0, 0}, {0, 0, 1}, AxisAngle(Vec3(0, 0, -1), 90)},
      // 180 degrees about (1, 1, 0) / sqrt 2: trace -1, diagonal (0, 0, -1), ties keep i = 0.
      {"half turn, tie on the diagonal",
       {0, 1, 0},
       {1, 0, 0},
       {0, 0, -1},
       Quat(std::sqrt(0.5f), std::sqrt(0.5f), 0, 0)},
  };
  for (const Case& c : cases) {
    Quat q = Quat::FromMatrix(Matrix4::FromRows(c.r0, c.r1, c.r2));
    EXPECT_TRUE(QuatNear(q, c.expected, 1e-6f)) << c.name;
  }
  // A zero matrix: s = 0 is not divided by.
  Matrix4 zero = Matrix4::FromRows(Vec3(0, 0, 0), Vec3(0, 0, 0), Vec3(0, 0, 0));
  EXPECT_TRUE(Finite(Quat::FromMatrix(zero)));
}

// FromMatrix of a matrix with rows r0, r1, r2 is the rotation whose matrix has
// them as columns, over all four branches.
TEST(Quat, FromMatrixReadsRowsBackAsColumns) {
  SRand(4242);
  for (int i = 0; i < 2000; ++i) {
    Quat q = AxisAngle(RandomDirection(), 360.0 * Rand() / 32767.0);
    Matrix4 m = q.ToMatrix();
    Vec3 r0(m[0], m[1], m[2]), r1(m[4], m[5], m[6]), r2(m[8], m[9], m[10]);
    Matrix4 back = Quat::FromMatrix(Matrix4::FromRows(r0, r1, r2)).ToMatrix();
    ASSERT_TRUE(VecNear(Vec3(back[0], back[4], back[8]), r0, 2e-5f)) << i;
    ASSERT_TRUE(VecNear(Vec3(back[1], back[5], back[9]), r1, 2e-5f)) << i;
    ASSERT_TRUE(VecNear(Vec3(back[2], back[6], back[10]), r2, 2e-5f)) << i;
  }
}
