// An offscreen OpenGL context for tests that render and read pixels back.
// Uses SDL's offscreen video driver (EGL + Mesa), so no display is needed.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

class OffscreenGl;

class GlTestContext {
public:
  // Creates a width x height double-buffered context with depth and stencil
  // and makes it current. ok() tells whether that worked.
  GlTestContext(int width = 320, int height = 240);
  ~GlTestContext();
  bool ok() const;

  // RGBA pixel at (x, y), origin at the bottom left, from the back buffer.
  struct Rgba {
    uint8_t r, g, b, a;
  };
  Rgba Pixel(int x, int y) const;
  // The whole back buffer, bottom row first, 4 bytes per pixel.
  std::vector<uint8_t> ReadAll() const;

  int width, height;

private:
  std::unique_ptr<OffscreenGl> gl;
};

// Skips the current test when no offscreen context can be made.
#define REQUIRE_GL(ctx)                                                                            \
  do {                                                                                             \
    if (!(ctx).ok())                                                                               \
      GTEST_SKIP() << "no offscreen OpenGL context on this machine";                               \
  } while (0)
