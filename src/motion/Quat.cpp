#include "motion/Quat.h"

#include <cmath>

void Quat::Normalize() {
  float length = std::sqrt(x * x + y * y + z * z + w * w);
  if (!(length > 0.0f) || !std::isfinite(length)) {
    x = y = z = 0.0f;
    w = 1.0f;
    return;
  }
  x /= length;
  y /= length;
  z /= length;
  w /= length;
}

Matrix4 Quat::ToMatrix() const {
  Matrix4 m;
  m[0] = 1.0f - 2.0f * (y * y + z * z);
  m[1] = 2.0f * (x * y - z * w);
  m[2] = 2.0f * (x * z + y * w);
  m[3] = 0.0f;
  m[4] = 2.0f * (x * y + z * w);
  m[5] = 1.0f - 2.0f * (x * x + z * z);
  m[6] = 2.0f * (y * z - x * w);
  m[7] = 0.0f;
  m[8] = 2.0f * (x * z - y * w);
  m[9] = 2.0f * (y * z + x * w);
  m[10] = 1.0f - 2.0f * (x * x + y * y);
  m[11] = 0.0f;
  m[12] = 0.0f;
  m[13] = 0.0f;
  m[14] = 0.0f;
  m[15] = 1.0f;
  return m;
}

Quat Quat::FromMatrix(const Matrix4& m) {
  Quat q(0.0f, 0.0f, 0.0f, 1.0f);
  float tr = m.At(0, 0) + m.At(1, 1) + m.At(2, 2);
  if (tr > 0.0f) {
    float s = std::sqrt(tr + 1.0f);
    q.w = s / 2.0f;
    s = 0.5f / s;
    q.x = (m.At(1, 2) - m.At(2, 1)) * s;
    q.y = (m.At(2, 0) - m.At(0, 2)) * s;
    q.z = (m.At(0, 1) - m.At(1, 0)) * s;
    return q;
  }
  static const int next[3] = {1, 2, 0};
  int i = 0;
  if (m.At(1, 1) > m.At(0, 0))
    i = 1;
  if (m.At(2, 2) > m.At(i, i))
    i = 2;
  int j = next[i];
  int k = next[j];
  float v[3];
  float s = std::sqrt(m.At(i, i) - (m.At(j, j) + m.At(k, k)) + 1.0f);
  v[i] = s * 0.5f;
  if (s != 0.0f)
    s = 0.5f / s;
  q.w = (m.At(j, k) - m.At(k, j)) * s;
  v[j] = (m.At(i, j) + m.At(j, i)) * s;
  v[k] = (m.At(i, k) + m.At(k, i)) * s;
  q.x = v[0];
  q.y = v[1];
  q.z = v[2];
  return q;
}

Quat Slerp(const Quat& from, const Quat& to, float t) {
  double c = static_cast<double>(from.x) * to.x + static_cast<double>(from.y) * to.y +
             static_cast<double>(from.z) * to.z + static_cast<double>(from.w) * to.w;
  double tx = to.x, ty = to.y, tz = to.z, tw = to.w;
  if (c < 0.0) {
    c = -c;
    tx = -tx;
    ty = -ty;
    tz = -tz;
    tw = -tw;
  }
  double k0, k1;
  if (1.0 - c > 0.1) {
    double omega = std::acos(c);
    double sinOmega = std::sin(omega);
    k0 = std::sin((1.0 - t) * omega) / sinOmega;
    k1 = std::sin(t * omega) / sinOmega;
  } else {
    k0 = 1.0 - t;
    k1 = t;
  }
  return Quat(static_cast<float>(k0 * from.x + k1 * tx), static_cast<float>(k0 * from.y + k1 * ty),
              static_cast<float>(k0 * from.z + k1 * tz), static_cast<float>(k0 * from.w + k1 * tw));
}

Quat QuatBezier(const Quat& q0, const Quat& q1, const Quat& c0, const Quat& c1, float t) {
  Quat a = Slerp(q0, c0, t);
  Quat b = Slerp(c0, c1, t);
  Quat c = Slerp(c1, q1, t);
  Quat d = Slerp(a, b, t);
  Quat e = Slerp(b, c, t);
  return Slerp(d, e, t);
}
