#include "ui/Pictures.h"

#include <algorithm>
#include <cmath>

namespace ui {
namespace {

// A small deterministic generator for the star field.
struct Lcg {
  uint32_t state;
  uint32_t Next() {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  }
  float Unit() { return (Next() & 0xffff) / 65535.0f; }
};

uint8_t ToByte(float v) { return (uint8_t)std::clamp((int)std::lround(v * 255.0f), 0, 255); }

// A space view: a dark blue haze, stars, a banded planet lit from the upper
// left with a thin ring, and a one-pixel frame that marks the picture's edges.
Picture SpaceView(int width, int height, uint32_t seed, bool frame) {
  Picture p;
  p.width = width;
  p.height = height;
  std::vector<float> img((size_t)width * height * 3, 0.0f);
  auto put = [&](int x, int y, float r, float g, float b) {
    if (x < 0 || y < 0 || x >= width || y >= height)
      return;
    float* px = &img[((size_t)y * width + x) * 3];
    px[0] = std::max(px[0], r);
    px[1] = std::max(px[1], g);
    px[2] = std::max(px[2], b);
  };
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      float fx = (float)x / width, fy = (float)y / height;
      float haze = 0.10f * std::exp(-((fx - 0.25f) * (fx - 0.25f) + (fy - 0.7f) * (fy - 0.7f)) * 6);
      put(x, y, 0.02f + haze * 0.6f, 0.02f + haze * 0.3f, 0.06f + haze);
    }
  Lcg rng{seed};
  int stars = width * height / 60;
  for (int i = 0; i < stars; ++i) {
    int x = (int)(rng.Next() % (uint32_t)width), y = (int)(rng.Next() % (uint32_t)height);
    float v = 0.35f + 0.65f * rng.Unit() * rng.Unit();
    put(x, y, v, v, std::min(1.0f, v * 1.1f));
  }
  float cx = width * 0.62f, cy = height * 0.55f, radius = height * 0.33f;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      float dx = (x + 0.5f - cx) / radius, dy = (y + 0.5f - cy) / radius;
      float d2 = dx * dx + dy * dy;
      if (d2 > 1.0f)
        continue;
      float dz = std::sqrt(1.0f - d2);
      float light = std::max(0.0f, -0.55f * dx - 0.45f * dy + 0.7f * dz);
      float band = 0.5f + 0.5f * std::sin(dy * 9.0f + std::sin(dx * 3.0f) * 0.8f);
      float r = (0.75f + 0.2f * band) * light, g = (0.5f + 0.2f * band) * light,
            b = (0.3f + 0.1f * band) * light;
      put(x, y, r + 0.02f, g + 0.02f, b + 0.05f);
    }
  // The ring: an ellipse seen from just above its plane, in front of the planet.
  for (int i = 0; i < 2000; ++i) {
    float a = i * 6.2831853f / 2000.0f;
    for (float k = 1.45f; k <= 1.75f; k += 0.05f) {
      float rx = std::cos(a) * radius * k, ry = std::sin(a) * radius * k * 0.22f;
      float tx = rx * 0.97f - ry * 0.26f, ty = rx * 0.26f + ry * 0.97f;
      bool behind = std::sin(a) < 0 && (tx * tx + ty * ty) < radius * radius;
      if (!behind)
        put((int)(cx + tx), (int)(cy + ty), 0.55f, 0.5f, 0.45f);
    }
  }
  p.rgb.resize(img.size());
  for (size_t i = 0; i < img.size(); ++i)
    p.rgb[i] = ToByte(img[i]);
  if (frame) {
    auto set = [&](int x, int y) {
      uint8_t* px = &p.rgb[((size_t)y * width + x) * 3];
      px[0] = 0x40;
      px[1] = 0x60;
      px[2] = 0xa0;
    };
    for (int x = 0; x < width; ++x) {
      set(x, 0);
      set(x, height - 1);
    }
    for (int y = 0; y < height; ++y) {
      set(0, y);
      set(width - 1, y);
    }
  }
  return p;
}

} // namespace

const Picture& PreviewPicture() {
  static const Picture picture = SpaceView(155, 115, 112, true);
  return picture;
}

const Picture& DecorationPicture() {
  static const Picture picture = SpaceView(263, 179, 107, true);
  return picture;
}

const Picture& IconPicture() {
  static const Picture picture = SpaceView(32, 32, 111, false);
  return picture;
}

} // namespace ui
