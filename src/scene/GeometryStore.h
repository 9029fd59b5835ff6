// The shared display-list geometry: .dat meshes compiled into
// OpenGL display lists once at load time, the roughened sphere, and the
// atmosphere, scatter and ring lists built from the sphere mesh.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

struct GeometryStoreRecord {
  uint32_t envList = 0;          // "meshes\env.dat"
  uint32_t sphereList = 0;       // "meshes\sphere.dat"
  uint32_t noisedSphereList = 0; // "meshes\sphere.dat", vertices roughened
  // The geometry slot: the mesh of the latest "geometry" line of an object
  // file. The mesh block reader copies it into each new mesh when
  // its block starts; spheres with "list" take it too.
  uint32_t geometryList = 0;
  uint32_t atmosphereList = 0; // sphere mesh with alpha 3x^2 - 0.6
  uint32_t scatterList = 0;    // sphere mesh with alpha 1.6x + 1.6
  uint32_t ringList = 0;       // generated ring in the x-y plane
};

extern GeometryStoreRecord GeometryStore;

// Compiles the .dat member into a new display list (roughening each vertex by
// a random turn of up to 2.6 degrees when asked); 0 when no list was created.
uint32_t LoadDatMesh(const char* member, bool roughen);
// Builds atmosphereList, scatterList and ringList from the member.
void BuildShellLists(const char* member);
// env, sphere, noised sphere, then the shell lists.
void LoadSharedGeometry();

// --- The .dat mesh format and its reader, exposed for tests and tools -------

class ArchiveFile;

// A .dat mesh as read: three counts, then vertices (x y z), per triangle the
// three vertex indices, per triangle the three texture-coordinate indices,
// texture coordinates (u v) and per triangle the three corner normals; all
// 32-bit little-endian. Arrays hold only what the member can back: a count
// larger than the bytes left keeps as many elements as those bytes reach
// (the missing values zero), never what the count alone claims.
struct DatMesh {
  uint32_t vertexCount = 0; // the counts as the file states them
  uint32_t triangleCount = 0;
  uint32_t texCoordCount = 0;
  std::vector<float> vertices;        // 3 per vertex held
  std::vector<uint32_t> cornerVertex; // 3 per triangle held
  std::vector<uint32_t> cornerTexCoord;
  std::vector<float> texCoords; // 2 per texture coordinate held
  std::vector<float> normals;   // 9 per triangle held

  size_t VerticesHeld() const { return vertices.size() / 3; }
  size_t TrianglesHeld() const { return cornerVertex.size() / 3; }
  size_t TexCoordsHeld() const { return texCoords.size() / 2; }
  // Whether triangle t's vertex and texture indices all lie inside the arrays
  // (a triangle that fails is left out of the display list).
  bool TriangleValid(size_t t) const;
};

// Reads the mesh from the holder's cursor on. With roughen, each vertex,
// right after it is read, is turned about its own random axis through the
// origin by up to 2.6 degrees (random direction, then one more draw).
void ReadDatMesh(ArchiveFile& file, bool roughen, DatMesh& mesh);

// Compiles the mesh into a new display list (one GL_TRIANGLES primitive,
// corners with normal, texture coordinate and vertex; triangles whose indices
// fall outside the arrays are left out); 0 when OpenGL gives no list name.
uint32_t CompileDatMesh(const DatMesh& mesh);

// Per-corner alpha of the atmosphere and scatter lists for a vertex x.
inline float AtmosphereAlpha(float x) { return 3.0f * x * x - 0.6f; }
inline float ScatterAlpha(float x) { return 1.6f * x + 1.6f; }

// The ring: RingPairs vertex pairs around the z axis, inner radius 0.6 and
// outer 1.0; pair i at angle i * 360 / 80 degrees, u = i / 80.
constexpr int RingPairs = 81;
struct RingCorner {
  float u, v, x, y, z;
};
void RingPair(int i, RingCorner& inner, RingCorner& outer);
