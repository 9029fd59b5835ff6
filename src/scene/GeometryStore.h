// The shared display-list geometry: .dat meshes compiled into
// OpenGL display lists once at load time, the roughened sphere, and the
// atmosphere, scatter and ring lists built from the sphere mesh.
#pragma once
#include <cstdint>

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
