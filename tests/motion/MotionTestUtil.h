// Comparisons shared by the motion tests.
#pragma once
#include "motion/Quat.h"
#include "motion/Vec3.h"

#include <gtest/gtest.h>
#include <cmath>

inline bool Finite(const Vec3& v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}
inline bool Finite(const Quat& q) {
  return std::isfinite(q.x) && std::isfinite(q.y) && std::isfinite(q.z) && std::isfinite(q.w);
}

inline ::testing::AssertionResult VecNear(const Vec3& a, const Vec3& b, float tolerance) {
  if (std::fabs(a.x - b.x) <= tolerance && std::fabs(a.y - b.y) <= tolerance &&
      std::fabs(a.z - b.z) <= tolerance)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "(" << a.x << ", " << a.y << ", " << a.z << ") vs ("
                                       << b.x << ", " << b.y << ", " << b.z << ")";
}

inline ::testing::AssertionResult QuatNear(const Quat& a, const Quat& b, float tolerance) {
  if (std::fabs(a.x - b.x) <= tolerance && std::fabs(a.y - b.y) <= tolerance &&
      std::fabs(a.z - b.z) <= tolerance && std::fabs(a.w - b.w) <= tolerance)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "(" << a.x << ", " << a.y << ", " << a.z << ", " << a.w << ") vs (" << b.x << ", "
         << b.y << ", " << b.z << ", " << b.w << ")";
}

// The same rotation: equal, or equal with all four components negated.
inline ::testing::AssertionResult SameRotation(const Quat& a, const Quat& b, float tolerance) {
  if (QuatNear(a, b, tolerance) || QuatNear(a, Quat(-b.x, -b.y, -b.z, -b.w), tolerance))
    return ::testing::AssertionSuccess();
  return QuatNear(a, b, tolerance);
}

// Angle in degrees between two non-zero vectors.
inline double AngleDegrees(const Vec3& a, const Vec3& b) {
  double dot = double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z;
  double la = std::sqrt(double(a.x) * a.x + double(a.y) * a.y + double(a.z) * a.z);
  double lb = std::sqrt(double(b.x) * b.x + double(b.y) * b.y + double(b.z) * b.z);
  double c = dot / (la * lb);
  c = c > 1 ? 1 : (c < -1 ? -1 : c);
  return std::acos(c) * 180.0 / 3.14159265358979323846;
}

inline double QuatLength(const Quat& q) {
  return std::sqrt(double(q.x) * q.x + double(q.y) * q.y + double(q.z) * q.z + double(q.w) * q.w);
}

// A unit quaternion of the rotation by `degrees` about the unit axis n.
inline Quat AxisAngle(Vec3 n, double degrees) {
  n = Normalized(n);
  double h = degrees * 3.14159265358979323846 / 360.0;
  float s = float(std::sin(h));
  return Quat(n.x * s, n.y * s, n.z * s, float(std::cos(h)));
}
