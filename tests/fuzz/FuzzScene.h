// Clean-up shared by the scene-script targets: the loaders create objects,
// environments and worlds with new and keep them for the whole run, so each
// input's objects are freed here before the next input.
#pragma once
#include "scene/Environment.h"
#include "scene/GeometryStore.h"
#include "scene/ObjectList.h"
#include "scene/SceneObject.h"
#include "scene/World.h"

// Advances each object once (the kinds derive their running state from what
// the block gave them) and then deletes it.
inline void UpdateAndDelete(ObjectList& list) {
  for (SceneObject* object : list)
    object->Update(0.05);
  for (SceneObject* object : list)
    delete object;
  list.Clear();
}

// The display lists a "geometry" line leaves in the store belong to the
// current context (recycled now and then, which frees them); each input
// starts with an empty store so it does not depend on the inputs before it.
inline void ForgetFuzzGeometry() { GeometryStore = GeometryStoreRecord{}; }
