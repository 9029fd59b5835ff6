#include "objects/Mesh.h"

#include <GL/gl.h>

#include <cstdio>

#include "objects/ObjectKinds.h"
#include "resources/ArchiveFile.h"
#include "scene/ObjectFile.h"
#include "scene/GeometryStore.h"
#include "scene/ObjectList.h"

MeshObject::MeshObject() = default;
MeshObject::~MeshObject() = default;

void ReadMeshBlock(ObjectList& list) {
  BlockLines block(ObjectFileHolder);
  char line[ArchiveFile::LineBufferSize];
  if (!block.FindBegin(line))
    return; // the member ended before the block began: no object
  MeshObject* m = new MeshObject();
  ReadBlockName(line, m->name, sizeof m->name);
  m->displayList = GeometryStore.geometryList;
  char word[ArchiveFile::LineBufferSize];
  // The four lines after "material" are read straight from the holder, so
  // this loop tracks the block's end itself: after the line that begins with
  // "end", or after the member's last line.
  bool more = true;
  while (more) {
    more = ObjectFileHolder.ReadLine(line);
    // Values that do not parse leave the fields they would have set as they are.
    if (LineBegins(line, "orient"))
      sscanf(line, "orient V(%f %f %f) %f", &m->orientAxis.x, &m->orientAxis.y, &m->orientAxis.z,
             &m->orientAngle);
    if (LineBegins(line, "position"))
      sscanf(line, "position V(%f %f %f)", &m->position.x, &m->position.y, &m->position.z);
    if (LineBegins(line, "look"))
      sscanf(line, "look V(%f %f %f)", &m->look.x, &m->look.y, &m->look.z);
    if (LineBegins(line, "right"))
      sscanf(line, "right V(%f %f %f)", &m->right.x, &m->right.y, &m->right.z);
    if (LineBegins(line, "material")) {
      // Four lines follow by position, consumed whatever they hold; the tests
      // below then look at the last of them.
      more = ObjectFileHolder.ReadLine(line);
      m->metal = LineBegins(line, "\tmetal");
      more = ObjectFileHolder.ReadLine(line); // "\tchrome" for chrome: no effect
      more = ObjectFileHolder.ReadLine(line);
      if (LineBegins(line, "\tmap1") && ReadWordAfter(line, "\tmap1", word, sizeof word)) {
        m->SetTexture(word);
        m->hasTexture = true;
      }
      more = ObjectFileHolder.ReadLine(line); // "\tmap2 <name>": no effect
    }
    if (LineBegins(line, "scale"))
      sscanf(line, "scale %f", &m->scale);
    // "speed", "invup" and "tiling" are accepted and change nothing on a mesh.
    if (LineBegins(line, "light"))
      m->additive = true;
    if (LineBegins(line, "illum"))
      m->unlit = true;
    if (LineBegins(line, "blend"))
      m->blend = true;
    if (LineBegins(line, "color"))
      sscanf(line, "color V(%f %f %f)", &m->color.x, &m->color.y, &m->color.z);
    if (LineBegins(line, "end"))
      break;
  }
  list.PushBack(m);
}

void MeshObject::Render(const Camera& camera) {
  if (!visible)
    return;
  glPushMatrix();
  ApplyPosition();
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_BLEND);
  glEnable(GL_CULL_FACE);

  // Local x along look, local y along right, local z along up.
  Vec3 up = Cross(look, right);
  const GLfloat axes[16] = {look.x, look.y, look.z, 0.0f, right.x, right.y, right.z, 0.0f,
                            up.x,   up.y,   up.z,   0.0f, 0.0f,    0.0f,    0.0f,    1.0f};
  glMultMatrixf(axes);
  glRotatef(orientAngle, orientAxis.x, orientAxis.y, orientAxis.z);
  glScalef(scale, scale, scale);

  glColor3f(1.0f, 1.0f, 1.0f);
  glEnable(GL_TEXTURE_2D);
  if (hasTexture)
    glBindTexture(GL_TEXTURE_2D, texture);
  glDepthMask(GL_FALSE);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, additive ? GL_ADD : GL_MODULATE);
  if (unlit)
    glDisable(GL_LIGHTING);
  if (metal) {
    glDisable(GL_COLOR_MATERIAL);
    const GLfloat specular[4] = {0.4f, 0.4f, 0.4f, 1.0f};
    glMaterialfv(GL_FRONT, GL_SPECULAR, specular);
    glMaterialf(GL_FRONT, GL_SHININESS, 19.6f);
    glEnable(GL_LIGHT0);
  }
  if (blend) {
    glEnable(GL_ALPHA_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_CULL_FACE);
    glColor4f(1.0f, 1.0f, 1.0f, color.x);
  }

  glCallList(displayList);

  glDepthMask(GL_TRUE);
  if (metal)
    glDisable(GL_LIGHT0);
  glEnable(GL_ALPHA_TEST);
  glEnable(GL_BLEND);
  glEnable(GL_LIGHTING);
  glDisable(GL_TEXTURE_GEN_S);
  glDisable(GL_TEXTURE_GEN_T);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glDisable(GL_FOG);
  glDisable(GL_CULL_FACE);
  glPopMatrix();
}

void MeshObject::Update(double elapsed) {}
