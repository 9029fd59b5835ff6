#include "motion/Matrix4.h"

Matrix4 Matrix4::FromRows(const Vec3& r0, const Vec3& r1, const Vec3& r2) {
  Matrix4 r;
  for (float& e : r.m)
    e = 0.0f;
  r.m[0] = r0.x;
  r.m[1] = r0.y;
  r.m[2] = r0.z;
  r.m[4] = r1.x;
  r.m[5] = r1.y;
  r.m[6] = r1.z;
  r.m[8] = r2.x;
  r.m[9] = r2.y;
  r.m[10] = r2.z;
  r.m[15] = 1.0f;
  return r;
}

Matrix4 Matrix4::Identity() {
  return FromRows(Vec3(1.0f, 0.0f, 0.0f), Vec3(0.0f, 1.0f, 0.0f), Vec3(0.0f, 0.0f, 1.0f));
}
