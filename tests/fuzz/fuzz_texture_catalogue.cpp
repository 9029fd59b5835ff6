// "texture.txt" and what it makes the loader do: one line per texture file,
// each decoded and uploaded with its mipmaps. Input: the catalogue, then
// (after a "----" line each) the members "textures\a.tga", "textures\b.jpg"
// and "textures\c.TGA", so the fuzzer varies the images it names as well.
#include <GL/gl.h>

#include "FuzzSupport.h"
#include "resources/TextureCatalogue.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzWorkDir workDir;
  FuzzGlBegin(0);
  FuzzMembers members = SplitFuzzInput(
      data, size, {"texture.txt", "textures\\a.tga", "textures\\b.jpg", "textures\\c.TGA"});
  if (!WriteFuzzArchive(members))
    return 0;

  TextureCatalogue catalogue;
  LoadTextureCatalogue(catalogue, "texture.txt", true);
  for (TextureEntry* entry : catalogue) {
    if (entry->textureName) {
      GLuint name = entry->textureName;
      glDeleteTextures(1, &name);
    }
    delete entry;
  }
  return 0;
}
