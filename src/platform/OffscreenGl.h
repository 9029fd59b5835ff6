// A hidden window and OpenGL context for rendering without a display: the
// tests, nimbrel-render and the benchmarks draw into its back buffer and read
// the pixels back. It runs on SDL's offscreen video driver (EGL + Mesa) unless
// SDL_VIDEODRIVER already names another one.
#pragma once
#include <SDL2/SDL.h>

// Why Create failed: the video subsystem, or the window or its context.
enum class OffscreenGlError { None, Video, Context };

class OffscreenGl {
public:
  OffscreenGl() = default;
  ~OffscreenGl() { Destroy(); }
  OffscreenGl(const OffscreenGl&) = delete;
  OffscreenGl& operator=(const OffscreenGl&) = delete;

  // Starts SDL's video subsystem, then creates a hidden width x height window
  // with the saver's pixel format (8 bits each of red, green, blue and alpha,
  // 24-bit depth, 8-bit stencil, double buffered) and an OpenGL 2.1
  // compatibility context, and makes the context current. SDL_GetError()
  // tells more when it fails; nothing is left behind then but the started
  // video subsystem.
  OffscreenGlError Create(int width, int height, const char* title);
  // Releases the context and the window (the video subsystem stays up).
  void Destroy();
  bool Ready() const { return context != nullptr; }

  SDL_Window* window = nullptr;
  SDL_GLContext context = nullptr;
};
