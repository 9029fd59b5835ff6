#include "motion/Vec3.h"

#include "platform/Random.h"

#include <numbers>

void RotateAboutAxis(Vec3& v, const Vec3& axis, float degrees) {
  double ax = axis.x, ay = axis.y, az = axis.z;
  double length = std::sqrt(ax * ax + ay * ay + az * az);
  if (!(length > 0.0) || !std::isfinite(length))
    return;
  ax /= length;
  ay /= length;
  az /= length;
  double d = static_cast<double>(degrees) * (std::numbers::pi / 180.0);
  double c = std::cos(d), s = std::sin(d);
  double vx = v.x, vy = v.y, vz = v.z;
  // n x v
  double cx = ay * vz - az * vy;
  double cy = az * vx - ax * vz;
  double cz = ax * vy - ay * vx;
  double along = (ax * vx + ay * vy + az * vz) * (1.0 - c);
  // v cos d - (n x v) sin d + n (n . v)(1 - cos d): the rotation by -degrees.
  v.x = static_cast<float>(vx * c - cx * s + ax * along);
  v.y = static_cast<float>(vy * c - cy * s + ay * along);
  v.z = static_cast<float>(vz * c - cz * s + az * along);
}

Vec3 RandomDirection() {
  // Three separate statements: the draws are taken for x, y and z in order.
  float x = static_cast<float>(Rand()) / 32767.0f * 20.0f - 10.0f;
  float y = static_cast<float>(Rand()) / 32767.0f * 20.0f - 10.0f;
  float z = static_cast<float>(Rand()) / 32767.0f * 20.0f - 10.0f;
  return Normalized(Vec3(x, y, z));
}

Vec3 Hermite(const Vec3& p0, const Vec3& p1, const Vec3& t0, const Vec3& t1, float s) {
  float s2 = s * s;
  float s3 = s2 * s;
  float h00 = 2.0f * s3 - 3.0f * s2 + 1.0f;
  float h10 = s3 - 2.0f * s2 + s;
  float h01 = -2.0f * s3 + 3.0f * s2;
  float h11 = s3 - s2;
  return Vec3(h00 * p0.x + h10 * t0.x + h01 * p1.x + h11 * t1.x,
              h00 * p0.y + h10 * t0.y + h01 * p1.y + h11 * t1.y,
              h00 * p0.z + h10 * t0.z + h01 * p1.z + h11 * t1.z);
}
