#include "objects/Sphere.h"

#include <GL/gl.h>

#include <cstdio>

#include "motion/Camera.h"
#include "objects/ObjectKinds.h"
#include "platform/Random.h"
#include "resources/ArchiveFile.h"
#include "scene/GeometryStore.h"
#include "scene/ObjectFile.h"
#include "scene/ObjectList.h"

float SphereMoonCounter = 1.0f;
float SphereFlashCounter = 0.0f;
bool SphereLastTga = false;

void ResetSphereGlobals() {
  SphereFlashCounter = 0.0f;
  SphereLastTga = false;
  SphereMoonCounter = 1.0f;
}

namespace {
float Random01() { return static_cast<float>(Rand()) / 32767.0f; }

void TextureMatrixIdentity() {
  glMatrixMode(GL_TEXTURE);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
}
} // namespace

SphereObject::SphereObject() {
  flashOffsetU = Random01();
  flashOffsetV = Random01();
  moonAngle = 350.0f * Random01();
}

SphereObject::~SphereObject() = default;

void ReadSphereBlock(ObjectList& list) {
  BlockLines block(ObjectFileHolder);
  char line[ArchiveFile::LineBufferSize];
  if (!block.FindBegin(line))
    return; // the member ended before the block began: no object

  SphereObject* sphere = new SphereObject;
  ReadBlockName(line, sphere->name, sizeof sphere->name);
  sphere->geometry = GeometryStore.sphereList;
  sphere->tga = SphereLastTga;

  while (block.Next(line)) {
    // Values that do not parse leave the fields they would have set as they are.
    if (LineBegins(line, "radius"))
      sscanf(line, "radius %f", &sphere->radius);
    if (LineBegins(line, "FOV"))
      sscanf(line, "FOV %f", &sphere->fov);
    if (LineBegins(line, "alpha"))
      sscanf(line, "alpha %f", &sphere->alpha);
    if (LineBegins(line, "tiling"))
      sscanf(line, "tiling %f", &sphere->tiling);
    if (LineBegins(line, "detiling"))
      sscanf(line, "detiling %f", &sphere->detiling);
    if (LineBegins(line, "period"))
      sscanf(line, "period %f", &sphere->period);
    if (LineBegins(line, "env")) {
      sphere->env = true;
      sphere->spinRate = 0.0f;
      sphere->geometry = GeometryStore.envList;
    }
    if (LineBegins(line, "geo"))
      sphere->geometry = GeometryStore.sphereList;
    if (LineBegins(line, "light"))
      sphere->light = true;
    if (LineBegins(line, "specular"))
      sphere->specular = true;
    if (LineBegins(line, "depth"))
      sphere->depth = true;
    if (LineBegins(line, "wire"))
      sphere->wire = true;
    if (LineBegins(line, "sys"))
      sphere->sys = true;
    if (LineBegins(line, "noised"))
      sphere->geometry = GeometryStore.noisedSphereList;
    if (LineBegins(line, "uranmoon"))
      sphere->uranmoon = true;
    if (LineBegins(line, "farpos"))
      sphere->farpos = true;
    if (LineBegins(line, "mask"))
      sphere->mask = true;
    if (LineBegins(line, "list"))
      sphere->geometry = GeometryStore.geometryList;
    if (LineBegins(line, "ring")) {
      sphere->geometry = GeometryStore.ringList;
      sphere->ring = true;
    }
    if (LineBegins(line, "moon")) {
      sphere->moon = true;
      sphere->moonScale = 2.0f * SphereMoonCounter;
      SphereMoonCounter *= 0.75f;
    }
    if (LineBegins(line, "orbit"))
      sphere->orbit = false;
    if (LineBegins(line, "rnd"))
      sphere->rnd = true;
    if (LineBegins(line, "atmo")) {
      sphere->atmo = true;
      sphere->tga = false;
      sphere->geometry = GeometryStore.atmosphereList;
    }
    if (LineBegins(line, "scatter")) {
      sphere->atmo = true;
      sphere->tga = false;
      sphere->geometry = GeometryStore.scatterList;
    }
    if (LineBegins(line, "flash")) {
      sphere->flash = true;
      float c = SphereFlashCounter;
      if (c > 0.4f) {
        sphere->flashTime = c - 0.5f;
        sphere->flashOn = false;
      } else {
        sphere->flashTime = c;
        sphere->flashOn = true;
      }
      sphere->flashPeriod = 0.5f;
      SphereFlashCounter += 0.25f;
    }
    if (LineBegins(line, "texture")) {
      char textureName[ArchiveFile::LineBufferSize] = {};
      ReadWordAfter(line, "texture", textureName, sizeof textureName);
      sphere->SetTexture(textureName);
      sphere->hasTexture = true;
      SphereLastTga = sphere->tga;
    }
    if (LineBegins(line, "rotation")) {
      Vec3& a = sphere->spinAxis;
      sscanf(line, "rotation V(%f %f %f) %f %f", &a.x, &a.y, &a.z, &sphere->spin,
             &sphere->spinRate);
    }
    if (LineBegins(line, "orient")) {
      Vec3& a = sphere->orientAxis;
      sscanf(line, "orient V(%f %f %f) %f", &a.x, &a.y, &a.z, &sphere->orientAngle);
    }
    if (LineBegins(line, "position")) {
      Vec3 v = sphere->anchor;
      if (sscanf(line, "position V(%f %f %f)", &v.x, &v.y, &v.z) >= 1 && sphere->orbit)
        v.x -= 2000.0f;
      sphere->position = v;
      sphere->anchor = v;
    }
    if (LineBegins(line, "color")) {
      Vec3& c = sphere->color;
      sscanf(line, "color V(%f %f %f)", &c.x, &c.y, &c.z);
    }
    if (LineBegins(line, "parent")) {
      char parentName[ArchiveFile::LineBufferSize] = {};
      ReadWordAfter(line, "parent", parentName, sizeof parentName);
      sphere->parent = list.FindByName(parentName);
    }
  }

  // A satellite of nothing: "sys" without a parent found is ignored.
  if (!sphere->parent)
    sphere->sys = false;
  sphere->satelliteOffset = sphere->anchor;
  list.PushBack(sphere);
}

void SphereObject::Update(double elapsed) {
  float dt = static_cast<float>(elapsed);

  spin += spinRate * dt;
  if (spin > 360.0f)
    spin -= 360.0f;

  if (moon) {
    moonAngle += 2.0f * moonScale * dt;
    if (moonAngle > 360.0f)
      moonAngle -= 360.0f;
    position = anchor;
    RotateAboutAxis(position, spinAxis, -moonAngle);
    spin = moonAngle;
  }

  if (!light && orbit) {
    if (farpos)
      position = Vec3(1.5f * 412000.0f, 0.2f * 1.5f * 412000.0f, 0.0f);
    else
      position = anchor;
  }

  if (sys && parent) {
    if (uranmoon) {
      // The orbit plane is at right angles to the line from the origin to the
      // parent; a parent on the y axis leaves it undefined, and the satellite
      // then stays where it last was.
      const Vec3& p = parent->position;
      Vec3 side = Cross(Vec3(0.0f, 1.0f, 0.0f), p);
      if (side.Length() > 0.0f) {
        position = Normalized(side) * anchor.x;
        RotateAboutAxis(position, p, spin);
        satelliteOffset = position;
      } else {
        position = satelliteOffset;
      }
    } else {
      position = anchor;
      RotateAboutAxis(position, spinAxis, spin);
    }
  }

  flashTime += dt;
  if (flashTime > flashPeriod) {
    flashOn = !flashOn;
    flashTime -= flashPeriod;
    flashPeriod = 0.5f;
    if (rnd) {
      flashTime = 0.0f;
      flashPeriod = flashOn ? 0.4f + 0.4f * Random01() : 0.1f + 0.1f * Random01();
    }
    if (flashOn) {
      flashOffsetU = Random01();
      flashOffsetV = Random01();
      flashAngle = 180.0f * Random01();
    }
  }
}

void SphereObject::Render(const Camera& camera) {
  glPushMatrix();

  if (env) {
    position = camera.position;
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glFrustum(-1.3333334 * fov, 1.3333334 * fov, -fov, fov, 1.0, 1000.0);
    glMatrixMode(GL_MODELVIEW);
  }
  if (light)
    glDisable(GL_LIGHTING);
  if (sys && parent)
    position += parent->position;

  ApplyPosition();

  if (!atmo) {
    glRotatef(orientAngle, orientAxis.x, orientAxis.y, orientAxis.z);
    if (!ring)
      glRotatef(spin + detiling, spinAxis.x, spinAxis.y, spinAxis.z);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glTranslatef(2.0f * spin / 360.0f * tiling + detiling / 360.0f, 0.0f, 0.0f);
    glMatrixMode(GL_MODELVIEW);
  }

  if (hasTexture)
    glBindTexture(GL_TEXTURE_2D, texture);

  if (alpha < 1.0f) {
    glColor4f(1.0f, 1.0f, 1.0f, alpha);
    if (!light)
      glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    if (!env)
      glEnable(GL_CULL_FACE);
  } else {
    glDisable(GL_BLEND);
    glEnable(GL_COLOR_MATERIAL);
    if (!env)
      glEnable(GL_CULL_FACE);
    glColor3f(1.0f, 1.0f, 1.0f);
  }

  if (env) {
    glEnable(GL_CULL_FACE);
    glCullFace(GL_FRONT);
  }

  if (specular) {
    static const GLfloat highlight[4] = {1.0f, 1.0f, 0.8f, 1.0f};
    glDisable(GL_COLOR_MATERIAL);
    glMaterialfv(GL_FRONT, GL_SPECULAR, highlight);
    glMaterialf(GL_FRONT, GL_SHININESS, 15.6f);
  } else {
    static const GLfloat none[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    glMaterialfv(GL_FRONT, GL_SPECULAR, none);
    glMaterialf(GL_FRONT, GL_SHININESS, 12.6f);
  }

  if (tga) {
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glColor4f(1.0f, 1.0f, 1.0f, alpha);
  }

  if (atmo) {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    // Turn the geometry's x axis to point from the viewer through the centre.
    // With the viewer at the centre (or looking along up) there is no such
    // turn; the shell is then drawn unturned.
    Vec3 d = Normalized(position - camera.position);
    Vec3 s = Normalized(Cross(d, camera.up));
    Vec3 u = Normalized(Cross(d, s));
    if (d.Length() > 0.0f && s.Length() > 0.0f) {
      const GLfloat m[16] = {d.x, d.y, d.z, 0.0f, s.x,  s.y,  s.z,  0.0f,
                             u.x, u.y, u.z, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f};
      glMultMatrixf(m);
    }
    glDepthMask(GL_FALSE);
  }

  if (flash) {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, tga ? GL_ONE_MINUS_SRC_ALPHA : GL_ONE);
    float a;
    if (rnd)
      a = flashOn ? 0.3f + 0.7f * Random01() : 0.0f;
    else
      a = flashOn ? flashTime / flashPeriod : 1.0f - flashTime / flashPeriod;
    glColor4f(1.0f, 1.0f, 1.0f, a);
    glMatrixMode(GL_TEXTURE);
    glTranslatef(flashOffsetU, flashOffsetV, 0.0f);
    if (rnd)
      glRotatef(flashAngle, 0.0f, 0.0f, 1.0f);
    glMatrixMode(GL_MODELVIEW);
  }

  if (wire) {
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  }

  glScalef(radius, radius, radius);

  if (sys && parent) {
    glDisable(GL_TEXTURE_2D);
    glColor4f(color.x, color.y, color.z, 1.0f);
  }
  if (mask) {
    glEnable(GL_BLEND);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glColor4f(0.0f, 0.0f, 0.0f, 0.0f);
  }
  if (depth)
    glDepthMask(GL_FALSE);

  glMatrixMode(GL_TEXTURE);
  glScalef(tiling, ring ? 1.0f : tiling, 1.0f);
  glMatrixMode(GL_MODELVIEW);

  if (ring)
    glDisable(GL_CULL_FACE);

  if (wire) {
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glColor4f(color.x, color.y, color.z, 1.0f);
    glBindTexture(GL_TEXTURE_2D, 0);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glScalef(40.0f, 40.0f, 1.0f);
    glMatrixMode(GL_MODELVIEW);
    glCallList(geometry);
    glEnable(GL_DEPTH_TEST);
    TextureMatrixIdentity();
    glEnable(GL_LIGHTING);
  } else {
    glCallList(geometry);
  }

  if (depth)
    glDepthMask(GL_TRUE);
  if (mask) {
    glEnable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  }
  glDisable(GL_COLOR_MATERIAL);
  glEnable(GL_BLEND);
  if (sys && parent)
    glEnable(GL_TEXTURE_2D);
  if (env) {
    position = camera.position;
    glEnable(GL_LIGHTING);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glEnable(GL_DEPTH_TEST);
    glCullFace(GL_BACK);
  }
  TextureMatrixIdentity();
  glEnable(GL_LIGHTING);
  if (atmo || flash)
    glDepthMask(GL_TRUE);
  if (flash)
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glDisable(GL_CULL_FACE);

  glPopMatrix();
}
