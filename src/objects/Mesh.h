// The mesh: a rigid triangle model (the display list of the latest "geometry"
// line before its block) placed at a position, oriented by its look and right
// axes and an extra tilt, uniformly scaled, with one texture and a choice of
// material effects: a metallic highlight, additive texturing, unlit drawing
// and alpha blending. It does not move.
#pragma once
#include <cstdint>

#include "scene/SceneObject.h"

class MeshObject : public SceneObject {
public:
  MeshObject();
  ~MeshObject() override;

  // Draws the display list. Leaves the bound texture, the current colour and
  // the texture environment mode changed; everything else returns to the
  // frame's default state.
  void Render(const Camera& camera) override;
  // Nothing moves.
  void Update(double elapsed) override;

  uint32_t displayList = 0; // the block reader takes the geometry slot
  Vec3 orientAxis{0.0f, 1.0f, 0.0f};
  float orientAngle = 0.0f; // degrees
  float scale = 1.0f;
  bool metal = false;    // specular highlight with light 0
  bool additive = false; // texture added to the colour (GL_ADD)
  bool unlit = false;    // drawn without lighting
  bool blend = false;    // alpha-blended, alpha = color.x
};
