// A tiny stroke alphabet for the clock glyphs, the loading pictures and the
// program's pictures: each character is a few polylines in a unit box (x to
// the right, y up), drawn as soft, glowing lines.
#pragma once
#include "GenCommon.h"

#include <utility>
#include <vector>

namespace gen {

using Polyline = std::vector<std::pair<float, float>>;

// Strokes of an upper-case letter, a digit, ':' or a space; digits are drawn
// as seven rounded segments.
std::vector<Polyline> Glyph(char c);

// Draws a glyph into `image` with its unit box at (x, y) (pixels, y down in
// the image, the box's bottom-left corner), `w` x `h` pixels, line half
// width `thick` pixels and a glow of `glow` pixels around it.
void DrawGlyph(Image& image, char c, float x, float y, float w, float h, float thick, float glow,
               Rgb core, Rgb halo);

// Draws a string left to right; returns the x after its last character.
float DrawText(Image& image, const char* text, float x, float y, float w, float h, float advance,
               float thick, float glow, Rgb core, Rgb halo);

} // namespace gen
