#include "objects/Billboard.h"

#include <GL/gl.h>

#include <cstdio>

#include "motion/Camera.h"
#include "objects/DrawHelpers.h"
#include "objects/ObjectKinds.h"
#include "platform/Random.h"
#include "resources/ArchiveFile.h"
#include "scene/ObjectFile.h"
#include "scene/ObjectList.h"

using namespace drawhelpers;

BillboardObject::BillboardObject() {
  spinSpeed = (1.0f - 2.0f * static_cast<float>(Rand()) / 32767.0f) * 60.0f;
}

BillboardObject::~BillboardObject() = default;

void ReadBillboardBlock(ObjectList& list) {
  BlockLines block(ObjectFileHolder);
  char line[ArchiveFile::LineBufferSize];
  if (!block.FindBegin(line))
    return; // the member ended before the block began: no object
  BillboardObject* b = new BillboardObject();
  char word[ArchiveFile::LineBufferSize];
  // Values that do not parse leave the fields they would have set as they are.
  while (block.Next(line)) {
    if (LineBegins(line, "size"))
      sscanf(line, "size %f", &b->size);
    if (LineBegins(line, "rotation")) {
      float speed = 0.0f;
      if (sscanf(line, "rotation %f %f", &b->angle, &speed) == 2)
        b->spinSpeed = speed * 60.0f;
    }
    if (LineBegins(line, "tiling"))
      sscanf(line, "tiling %f", &b->tiling);
    if (LineBegins(line, "parent")) {
      // A name that matches no earlier object of the list leaves no parent.
      if (sscanf(line, "parent %127s V(%f %f %f)", word, &b->anchor.x, &b->anchor.y,
                 &b->anchor.z) >= 1)
        b->parentObject = list.FindByName(word);
    }
    if (LineBegins(line, "FOV"))
      sscanf(line, "FOV %f", &b->fov);
    if (LineBegins(line, "alpha"))
      sscanf(line, "alpha %f", &b->alpha);
    if (LineBegins(line, "orient off"))
      b->orientOff = true;
    if (LineBegins(line, "blend"))
      b->blend = true;
    if (LineBegins(line, "depth"))
      b->depth = true;
    if (LineBegins(line, "sys"))
      b->sys = true;
    if (LineBegins(line, "env")) {
      b->env = true;
      sscanf(line, "env V(%f %f %f)", &b->anchor.x, &b->anchor.y, &b->anchor.z);
    }
    if (LineBegins(line, "oreol")) {
      b->oreol = true;
      sscanf(line, "oreol V(%f %f %f) %f", &b->anchor.x, &b->anchor.y, &b->anchor.z,
             &b->oreolRadius);
    }
    if (LineBegins(line, "flash")) {
      b->flash = true;
      sscanf(line, "flash %f %f %f)", &b->flashTimer, &b->flashDark, &b->flashLit);
    }
    if (LineBegins(line, "texture") && ReadWordAfter(line, "texture", word, sizeof word)) {
      b->SetTexture(word);
      b->hasTexture = true;
    }
    if (LineBegins(line, "up")) {
      Vec3 v = b->quadUp;
      sscanf(line, "up V(%f %f %f)", &v.x, &v.y, &v.z);
      b->quadUp = Normalized(v); // a zero vector stays zero: nothing is drawn
    }
    if (LineBegins(line, "right")) {
      Vec3 v = b->quadRight;
      sscanf(line, "right V(%f %f %f)", &v.x, &v.y, &v.z);
      b->quadRight = Normalized(v);
    }
    if (LineBegins(line, "position"))
      sscanf(line, "position V(%f %f %f)", &b->position.x, &b->position.y, &b->position.z);
    if (LineBegins(line, "color"))
      sscanf(line, "color V(%f %f %f)", &b->tint.x, &b->tint.y, &b->tint.z);
    if (LineBegins(line, "xy"))
      sscanf(line, "xy %f", &b->xy);
  }
  list.PushBack(b);
}

void BillboardObject::Render(const Camera& camera) {
  if (parentObject && !parentObject->visible)
    return;
  glPushMatrix();
  // Cleared when the blink hides the rectangle, or when a degenerate vector
  // (zero axes, the viewer at the halo's centre) leaves it without a shape.
  bool draw = true;

  if (env) {
    position = camera.position + anchor;
    PushBackgroundFrustum(fov);
  }
  if (parentObject) {
    Vec3 p = parentObject->position + anchor.y * Normalized(camera.up);
    if (IsFinite(p))
      position = p;
  }
  float h = size;
  if (!orientOff) {
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    quadRight = Vec3(m[0], m[4], m[8]);
    quadUp = Vec3(m[1], m[5], m[9]);
  }
  if (oreol) {
    Vec3 d = camera.position - anchor;
    float distance = d.Length();
    Vec3 side = Normalized(Cross(d, camera.up));
    if (distance > 0.0f && std::isfinite(distance) && IsDirection(side)) {
      float k = oreolRadius / distance;
      float w = 1.0f - k * k;
      position = anchor + Normalized(d) * (k * oreolRadius);
      quadRight = side;
      quadUp = Normalized(Cross(quadRight, d));
      h = w * oreolRadius + k * size;
    } else {
      draw = false;
    }
  }
  if (depth)
    glDisable(GL_DEPTH_TEST);
  // "sys" orients the rectangle by its parent; without a parent it is ignored.
  if (sys && parentObject) {
    const Vec3 yAxis(0.0f, 1.0f, 0.0f);
    if (!orientOff) {
      quadUp = Normalized(parentObject->position);
      quadRight = Normalized(Cross(yAxis, quadUp));
    } else {
      quadUp = yAxis;
      quadRight = Normalized(Cross(quadUp, parentObject->position));
    }
  }

  Vec3 wide = xy * quadRight;
  Vec3 normal = Cross(quadRight, quadUp);
  if (!IsDirection(normal) || !IsFinite(wide) || !IsFinite(position) || !std::isfinite(h))
    draw = false;
  if (draw) {
    glTranslatef(position.x, position.y, position.z);
    glRotatef(angle, normal.x, normal.y, normal.z);
  }

  if (hasTexture)
    glBindTexture(GL_TEXTURE_2D, texture);
  glDisable(GL_LIGHTING);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glDepthMask(GL_FALSE);
  if (oreol)
    glDisable(GL_DEPTH_TEST);
  if (blend) {
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glAlphaFunc(GL_ALWAYS, 0.0f);
  }
  if (parentObject)
    glColor4f(tint.x, tint.y, tint.z, alpha + 0.3f * static_cast<float>(Rand()) / 32767.0f);
  else
    glColor4f(1.0f, 1.0f, 1.0f, alpha);
  if (HiddenByBlink())
    draw = false;

  glMatrixMode(GL_TEXTURE);
  glLoadIdentity();
  glScalef(tiling, tiling, 1.0f);
  glMatrixMode(GL_MODELVIEW);

  if (draw)
    DrawSprite(h, wide, quadUp);

  glDepthMask(GL_TRUE);
  glEnable(GL_LIGHTING);
  if (oreol || depth)
    glEnable(GL_DEPTH_TEST);
  if (blend) {
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glAlphaFunc(GL_ALWAYS, 0.0f);
  }
  if (env)
    PopProjection();
  glPopMatrix();
  ResetTextureMatrix();
}

void BillboardObject::Update(double elapsed) {
  angle = static_cast<float>(angle + spinSpeed * elapsed);
  if (angle > 360.0f)
    angle -= 360.0f;
  if (angle < 0.0f)
    angle += 360.0f;
  flashTimer = static_cast<float>(flashTimer + elapsed);
  float cycle = flashDark + flashLit;
  if (flashTimer > cycle)
    flashTimer -= cycle;
}
