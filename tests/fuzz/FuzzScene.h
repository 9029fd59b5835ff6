// Clean-up shared by the scene-script targets: the loaders create objects,
// environments and worlds with new and keep them for the whole run, so each
// input's objects are freed here before the next input.
#pragma once
#include <GL/gl.h>
#include <GL/glu.h>

#include "FuzzSupport.h"
#include "motion/Camera.h"
#include "scene/Environment.h"
#include "scene/GeometryStore.h"
#include "scene/ObjectList.h"
#include "scene/SceneObject.h"
#include "scene/World.h"

// Advances each object once (the kinds derive their running state from what
// the block gave them), draws it once with a camera at (0, 0, 50) looking
// down the z axis, and then deletes it.
inline void UpdateAndDelete(ObjectList& list) {
  static Camera camera;
  camera.position = Vec3{0.0f, 0.0f, 50.0f};
  camera.look = Vec3{0.0f, 0.0f, -1.0f};
  camera.up = Vec3{0.0f, 1.0f, 0.0f};
  for (SceneObject* object : list)
    object->Update(0.05);
  if (!list.Empty()) {
    FuzzIgnoreLeaks drawing;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60.0, 1.0, 1.0, 100000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    camera.LookAt();
    for (SceneObject* object : list)
      object->Render(camera);
    glFinish();
  }
  for (SceneObject* object : list)
    delete object;
  list.Clear();
}

// The display lists a "geometry" line leaves in the store belong to the
// current context (recycled now and then, which frees them); each input
// starts with an empty store so it does not depend on the inputs before it.
inline void ForgetFuzzGeometry() { GeometryStore = GeometryStoreRecord{}; }
