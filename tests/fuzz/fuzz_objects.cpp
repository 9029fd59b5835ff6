// Object files and every kind's block reader ("sphere", "billboard", "flare",
// "mesh", "flame", "ps", plus "geometry" lines). Input: the object file, then
// (after a "----" line) the member "meshes\m.dat" that "geometry" lines can
// name. Each object made is advanced once and freed.
#include <cstdio>

#include "FuzzScene.h"
#include "FuzzSupport.h"
#include "resources/TextureCatalogue.h"
#include "scene/ObjectFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzWorkDir workDir;
  FuzzGlBegin(0);
  FuzzGlListScope lists;
  static TextureEntry entries[3];
  if (Textures.Size() == 0) {
    // Catalogue entries the "texture" and "map1" lines can find (their GL
    // names are never bound: nothing is drawn).
    const char* names[] = {"sun.jpg", "flare.tga", "star.TGA"};
    for (int i = 0; i < 3; ++i) {
      snprintf(entries[i].path, sizeof entries[i].path, "textures\\%s", names[i]);
      entries[i].textureName = 1;
      Textures.PushBack(&entries[i]);
    }
  }
  ForgetFuzzGeometry();
  FuzzMembers members = SplitFuzzInput(data, size, {"objects.txt", "meshes\\m.dat"});
  if (!WriteFuzzArchive(members))
    return 0;

  ObjectList list;
  LoadObjectFile(list, "objects.txt");
  UpdateAndDelete(list);
  return 0;
}
