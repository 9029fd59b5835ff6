#include "support/GlTestContext.h"

#include <GL/gl.h>
#include <cstdio>

#include "platform/OffscreenGl.h"

GlTestContext::GlTestContext(int w, int h)
    : width(w), height(h), gl(std::make_unique<OffscreenGl>()) {
  if (gl->Create(w, h, "test") != OffscreenGlError::None) {
    fprintf(stderr, "GlTestContext: %s\n", SDL_GetError());
    return;
  }
  glViewport(0, 0, w, h);
}

GlTestContext::~GlTestContext() = default;

bool GlTestContext::ok() const { return gl->Ready(); }

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
