// Paints the pictures of the user interface as PNG files (8-bit RGBA, rows
// top down) into <out>:
//   preview.png  155 x 115  the picture of the preview pane
//   dialog.png   263 x 179  the configuration dialog's decoration
//   icon.png      64 x 64   the program's icon
// Each is a small view of the scene: stars, a ringed planet lit by a sun.
// Usage: gen_ui <out>
#include "GenCommon.h"
#include "Strokes.h"

#include <algorithm>
#include <cstdio>
#include <string>

using namespace gen;

namespace {

Rgb Scale3(Rgb c, float k) { return {c.r * k, c.g * k, c.b * k}; }

// A ringed planet of radius `pr` (pixels) at (cx, cy), lit from the upper
// left, over stars and a sun glow; `stars` sets how many.
Image Scene(int w, int h, float cx, float cy, float pr, int stars, bool sun) {
  Image img(w, h);
  Noise n(601);
  Lcg rng(602);
  for (int i = 0; i < stars; ++i)
    img.Splat(rng.Range(0, w), rng.Range(0, h), rng.Range(0.35f, 0.7f), {0.9f, 0.92f, 1.0f},
              0.3f + 1.2f * std::pow(rng.Uniform(), 5.0f), false);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      float* p = img.At(x, y);
      float u = (x + 0.5f) / w, v = (y + 0.5f) / h;
      float neb = SmoothStep(0.1f, 0.7f, n.Fbm(u * 3, v * 3, 0.4f, 5));
      p[0] += 0.16f * neb, p[1] += 0.04f * neb, p[2] += 0.2f * neb;
      if (sun) {
        float dx = x - w * 0.12f, dy = y - h * 0.12f;
        float r = std::sqrt(dx * dx + dy * dy) / w;
        float k = std::exp(-r * 9) * 0.9f + std::exp(-r * r * 900) * 1.5f;
        p[0] += k, p[1] += k * 0.8f, p[2] += k * 0.5f;
      }
    }
  // Ring behind, planet, ring in front: the ring is a tilted ellipse.
  auto ringAt = [&](float x, float y, bool& front) {
    float dx = (x - cx) / pr, dy = (y - cy) / pr;
    float ru = dx * 0.95f + dy * 0.31f, rv = (-dx * 0.31f + dy * 0.95f) / 0.3f;
    front = rv > 0;
    float rr = std::sqrt(ru * ru + rv * rv);
    if (rr < 1.35f || rr > 2.2f)
      return 0.0f;
    float k = 0.6f + 0.4f * std::sin(rr * 40);
    if (rr > 1.78f && rr < 1.86f)
      k *= 0.15f;
    return k * SmoothStep(1.35f, 1.45f, rr) * SmoothStep(2.2f, 2.1f, rr);
  };
  Rgb ringColor{0.9f, 0.8f, 0.62f};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      float fx = x + 0.5f, fy = y + 0.5f;
      float* p = img.At(x, y);
      bool front;
      float ring = ringAt(fx, fy, front);
      Rgb c{p[0], p[1], p[2]};
      if (!front)
        c = Mix(c, ringColor, 0.85f * ring);
      float dx = (fx - cx) / pr, dy = (fy - cy) / pr, r2 = dx * dx + dy * dy;
      float edge = Clamp01((1 - std::sqrt(r2)) * pr + 0.5f);
      if (edge > 0) {
        float nz = std::sqrt(std::max(0.0f, 1 - r2));
        float lit = Clamp01(-0.55f * dx - 0.45f * dy + 0.7f * nz);
        float band = 0.5f + 0.5f * std::sin(dy * 14 + 1.5f * n.Fbm(dx * 2, dy * 7, 0.2f, 4));
        Rgb surface = Mix(Rgb{0.55f, 0.36f, 0.22f}, Rgb{0.95f, 0.84f, 0.62f}, band);
        surface = Scale3(surface, 0.04f + lit);
        c = Mix(c, surface, edge);
        float rim = std::exp(-(1 - std::sqrt(r2)) * pr * 0.25f) * lit;
        c.r += 0.15f * rim, c.g += 0.3f * rim, c.b += 0.6f * rim;
      }
      if (front)
        c = Mix(c, Scale3(ringColor, 0.9f), 0.85f * ring);
      p[0] = c.r, p[1] = c.g, p[2] = c.b, p[3] = 1;
    }
  return img;
}

bool Ok = true;

} // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: gen_ui <out>\n");
    return 2;
  }
  std::string out = argv[1];
  Image preview = Scene(155, 115, 92, 64, 26, 120, true);
  Ok = WritePng(out + "/preview.png", preview) && Ok;
  Image dialog = Scene(263, 179, 160, 84, 40, 260, true);
  DrawText(dialog, "NIMBREL", 20, 168, 16, 22, 22, 1.6f, 2.5f, {1, 1, 1}, {0.4f, 0.65f, 1.0f});
  for (float& v : dialog.px)
    v = std::min(v, 1.0f);
  Ok = WritePng(out + "/dialog.png", dialog) && Ok;
  Image icon = Scene(64, 64, 32, 32, 15, 25, false);
  Ok = WritePng(out + "/icon.png", icon) && Ok;
  return Ok ? 0 : 1;
}
