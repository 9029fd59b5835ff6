// Quaternion stored as x, y, z (vector part) then w (scalar part), with
// spherical interpolation and the conversions to and from rotation matrices.
// A quaternion is a rotation only once normalised; nothing keeps it so.
#pragma once
#include "motion/Matrix4.h"

class Quat {
public:
  float x, y, z, w;

  // Default construction leaves the components unset.
  Quat() {}
  Quat(float x, float y, float z, float w) : x(x), y(y), z(z), w(w) {}
  Quat(const Quat&) = default;
  Quat& operator=(const Quat&) = default;
  virtual ~Quat() = default;

  // Divides the four components by the four-component length. A zero
  // quaternion (length 0, or a length that is not finite) becomes the
  // identity rotation (0, 0, 0, 1) rather than NaN.
  void Normalize();

  // Rotation matrix of this quaternion; for a unit quaternion, column j
  // (indices j, 4 + j, 8 + j) is the image of the j-th coordinate axis.
  Matrix4 ToMatrix() const;

  // Quaternion of a rotation matrix, the inverse of ToMatrix up to
  // transposition: for a matrix whose rows are r0, r1, r2 the result is the
  // rotation whose matrix has r0, r1, r2 as its columns.
  static Quat FromMatrix(const Matrix4& m);
};

// Four-component dot product.
inline float Dot(const Quat& a, const Quat& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
}

// Spherical interpolation from `from` (t = 0) to `to` (t = 1) along the
// shorter arc (`to` is negated when the dot product is negative); linear
// blending when the two are close (1 - dot <= 0.1). t outside [0, 1]
// extrapolates. The result is not normalised.
Quat Slerp(const Quat& from, const Quat& to, float t);

// Cubic Bezier curve of quaternions through q0 (t = 0) and q1 (t = 1) with the
// inner control points c0 (next to q0) and c1 (next to q1), by de Casteljau's
// construction with Slerp. Note the order: end points first.
Quat QuatBezier(const Quat& q0, const Quat& q1, const Quat& c0, const Quat& c1, float t);
