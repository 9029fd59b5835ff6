// Paints every texture of the bundled scene into <out>/textures: planet maps
// (equirectangular, sampled from 3D noise so they have no seam and no pinch at
// the poles), the sky, glows, lens elements, sprites, station materials, the
// clock glyph atlas and the two loading pictures. Opaque pictures are JPEG;
// pictures that need an alpha channel are 32-bit TGA.
// Usage: gen_textures <out>
#include "GenCommon.h"
#include "SkyCube.h"
#include "Strokes.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>

using namespace gen;

namespace {

std::string Dir;
bool Ok = true;

void Jpeg(const char* name, const Image& image, int quality = 90) {
  Ok = WriteJpeg(Dir + "/textures/" + name, image, quality) && Ok;
}
void Tga(const char* name, const Image& image, bool rle) {
  Ok = WriteTga(Dir + "/textures/" + name, image, rle) && Ok;
}

struct Dir3 {
  float x, y, z;
};
// Direction of an equirectangular pixel; row 0 is the north pole's row.
Dir3 Direction(int px, int py, int w, int h, float& lat) {
  float lon = 2 * Pi * (px + 0.5f) / w;
  lat = Pi / 2 - Pi * (py + 0.5f) / h;
  return {std::cos(lat) * std::sin(lon), std::sin(lat), std::cos(lat) * std::cos(lon)};
}

// Fills an equirectangular map with a function of direction and latitude.
Image Planet(int w, int h, const std::function<Rgb(Dir3, float)>& f) {
  Image img(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      float lat;
      Dir3 d = Direction(x, y, w, h, lat);
      img.Set(x, y, f(d, lat));
    }
  return img;
}

// Square sprite from a function of the centred coordinates (-1..1, y up);
// the function returns colour and sets alpha.
Image Sprite(int size, const std::function<Rgb(float, float, float&)>& f) {
  Image img(size, size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      float u = (x + 0.5f) / size * 2 - 1, v = 1 - (y + 0.5f) / size * 2;
      float a = 1;
      Rgb c = f(u, v, a);
      img.Set(x, y, c, a);
    }
  return img;
}

Rgb Scale(Rgb c, float k) { return {c.r * k, c.g * k, c.b * k}; }
Rgb AddRgb(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }

// ---------------------------------------------------------------- planets

void Sun() {
  Noise n(11);
  Image img = Planet(512, 256, [&](Dir3 d, float) {
    float cells = n.Ridged(d.x * 9, d.y * 9, d.z * 9, 4);
    float big = n.Fbm(d.x * 2.5f, d.y * 2.5f, d.z * 2.5f, 4);
    float t = Clamp01(0.55f + 0.5f * big + 0.35f * (cells - 0.5f));
    return Ramp({{0.0f, {0.55f, 0.12f, 0.02f}},
                 {0.35f, {0.9f, 0.38f, 0.05f}},
                 {0.7f, {1.0f, 0.72f, 0.25f}},
                 {1.0f, {1.0f, 0.95f, 0.7f}}},
                t);
  });
  Jpeg("sun.jpg", img);
}

void GasGiant() {
  Noise n(23);
  const std::vector<RampStop> bands = {
      {0.00f, {0.78f, 0.66f, 0.50f}}, {0.12f, {0.62f, 0.45f, 0.30f}},
      {0.22f, {0.90f, 0.82f, 0.66f}}, {0.33f, {0.72f, 0.52f, 0.36f}},
      {0.42f, {0.95f, 0.88f, 0.74f}}, {0.50f, {0.80f, 0.60f, 0.42f}},
      {0.58f, {0.93f, 0.85f, 0.70f}}, {0.68f, {0.66f, 0.47f, 0.33f}},
      {0.78f, {0.88f, 0.78f, 0.62f}}, {0.88f, {0.60f, 0.46f, 0.36f}},
      {1.00f, {0.74f, 0.64f, 0.54f}}};
  Image img = Planet(1024, 512, [&](Dir3 d, float lat) {
    float warp = n.Fbm(d.x * 3, d.y * 12, d.z * 3, 5);
    float fine = n.Fbm(d.x * 20, d.y * 60, d.z * 20, 3);
    float s = std::sin(lat) * 0.5f + 0.5f + 0.035f * warp + 0.006f * fine;
    Rgb c = Ramp(bands, Clamp01(s));
    // Deepen the bands a little round a mid grey, for contrast.
    c = {0.62f + 1.25f * (c.r - 0.62f), 0.5f + 1.25f * (c.g - 0.5f), 0.38f + 1.25f * (c.b - 0.38f)};
    // A great storm south of the equator.
    float lon = std::atan2(d.x, d.z);
    float ex = (lon - 0.9f) / 0.3f, ey = (lat + 0.38f) / 0.11f;
    float r = std::sqrt(ex * ex + ey * ey);
    if (r < 1.6f) {
      float swirl = 0.5f + 0.5f * std::sin(6 * r + 3 * std::atan2(ey, ex) + 4 * warp);
      float k = SmoothStep(1.6f, 0.7f, r);
      c = Mix(c, Mix(Rgb{0.78f, 0.36f, 0.20f}, Rgb{0.95f, 0.7f, 0.5f}, swirl * 0.6f), k);
    }
    float shade = 0.92f + 0.08f * fine;
    return Scale(c, shade);
  });
  Jpeg("giant.jpg", img);
}

// The ring: u runs round the ring, v from the inner to the outer edge, so
// every row of the picture is one colour: run-length encoding packs it tight.
void Ring() {
  Noise n(31);
  Image img(256, 256);
  for (int y = 0; y < 256; ++y) {
    float v = 1 - (y + 0.5f) / 256; // row 0 is the top of the picture: v = 1
    float grain = n.Fbm(v * 60, 0.5f, 0.5f, 4);
    // A faint inner ring, a dense middle one, a gap, an outer ring with a
    // narrow gap of its own, and a thin ringlet at the edge.
    float density = 0.22f * SmoothStep(0.0f, 0.05f, v) * SmoothStep(0.27f, 0.22f, v) +
                    0.95f * SmoothStep(0.22f, 0.28f, v) * SmoothStep(0.56f, 0.53f, v) +
                    0.65f * SmoothStep(0.6f, 0.63f, v) * SmoothStep(0.9f, 0.87f, v) +
                    0.5f * std::exp(-(v - 0.955f) * (v - 0.955f) / 0.00012f);
    density *= 0.75f + 0.5f * grain;
    density *= 1 - 0.85f * std::exp(-(v - 0.8f) * (v - 0.8f) / 0.00008f);
    Rgb c = Mix(Rgb{0.55f, 0.5f, 0.46f}, Rgb{0.93f, 0.82f, 0.64f}, SmoothStep(0.15f, 0.4f, v));
    c = Mix(c, Rgb{0.78f, 0.68f, 0.56f}, SmoothStep(0.6f, 0.8f, v));
    c = Scale(c, 0.9f + 0.2f * grain);
    for (int x = 0; x < 256; ++x)
      img.Set(x, y, c, Clamp01(density * 0.85f));
  }
  Tga("ring.tga", img, true);
}

void Terra() {
  Noise n(41), m(43);
  Image img = Planet(1024, 512, [&](Dir3 d, float lat) {
    float e = n.Fbm(d.x * 2.2f, d.y * 2.2f, d.z * 2.2f, 7) + 0.08f;
    float moist = m.Fbm(d.x * 3, d.y * 3, d.z * 3, 4);
    float alat = std::fabs(lat) / (Pi / 2);
    Rgb c;
    if (e < 0) {
      c = Mix(Rgb{0.02f, 0.07f, 0.22f}, Rgb{0.06f, 0.25f, 0.45f}, SmoothStep(-0.35f, 0.0f, e));
    } else {
      Rgb lush{0.12f, 0.32f, 0.10f}, dry{0.62f, 0.50f, 0.30f}, rock{0.42f, 0.36f, 0.30f};
      c = Mix(dry, lush, SmoothStep(-0.15f, 0.25f, moist + 0.3f * (alat - 0.3f)));
      c = Mix(c, rock, SmoothStep(0.18f, 0.4f, e));
      c = Mix(c, Rgb{0.92f, 0.92f, 0.95f}, SmoothStep(0.42f, 0.5f, e));
    }
    float ice = SmoothStep(0.74f, 0.8f, alat + 0.08f * moist);
    return Mix(c, Rgb{0.9f, 0.94f, 1.0f}, ice);
  });
  Jpeg("terra.jpg", img);
}

void Clouds() {
  Noise n(53);
  Image img(512, 256);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 512; ++x) {
      float lat;
      Dir3 d = Direction(x, y, 512, 256, lat);
      float w = n.Fbm(d.x * 2, d.y * 2, d.z * 2, 3);
      float c = n.Fbm(d.x * 4 + w, d.y * 6, d.z * 4 - w, 6);
      float a = SmoothStep(0.0f, 0.45f, c + 0.05f * std::cos(3 * lat));
      img.Set(x, y, {1, 1, 1}, a * 0.95f);
    }
  Tga("clouds.tga", img, false);
}

// Night lights: clusters of warm points on black, flashed on the night side.
void Lights() {
  Noise n(61);
  Lcg rng(62);
  Image img(512, 256);
  for (int i = 0; i < 2600; ++i) {
    float x = rng.Range(0, 512), y = rng.Range(20, 236);
    float lat = Pi / 2 - Pi * y / 256, lon = 2 * Pi * x / 512;
    float city = n.Fbm(std::cos(lat) * std::sin(lon) * 5, std::sin(lat) * 5,
                       std::cos(lat) * std::cos(lon) * 5, 3);
    if (city < 0.05f)
      continue;
    float b = rng.Range(0.4f, 1.0f);
    Rgb c = Mix(Rgb{1.0f, 0.55f, 0.15f}, Rgb{1.0f, 0.9f, 0.6f}, rng.Uniform());
    img.Splat(x, y, rng.Range(0.5f, 1.1f), c, b * 1.6f, true, 1 / std::max(0.2f, std::cos(lat)));
  }
  for (float& v : img.px)
    v = std::min(v, 1.0f);
  Jpeg("lights.jpg", img);
}

void Rocky(const char* name, uint32_t seed, Rgb dark, Rgb light, float craters) {
  Noise n(seed);
  Lcg rng(seed + 1);
  struct Crater {
    Dir3 c;
    float r;
  };
  std::vector<Crater> list;
  for (int i = 0; i < 90; ++i) {
    float z = rng.Range(-1, 1), a = rng.Range(0, 2 * Pi), s = std::sqrt(1 - z * z);
    list.push_back(
        {{s * std::cos(a), z, s * std::sin(a)}, 0.02f + 0.12f * std::pow(rng.Uniform(), 3.0f)});
  }
  Image img = Planet(512, 256, [&](Dir3 d, float) {
    float t = 0.5f + 0.5f * n.Fbm(d.x * 3, d.y * 3, d.z * 3, 6);
    float shade = 0;
    for (const Crater& k : list) {
      float dx = d.x - k.c.x, dy = d.y - k.c.y, dz = d.z - k.c.z;
      float r = std::sqrt(dx * dx + dy * dy + dz * dz) / k.r;
      if (r < 1.3f)
        shade += (r < 1 ? -0.25f * (1 - r * r) : 0) + 0.35f * std::exp(-40 * (r - 1) * (r - 1));
    }
    return Scale(Mix(dark, light, Clamp01(t)), 1 + craters * shade);
  });
  Jpeg(name, img);
}

void Ember() {
  Noise n(71);
  Image img = Planet(512, 256, [&](Dir3 d, float) {
    float crust = n.Fbm(d.x * 4, d.y * 4, d.z * 4, 6);
    float cracks = n.Ridged(d.x * 6, d.y * 6, d.z * 6, 4);
    Rgb rock = Mix(Rgb{0.12f, 0.08f, 0.07f}, Rgb{0.30f, 0.22f, 0.18f}, Clamp01(0.5f + crust));
    float lava = SmoothStep(0.78f, 0.95f, cracks);
    return Mix(rock, Rgb{1.0f, 0.45f, 0.08f}, lava);
  });
  Jpeg("ember.jpg", img);
}

Image Flat(Rgb c) {
  Image img(256, 256);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x)
      img.Set(x, y, c);
  return img;
}

// ---------------------------------------------------------------- sky

void Sky() {
  Noise n(101), m(103);
  Image img(SkyWidth, SkyHeight);
  // The galactic plane: a great circle tilted against the equator.
  Dir3 pole{0.35f, 0.82f, -0.45f};
  float pl = std::sqrt(pole.x * pole.x + pole.y * pole.y + pole.z * pole.z);
  pole = {pole.x / pl, pole.y / pl, pole.z / pl};
  auto band = [&](Dir3 d) {
    float s = d.x * pole.x + d.y * pole.y + d.z * pole.z;
    return std::exp(-s * s / (2 * 0.16f * 0.16f));
  };
  auto direction = [](const SkyFace& f, float a, float b) {
    Dir3 d{f.n[0] + a * f.s[0] + b * f.t[0], f.n[1] + a * f.s[1] + b * f.t[1],
           f.n[2] + a * f.s[2] + b * f.t[2]};
    float l = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
    return Dir3{d.x / l, d.y / l, d.z / l};
  };
  for (const SkyFace& f : SkyFaces)
    for (int y = f.cellY * SkyCellH; y < (f.cellY + 1) * SkyCellH; ++y)
      for (int x = f.cellX * SkyCellW; x < (f.cellX + 1) * SkyCellW; ++x) {
        float a, b;
        SkyFacePoint(f, x + 0.5f, y + 0.5f, a, b);
        Dir3 d = direction(f, a, b);
        float bd = band(d);
        float dust = n.Fbm(d.x * 5, d.y * 5, d.z * 5, 6);
        float glow = bd * (0.10f + 0.08f * dust) * SmoothStep(-0.4f, 0.3f, dust + 0.2f);
        float lane = SmoothStep(0.05f, 0.25f, n.Fbm(d.x * 9 + 3, d.y * 9, d.z * 9, 4)) * bd;
        Rgb c = Scale(Rgb{0.75f, 0.72f, 0.85f}, glow * (1 - 0.7f * lane));
        // Coloured nebulae.
        float neb1 = SmoothStep(0.15f, 0.6f, m.Fbm(d.x * 2.2f, d.y * 2.2f, d.z * 2.2f, 6));
        float neb2 = SmoothStep(0.2f, 0.65f, m.Fbm(d.x * 2.6f + 7, d.y * 2.6f, d.z * 2.6f - 3, 6));
        c = AddRgb(c, Scale(Rgb{0.45f, 0.10f, 0.35f}, 0.5f * neb1));
        c = AddRgb(c, Scale(Rgb{0.08f, 0.25f, 0.45f}, 0.5f * neb2));
        c = AddRgb(c, Rgb{0.004f, 0.006f, 0.014f});
        img.Set(x, y, c, 1);
      }
  // Stars: many faint, a few bright, more of them along the band. Each is
  // painted on every face (margins included) that shows its direction, and
  // only inside that face's cell.
  Lcg rng(107);
  const float margin = 1 + 2.0f * (SkyPadY + 2) / SkyInnerW;
  const float squeeze = SkyInnerW / SkyInnerH; // a face's pixels are taller than wide
  for (int i = 0; i < 26000; ++i) {
    float z = rng.Range(-1, 1), az = rng.Range(0, 2 * Pi), r = std::sqrt(1 - z * z);
    Dir3 d{r * std::sin(az), z, r * std::cos(az)};
    bool keep = rng.Uniform() <= 0.35f + 0.65f * band(d);
    float mag = std::pow(rng.Uniform(), 6.0f);
    float temp = rng.Uniform(), weight = rng.Uniform();
    if (!keep)
      continue;
    Rgb c = temp < 0.2f   ? Rgb{1.0f, 0.75f, 0.55f}
            : temp < 0.7f ? Rgb{1.0f, 0.97f, 0.92f}
                          : Rgb{0.75f, 0.85f, 1.0f};
    for (const SkyFace& f : SkyFaces) {
      float dn = d.x * f.n[0] + d.y * f.n[1] + d.z * f.n[2];
      if (dn < 0.4f)
        continue;
      float a = (d.x * f.s[0] + d.y * f.s[1] + d.z * f.s[2]) / dn;
      float b = (d.x * f.t[0] + d.y * f.t[1] + d.z * f.t[2]) / dn;
      if (std::fabs(a) > margin || std::fabs(b) > margin)
        continue;
      float cx, cy;
      SkyPixel(f, a, b, cx, cy);
      // Texels near a face's corners cover less sky: the star spans more.
      float sigma = (0.55f + 1.0f * mag) / dn;
      float sigmaX = std::max(0.45f, sigma * squeeze);
      float w = (0.03f + 0.22f * weight + 2.0f * mag) * sigma * squeeze / sigmaX;
      int x0 = f.cellX * SkyCellW, y0 = f.cellY * SkyCellH;
      int reach = static_cast<int>(std::ceil(3 * sigma)) + 1;
      for (int y = static_cast<int>(cy) - reach; y <= static_cast<int>(cy) + reach; ++y)
        for (int x = static_cast<int>(cx) - reach; x <= static_cast<int>(cx) + reach; ++x) {
          if (x < x0 || y < y0 || x >= x0 + SkyCellW || y >= y0 + SkyCellH)
            continue;
          float dx = (x + 0.5f - cx) / sigmaX, dy = (y + 0.5f - cy) / sigma;
          float k = w * std::exp(-(dx * dx + dy * dy) / 2);
          float* p = img.At(x, y);
          p[0] += c.r * k, p[1] += c.g * k, p[2] += c.b * k;
        }
    }
  }
  Jpeg("sky.jpg", img, 88);
}

// ---------------------------------------------------------------- glows

void Glows() {
  Noise n(131);
  Jpeg("corona.jpg", Sprite(512, [&](float u, float v, float&) {
         float r = std::sqrt(u * u + v * v), a = std::atan2(v, u);
         float rays = 0.5f + 0.5f * n.Fbm(std::cos(a) * 3, std::sin(a) * 3, 0.3f, 4);
         float k = std::exp(-r * 5) * (0.6f + 0.8f * rays) + std::exp(-r * r * 40) * 0.6f;
         k *= SmoothStep(1.0f, 0.7f, r);
         return Rgb{k, k * 0.72f, k * 0.38f};
       }));
  // Halos drawn over a sphere's outline: a rim near the edge of the square.
  Jpeg("halo.jpg", Sprite(256, [](float u, float v, float&) {
         float r = std::sqrt(u * u + v * v);
         float rim = std::exp(-(r - 0.8f) * (r - 0.8f) / (r < 0.8f ? 0.004f : 0.012f));
         rim *= SmoothStep(1.0f, 0.93f, r);
         return Rgb{0.35f * rim, 0.6f * rim, rim};
       }));
  Jpeg("sunhalo.jpg", Sprite(256, [](float u, float v, float&) {
         float r = std::sqrt(u * u + v * v);
         float rim = std::exp(-(r - 0.78f) * (r - 0.78f) / (r < 0.78f ? 0.01f : 0.02f));
         rim *= SmoothStep(1.0f, 0.9f, r);
         return Rgb{rim, 0.75f * rim, 0.4f * rim};
       }));
  Jpeg("beacon.jpg", Sprite(256, [](float u, float v, float&) {
         float r = std::sqrt(u * u + v * v);
         float k = std::exp(-r * r * 30) + 0.25f * std::exp(-r * 5);
         k += 0.5f * std::exp(-v * v * 400) * std::exp(-u * u * 3) +
              0.5f * std::exp(-u * u * 400) * std::exp(-v * v * 3);
         k *= SmoothStep(1.0f, 0.85f, r);
         return Rgb{k, k, k};
       }));
}

// ---------------------------------------------------------------- lens flare

void Lens() {
  // The flare's glow: a hot core, eight rays and a soft halo.
  Jpeg("flare.jpg", Sprite(256, [](float u, float v, float&) {
         float r = std::sqrt(u * u + v * v), a = std::atan2(v, u);
         float rays =
             std::pow(std::fabs(std::cos(a * 4)), 60.0f) * std::exp(-r * 3.5f) +
             std::pow(std::fabs(std::cos(a * 4 + 0.39f)), 120.0f) * std::exp(-r * 6) * 0.5f;
         float k = std::exp(-r * r * 60) + 0.35f * std::exp(-r * 6) + 0.7f * rays;
         k *= SmoothStep(1.0f, 0.85f, r);
         return Rgb{k, k * 0.93f, k * 0.82f};
       }));
  // Lens elements: a faint disc with a brighter rim, and a hexagon.
  Jpeg("lens1.jpg", Sprite(256, [](float u, float v, float&) {
         float r = std::sqrt(u * u + v * v);
         float k = 0.25f * SmoothStep(0.92f, 0.85f, r) +
                   0.5f * std::exp(-(r - 0.86f) * (r - 0.86f) / 0.003f);
         k *= SmoothStep(1.0f, 0.95f, r);
         return Rgb{k, k, k};
       }));
  Jpeg("lens2.jpg", Sprite(256, [](float u, float v, float&) {
         float a = std::atan2(v, u), r = std::sqrt(u * u + v * v);
         float sector = std::fmod(a + 2 * Pi + Pi / 6, Pi / 3) - Pi / 6;
         float hex = r * std::cos(sector) / std::cos(Pi / 6);
         float k = 0.22f * SmoothStep(0.86f, 0.7f, hex) * (0.5f + 0.5f * hex);
         return Rgb{k, k, k};
       }));
  Jpeg("streak.jpg", Sprite(256, [](float u, float v, float&) {
         float k = std::exp(-u * u * 60) * std::exp(-v * v * 1.5f);
         k *= SmoothStep(1.0f, 0.8f, std::fabs(v));
         return Rgb{k, k, k};
       }));
}

// ---------------------------------------------------------------- background

void Nebula(const char* name, uint32_t seed, Rgb a, Rgb b) {
  Noise n(seed);
  Jpeg(name, Sprite(512, [&](float u, float v, float&) {
         float r = std::sqrt(u * u + v * v);
         float w = n.Fbm(u * 2, v * 2, 0.5f, 4);
         float f = n.Fbm(u * 3 + w, v * 3 - w, 1.5f, 7);
         float mask = SmoothStep(1.0f, 0.2f, r + 0.25f * w);
         float k = SmoothStep(-0.1f, 0.6f, f) * mask;
         Rgb c = Mix(a, b, Clamp01(0.5f + 1.5f * w));
         float core = std::exp(-r * r * 12) * 0.25f;
         return AddRgb(Scale(c, 0.85f * k), Rgb{core, core * 0.9f, core});
       }));
}

void Galaxy() {
  Noise n(151);
  Jpeg("galaxy.jpg", Sprite(512, [&](float u, float v, float&) {
         // Seen at a slant: squash v.
         float x = u, y = v / 0.55f;
         float r = std::sqrt(x * x + y * y), a = std::atan2(y, x);
         float arm = 0.5f + 0.5f * std::cos(2 * (a - 3.2f * std::log(r + 0.05f)));
         float clump = 0.6f + 0.4f * n.Fbm(x * 8, y * 8, 0.2f, 4);
         float disc = std::exp(-r * 3.2f) * (0.3f + 0.9f * std::pow(arm, 3.0f) * clump);
         float bulge = std::exp(-r * r * 60) * 1.2f;
         float k = (disc + bulge) * SmoothStep(1.0f, 0.7f, r);
         return Rgb{k * (0.75f + 0.4f * bulge), k * 0.8f, k * (1.0f - 0.3f * bulge)};
       }));
}

// ---------------------------------------------------------------- particles

void Particles() {
  Jpeg("spark.jpg", Sprite(256, [](float u, float v, float&) {
         float r = std::sqrt(u * u + v * v);
         float k = std::exp(-r * r * 12);
         k *= SmoothStep(1.0f, 0.8f, r);
         return Rgb{k, k * (0.45f + 0.5f * k), k * 0.2f * k};
       }));
  Noise n(171);
  Jpeg("plasma.jpg", Sprite(256, [&](float u, float v, float&) {
         float r = std::sqrt(u * u + v * v);
         float k = std::exp(-r * r * 5) * (0.7f + 0.3f * n.Fbm(u * 4, v * 4, 0, 3));
         k *= SmoothStep(1.0f, 0.75f, r) * 0.55f;
         return Rgb{k, k * 0.5f, k * 0.25f};
       }));
  Jpeg("bolt.jpg", Sprite(256, [](float u, float v, float&) {
         float r = std::sqrt(u * u + v * v);
         float k = std::min(1.0f, 2.2f * std::exp(-r * r * 16)) + 0.35f * std::exp(-r * 4);
         k *= SmoothStep(1.0f, 0.85f, r);
         return Rgb{k * 0.72f, k * 0.82f, k};
       }));
}

// ---------------------------------------------------------------- station

void Station() {
  Noise n(201);
  Lcg rng(202);
  // Hull plates: a grid of panels of slightly different greys, seams and rivets.
  Image hull(512, 512);
  std::vector<float> tone(16 * 16);
  for (float& t : tone)
    t = rng.Range(0.55f, 0.8f);
  for (int y = 0; y < 512; ++y)
    for (int x = 0; x < 512; ++x) {
      int cx = x / 32, cy = y / 32, lx = x % 32, ly = y % 32;
      float t = tone[cy * 16 + cx] + 0.06f * n.Fbm(x / 40.0f, y / 40.0f, 0.3f, 4);
      if (lx == 0 || ly == 0)
        t *= 0.45f;
      else if (lx == 1 || ly == 1)
        t *= 1.15f;
      if ((lx == 4 || lx == 28) && (ly == 4 || ly == 28))
        t *= 0.6f;
      if ((cx * 7 + cy * 3) % 11 == 0 && lx > 8 && lx < 24 && ly > 10 && ly < 22)
        t *= 0.5f; // hatches
      hull.Set(x, y, {t * 0.92f, t * 0.94f, t});
    }
  Jpeg("hull.jpg", hull);
  // Solar cells: dark blue squares on a silver grid.
  Image panel(256, 256);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      int lx = x % 32, ly = y % 32;
      bool grid = lx < 2 || ly < 2;
      float sheen = 0.08f * n.At(x / 30.0f, y / 30.0f, 3.0f);
      Rgb c = grid ? Rgb{0.7f, 0.72f, 0.75f} : Rgb{0.06f + sheen, 0.12f + sheen, 0.35f + sheen};
      if (!grid && (lx % 8 == 0))
        c = Scale(c, 1.4f);
      panel.Set(x, y, c);
    }
  Jpeg("panel.jpg", panel);
  // Windows: rows of warm lights on black, added to the lit colour.
  Image win(512, 256);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 512; ++x) {
      int col = x / 8, row = y / 64, lx = x % 8, ly = y % 64 / 4;
      bool lit = ((col * 31 + row * 17) % 7) > 1 && lx > 1 && lx < 6 && ly > 5 && ly < 11;
      float b = lit ? 0.65f + 0.35f * (((col * 13 + row * 5) % 5) / 4.0f) : 0;
      win.Set(x, y, {b, b * 0.82f, b * 0.5f});
    }
  Jpeg("windows.jpg", win);
  // Glass: a blue tint with a hexagonal grid.
  Jpeg("glass.jpg", Sprite(256, [](float u, float v, float&) {
         float gx = u * 6, gy = v * 6 / 0.866f;
         float fy = gy - std::floor(gy);
         float fx = gx + (static_cast<int>(std::floor(gy)) % 2 ? 0.5f : 0) - std::floor(gx);
         float edge = std::min(std::min(fx, 1 - fx), std::min(fy, 1 - fy));
         float k = edge < 0.06f ? 1.0f : 0.35f;
         return Rgb{0.3f * k, 0.65f * k, 0.9f * k};
       }));
}

// ---------------------------------------------------------------- text

// The clock atlas: 4 x 4 cells, digits 0-9, ':', the morning mark, the
// afternoon mark, bright on black. A glyph quad is 40 units wide with an
// advance of 28, so each digit stays in the left 70% of its cell.
void ClockAtlas() {
  Image img(256, 256);
  Rgb core{1.0f, 1.0f, 1.0f}, halo{0.45f, 0.7f, 1.0f};
  const char cells[] = "0123456789:";
  for (int q = 0; q < 13; ++q) {
    float cx = (q % 4) * 64.0f, cy = (q / 4) * 64.0f; // top-left of the cell
    if (q < 11) {
      DrawGlyph(img, cells[q], cx + 9, cy + 54, 25, 44, 2.6f, 2.5f, core, halo);
    } else {
      // Morning "AM", afternoon "PM": two small letters in the lower half.
      const char* mark = q == 11 ? "AM" : "PM";
      DrawText(img, mark, cx + 8, cy + 50, 18, 22, 24, 1.8f, 2.0f, core, halo);
    }
  }
  Jpeg("c.jpg", img, 95);
}

// The loading pictures: the name over a ringed planet, and "LOADING".
void LoadingPictures() {
  Noise n(301);
  Image sign(256, 256);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      float u = (x + 0.5f) / 128 - 1, v = 1 - (y + 0.5f) / 128;
      float py = v - 0.12f, r = std::sqrt(u * u + py * py);
      Rgb c{0, 0, 0};
      if (r < 0.48f) {
        float lit = Clamp01(
            0.25f + 0.9f * (-u * 0.6f + py * 0.5f + std::sqrt(std::max(0.0f, 0.23f - r * r))));
        float band = 0.5f + 0.5f * std::sin(py * 28 + 2 * n.Fbm(u * 3, py * 8, 0.5f, 3));
        c = Scale(Mix(Rgb{0.55f, 0.35f, 0.2f}, Rgb{0.95f, 0.8f, 0.55f}, band), lit);
      }
      // Ring, tilted ellipse.
      float ru = u * 0.94f + py * 0.34f, rv = (-u * 0.34f + py * 0.94f) / 0.28f;
      float rr = std::sqrt(ru * ru + rv * rv);
      bool front = rv < 0 || r >= 0.48f;
      if (rr > 0.62f && rr < 0.92f && front) {
        float k = 0.55f + 0.35f * std::sin(rr * 60);
        c = Mix(c, Rgb{0.9f, 0.8f, 0.65f}, 0.8f * k);
      }
      float glow = std::exp(-(r - 0.5f) * (r - 0.5f) / 0.004f) * 0.5f;
      c = AddRgb(c, Rgb{0.2f * glow, 0.4f * glow, glow});
      sign.Set(x, y, c);
    }
  DrawText(sign, "NIMBREL", 26, 236, 22, 32, 30, 2.2f, 3.0f, {1, 1, 1}, {0.4f, 0.65f, 1.0f});
  Jpeg("sign.jpg", sign, 92);

  Image load(256, 256);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      float u = (x + 0.5f) / 128 - 1, v = 1 - (y + 0.5f) / 128;
      float r = std::sqrt(u * u + v * v), a = std::atan2(v, u);
      // A ring of twelve dots fading round, like a turning wheel.
      float seg = std::fmod(a + 2 * Pi, 2 * Pi / 12);
      float dotAngle = a - seg + Pi / 12;
      float dx = u - 0.55f * std::cos(dotAngle), dy = v - 0.55f * std::sin(dotAngle);
      float k = std::exp(-(dx * dx + dy * dy) / 0.0025f);
      float shade = std::fmod(dotAngle + 4 * Pi, 2 * Pi) / (2 * Pi);
      k *= 0.25f + 0.75f * shade;
      float glow = std::exp(-(r - 0.55f) * (r - 0.55f) / 0.01f) * 0.12f;
      load.Set(x, y, {0.5f * k + 0.2f * glow, 0.75f * k + 0.35f * glow, k + glow});
    }
  DrawText(load, "LOADING", 34, 142, 17, 26, 27, 2.0f, 2.5f, {1, 1, 1}, {0.4f, 0.65f, 1.0f});
  Jpeg("load.jpg", load, 92);
}

} // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: gen_textures <out>\n");
    return 2;
  }
  Dir = argv[1];
  Sun();
  GasGiant();
  Ring();
  Terra();
  Clouds();
  Lights();
  Rocky("moon1.jpg", 81, {0.25f, 0.24f, 0.23f}, {0.62f, 0.6f, 0.57f}, 1.0f);
  Rocky("moon2.jpg", 91, {0.55f, 0.62f, 0.7f}, {0.92f, 0.95f, 1.0f}, 0.6f);
  Ember();
  Jpeg("atmo.jpg", Flat({0.12f, 0.25f, 0.55f}));
  Jpeg("scatter.jpg", Flat({0.45f, 0.75f, 1.0f}));
  Jpeg("haze.jpg", Flat({0.42f, 0.3f, 0.18f}));
  Sky();
  Glows();
  Lens();
  Nebula("nebula1.jpg", 401, {0.9f, 0.25f, 0.55f}, {0.3f, 0.35f, 1.0f});
  Nebula("nebula2.jpg", 411, {0.2f, 0.85f, 0.7f}, {1.0f, 0.55f, 0.2f});
  Galaxy();
  Particles();
  Station();
  ClockAtlas();
  LoadingPictures();
  return Ok ? 0 : 1;
}
