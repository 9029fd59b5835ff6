// The .dat mesh loader: the input is both "meshes\sphere.dat" and
// "meshes\env.dat", and the shared geometry is loaded from them (plain,
// roughened, and the atmosphere, scatter and ring lists), then a plain
// ReadDatMesh of the same bytes checks what the arrays hold.
#include <GL/gl.h>
#include <cstring>
#include <string>

#include "FuzzSupport.h"
#include "resources/ArchiveFile.h"
#include "scene/GeometryStore.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzWorkDir workDir;
  FuzzGlBegin(0);
  std::string bytes(reinterpret_cast<const char*>(data), size);
  if (!WriteFuzzArchive({{"meshes\\sphere.dat", bytes}, {"meshes\\env.dat", bytes}}))
    return 0;

  GeometryStore = GeometryStoreRecord{};
  LoadSharedGeometry();
  for (uint32_t list :
       {GeometryStore.envList, GeometryStore.sphereList, GeometryStore.noisedSphereList,
        GeometryStore.atmosphereList, GeometryStore.scatterList, GeometryStore.ringList})
    if (list)
      glDeleteLists(list, 1);
  GeometryStore = GeometryStoreRecord{};

  ArchiveFile file;
  file.data = new uint8_t[size ? size : 1];
  if (size)
    memcpy(file.data, data, size);
  file.size = uint32_t(size);
  DatMesh mesh;
  ReadDatMesh(file, false, mesh);
  size_t valid = 0;
  for (size_t t = 0; t < mesh.TrianglesHeld(); ++t)
    valid += mesh.TriangleValid(t);
  (void)valid;
  return 0;
}
