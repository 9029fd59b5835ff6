#include "scene/ObjectList.h"

#include "scene/SceneObject.h"

SceneObject* ObjectList::FindByName(const char* name) const {
  for (SceneObject* object : items)
    if (strcmp(object->name, name) == 0)
      return object;
  return nullptr;
}
