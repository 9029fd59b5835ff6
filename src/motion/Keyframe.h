// A pose on the camera's path: a place, the path's tangent there, an
// orientation and the two control orientations shaping the turn into and out
// of the key. Between two keys the place follows a cubic Hermite curve and the
// orientation a cubic Bezier curve of quaternions.
#pragma once
#include "motion/Quat.h"
#include "motion/Vec3.h"

class Keyframe {
public:
  Keyframe();
  Keyframe(const Keyframe&) = default;
  Keyframe& operator=(const Keyframe&) = default;
  virtual ~Keyframe() = default;

  // For a key with no previous key: orientationOut = Slerp(orientation,
  // next.orientation, 1/3). gradient is left as it is.
  void PrepareStart(const Keyframe& next);

  // Derives gradient (half the vector from prev to next), orientationIn and
  // orientationOut from the two neighbours.
  void PrepareInner(const Keyframe& prev, const Keyframe& next);

  Vec3 position;       // (0, 0, 0)
  Vec3 gradient;       // (0, 0, 0); tangent per whole segment, not per second
  Quat orientation;    // (0, 0, 0, 0)
  Quat orientationIn;  // (0, 1, 0, 1); control towards the previous key
  Quat orientationOut; // (0, 1, 0, 1); control towards the next key
};

// The pose at parameter s between k0 (s = 0) and k1 (s = 1): the Hermite
// place and the normalised Bezier orientation. s > 1 extrapolates.
void EvaluateSegment(const Keyframe& k0, const Keyframe& k1, float s, Vec3& place,
                     Quat& orientation);
