// The viewer: flies an endless, smooth, random path around the scene origin,
// always looking at it at every key. Three keyframes are kept; the camera
// travels the segment from keys[0] to keys[1] and, when it is done, drops the
// oldest key and invents a new one 40 degrees further around the origin.
//
// Use: Start() once after loading with the random stream seeded; Advance(scaled
// seconds) every frame; LoadIdentity on the modelview matrix, then LookAt().
// Scene objects read position, look and up.
#pragma once
#include "motion/Keyframe.h"
#include "motion/Quat.h"
#include "motion/Vec3.h"

class Camera {
public:
  Camera();
  virtual ~Camera() = default;

  // Builds the first three keys from the random stream: the first 90000 units
  // out, the next two 40000 to 45000. Call once before the first Advance.
  void Start();

  // Moves along the path by `seconds` of scaled time (one segment takes 10).
  // A step that finishes a segment consumes exactly one key, even if it is
  // longer than a segment (the pose is then extrapolated). Sets position,
  // orientation, look and up.
  void Advance(double seconds);

  // gluLookAt(position, position + look, up). The caller loads the identity
  // into the modelview matrix first. Needs a current OpenGL context.
  void LookAt() const;

  // The orientation of a key at `place`: looking straight at the origin, with
  // the world's downward direction made perpendicular to the view as up. A
  // place on the y axis (no defined up) takes (1, 0, 0) as the side vector, so
  // up is then (0, 0, -1) looking up and (0, 0, 1) looking down.
  static Quat KeyOrientation(const Vec3& place);

  Vec3 position;     // eye point
  Vec3 look;         // unit view direction
  Vec3 up;           // unit up vector of the view
  Keyframe keys[3];  // just passed, being approached, the one after
  float segmentTime; // progress from keys[0] to keys[1], normally in [0, 1)
  Quat orientation;  // current interpolated orientation, normalised
};

// The one camera of the process.
extern Camera MainCamera;
