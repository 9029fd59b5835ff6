// A 4x4 matrix held as sixteen floats. Element (row i, column j) is at index
// 4 * i + j. OpenGL reads index 4 * i + j as column i, row j, so a Matrix4
// handed to OpenGL unchanged applies the transpose of the matrix it describes,
// and a matrix read back from OpenGL is, in this addressing, the transpose of
// OpenGL's own.
#pragma once
#include "motion/Vec3.h"

struct Matrix4 {
  float m[16];

  // Default construction leaves the elements unset.
  Matrix4() = default;

  float& operator[](int index) { return m[index]; }
  float operator[](int index) const { return m[index]; }
  // Element (row i, column j).
  float& At(int i, int j) { return m[4 * i + j]; }
  float At(int i, int j) const { return m[4 * i + j]; }

  // Indices 0-2 = r0, 4-6 = r1, 8-10 = r2, index 15 = 1, all others 0.
  static Matrix4 FromRows(const Vec3& r0, const Vec3& r1, const Vec3& r2);
  // The identity.
  static Matrix4 Identity();
};
