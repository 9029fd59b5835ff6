#include "objects/DrawHelpers.h"

#include <GL/gl.h>

namespace drawhelpers {

void PushBackgroundFrustum(float fov) {
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glFrustum(-FrustumAspect * fov, FrustumAspect * fov, -fov, fov, 1.0, 1000.0);
  glMatrixMode(GL_MODELVIEW);
}

void PopProjection() {
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
}

namespace {
void Corners(float h, const Vec3& a, const Vec3& b, Vec3 c[4]) {
  c[0] = h * (-a - b);
  c[1] = h * (a - b);
  c[2] = h * (-a + b);
  c[3] = h * (a + b);
}
const float TexCoords[4][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
} // namespace

void DrawSprite(float h, const Vec3& a, const Vec3& b) {
  Vec3 c[4];
  Corners(h, a, b, c);
  glBegin(GL_TRIANGLE_STRIP);
  for (int i = 0; i < 4; ++i) {
    glTexCoord2f(TexCoords[i][0], TexCoords[i][1]);
    glVertex3f(c[i].x, c[i].y, c[i].z);
  }
  glEnd();
}

void DrawSprite(float h, const Vec3& a, const Vec3& b, const Vec3& normal) {
  Vec3 c[4];
  Corners(h, a, b, c);
  glBegin(GL_TRIANGLE_STRIP);
  for (int i = 0; i < 4; ++i) {
    glNormal3f(normal.x, normal.y, normal.z);
    glTexCoord2f(TexCoords[i][0], TexCoords[i][1]);
    glVertex3f(c[i].x, c[i].y, c[i].z);
  }
  glEnd();
}

void ResetTextureMatrix() {
  glMatrixMode(GL_TEXTURE);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
}

} // namespace drawhelpers
