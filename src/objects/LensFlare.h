// The lens flare: the glare of a bright light seen through a camera lens. The
// flare projects its position to the window, reads the depth buffer there to
// learn whether anything already drawn hides it, fades in while it is seen and
// out while it is hidden, and draws in window pixels a spinning glow and,
// with "lenseffect", three faint streaks and a chain of 23 tinted elements
// along the line from the light through the window centre. Flares belong in a
// list drawn after everything that may hide them.
#pragma once
#include <cstdint>

#include "scene/SceneObject.h"

class FlareObject : public SceneObject {
public:
  FlareObject();
  ~FlareObject() override;

  // Occlusion test, then the drawing. Leaves the bound texture and the current
  // colour changed; everything else returns to the frame's default state.
  void Render(const Camera& camera) override;
  // Fading towards the last occlusion result, spin and flicker.
  void Update(double elapsed) override;

  // The focus factor for a camera looking along `look`: 1 without "focus";
  // otherwise how directly `look` points along anchor, 0 below the threshold.
  float FocusFactor(const Vec3& look) const;

  float fade = 0.0f;        // current brightness
  float glowSize = 10.0f;   // half height of the glow, pixels
  float elementSize = 5.0f; // unit half size of the lens elements, pixels
  float fadeIn = 6.0f;      // per second
  float fadeOut = 6.0f;     // per second
  float fov = 0.1f;         // near-plane half height of the background frustum
  float angle = 0.0f;       // spin of the glow, degrees
  float spinSpeed = 24.0f;  // degrees per second
  float xy = 1.0f;          // width-to-height ratio of the glow
  float flickerTimer = 0.0f;
  float flickerDimEnd = 0.0f;
  float flickerCycleEnd = 0.0f;
  float flickerAmount = 0.0f; // upper bound of each flicker phase, seconds
  float focusThreshold = 0.0f;
  float lumin = 1.0f;
  SceneObject* parentObject = nullptr; // not owned
  bool unoccluded = false;
  bool lensEffect = false;
  bool env = false;
  bool useFocus = false;
  bool orient = false;
  Vec3 anchor{0.0f, 0.0f, 0.0f};        // offset from the parent or from the viewer
  Vec3 orientPoint{0.0f, 0.0f, 0.0f};   // window pixels
  uint32_t lensTextures[3] = {0, 0, 0}; // 0 (no texture) when not in the catalogue
};
