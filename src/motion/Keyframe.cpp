#include "motion/Keyframe.h"

namespace {
// The single-precision values the preparation uses.
constexpr float OneThird = 1.0f / 3.0f;
} // namespace

Keyframe::Keyframe()
    : position(0.0f, 0.0f, 0.0f), gradient(0.0f, 0.0f, 0.0f), orientation(0.0f, 0.0f, 0.0f, 0.0f),
      orientationIn(0.0f, 1.0f, 0.0f, 1.0f), orientationOut(0.0f, 1.0f, 0.0f, 1.0f) {}

void Keyframe::PrepareStart(const Keyframe& next) {
  orientationOut = Slerp(orientation, next.orientation, OneThird);
}

void Keyframe::PrepareInner(const Keyframe& prev, const Keyframe& next) {
  Vec3 d1 = position - prev.position;
  Vec3 d2 = next.position - position;
  // Half the vector from prev to next, in exactly this form.
  gradient = d1 + 0.5f * (d2 - d1);
  // The turn from prev continued a third beyond this key, and a third of the
  // way towards next; the controls lie symmetrically about this key's
  // orientation on the arc through their midpoint.
  Quat a = Slerp(orientation, prev.orientation, -OneThird);
  Quat b = Slerp(orientation, next.orientation, OneThird);
  Quat c = Slerp(a, b, 0.5f);
  orientationIn = Slerp(orientation, c, -1.0f);
  orientationOut = Slerp(orientation, c, 1.0f);
}

void EvaluateSegment(const Keyframe& k0, const Keyframe& k1, float s, Vec3& place,
                     Quat& orientation) {
  place = Hermite(k0.position, k1.position, k0.gradient, k1.gradient, s);
  orientation = QuatBezier(k0.orientation, k1.orientation, k0.orientationOut, k1.orientationIn, s);
  orientation.Normalize();
}
