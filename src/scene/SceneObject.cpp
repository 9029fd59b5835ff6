#include "scene/SceneObject.h"

#include <GL/gl.h>

#include <cctype>
#include <cstring>

#include "resources/TextureCatalogue.h"

SceneObject::SceneObject() = default;
SceneObject::~SceneObject() = default;

void SceneObject::ApplyPosition() const { glTranslatef(position.x, position.y, position.z); }

void SceneObject::SetTexture(const char* textureName) {
  size_t n = strlen(textureName);
  tga = n >= 3 && strcmp(textureName + n - 3, "tga") == 0;
  if (const TextureEntry* entry = Textures.Find(textureName))
    texture = entry->textureName;
}

bool LineBegins(const char* line, const char* keyword) {
  return strncmp(keyword, line, strlen(keyword)) == 0;
}

void CopyBounded(char* destination, size_t size, const char* source) {
  if (size == 0)
    return;
  size_t n = strnlen(source, size - 1);
  memcpy(destination, source, n);
  destination[n] = '\0';
}

static bool IsSpace(char c) { return isspace(static_cast<unsigned char>(c)) != 0; }

bool ReadWordAfter(const char* line, const char* keyword, char* field, size_t size) {
  size_t k = strlen(keyword);
  if (strnlen(line, k) < k)
    return false;
  const char* p = line + k;
  // sscanf's literal part: the keyword is followed by white space in the
  // pattern, which matches any amount (also none) of white space.
  while (*p && IsSpace(*p))
    ++p;
  if (!*p || size == 0)
    return false;
  size_t n = 0;
  while (p[n] && !IsSpace(p[n]))
    ++n;
  if (n > size - 1)
    n = size - 1;
  memcpy(field, p, n);
  field[n] = '\0';
  return true;
}

void ReadBlockName(const char* line, char* name, size_t size) {
  if (strlen(line) > 5)
    ReadWordAfter(line, "begin", name, size);
}
