#include "motion/Camera.h"

#include "motion/Matrix4.h"
#include "platform/Random.h"

#include <GL/gl.h>
#include <GL/glu.h>

Camera MainCamera;

namespace {

// One draw of the random stream scaled into [0, 1].
float Random01() { return static_cast<float>(Rand()) / 32767.0f; }

// Tilts the turning axis: about a random direction by up to 60 degrees. The
// direction is drawn before the angle.
void TiltAxis(Vec3& axis) {
  Vec3 around = RandomDirection();
  float degrees = 60.0f * Random01();
  RotateAboutAxis(axis, around, degrees);
}

} // namespace

Camera::Camera()
    : position(0.0f, 0.0f, 0.0f), look(0.0f, 0.0f, -1.0f), up(0.0f, 1.0f, 0.0f), segmentTime(0.0f),
      orientation(0.0f, 0.0f, 0.0f, 1.0f) {}

Quat Camera::KeyOrientation(const Vec3& place) {
  Vec3 forward = Normalized(-place);
  Vec3 side = Normalized(Cross(Vec3(0.0f, -1.0f, 0.0f), forward));
  if (side.x == 0.0f && side.y == 0.0f && side.z == 0.0f)
    side = Vec3(1.0f, 0.0f, 0.0f); // looking straight up or down
  Vec3 upward = Normalized(Cross(forward, side));
  return Quat::FromMatrix(Matrix4::FromRows(forward, side, upward));
}

void Camera::Start() {
  // First key, always 90000 units out.
  Vec3 axis = RandomDirection();
  Vec3 p0(0.0f, 0.0f, 90000.0f);
  RotateAboutAxis(p0, axis, 10.0f + 350.0f * Random01());
  keys[0].position = p0;
  keys[0].orientation = KeyOrientation(p0);
  keys[0].gradient = Vec3(0.0f, 0.0f, 0.0f);

  // Second key, 40000 to 45000 units out, 40 degrees around a tilted axis.
  Vec3 p1 = Normalized(p0) * (40000.0f + 5000.0f * Random01());
  TiltAxis(axis);
  RotateAboutAxis(p1, axis, 40.0f);
  keys[1].position = p1;
  keys[1].orientation = KeyOrientation(p1);
  keys[1].gradient = Vec3(0.0f, 0.0f, 0.0f);
  keys[0].PrepareStart(keys[1]);

  // Third key, tilted again from the same axis.
  TiltAxis(axis);
  Vec3 p2 = p1;
  RotateAboutAxis(p2, axis, 40.0f);
  p2 = Normalized(p2) * (40000.0f + 5000.0f * Random01());
  keys[2].position = p2;
  keys[2].orientation = KeyOrientation(p2);

  keys[1].PrepareInner(keys[0], keys[2]);
}

void Camera::Advance(double seconds) {
  segmentTime = static_cast<float>(segmentTime + seconds * 0.1);
  if (segmentTime >= 1.0f) {
    segmentTime -= 1.0f;
    keys[0] = keys[1];
    keys[1] = keys[2];
    // A new key 40 degrees further around an axis leaning up to 60 degrees
    // from the world's y axis, 30000 to 65000 units out.
    Vec3 axis(0.0f, 1.0f, 0.0f);
    TiltAxis(axis);
    Vec3 p = keys[1].position;
    RotateAboutAxis(p, axis, 40.0f);
    p = Normalized(p) * (30000.0f + 35000.0f * Random01());
    keys[2].position = p;
    keys[2].orientation = KeyOrientation(p);
    keys[1].PrepareInner(keys[0], keys[2]);
  }
  EvaluateSegment(keys[0], keys[1], segmentTime, position, orientation);
  Matrix4 m = orientation.ToMatrix();
  look = Vec3(m[0], m[4], m[8]);
  up = Vec3(m[2], m[6], m[10]);
}

void Camera::LookAt() const {
  Vec3 centre = position + look;
  gluLookAt(position.x, position.y, position.z, centre.x, centre.y, centre.z, up.x, up.y, up.z);
}
