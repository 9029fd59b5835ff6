#include "objects/ParticleSystem.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "objects/DrawHelpers.h"
#include "objects/ObjectKinds.h"
#include "platform/Random.h"
#include "resources/ArchiveFile.h"
#include "scene/ObjectFile.h"
#include "scene/ObjectList.h"

using namespace drawhelpers;

namespace {
// One Rand() value scaled into [0, 1].
float Unit() { return static_cast<float>(Rand()) / 32767.0f; }
const Vec3 YAxis(0.0f, 1.0f, 0.0f);
} // namespace

ParticleSystemObject::ParticleSystemObject() {
  phase = 360.0f * static_cast<float>(Rand()) / 32767.0f;
}

ParticleSystemObject::~ParticleSystemObject() = default;

void ParticleSystemObject::SetDensity(int n) {
  if (n > MaxParticles)
    n = MaxParticles;
  count = n;
  size_t k = n > 0 ? static_cast<size_t>(n) : 0;
  particlePos.assign(k, Vec3(0.0f, 0.0f, 0.0f));
  particleVel.assign(k, Vec3(0.0f, 0.0f, -1000.0f));
  particleAcc.assign(k, Vec3(0.0f, 0.0f, 0.0f));
  particleAge.assign(k, 0.0f);
  particleLife.assign(k, 0.0f);
  timer = 0.0f;
  interval = 0.0f;
  for (size_t i = 0; i < k; ++i) {
    particlePos[i] = position + 250.0f * RandomDirection();
    particleAge[i] = 25.0f * Unit();
  }
}

void ReadParticleSystemBlock(ObjectList& list) {
  BlockLines block(ObjectFileHolder);
  char line[ArchiveFile::LineBufferSize];
  if (!block.FindBegin(line))
    return; // the member ended before the block began: no object
  ParticleSystemObject* ps = new ParticleSystemObject();
  char word[ArchiveFile::LineBufferSize];
  // Values that do not parse leave the fields they would have set as they are.
  while (block.Next(line)) {
    if (LineBegins(line, "texture") && ReadWordAfter(line, "texture", word, sizeof word)) {
      ps->SetTexture(word);
      ps->hasTexture = true;
    }
    if (LineBegins(line, "size"))
      sscanf(line, "size %f", &ps->size);
    if (LineBegins(line, "line"))
      ps->motion = ParticleSystemObject::Motion::Line;
    if (LineBegins(line, "circ"))
      ps->motion = ParticleSystemObject::Motion::Circ;
    if (LineBegins(line, "flash"))
      ps->motion = ParticleSystemObject::Motion::Flash;
    if (LineBegins(line, "time"))
      sscanf(line, "time %f", &ps->interval);
    int n = 0;
    if (LineBegins(line, "dens") && sscanf(line, "dens %d", &n) == 1)
      ps->SetDensity(n);
    if (LineBegins(line, "point1"))
      sscanf(line, "point1 V(%f %f %f)", &ps->point1.x, &ps->point1.y, &ps->point1.z);
    if (LineBegins(line, "rot"))
      sscanf(line, "rot V(%f %f %f)", &ps->right.x, &ps->right.y, &ps->right.z);
  }
  list.PushBack(ps);
}

float ParticleSystemObject::CyclePhase() const {
  if (interval == 0.0f)
    return 0.0f;
  float u = timer / interval;
  return std::isfinite(u) ? u : 0.0f;
}

float ParticleSystemObject::LineAlpha(int i) const {
  float life = particleLife[i];
  if (life == 0.0f)
    return 0.0f;
  return 1.0f - particleAge[i] / life;
}

float ParticleSystemObject::CycleAlpha() const {
  if (interval == 0.0f)
    return 0.0f;
  return 1.0f - std::fabs(2.0f * CyclePhase() - 1.0f);
}

float ParticleSystemObject::FlashBaseAlpha(int i) const {
  return 1.0f - static_cast<float>(std::abs(pulse - i)) / static_cast<float>(count);
}

void ParticleSystemObject::Update(double elapsed) {
  if (!Active())
    return;
  const int n = count;
  const float dt = static_cast<float>(elapsed);
  timer = static_cast<float>(timer + elapsed);

  if (motion == Motion::Line || motion == Motion::Circ) {
    for (int i = 0; i < n; ++i) {
      particlePos[i] += particleVel[i] * dt;
      particleVel[i] += particleAcc[i] * dt;
      if (motion != Motion::Line)
        continue;
      timer = 0.0f;
      particleAge[i] = static_cast<float>(particleAge[i] + elapsed);
      if (particleAge[i] > particleLife[i]) {
        particlePos[i] = Vec3(0.0f, 0.0f, 0.0f);
        particleVel[i] = Vec3(0.0f, 0.0f, -2400.0f - 17100.0f * Unit());
        float r2 = Unit();
        float r3 = Unit();
        particleAcc[i] = 0.57f * particleVel[i].Length() * Vec3(1.0f + r3, r2, 0.0f);
        particleAge[i] = 0.0f;
        particleLife[i] = 1.0f + 2.0f * Unit();
      }
    }
  }

  if (motion == Motion::Circ && timer > interval) {
    timer = 0.0f;
    interval = 2.0f + Unit();
    Vec3 d = RandomDirection();
    position = point1 + size * d;
    Vec3 s = size * d;
    bool fast = Unit() < 0.2f;
    for (int i = 0; i < n; ++i) {
      Vec3 axis = RandomDirection();
      float a = 4.0f * Unit();
      Vec3 t = s;
      RotateAboutAxis(t, axis, a);
      particlePos[i] = s - t;
      float w = 1.0f - a / 4.0f;
      float speed = 800.0f + 300.0f * Unit();
      particleVel[i] = w * speed * Normalized(1.1f * s - t);
      if (fast)
        particleVel[i] = w * (400.0f + 1700.0f * Unit()) * d;
      Vec3 turn = RandomDirection();
      RotateAboutAxis(particleVel[i], turn, 30.0f * Unit());
      particleAcc[i] = -(250.0f + 50.0f * Unit()) * d;
    }
  }

  if (motion == Motion::Flash && timer > interval) {
    phase = static_cast<float>(phase + 0.3 * elapsed);
    timer = 0.0f;
    interval = 0.01f + 0.04f * Unit();
    pulse += 1;
    if (pulse > 2 * n) {
      phase = 0.0f;
      pulse = -n;
      Vec3 d = RandomDirection();
      position = point1 + 16100.0f * d;
      right = Normalized(d);
      Vec3 p(0.0f, 0.0f, 0.0f);
      for (int i = 0; i < n; ++i) {
        Vec3 v = 100.8f * Cross(right, YAxis);
        RotateAboutAxis(v, right, 30.0f + 180.0f * Unit());
        p += v;
        particlePos[i] = p;
      }
    }
  }
}

void ParticleSystemObject::Render(const Camera& camera) {
  if (!Active())
    return;
  const int n = count;
  glPushMatrix();

  if (motion == Motion::Line || motion == Motion::Circ) {
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    Vec3 g = position - point1;
    Vec3 x1 = Normalized(Cross(g, YAxis));
    Vec3 y1 = Normalized(Cross(Cross(g, YAxis), g));

    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_ALPHA_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glBindTexture(GL_TEXTURE_2D, texture);
    ApplyPosition();

    // The glow square faces along the burst direction; a system at its point1
    // gives it no direction, and it is left out.
    float u = CyclePhase();
    if (IsDirection(x1) && IsDirection(y1)) {
      glColor4f(1.0f, 1.0f, 1.0f, CycleAlpha());
      DrawSprite(2000.0f, x1, y1);
    }

    Vec3 x2(m[0], m[4], m[8]);
    Vec3 y2(m[1], m[5], m[9]);
    Vec3 z2 = Cross(x2, y2);
    for (int i = 0; i < n; ++i) {
      const Vec3& p = particlePos[i];
      float h, degrees, alpha;
      if (motion == Motion::Line) {
        h = 800.0f - 0.2f * p.z;
        degrees = 20.0f * p.z * static_cast<float>(n - 2 * i);
        alpha = LineAlpha(i);
      } else {
        h = 500.0f;
        degrees = 20.0f * u * static_cast<float>(n - 2 * i);
        alpha = CycleAlpha();
      }
      if (!IsFinite(p) || !std::isfinite(h) || !std::isfinite(degrees))
        continue;
      glPushMatrix();
      glTranslated(p.x, p.y, p.z);
      glRotated(degrees, z2.x, z2.y, z2.z);
      glColor4f(1.0f, 1.0f, 1.0f, alpha);
      DrawSprite(h, x2, y2);
      glPopMatrix();
    }

    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glEnable(GL_ALPHA_TEST);
  } else if (motion == Motion::Flash) {
    Vec3 x3 = Cross(right, YAxis);
    Vec3 y3 = Cross(x3, right);
    Vec3 normal = Cross(x3, y3);
    // A bolt direction along the vertical (or of length 0) gives the sprites
    // no plane: nothing is drawn this frame.
    if (IsDirection(normal)) {
      glBindTexture(GL_TEXTURE_2D, texture);
      glDisable(GL_LIGHTING);
      glEnable(GL_CULL_FACE);
      glCullFace(GL_FRONT);
      glBlendFunc(GL_SRC_ALPHA, GL_ONE);

      float k = phase / 0.1f;
      glColor4f(1.0f, 1.0f, 1.0f,
                0.2f + 0.4f * Unit() -
                    0.2f * static_cast<float>(std::abs(pulse)) / static_cast<float>(n));
      float flashSize = 2000.0f + 1000.0f * Unit();
      ApplyPosition();
      glDepthMask(GL_FALSE);

      const Vec3& middle = particlePos[n / 2];
      glPushMatrix();
      glTranslated(middle.x, middle.y, middle.z);
      glRotated(360.0f * Unit(), normal.x, normal.y, normal.z);
      DrawSprite(flashSize, x3, y3, normal);
      glPopMatrix();

      for (int i = 0; i < n; ++i) {
        const Vec3& p = particlePos[i];
        glPushMatrix();
        glTranslated(p.x, p.y, p.z);
        glRotated(20.0f * k * static_cast<float>(n - 2 * i), normal.x, normal.y, normal.z);
        glColor4f(1.0f, 1.0f, 1.0f, FlashBaseAlpha(i) + 0.4f * Unit());
        DrawSprite(250.0f, x3, y3, normal);
        glPopMatrix();
      }

      glEnable(GL_ALPHA_TEST);
      glDepthMask(GL_TRUE);
      glEnable(GL_LIGHTING);
      glCullFace(GL_BACK);
      glDisable(GL_CULL_FACE);
    }
  }

  glPopMatrix();
}
