#include "objects/Flame.h"

#include <GL/gl.h>

#include <cmath>

#include <cstdio>
#include "objects/ObjectKinds.h"
#include "resources/ArchiveFile.h"
#include "scene/ObjectFile.h"
#include "scene/ObjectList.h"

namespace {
constexpr int RingSteps = 200;
}

FlameObject::FlameObject() = default;
FlameObject::~FlameObject() = default;

void ReadFlameBlock(ObjectList& list) {
  BlockLines block(ObjectFileHolder);
  char line[ArchiveFile::LineBufferSize];
  if (!block.FindBegin(line))
    return; // the member ended before the block began: no object
  FlameObject* f = new FlameObject();
  char word[ArchiveFile::LineBufferSize];
  // Values that do not parse leave the fields they would have set as they are.
  while (block.Next(line)) {
    if (LineBegins(line, "texture") && ReadWordAfter(line, "texture", word, sizeof word)) {
      f->SetTexture(word);
      f->hasTexture = true;
    }
    float value = 0.0f;
    if (LineBegins(line, "size") && sscanf(line, "size %f", &value) == 1)
      f->radius = value + 2000.0f;
    if (LineBegins(line, "angle"))
      sscanf(line, "angle %f", &f->slope);
    if (LineBegins(line, "ell"))
      sscanf(line, "ell %f", &f->ell);
    if (LineBegins(line, "offset"))
      sscanf(line, "offset %f", &f->bandWidth);
    if (LineBegins(line, "orient"))
      sscanf(line, "orient V(%f %f %f)", &f->center.x, &f->center.y, &f->center.z);
    if (LineBegins(line, "colorfrom"))
      sscanf(line, "colorfrom V(%f %f %f)", &f->colorFrom.x, &f->colorFrom.y, &f->colorFrom.z);
    if (LineBegins(line, "colorto"))
      sscanf(line, "colorto V(%f %f %f)", &f->colorTo.x, &f->colorTo.y, &f->colorTo.z);
    if (LineBegins(line, "parent") && ReadWordAfter(line, "parent", word, sizeof word))
      f->parent = list.FindByName(word);
  }
  list.PushBack(f);
}

Vec3 FlameObject::RingPoint(int i) const {
  float theta = static_cast<float>(i) / RingSteps * 6.2831855f;
  float x = static_cast<float>(radius * ell * std::cos(static_cast<double>(theta)) + center.x);
  float y = x * slope + center.y;
  float z = static_cast<float>(radius * std::sin(static_cast<double>(theta)) + center.z);
  return Vec3(x, y, z);
}

void FlameObject::Render(const Camera& camera) {
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_LIGHTING);
  glDepthMask(GL_FALSE);

  glBegin(GL_QUAD_STRIP);
  for (int band = 0; band < 4; ++band) {
    for (int i = 0; i <= RingSteps; ++i) {
      Vec3 p = RingPoint(i);
      Vec3 q = p;
      if (band == 0) {
        q.y = p.y + bandWidth;
      } else if (band == 1) {
        q.y = p.y - bandWidth;
      } else {
        float theta = static_cast<float>(i) / RingSteps * 6.2831855f;
        float r = band == 2 ? radius - bandWidth : radius + bandWidth;
        q.x = static_cast<float>(r * ell * std::cos(static_cast<double>(theta)) + center.x);
        q.z = static_cast<float>(r * std::sin(static_cast<double>(theta)) + center.z);
      }
      glColor4f(colorFrom.x, colorFrom.y, colorFrom.z, 1.0f);
      glVertex3f(p.x, p.y, p.z);
      glColor4f(colorTo.x, colorTo.y, colorTo.z, 0.0f);
      glVertex3f(q.x, q.y, q.z);
    }
  }
  glEnd();

  glDisable(GL_BLEND);
  glColor4f(colorFrom.x, colorFrom.y, colorFrom.z, 1.0f);
  glBegin(GL_LINE_STRIP);
  for (int i = 0; i <= RingSteps; ++i) {
    Vec3 p = RingPoint(i);
    glVertex3f(p.x, p.y, p.z);
  }
  glEnd();

  glEnable(GL_BLEND);
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_LIGHTING);
  glDepthMask(GL_TRUE);
}

void FlameObject::Update(double elapsed) {}
