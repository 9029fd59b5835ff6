#include "ui/Overlay.h"

#include "platform/Clock.h"
#include "resources/TextureCatalogue.h"
#include "shell/Settings.h"

#include <GL/gl.h>
#include <cstdio>
#include <cstring>

uint32_t GlyphAtlasTexture = 0;
uint32_t FirstGlyphList = 0;

namespace {

void BeginOverlaySpace(double right, double top) {
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0, right, 0, top, -1, 1);
  glViewport(0, 0, static_cast<GLsizei>(Settings.Width), static_cast<GLsizei>(Settings.Height));
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
}

} // namespace

void BeginOverlay() { BeginOverlaySpace(800, 600); }

void BeginPixelOverlay() { BeginOverlaySpace(Settings.Width, Settings.Height); }

void EndOverlay() {
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_LIGHTING);
}

void BuildDigitGlyphs() {
  TextureEntry* atlas = Textures.Find("textures\\c.jpg");
  GlyphAtlasTexture = atlas ? atlas->textureName : 0;
  FirstGlyphList = glGenLists(GlyphCount);
  glBindTexture(GL_TEXTURE_2D, GlyphAtlasTexture);
  for (int q = 0; q < GlyphCount; ++q) {
    const int column = q % 4;
    const int row = q / 4;
    const float s0 = column / 4.0f;
    const float t1 = 1.0f - row / 4.0f;
    glNewList(FirstGlyphList + q, GL_COMPILE);
    glBegin(GL_QUADS);
    glTexCoord2f(s0, t1 - 0.25f);
    glVertex2i(0, 0);
    glTexCoord2f(s0 + 0.25f, t1 - 0.25f);
    glVertex2i(GlyphSize, 0);
    glTexCoord2f(s0 + 0.25f, t1);
    glVertex2i(GlyphSize, GlyphSize);
    glTexCoord2f(s0, t1);
    glVertex2i(0, GlyphSize);
    glEnd();
    glTranslatef(GlyphAdvance, 0, 0);
    glEndList();
  }
}

void DrawGlyphText(int x, int y, const char* text) {
  glTranslatef(static_cast<GLfloat>(x), static_cast<GLfloat>(y), 0);
  // Only the 13 glyph characters call a list: any other code would name a
  // display list that is not a glyph (or someone else's).
  signed char glyphs[128];
  GLsizei count = 0;
  for (const char* c = text; *c && count < static_cast<GLsizei>(sizeof glyphs); ++c) {
    const signed char code = static_cast<signed char>(*c);
    if (code >= '0' && code < '0' + GlyphCount)
      glyphs[count++] = code;
  }
  glListBase(FirstGlyphList - '0');
  glCallLists(count, GL_BYTE, glyphs);
}

void DrawFps(int value) {
  glLoadIdentity();
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glColor4f(1, 1, 1, 1);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glBindTexture(GL_TEXTURE_2D, GlyphAtlasTexture);
  char text[16];
  snprintf(text, sizeof text, "%d", value);
  DrawGlyphText(4, 558, text);
}

int FormatClockText(int hour, int minute, int second, bool twelveHour, char out[16]) {
  bool afternoon = hour == 12;
  if (twelveHour) {
    if (hour == 0) {
      hour = 12;
    } else if (hour > 12) {
      hour -= 12;
      afternoon = true;
    }
  }
  // Two digits each for values in range; the buffer holds anything an int
  // could print, so odd values are cut, never overflowed.
  char text[64];
  int n = snprintf(text, sizeof text, "%s%d:%s%d:%s%d%s", hour < 10 ? "0" : "", hour,
                   minute < 10 ? "0" : "", minute, second < 10 ? "0" : "", second,
                   twelveHour ? (afternoon ? "<" : ";") : "");
  if (n < 0)
    n = 0;
  if (n > 15)
    n = 15;
  memcpy(out, text, static_cast<size_t>(n));
  out[n] = 0;
  return n;
}

void DrawClock() {
  BeginOverlay();
  glLoadIdentity();
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glEnable(GL_ALPHA_TEST);
  glAlphaFunc(GL_ALWAYS, 0);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);

  int hour = 0, minute = 0, second = 0;
  GetLocalTimeOfDay(&hour, &minute, &second);
  glBindTexture(GL_TEXTURE_2D, GlyphAtlasTexture);
  glColor4f(1, 1, 1, 1);

  char text[16];
  FormatClockText(hour, minute, second, Settings.TimeFormat, text);
  glEnable(GL_BLEND);
  DrawGlyphText(525, 2, text);
  EndOverlay();
}

void DrawCenteredQuad(float cx, float cy, float hw, float hh) {
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0);
  glVertex2f(cx - hw, cy - hh);
  glTexCoord2f(1, 0);
  glVertex2f(cx + hw, cy - hh);
  glTexCoord2f(1, 1);
  glVertex2f(cx + hw, cy + hh);
  glTexCoord2f(0, 1);
  glVertex2f(cx - hw, cy + hh);
  glEnd();
}
