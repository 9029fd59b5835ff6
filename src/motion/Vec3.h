// Three-component single-precision vector and the operations on it.
#pragma once
#include <cmath>

struct Vec3 {
  float x, y, z;

  // Default construction leaves the components unset.
  Vec3() = default;
  Vec3(float x, float y, float z) : x(x), y(y), z(z) {}

  // x = y = z = s.
  void Fill(float s) { x = y = z = s; }
  // sqrt(x^2 + y^2 + z^2).
  float Length() const { return std::sqrt(x * x + y * y + z * z); }

  Vec3& operator+=(const Vec3& b) {
    x += b.x;
    y += b.y;
    z += b.z;
    return *this;
  }
};

inline Vec3 operator-(const Vec3& v) { return Vec3(-v.x, -v.y, -v.z); }
inline Vec3 operator+(const Vec3& a, const Vec3& b) {
  return Vec3(a.x + b.x, a.y + b.y, a.z + b.z);
}
inline Vec3 operator-(const Vec3& a, const Vec3& b) {
  return Vec3(a.x - b.x, a.y - b.y, a.z - b.z);
}
inline Vec3 operator*(const Vec3& v, float s) { return Vec3(v.x * s, v.y * s, v.z * s); }
inline Vec3 operator*(float s, const Vec3& v) { return Vec3(v.x * s, v.y * s, v.z * s); }
inline Vec3 operator/(const Vec3& v, float s) { return Vec3(v.x / s, v.y / s, v.z / s); }

inline float Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

inline Vec3 Cross(const Vec3& a, const Vec3& b) {
  return Vec3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

// v divided by its length. A vector whose length is 0 (or not finite) has no
// direction; it gives (0, 0, 0) rather than NaN.
inline Vec3 Normalized(const Vec3& v) {
  float length = v.Length();
  if (!(length > 0.0f) || !std::isfinite(length))
    return Vec3(0.0f, 0.0f, 0.0f);
  return v / length;
}

// Rotates v in place by minus `degrees` about `axis` (any non-zero length):
// v is replaced by R^T v, where R is the right-handed rotation glRotatef builds
// from the same angle and axis. So (1, 0, 0) about +z by 90 gives (0, -1, 0).
// A zero axis leaves v unchanged. Needs no rendering context.
void RotateAboutAxis(Vec3& v, const Vec3& axis, float degrees);

// A random unit vector: three draws r1, r2, r3 of Rand(), in that order, each
// mapped to r / 32767 * 20 - 10, then normalised (from a cube, so not uniform
// over the sphere).
Vec3 RandomDirection();

// Cubic Hermite point between p0 (s = 0) and p1 (s = 1) with tangents t0, t1;
// s > 1 extrapolates along the same cubic.
Vec3 Hermite(const Vec3& p0, const Vec3& p1, const Vec3& t0, const Vec3& t1, float s);
