#include "objects/LensFlare.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "motion/Camera.h"
#include "objects/DrawHelpers.h"
#include "objects/ObjectKinds.h"
#include "platform/Random.h"
#include "resources/ArchiveFile.h"
#include "resources/TextureCatalogue.h"
#include "scene/ObjectFile.h"
#include "scene/ObjectList.h"
#include "shell/Settings.h"
#include "ui/Overlay.h"

using namespace drawhelpers;

namespace {

// Sizes in the scripts are given for an 800-pixel-wide screen.
float ScreenScale() { return static_cast<float>(Settings.Width) / 800.0f; }

// The 23 lens elements: placement along the line from the flare (0) through
// the window centre (1), size, texture slot.
struct LensElement {
  float placement, size;
  int slot;
};
const LensElement Elements[23] = {
    {-0.08f, 1.0f, 1}, {0.21f, 0.1f, 1}, {0.32f, 0.5f, 1}, {0.7f, 0.1f, 1},  {0.85f, 0.8f, 1},
    {0.89f, 0.12f, 1}, {1.21f, 0.5f, 1}, {1.39f, 0.2f, 1}, {1.44f, 0.4f, 1}, {1.8f, 1.3f, 1},
    {-0.3f, 0.5f, 1},  {0.6f, 0.2f, 1},  {0.4f, 0.4f, 1},  {0.75f, 0.3f, 1}, {0.8f, 0.1f, 1},
    {0.49f, 0.42f, 1}, {1.11f, 0.1f, 1}, {1.9f, 0.05f, 1}, {0.44f, 0.6f, 1}, {0.83f, 0.9f, 1},
    {-0.13f, 0.5f, 0}, {0.16f, 0.2f, 0}, {0.55f, 0.4f, 0},
};

// One GL_QUADS rectangle of half width hw and half height hh about the origin.
void DrawQuad(float hw, float hh) {
  glBegin(GL_QUADS);
  glTexCoord2f(0.0f, 0.0f);
  glVertex2f(-hw, -hh);
  glTexCoord2f(0.0f, 1.0f);
  glVertex2f(-hw, hh);
  glTexCoord2f(1.0f, 1.0f);
  glVertex2f(hw, hh);
  glTexCoord2f(1.0f, 0.0f);
  glVertex2f(hw, -hh);
  glEnd();
}

void DrawStreak(const Vec3& at, float sx, float sy, float r, float g, float b, float a,
                const Vec3& q, const Vec3& rr) {
  glLoadIdentity();
  glTranslatef(at.x, at.y, 0.0f);
  glScalef(sx, sy, 1.0f);
  glColor4f(r, g, b, a);
  DrawSprite(1.0f, q, rr);
}

} // namespace

FlareObject::FlareObject() = default;
FlareObject::~FlareObject() = default;

void ReadFlareBlock(ObjectList& list) {
  BlockLines block(ObjectFileHolder);
  char line[ArchiveFile::LineBufferSize];
  if (!block.FindBegin(line))
    return; // the member ended before the block began: no object
  FlareObject* f = new FlareObject();
  char word[ArchiveFile::LineBufferSize];
  // The four lines after "lenseffect" are read straight from the holder, so
  // this loop tracks the block's end itself: after the line that begins with
  // "end", or after the member's last line.
  bool more = true;
  while (more) {
    more = ObjectFileHolder.ReadLine(line);
    // Values that do not parse leave the fields they would have set as they are.
    float value = 0.0f;
    if (LineBegins(line, "size") && sscanf(line, "size %f", &value) == 1)
      f->glowSize = ScreenScale() * value;
    if (LineBegins(line, "flash"))
      sscanf(line, "flash %f)", &f->flickerAmount);
    if (LineBegins(line, "lumin"))
      sscanf(line, "lumin %f)", &f->lumin);
    if (LineBegins(line, "focus")) {
      f->useFocus = true;
      sscanf(line, "focus %f)", &f->focusThreshold);
    }
    if (LineBegins(line, "parent")) {
      // A name that matches no earlier object of the list leaves no parent.
      if (sscanf(line, "parent %127s V(%f %f %f)", word, &f->anchor.x, &f->anchor.y,
                 &f->anchor.z) >= 1)
        f->parentObject = list.FindByName(word);
    }
    if (LineBegins(line, "FOV"))
      sscanf(line, "FOV %f", &f->fov);
    if (LineBegins(line, "alpha")) {
      // The first value has no effect: fade is 0 when the block ends.
      float first = 0.0f, in = 0.0f, out = 0.0f;
      int n = sscanf(line, "alpha %f fade: %f %f", &first, &in, &out);
      if (n >= 2)
        f->fadeIn = in * 60.0f;
      if (n >= 3)
        f->fadeOut = out * 60.0f;
    }
    if (LineBegins(line, "env")) {
      f->env = true;
      sscanf(line, "env V(%f %f %f)", &f->anchor.x, &f->anchor.y, &f->anchor.z);
    }
    if (LineBegins(line, "texture") && ReadWordAfter(line, "texture", word, sizeof word)) {
      f->SetTexture(word);
      f->hasTexture = true;
    }
    if (LineBegins(line, "position"))
      sscanf(line, "position V(%f %f %f)", &f->position.x, &f->position.y, &f->position.z);
    if (LineBegins(line, "lenseffect")) {
      // Four lines follow by position, consumed whatever they hold; the tests
      // below then look at the last of them.
      f->lensEffect = true;
      more = ObjectFileHolder.ReadLine(line);
      if (sscanf(line, "\tsize %f", &value) == 1)
        f->elementSize = ScreenScale() * value;
      for (uint32_t& slot : f->lensTextures) {
        more = ObjectFileHolder.ReadLine(line);
        if (sscanf(line, "\ttexture %127s", word) == 1) {
          size_t n = strlen(word);
          if (n >= 3 && strcmp(word + n - 3, "tga") == 0)
            f->tga = true;
          if (const TextureEntry* entry = FindTexture(word))
            slot = entry->textureName;
        }
      }
    }
    if (LineBegins(line, "rotation")) {
      float speed = 0.0f;
      if (sscanf(line, "rotation %f %f", &f->angle, &speed) == 2)
        f->spinSpeed = speed * 60.0f;
    }
    if (LineBegins(line, "xy"))
      sscanf(line, "xy %f", &f->xy);
    if (LineBegins(line, "orient")) {
      sscanf(line, "orient V(%f %f %f)", &f->orientPoint.x, &f->orientPoint.y, &f->orientPoint.z);
      f->orient = true;
    }
    if (LineBegins(line, "end"))
      break;
  }
  f->fade = 0.0f;
  list.PushBack(f);
}

float FlareObject::FocusFactor(const Vec3& look) const {
  if (!useFocus)
    return 1.0f;
  Vec3 direction = Normalized(anchor);
  if (!IsDirection(direction))
    return 0.0f;
  float cosine = Dot(direction, look);
  if (focusThreshold >= 1.0f)
    return cosine >= focusThreshold ? 1.0f : 0.0f;
  float f = (cosine - focusThreshold) / (1.0f - focusThreshold);
  return f < 0.0f ? 0.0f : f;
}

void FlareObject::Render(const Camera& camera) {
  if (parentObject && !parentObject->visible)
    return;

  glPushMatrix();
  if (hasTexture)
    glBindTexture(GL_TEXTURE_2D, texture);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  if (env) {
    position = camera.position + anchor;
    glLoadIdentity();
    glFrustum(-FrustumAspect * fov, FrustumAspect * fov, -fov, fov, 1.0, 1000.0);
  }
  if (parentObject) {
    const SceneObject& p = *parentObject;
    position =
        p.position + anchor.x * p.right + anchor.y * Cross(p.right, p.look) + anchor.z * p.look;
  }
  glMatrixMode(GL_MODELVIEW);

  // Projection of the flare's place into the window.
  GLdouble modelview[16], projection[16];
  GLint viewport[4];
  glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
  glGetDoublev(GL_PROJECTION_MATRIX, projection);
  glGetIntegerv(GL_VIEWPORT, viewport);
  GLdouble wx = 0.0, wy = 0.0, wz = 0.0;
  bool projected = gluProject(position.x, position.y, position.z, modelview, projection, viewport,
                              &wx, &wy, &wz) == GL_TRUE;
  if (env)
    wz = 1.0;
  Vec3 toFlare = env ? anchor : position - camera.position;
  if (Dot(Normalized(toFlare), camera.look) < 0.0f)
    wz = 1000.0;

  // Occlusion test: one depth value at the projected centre. A centre outside
  // the window counts as hidden.
  bool inside = projected && std::isfinite(wx) && std::isfinite(wy) && wx >= viewport[0] &&
                wx < viewport[0] + viewport[2] && wy >= viewport[1] &&
                wy < viewport[1] + viewport[3];
  unoccluded = false;
  if (inside) {
    GLfloat depthValue = 0.0f;
    glReadPixels(static_cast<GLint>(wx), static_cast<GLint>(wy), 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT,
                 &depthValue);
    unoccluded = depthValue >= wz;
  }

  if (fade > 0.0f && projected && std::isfinite(wx) && std::isfinite(wy)) {
    const Vec3 centre(static_cast<float>(Settings.Width / 2),
                      static_cast<float>(Settings.Height / 2), 0.0f);
    const Vec3 flare(static_cast<float>(wx), static_cast<float>(wy), 0.0f);

    // The glow.
    BeginPixelOverlay();
    glDisable(GL_LIGHTING);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glColor4f(1.0f, 1.0f, 1.0f, FocusFactor(camera.look) * fade * lumin);
    glTranslated(wx, wy, 0.0);
    glRotatef(angle, 0.0f, 0.0f, 1.0f);
    if (orient)
      glRotated(90.0 * Dot(Normalized(flare), Normalized(orientPoint - centre)), 0.0, 0.0, 1.0);
    DrawQuad(glowSize * xy, glowSize);
    EndOverlay();

    // Streaks and elements along the line from the flare through the window
    // centre; a flare at the centre gives that line no direction.
    Vec3 toCentre = centre - flare;
    if (lensEffect && IsDirection(toCentre)) {
      float c = Dot(Normalized(flare), Normalized(centre));
      Vec3 u = Normalized(flare - centre);
      BeginPixelOverlay();
      Vec3 along = Normalized(toCentre);
      Vec3 r = 200.0f * along;
      Vec3 q = 200.0f * Cross(along, Vec3(0.0f, 0.0f, 1.0f));
      glBindTexture(GL_TEXTURE_2D, lensTextures[2]);
      DrawStreak(flare + 0.1f * toCentre, 0.7f, 0.5f, 1.0f, 1.0f, 1.0f, 0.03f, q, r);
      DrawStreak(flare + 0.5f * toCentre, 1.5f, 1.2f, 0.6f, 0.3f, 0.3f, 0.1f, q, r);
      DrawStreak(flare + 1.5f * toCentre, 1.2f, 0.9f, 0.8f, 0.8f, 0.9f, 0.05f, -q, -r);

      for (int i = 0; i < 23; ++i) {
        const LensElement& e = Elements[i];
        RotateAboutAxis(u, Vec3(0.0f, 0.0f, 1.0f), c * 90.0f * e.placement);
        Vec3 at = flare + e.placement * toCentre + 2.0f * (2.0f - e.placement) * u;
        glLoadIdentity();
        glTranslatef(at.x, at.y, 0.0f);
        glScalef(1.5f, 1.5f, 1.0f);
        if (orient)
          glRotated(90.0 * c, 0.0, 0.0, 1.0);
        glDisable(GL_LIGHTING);
        glBindTexture(GL_TEXTURE_2D, lensTextures[e.slot]);
        glColor4f(0.3f + i / 30.0f, 0.2f, 1.0f - i / 10.0f, 0.79f);
        float half = elementSize * e.size;
        DrawQuad(half, half);
      }
      EndOverlay();
    }
    glEnable(GL_LIGHTING);
  }

  ResetTextureMatrix();
  PopProjection();
  glPopMatrix();
}

void FlareObject::Update(double elapsed) {
  double f = fade;
  if (unoccluded) {
    if (f < 1.0)
      f += fadeIn * elapsed;
    if (f > 1.0)
      f = 1.0;
  } else {
    if (f > 0.0)
      f -= fadeOut * elapsed;
    if (f < 0.0)
      f = 0.0;
  }
  fade = static_cast<float>(f);

  angle = static_cast<float>(angle + spinSpeed * elapsed);
  if (angle > 360.0f)
    angle -= 360.0f;
  if (angle < 0.0f)
    angle += 360.0f;

  flickerTimer = static_cast<float>(flickerTimer + 6.0 * elapsed);
  if (flickerTimer < flickerDimEnd)
    fade = static_cast<float>(fade - 0.7 * elapsed);
  else if (fade > 0.0f)
    fade = static_cast<float>(fade + 0.7 * elapsed);

  if (flickerTimer > flickerCycleEnd) {
    double r1 = Rand() / 32767.0;
    double r2 = Rand() / 32767.0;
    flickerDimEnd = static_cast<float>(6.0 * r1 * flickerAmount);
    flickerCycleEnd = static_cast<float>(6.0 * (r1 + r2) * flickerAmount);
    flickerTimer = 0.0f;
  }
}
