// An ordered, non-owning list of scene objects. Worlds and
// environments keep their objects in these; the frame driver copies them.
#pragma once
#include <cstddef>
#include <cstring>
#include <vector>

class SceneObject;

class ObjectList {
public:
  void PushBack(SceneObject* object) { items.push_back(object); }
  // First object whose name equals the given one exactly (strcmp); null if none.
  SceneObject* FindByName(const char* name) const;

  void Clear() { items.clear(); }
  size_t Size() const { return items.size(); }
  bool Empty() const { return items.empty(); }
  SceneObject* operator[](size_t i) const { return items[i]; }
  std::vector<SceneObject*>::const_iterator begin() const { return items.begin(); }
  std::vector<SceneObject*>::const_iterator end() const { return items.end(); }

private:
  std::vector<SceneObject*> items;
};

// The same lookup rule for any list of pointers to records with a char
// array "name" (environments, worlds): first exact match, or null.
template <typename T> T* FindNamed(const std::vector<T*>& list, const char* name) {
  for (T* item : list)
    if (strcmp(item->name, name) == 0)
      return item;
  return nullptr;
}
