#include "scene/GeometryStore.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "motion/Vec3.h"
#include "platform/Random.h"
#include "resources/ArchiveFile.h"

GeometryStoreRecord GeometryStore;

namespace {

// How many elements of elementSize bytes the member can still back from the
// cursor on: at most count, and never more than the bytes left reach (a last
// partial element counts, its missing bytes stay zero).
size_t Backable(const ArchiveFile& file, uint32_t count, size_t elementSize) {
  size_t left = file.cursor < file.size ? file.size - file.cursor : 0;
  size_t reach = (left + elementSize - 1) / elementSize;
  return std::min<size_t>(count, reach);
}

// Reads n elements of elementSize bytes into a zeroed array.
template <typename T>
void ReadArray(ArchiveFile& file, std::vector<T>& array, size_t n, size_t perElement) {
  array.assign(n * perElement, T{});
  if (n)
    file.ReadChecked(array.data(), static_cast<uint32_t>(n * perElement * sizeof(T)));
}

enum class CornerAlpha { None, Atmosphere, Scatter };

// The triangles of the mesh as one GL_TRIANGLES primitive, into a display list
// compiled with the identity model-view matrix.
void CompileMesh(uint32_t displayList, const DatMesh& mesh, CornerAlpha alpha) {
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glNewList(displayList, GL_COMPILE);
  glBegin(GL_TRIANGLES);
  for (size_t t = 0; t < mesh.TrianglesHeld(); ++t) {
    if (!mesh.TriangleValid(t))
      continue;
    for (size_t c = 0; c < 3; ++c) {
      const float* vertex = &mesh.vertices[3 * mesh.cornerVertex[3 * t + c]];
      const float* texCoord = &mesh.texCoords[2 * mesh.cornerTexCoord[3 * t + c]];
      if (alpha == CornerAlpha::Atmosphere)
        glColor4f(1.0f, 1.0f, 1.0f, AtmosphereAlpha(vertex[0]));
      else if (alpha == CornerAlpha::Scatter)
        glColor4f(1.0f, 1.0f, 1.0f, ScatterAlpha(vertex[0]));
      // Normals of triangles past the member's end read as zero.
      if (9 * t + 9 <= mesh.normals.size()) {
        const float* normal = &mesh.normals[9 * t + 3 * c];
        glNormal3f(normal[0], normal[1], normal[2]);
      } else {
        glNormal3f(0.0f, 0.0f, 0.0f);
      }
      glTexCoord2f(texCoord[0], texCoord[1]);
      glVertex3f(vertex[0], vertex[1], vertex[2]);
    }
  }
  glEnd();
  glEndList();
  glPopMatrix();
  glFinish();
}

void CompileRing(uint32_t displayList) {
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glNewList(displayList, GL_COMPILE);
  glBegin(GL_QUAD_STRIP);
  for (int i = 0; i < RingPairs; ++i) {
    RingCorner inner, outer;
    RingPair(i, inner, outer);
    glTexCoord2f(inner.u, inner.v);
    glVertex3f(inner.x, inner.y, inner.z);
    glTexCoord2f(outer.u, outer.v);
    glVertex3f(outer.x, outer.y, outer.z);
  }
  glEnd();
  glEndList();
  glPopMatrix();
  glFinish();
}

} // namespace

bool DatMesh::TriangleValid(size_t t) const {
  for (size_t c = 0; c < 3; ++c) {
    if (cornerVertex[3 * t + c] >= VerticesHeld())
      return false;
    if (3 * t + c >= cornerTexCoord.size() || cornerTexCoord[3 * t + c] >= TexCoordsHeld())
      return false;
  }
  return true;
}

void ReadDatMesh(ArchiveFile& file, bool roughen, DatMesh& mesh) {
  mesh = DatMesh();
  file.ReadChecked(&mesh.vertexCount, 4);
  file.ReadChecked(&mesh.triangleCount, 4);
  file.ReadChecked(&mesh.texCoordCount, 4);

  size_t vertices = Backable(file, mesh.vertexCount, 12);
  mesh.vertices.assign(vertices * 3, 0.0f);
  for (size_t i = 0; i < vertices; ++i) {
    float* p = &mesh.vertices[3 * i];
    file.ReadChecked(p, 12);
    if (roughen) {
      Vec3 v(p[0], p[1], p[2]);
      Vec3 axis = RandomDirection();
      float degrees = static_cast<float>(Rand()) / 32767.0f * 2.6f;
      RotateAboutAxis(v, axis, degrees);
      p[0] = v.x;
      p[1] = v.y;
      p[2] = v.z;
    }
  }

  // Once a read has run past the member's end, the arrays after it are empty.
  ReadArray(file, mesh.cornerVertex, Backable(file, mesh.triangleCount, 12), 3);
  ReadArray(file, mesh.cornerTexCoord, Backable(file, mesh.triangleCount, 12), 3);
  ReadArray(file, mesh.texCoords, Backable(file, mesh.texCoordCount, 8), 2);
  ReadArray(file, mesh.normals, Backable(file, mesh.triangleCount, 36), 9);
}

void RingPair(int i, RingCorner& inner, RingCorner& outer) {
  float theta = static_cast<float>(i) * (360.0f / 80.0f);
  float radians = theta / 360.0f * 2.0f * 3.1415927f;
  float c = std::cos(radians), s = std::sin(radians);
  float u = static_cast<float>(i) / 80.0f;
  inner = {u, 0.0f, 0.6f * c, 0.6f * s, 0.0f};
  outer = {u, 1.0f, 1.0f * c, 1.0f * s, 0.0f};
}

uint32_t CompileDatMesh(const DatMesh& mesh) {
  uint32_t displayList = glGenLists(1);
  if (displayList)
    CompileMesh(displayList, mesh, CornerAlpha::None);
  return displayList;
}

uint32_t LoadDatMesh(const char* member, bool roughen) {
  ArchiveFile file;
  file.Open(member);
  uint32_t displayList = glGenLists(1);
  if (displayList == 0)
    return 0;
  DatMesh mesh;
  ReadDatMesh(file, roughen, mesh);
  file.Close();
  CompileMesh(displayList, mesh, CornerAlpha::None);
  return displayList;
}

void BuildShellLists(const char* member) {
  ArchiveFile file;
  file.Open(member);
  GeometryStore.atmosphereList = glGenLists(1);
  GeometryStore.scatterList = glGenLists(1);
  if (GeometryStore.atmosphereList == 0)
    return;
  DatMesh mesh;
  ReadDatMesh(file, false, mesh);
  file.Close();
  CompileMesh(GeometryStore.atmosphereList, mesh, CornerAlpha::Atmosphere);
  if (GeometryStore.scatterList)
    CompileMesh(GeometryStore.scatterList, mesh, CornerAlpha::Scatter);
  GeometryStore.ringList = glGenLists(1);
  if (GeometryStore.ringList)
    CompileRing(GeometryStore.ringList);
}

void LoadSharedGeometry() {
  GeometryStore.envList = LoadDatMesh("meshes\\env.dat", false);
  GeometryStore.sphereList = LoadDatMesh("meshes\\sphere.dat", false);
  GeometryStore.noisedSphereList = LoadDatMesh("meshes\\sphere.dat", true);
  BuildShellLists("meshes\\sphere.dat");
}
