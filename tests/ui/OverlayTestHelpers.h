// Helpers of the overlay and loading-screen tests: a glyph atlas whose 16
// cells are solid colours that tell them apart, and reading glyphs back.
#pragma once
#include <GL/gl.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "resources/TextureCatalogue.h"
#include "shell/Settings.h"
#include "support/GlTestContext.h"
#include "ui/Overlay.h"

namespace overlaytest {

// Cell q of the atlas is (CellRed(q), 255, 0).
inline int CellRed(int q) { return 16 + 15 * q; }

// A 256 x 256 atlas of 64-pixel cells, rows of cells counted from the top of
// the picture (the buffer is bottom-up, as uploads take it).
inline std::vector<uint8_t> AtlasPixels() {
  std::vector<uint8_t> pixels(256 * 256 * 3);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      const int q = ((255 - y) / 64) * 4 + x / 64;
      uint8_t* p = &pixels[(y * 256 + x) * 3];
      p[0] = static_cast<uint8_t>(CellRed(q));
      p[1] = 255;
      p[2] = 0;
    }
  return pixels;
}

// Puts the atlas into the global catalogue as "textures\c.jpg" (needs a
// current context) and builds the glyphs.
struct AtlasInCatalogue {
  AtlasInCatalogue() {
    entry = new TextureEntry;
    snprintf(entry->path, sizeof entry->path, "textures\\c.jpg");
    std::vector<uint8_t> pixels = AtlasPixels();
    entry->textureName = UploadImage(3, GL_RGB, 256, 256, pixels.data());
    Textures.PushBack(entry);
    BuildDigitGlyphs();
  }
  ~AtlasInCatalogue() {
    Textures.Clear();
    delete entry;
  }
  TextureEntry* entry;
};

// The frame's default blending on a black picture.
inline void BlackFrame() {
  glClearColor(0, 0, 0, 0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_LIGHTING);
  glEnable(GL_TEXTURE_2D);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

// The glyph character whose cell colour the pixel shows, '?' for none.
inline char GlyphAt(const GlTestContext& gl, int x, int y) {
  GlTestContext::Rgba p = gl.Pixel(x, y);
  if (p.g < 200 || p.b > 40)
    return '?';
  for (int q = 0; q < 16; ++q)
    if (std::abs(p.r - CellRed(q)) <= 4)
      return static_cast<char>('0' + q);
  return '?';
}

inline bool Black(const GlTestContext& gl, int x, int y) {
  GlTestContext::Rgba p = gl.Pixel(x, y);
  return p.r < 8 && p.g < 8 && p.b < 8;
}

// The glyph characters drawn from (x0, y0) on in window pixels, for glyphs of
// `size` pixels with an advance of `advance` pixels, read at the middle of
// each glyph's own (not overlapped) part; stops at the first place without one.
inline std::string ReadGlyphs(const GlTestContext& gl, double x0, double y0, double size,
                              double advance, int max = 12) {
  std::string text;
  for (int k = 0; k < max; ++k) {
    const int x = static_cast<int>(x0 + advance * k + size * 0.5);
    const int y = static_cast<int>(y0 + size * 0.5);
    if (x >= gl.width)
      break;
    const char c = GlyphAt(gl, x, y);
    if (c == '?')
      break;
    text += c;
  }
  return text;
}

} // namespace overlaytest
