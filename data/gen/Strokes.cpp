#include "Strokes.h"

#include <algorithm>
#include <cmath>

namespace gen {

namespace {

Polyline Oval(float cx, float cy, float rx, float ry) {
  Polyline p;
  for (int i = 0; i <= 32; ++i) {
    float a = 2 * Pi * i / 32;
    p.push_back({cx + rx * std::cos(a), cy + ry * std::sin(a)});
  }
  return p;
}

// Seven segments: a top, b top right, c bottom right, d bottom, e bottom
// left, f top left, g middle.
std::vector<Polyline> Segments(const char* on) {
  std::vector<Polyline> out;
  const float l = 0.08f, r = 0.92f, t = 0.96f, m = 0.5f, b = 0.04f, gap = 0.07f;
  for (const char* s = on; *s; ++s) {
    switch (*s) {
    case 'a':
      out.push_back({{l + gap, t}, {r - gap, t}});
      break;
    case 'b':
      out.push_back({{r, t - gap}, {r, m + gap}});
      break;
    case 'c':
      out.push_back({{r, m - gap}, {r, b + gap}});
      break;
    case 'd':
      out.push_back({{l + gap, b}, {r - gap, b}});
      break;
    case 'e':
      out.push_back({{l, m - gap}, {l, b + gap}});
      break;
    case 'f':
      out.push_back({{l, t - gap}, {l, m + gap}});
      break;
    case 'g':
      out.push_back({{l + gap, m}, {r - gap, m}});
      break;
    }
  }
  return out;
}

float SegmentDistance(float px, float py, float ax, float ay, float bx, float by) {
  float dx = bx - ax, dy = by - ay;
  float len2 = dx * dx + dy * dy;
  float t = len2 > 0 ? ((px - ax) * dx + (py - ay) * dy) / len2 : 0;
  t = std::clamp(t, 0.0f, 1.0f);
  float ex = ax + t * dx - px, ey = ay + t * dy - py;
  return std::sqrt(ex * ex + ey * ey);
}

} // namespace

std::vector<Polyline> Glyph(char c) {
  switch (c) {
  case '0':
    return Segments("abcdef");
  case '1':
    return Segments("bc");
  case '2':
    return Segments("abged");
  case '3':
    return Segments("abgcd");
  case '4':
    return Segments("fgbc");
  case '5':
    return Segments("afgcd");
  case '6':
    return Segments("afgedc");
  case '7':
    return Segments("abc");
  case '8':
    return Segments("abcdefg");
  case '9':
    return Segments("abcdfg");
  case ':':
    return {Oval(0.5f, 0.28f, 0.05f, 0.05f), Oval(0.5f, 0.72f, 0.05f, 0.05f)};
  case 'A':
    return {{{0, 0}, {0.5f, 1}, {1, 0}}, {{0.22f, 0.42f}, {0.78f, 0.42f}}};
  case 'B':
    return {{{0, 0}, {0, 1}, {0.65f, 1}, {0.85f, 0.9f}, {0.85f, 0.62f}, {0.65f, 0.52f}, {0, 0.52f}},
            {{0.65f, 0.52f}, {0.92f, 0.4f}, {0.92f, 0.12f}, {0.7f, 0}, {0, 0}}};
  case 'D':
    return {{{0, 0}, {0, 1}, {0.55f, 1}, {0.92f, 0.75f}, {0.92f, 0.25f}, {0.55f, 0}, {0, 0}}};
  case 'E':
    return {{{0.9f, 1}, {0, 1}, {0, 0}, {0.9f, 0}}, {{0, 0.5f}, {0.7f, 0.5f}}};
  case 'G':
    return {{{0.92f, 0.82f},
             {0.7f, 1},
             {0.3f, 1},
             {0, 0.72f},
             {0, 0.28f},
             {0.3f, 0},
             {0.7f, 0},
             {0.95f, 0.2f},
             {0.95f, 0.45f},
             {0.55f, 0.45f}}};
  case 'I':
    return {{{0.5f, 0}, {0.5f, 1}}, {{0.25f, 1}, {0.75f, 1}}, {{0.25f, 0}, {0.75f, 0}}};
  case 'L':
    return {{{0, 1}, {0, 0}, {0.85f, 0}}};
  case 'M':
    return {{{0, 0}, {0, 1}, {0.5f, 0.35f}, {1, 1}, {1, 0}}};
  case 'N':
    return {{{0, 0}, {0, 1}, {1, 0}, {1, 1}}};
  case 'O':
    return {Oval(0.5f, 0.5f, 0.5f, 0.5f)};
  case 'P':
    return {{{0, 0}, {0, 1}, {0.7f, 1}, {0.92f, 0.86f}, {0.92f, 0.64f}, {0.7f, 0.5f}, {0, 0.5f}}};
  case 'R':
    return {{{0, 0}, {0, 1}, {0.7f, 1}, {0.92f, 0.86f}, {0.92f, 0.64f}, {0.7f, 0.5f}, {0, 0.5f}},
            {{0.45f, 0.5f}, {0.95f, 0}}};
  default:
    return {};
  }
}

void DrawGlyph(Image& image, char c, float x, float y, float w, float h, float thick, float glow,
               Rgb core, Rgb halo) {
  std::vector<Polyline> strokes = Glyph(c);
  if (strokes.empty())
    return;
  float reach = thick + 3 * glow + 2;
  int x0 = std::max(0, static_cast<int>(x - reach)),
      x1 = std::min(image.width - 1, static_cast<int>(x + w + reach));
  int y0 = std::max(0, static_cast<int>(y - h - reach)),
      y1 = std::min(image.height - 1, static_cast<int>(y + reach));
  for (int py = y0; py <= y1; ++py)
    for (int px = x0; px <= x1; ++px) {
      float fx = px + 0.5f, fy = py + 0.5f;
      float d = 1e9f;
      for (const Polyline& line : strokes)
        for (size_t i = 1; i < line.size(); ++i)
          d = std::min(d, SegmentDistance(fx, fy, x + line[i - 1].first * w,
                                          y - line[i - 1].second * h, x + line[i].first * w,
                                          y - line[i].second * h));
      float coreAmount = Clamp01(thick + 0.5f - d);
      float haloAmount = glow > 0 ? std::exp(-(d * d) / (2 * glow * glow)) * 0.6f : 0;
      float* p = image.At(px, py);
      p[0] = std::max(p[0], core.r * coreAmount + halo.r * haloAmount);
      p[1] = std::max(p[1], core.g * coreAmount + halo.g * haloAmount);
      p[2] = std::max(p[2], core.b * coreAmount + halo.b * haloAmount);
      p[3] = std::max(p[3], std::max(coreAmount, haloAmount));
    }
}

float DrawText(Image& image, const char* text, float x, float y, float w, float h, float advance,
               float thick, float glow, Rgb core, Rgb halo) {
  for (const char* s = text; *s; ++s) {
    DrawGlyph(image, *s, x, y, w, h, thick, glow, core, halo);
    x += advance;
  }
  return x;
}

} // namespace gen
