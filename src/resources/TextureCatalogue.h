// The texture catalogue and texture upload: "texture.txt" lists the
// image members of the archive's "textures" folder; each is decoded (JpegImage.h, TgaImage.h),
// uploaded with a full chain of mipmaps, and kept as one TextureEntry.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// Longest file name a catalogue line may give: "textures\" takes 9 of the
// 31 characters of TextureEntry::path.
constexpr int MaxTextureFileName = 22;

class TextureEntry {
public:
  TextureEntry() = default;
  virtual ~TextureEntry();

  // Forms `path` = "textures\<fileName>" and uploads the member: "jpg"/"JPG"
  // endings through LoadJpeg, "tga"/"TGA" through UploadTga; any other ending
  // (or a name longer than MaxTextureFileName, which leaves `path` empty)
  // loads nothing and textureName stays 0. Needs a current OpenGL context.
  void Load(const char* fileName);

  uint32_t textureName = 0; // OpenGL texture name; 0 when nothing was uploaded
  char path[32] = {};       // member path, the key of catalogue lookups
};

// The ordered, non-owning list of entries, in the order of "texture.txt".
// Entries are created with new and live until the program ends.
class TextureCatalogue {
public:
  void PushBack(TextureEntry* entry) { entries.push_back(entry); }
  // First entry whose path equals `path` exactly (strcmp), or null.
  TextureEntry* Find(const char* path) const;
  // Drops the pointers (shutdown); the entries are not destroyed.
  void Clear() { entries.clear(); }
  size_t Size() const { return entries.size(); }
  TextureEntry* operator[](size_t i) const { return entries[i]; }
  auto begin() const { return entries.begin(); }
  auto end() const { return entries.end(); }

  std::vector<TextureEntry*> entries;
};

// The process-wide catalogue the shell fills from "texture.txt".
extern TextureCatalogue Textures;

// Textures.Find: the first entry of the global catalogue whose path equals
// `path` (a full member path such as "textures\sun.jpg"), or null.
TextureEntry* FindTexture(const char* path);

// Reads the script member `memberName` and appends one entry per file line.
// A line that begins with "END_TEXT" ends the list, and so does the member's
// last line. A line without a word, or whose first word is longer than
// MaxTextureFileName, is skipped (no entry, no progress report). With
// `progress` set, SendLoadProgress() (ui/LoadingScreen.h) is called after each
// texture is uploaded and before its entry joins the catalogue.
void LoadTextureCatalogue(TextureCatalogue& catalogue, const char* memberName, bool progress);

// Decodes the TGA member `path` (LoadTga) and uploads it; 0 when decoding
// fails. 32-bit images go up as RGBA, 24-bit ones (and colour-mapped and
// 16-bit files, which decode to 24) as BGR, 8-bit grey ones as luminance.
uint32_t UploadTga(const char* path);

// The upload both formats share: a new texture name, unpack alignment 1,
// gluBuild2DMipmaps with the given internal components and pixel format
// (GL_UNSIGNED_BYTE), minification GL_LINEAR_MIPMAP_LINEAR and magnification
// GL_LINEAR. Leaves the new texture bound. Returns the texture name.
uint32_t UploadImage(int components, uint32_t format, int width, int height, const uint8_t* pixels);

// Progress reports of the loaders (declared again, with their documentation,
// in ui/LoadingScreen.h). Defined here so the resources library links alone.
extern void (*LoadProgressSink)();
void SendLoadProgress();
