#include "resources/TextureCatalogue.h"

#include "resources/ArchiveFile.h"
#include "resources/JpegImage.h"
#include "resources/TgaImage.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

TextureCatalogue Textures;

void (*LoadProgressSink)() = nullptr;

void SendLoadProgress() {
  if (LoadProgressSink)
    LoadProgressSink();
}

TextureEntry::~TextureEntry() = default;

TextureEntry* TextureCatalogue::Find(const char* path) const {
  for (TextureEntry* entry : entries)
    if (strcmp(entry->path, path) == 0)
      return entry;
  return nullptr;
}

TextureEntry* FindTexture(const char* path) { return Textures.Find(path); }

uint32_t UploadImage(int components, uint32_t format, int width, int height,
                     const uint8_t* pixels) {
  GLuint name = 0;
  glGenTextures(1, &name);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glBindTexture(GL_TEXTURE_2D, name);
  gluBuild2DMipmaps(GL_TEXTURE_2D, components, width, height, format, GL_UNSIGNED_BYTE, pixels);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  return name;
}

uint32_t UploadTga(const char* path) {
  TgaImage& image = DecodedTga;
  if (!LoadTga(path, image))
    return 0;
  int components = 4;
  GLenum format = GL_RGBA;
  if (image.pixelDepth == 24) {
    components = 3;
    format = GL_BGR;
  } else if (image.pixelDepth == 8) {
    components = GL_LUMINANCE;
    format = GL_LUMINANCE;
  }
  uint32_t name = UploadImage(components, format, image.width, image.height, image.pixels);
  free(image.pixels);
  image.pixels = nullptr;
  return name;
}

void TextureEntry::Load(const char* fileName) {
  const size_t length = strlen(fileName);
  if (length > static_cast<size_t>(MaxTextureFileName)) {
    path[0] = 0;
    return;
  }
  snprintf(path, sizeof path, "textures\\%s", fileName);
  if (length < 3)
    return;
  const char* ending = fileName + length - 3;
  if (strcmp(ending, "jpg") == 0 || strcmp(ending, "JPG") == 0) {
    JpegImage image;
    if (LoadJpeg(path, image)) {
      textureName = UploadImage(3, GL_RGB, image.width, image.height, image.pixels);
      free(image.pixels);
    }
  } else if (strcmp(ending, "tga") == 0 || strcmp(ending, "TGA") == 0) {
    textureName = UploadTga(path);
  }
}

void LoadTextureCatalogue(TextureCatalogue& catalogue, const char* memberName, bool progress) {
  ArchiveFile file;
  file.Open(memberName);
  char line[ArchiveFile::LineBufferSize];
  for (;;) {
    const bool more = file.ReadLine(line);
    if (strncmp(line, "END_TEXT", 8) == 0)
      break;
    char word[ArchiveFile::LineBufferSize];
    if (sscanf(line, "%127s", word) == 1 &&
        strlen(word) <= static_cast<size_t>(MaxTextureFileName)) {
      TextureEntry* entry = new TextureEntry;
      entry->Load(word);
      if (progress)
        SendLoadProgress();
      catalogue.PushBack(entry);
    }
    if (!more)
      break;
  }
  file.Close();
}
