// The sphere object: planets, moons, rings, atmospheres, the sky
// sphere and invisible occluders, each one shared display list
// drawn at a place, a size, a tilt and a spin under a set of drawing modes.
#pragma once
#include <cstdint>

#include "scene/SceneObject.h"

class SphereObject : public SceneObject {
public:
  SphereObject();
  ~SphereObject() override;
  void Render(const Camera& camera) override;
  void Update(double elapsed) override;

  float radius = 5.0f;
  float fov = 1.0f;
  float alpha = 1.0f;
  float tiling = 1.0f;
  float detiling = 0.0f;
  float period = 365.0f;
  Vec3 spinAxis{0.0f, 1.0f, 0.0f};
  float spin = 0.0f;
  float spinRate = 0.2f;
  Vec3 orientAxis{1.0f, 0.0f, 0.0f};
  float orientAngle = 90.0f;
  uint32_t geometry = 0; // the block reader sets it to sphereList
  float flashTime = 1.0f;
  float flashPeriod = 1.0f;
  float flashOffsetU = 0.0f;
  float flashOffsetV = 0.0f;
  float flashAngle = 0.0f;
  bool orbit = true;
  bool env = false;
  bool light = false;
  bool atmo = false;
  bool wire = false;
  bool depth = false;
  bool mask = false;
  bool flash = false;
  bool flashOn = false;
  bool rnd = false;
  bool sys = false;
  bool uranmoon = false;
  bool farpos = false;
  bool specular = false;
  bool ring = false;
  bool moon = false;
  SceneObject* parent = nullptr; // not owned; null when "parent" found nothing
  Vec3 anchor{0.0f, 0.0f, 0.0f};
  float moonAngle = 0.0f;
  float moonScale = 0.5f;
  // Where a "uranmoon" satellite last was relative to its parent; kept while
  // the parent sits on the y axis, where its orbit plane is undefined.
  Vec3 satelliteOffset{0.0f, 0.0f, 0.0f};
};

// Carried from one sphere block to the next within an object file; reset by
// LoadObjectFile at the start of every file.
extern float SphereMoonCounter;
extern float SphereFlashCounter;
extern bool SphereLastTga;
void ResetSphereGlobals();
