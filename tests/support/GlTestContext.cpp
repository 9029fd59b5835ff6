#include "support/GlTestContext.h"

#include <SDL2/SDL.h>
#include <GL/gl.h>
#include <cstdio>
#include <cstdlib>

GlTestContext::GlTestContext(int w, int h) : width(w), height(h) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    fprintf(stderr, "GlTestContext: %s\n", SDL_GetError());
    return;
  }
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_Window* win = SDL_CreateWindow("test", 0, 0, w, h, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (!win) {
    fprintf(stderr, "GlTestContext: %s\n", SDL_GetError());
    return;
  }
  SDL_GLContext ctx = SDL_GL_CreateContext(win);
  if (!ctx) {
    fprintf(stderr, "GlTestContext: %s\n", SDL_GetError());
    SDL_DestroyWindow(win);
    return;
  }
  SDL_GL_MakeCurrent(win, ctx);
  window = win;
  context = ctx;
  glViewport(0, 0, w, h);
}

GlTestContext::~GlTestContext() {
  if (context) {
    SDL_GL_MakeCurrent(static_cast<SDL_Window*>(window), nullptr);
    SDL_GL_DeleteContext(static_cast<SDL_GLContext>(context));
  }
  if (window)
    SDL_DestroyWindow(static_cast<SDL_Window*>(window));
}

GlTestContext::Rgba GlTestContext::Pixel(int x, int y) const {
  Rgba p{};
  glFinish();
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, &p);
  return p;
}

std::vector<uint8_t> GlTestContext::ReadAll() const {
  std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
  glFinish();
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  return pixels;
}
