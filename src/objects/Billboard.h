// The billboard: one textured rectangle at a point of the scene, by default
// turned to face the viewer, spinning slowly in its own plane and blended
// additively (glows, stars, nebulae). Its block can fix the orientation, put it
// in the distant background at a fixed offset from the viewer, make it follow
// another object, draw the halo of a sphere, point it away from the scene
// origin, make it blink, blend it normally or draw it over everything.
#pragma once
#include "scene/SceneObject.h"

class BillboardObject : public SceneObject {
public:
  // Draws the default spin rate: one Rand() value r gives (1 - 2 r / 32767) * 60
  // degrees per second.
  BillboardObject();
  ~BillboardObject() override;

  // Draws the rectangle. Leaves the bound texture and the current colour
  // changed; everything else returns to the frame's default state.
  void Render(const Camera& camera) override;
  // Advances the spin and the blink cycle.
  void Update(double elapsed) override;

  // True while the blink cycle hides the rectangle ("flash" on and the cycle's
  // phase still in its dark part).
  bool HiddenByBlink() const { return flash && flashTimer < flashDark; }

  float size = 5.0f;      // half the height of the rectangle
  float alpha = 1.0f;     // alpha of the vertex colour
  float tiling = 1.0f;    // texture repeats across each side
  float angle = 0.0f;     // spin angle in the rectangle's plane, degrees
  float spinSpeed = 0.0f; // degrees per second
  float fov = 0.1f;       // near-plane half height of the background frustum
  float xy = 1.0f;        // width-to-height ratio
  float oreolRadius = 1.0f;
  Vec3 quadUp{0.0f, 1.0f, 0.0f};
  Vec3 quadRight{1.0f, 0.0f, 0.0f};
  Vec3 anchor{0.0f, 0.0f, 0.0f}; // parent offset, viewer offset or halo centre
  Vec3 tint{1.0f, 1.0f, 1.0f};   // vertex colour, used only with a parent
  float flashTimer = 0.0f;
  float flashDark = 0.0f;
  float flashLit = 0.0f;
  SceneObject* parentObject = nullptr; // not owned
  bool env = false;
  bool orientOff = false;
  bool flash = false;
  bool blend = false;
  bool depth = false;
  bool oreol = false;
  bool sys = false;
};
