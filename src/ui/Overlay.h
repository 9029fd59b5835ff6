// 2D overlays: the virtual 800 x 600 space and the pixel space, the
// clock glyphs from the atlas "textures\c.jpg", glyph text, the frame-rate and
// clock displays, and a centred textured rectangle.
#pragma once
#include <cstdint>

// Enter the virtual 800 x 600 space (origin bottom left, stretched over the
// window): depth test and lighting off, projection and modelview pushed.
void BeginOverlay();
// The same in window pixels (Settings.Width x Settings.Height).
void BeginPixelOverlay();
// Leave either space: pop both matrices, modelview current, depth test and
// lighting on.
void EndOverlay();

// Looks up "textures\c.jpg" in the texture catalogue and records the 13 glyph
// display lists (cells 0 to 12 of its 4 x 4 grid). Once, after the catalogue.
void BuildDigitGlyphs();
// The atlas's texture name (0 when the catalogue has no "textures\c.jpg") and
// the first of the 13 glyph lists (0 before BuildDigitGlyphs).
extern uint32_t GlyphAtlasTexture;
extern uint32_t FirstGlyphList;
// Number of glyph lists: '0' to '9', ':', ';' (morning mark), '<' (afternoon).
constexpr int GlyphCount = 13;
// Advance from one glyph to the next (40 x 0.7 in single precision); glyphs
// are 40 units wide and high.
constexpr float GlyphAdvance = 40.0f * 0.7f;
constexpr int GlyphSize = 40;

// Translates the modelview matrix by (x, y) and calls one glyph list per
// character ('0' to '<'); the translations stay on the matrix. A character
// outside the 13 glyphs draws nothing and does not advance.
void DrawGlyphText(int x, int y, const char* text);

// The frame rate at (4, 558) of the virtual space; call between BeginOverlay
// and EndOverlay. Leaves 2D texturing and blending on, blend function (source
// alpha, one), colour white, the atlas bound.
void DrawFps(int value);

// The clock text for a time of day: "HH:MM:SS" (24-hour), or with twelveHour
// the hour 1 to 12 and the mark ";" (morning) or "<" (afternoon) after it.
// Writes at most 9 characters and a NUL into out; returns the length.
int FormatClockText(int hour, int minute, int second, bool twelveHour, char out[16]);

// The local time (platform) at (525, 2) of the virtual space, in the format of
// Settings.TimeFormat; opens and closes its own overlay. Leaves alpha test on
// with the function "always", blending on with (source alpha, one), 2D
// texturing on, colour white, the atlas bound.
void DrawClock();

// One textured quad centred at (cx, cy) with half sizes hw, hh in the current
// 2D space, with the bound texture, texture coordinates 0 to 1.
void DrawCenteredQuad(float cx, float cy, float hw, float hh);
