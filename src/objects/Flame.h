// The flame: a glowing ellipse ring in world space, a thin bright line with
// soft colour bands fading outward from it above, below, inside and outside,
// in a plane that may be tilted. It needs no texture and no geometry and does
// not move.
#pragma once
#include "scene/SceneObject.h"

class FlameObject : public SceneObject {
public:
  FlameObject();
  ~FlameObject() override;

  // Draws the ring in the current modelview matrix (world coordinates) with
  // the current blend function. Leaves the current colour changed.
  void Render(const Camera& camera) override;
  // Nothing moves.
  void Update(double elapsed) override;

  // The ring point at step i of 200 (i = 0 and 200 coincide).
  Vec3 RingPoint(int i) const;

  Vec3 center{0.0f, 0.0f, 0.0f};
  float radius = 0.8f;    // semi-axis along z; along x it is radius * ell
  float ell = 1.0f;       // stretch along x
  float slope = 0.0f;     // height gained per unit of x
  float bandWidth = 0.2f; // reach of each colour band
  Vec3 colorFrom{1.0f, 1.0f, 0.0f};
  Vec3 colorTo{0.0f, 0.0f, 1.0f};
  SceneObject* parent = nullptr; // stored only; not owned
};
