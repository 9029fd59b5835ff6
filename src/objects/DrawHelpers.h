// Small drawing helpers shared by the object kinds.
#pragma once
#include <cmath>

#include "motion/Vec3.h"

namespace drawhelpers {

// 4/3 as a float: the aspect ratio of the main projection, used by the
// background frustums of billboards and flares.
constexpr float FrustumAspect = 1.3333334f;

inline bool IsFinite(const Vec3& v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// A vector that can serve as a direction: finite and not of length 0.
inline bool IsDirection(const Vec3& v) {
  return IsFinite(v) && (v.x != 0.0f || v.y != 0.0f || v.z != 0.0f);
}

// Pushes the projection matrix and replaces it by the background frustum
// (near plane half height fov, near 1, far 1000); the modelview matrix is
// current again afterwards.
void PushBackgroundFrustum(float fov);
// Pops the projection matrix; the modelview matrix is current afterwards.
void PopProjection();

// One GL_TRIANGLE_STRIP of the sprite with half-size h on the axes a and b:
// h(-a - b), h(a - b), h(-a + b), h(a + b) with the texture coordinates
// (0, 0), (1, 0), (0, 1), (1, 1). With a normal, glNormal3f(normal) comes
// before each vertex.
void DrawSprite(float h, const Vec3& a, const Vec3& b);
void DrawSprite(float h, const Vec3& a, const Vec3& b, const Vec3& normal);

// Loads the identity into the texture matrix; the modelview matrix is current
// afterwards.
void ResetTextureMatrix();

} // namespace drawhelpers
