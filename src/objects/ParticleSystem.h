// The particle system: a fixed number of textured sprites moved by one of
// three built-in motions: Line (a continuous jet along -z), Circ (bursts
// every two to three seconds near a random point of a sphere around point1)
// and Flash (lightning: a jagged chain far from point1 along which a bright
// pulse runs, with a flickering flash quad at its middle). Particle places are
// relative to the object's position.
#pragma once
#include <cstdint>
#include <vector>

#include "scene/SceneObject.h"

class ParticleSystemObject : public SceneObject {
public:
  // None: the block named no motion; such a system neither moves nor draws.
  enum class Motion { None, Line, Circ, Flash };

  // Draws the spin phase: phase = 360 r / 32767 for one Rand() value r.
  ParticleSystemObject();
  ~ParticleSystemObject() override;

  // Creates n particles scattered on a sphere of radius 250 around position,
  // moving along -z at 1000 units per second, with random ages; timer and
  // interval become 0. A count of 0 or less leaves no particles; a count
  // above MaxParticles is cut to it.
  void SetDensity(int n);

  // The most particles one system holds: scripts are untrusted, and a huge
  // count would exhaust memory (and overflow the pulse's range 2n).
  static constexpr int MaxParticles = 100000;

  // Draws the sprites. Leaves the bound texture and the current colour
  // changed; everything else returns to the frame's default state.
  void Render(const Camera& camera) override;
  // Moves the particles and runs the motion.
  void Update(double elapsed) override;

  // True when the system has a motion and particles to move and draw.
  bool Active() const { return motion != Motion::None && count > 0; }

  // The phase u = timer / interval of the burst or tick cycle, 0 while
  // interval is 0 (before the first burst).
  float CyclePhase() const;
  // Alpha of a Line particle: 1 - age / lifetime, 0 for a lifetime of 0.
  float LineAlpha(int i) const;
  // Alpha of the glow square and of Circ particles, 1 - |2u - 1|, 0 while
  // interval is 0.
  float CycleAlpha() const;
  // Alpha of Flash particle i before its random brightening of up to 0.4:
  // 1 - |pulse - i| / n.
  float FlashBaseAlpha(int i) const;

  int32_t count = 0;
  std::vector<Vec3> particlePos;
  std::vector<Vec3> particleVel;
  std::vector<Vec3> particleAcc;
  std::vector<float> particleAge;
  std::vector<float> particleLife;
  float size = 2.0f;
  float phase = 0.0f;
  Motion motion = Motion::None;
  float interval = 0.0f;
  float timer = 0.0f;
  int32_t pulse = 0;
  Vec3 point1{0.0f, 0.0f, 0.0f};
};
