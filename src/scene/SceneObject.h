// The abstract scene object: what every kind (sphere, billboard,
// flare, flame, mesh, particle system) shares. Objects are created with new by
// their block readers and live until the process ends.
#pragma once
#include <cstddef>
#include <cstdint>

#include "motion/Vec3.h"

class Camera;

class SceneObject {
public:
  SceneObject();
  SceneObject(const SceneObject&) = delete;
  SceneObject& operator=(const SceneObject&) = delete;
  virtual ~SceneObject();

  // Draws the object in the frame's current OpenGL state and returns to the
  // frame's default state except for what the kind documents it leaves changed.
  virtual void Render(const Camera& camera) = 0;
  // Advances the object's own animation by the elapsed seconds.
  virtual void Update(double elapsed) = 0;

  // glTranslatef to position on the current matrix.
  void ApplyPosition() const;
  // tga = name ends in lower-case "tga"; texture = the catalogue entry's GL
  // name for that full member path ("textures\x.jpg") when it is there, else
  // unchanged. The caller then sets hasTexture.
  void SetTexture(const char* textureName);

  static constexpr size_t NameSize = 15; // at most 14 characters

  Vec3 position{0.0f, 0.0f, 0.0f};
  Vec3 look{0.0f, 0.0f, 1.0f};
  Vec3 right{1.0f, 0.0f, 0.0f};
  Vec3 color{1.0f, 1.0f, 1.0f};
  uint32_t texture = 0;
  char name[NameSize] = {};
  bool hasTexture = false;
  bool visible = true;
  bool tga = false;
};

// --- Script helpers shared by the scene loaders and the block readers -------

// Script keyword test: strncmp(keyword, line, strlen(keyword)) == 0.
bool LineBegins(const char* line, const char* keyword);

// Bounded copy: copies at most size - 1 characters of source and always ends
// destination with a NUL (a longer word is cut at the field size).
void CopyBounded(char* destination, size_t size, const char* source);

// The bounded form of sscanf(line, "<keyword> %s", field): skips the keyword's
// characters (the line is known to begin with it), then white space, then
// copies the following word (up to the next white space) into field, cut at
// size - 1 characters. Returns false (field unchanged) when there is no word.
bool ReadWordAfter(const char* line, const char* keyword, char* field, size_t size);

// "begin" lines of sphere and mesh blocks: when the line is
// longer than "begin", the word after it becomes name; otherwise unchanged.
void ReadBlockName(const char* line, char* name, size_t size);
