// Shared pieces of the data generators: a fixed-seed random stream, gradient
// noise, a float RGBA image with a few painting helpers, and writers for JPEG,
// TGA (plain and run-length encoded), PNG and the .dat mesh format. Everything
// is deterministic: the same program gives the same bytes on every run.
#pragma once
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace gen {

constexpr float Pi = 3.14159265358979f;

// A small linear congruential stream (not the scene's runtime stream).
class Lcg {
public:
  explicit Lcg(uint32_t seed) : state(seed) {}
  uint32_t Next() {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  }
  // Uniform in [0, 1).
  float Uniform() { return static_cast<float>(Next() & 0xFFFFFF) / 16777216.0f; }
  float Range(float lo, float hi) { return lo + (hi - lo) * Uniform(); }

private:
  uint32_t state;
};

// Gradient noise in three dimensions, about -1 to 1, with a permutation
// table drawn from the given seed.
class Noise {
public:
  explicit Noise(uint32_t seed);
  float At(float x, float y, float z) const;
  // Sum of `octaves` layers, each twice the frequency and `gain` the weight.
  float Fbm(float x, float y, float z, int octaves, float gain = 0.5f) const;
  // Fbm of |noise|, folded into ridges (1 on the crests).
  float Ridged(float x, float y, float z, int octaves) const;

private:
  int perm[512];
  float grad[256][3];
};

struct Rgb {
  float r, g, b;
};
inline Rgb Mix(Rgb a, Rgb b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
inline float Clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }
inline float SmoothStep(float a, float b, float x) {
  float t = Clamp01((x - a) / (b - a));
  return t * t * (3 - 2 * t);
}

// A colour ramp: stops sorted by position, linear between them.
struct RampStop {
  float at;
  Rgb color;
};
Rgb Ramp(const std::vector<RampStop>& stops, float x);

// Float RGBA image, rows from the top of the picture down.
class Image {
public:
  Image(int w, int h) : width(w), height(h), px(static_cast<size_t>(w) * h * 4, 0.0f) {}
  float* At(int x, int y) { return &px[(static_cast<size_t>(y) * width + x) * 4]; }
  const float* At(int x, int y) const { return &px[(static_cast<size_t>(y) * width + x) * 4]; }
  void Set(int x, int y, Rgb c, float a = 1.0f) {
    float* p = At(x, y);
    p[0] = c.r, p[1] = c.g, p[2] = c.b, p[3] = a;
  }
  // Adds colour (weighted) with wrap-around in x when wrapX.
  void Add(int x, int y, Rgb c, float weight, bool wrapX = false);
  // Adds a round Gaussian splat of radius sigma (pixels) at (cx, cy); sx
  // stretches it horizontally (equirectangular maps near the poles).
  void Splat(float cx, float cy, float sigma, Rgb c, float weight, bool wrapX, float sx = 1.0f);
  // Bytes: 3 (RGB) or 4 (RGBA) per pixel, rows top down, values clamped.
  std::vector<uint8_t> Bytes(int channels) const;

  int width, height;
  std::vector<float> px;
};

// Writers. Each returns false (after a message on stderr) when the file
// cannot be written.
bool WriteJpeg(const std::string& path, const Image& image, int quality);
// 32-bit TGA, rows stored bottom-up as usual; rle selects image type 10.
bool WriteTga(const std::string& path, const Image& image, bool rle);
bool WritePng(const std::string& path, const Image& image);
bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);

// A triangle mesh in the .dat layout: unique vertex positions, texture
// coordinates of their own, and per-corner indices and normals.
struct DatMeshOut {
  std::vector<float> vertices;     // x y z
  std::vector<float> texCoords;    // u v
  std::vector<uint32_t> cornerV;   // 3 per triangle
  std::vector<uint32_t> cornerT;   // 3 per triangle
  std::vector<float> cornerNormal; // 9 per triangle

  uint32_t AddVertex(float x, float y, float z) {
    vertices.insert(vertices.end(), {x, y, z});
    return static_cast<uint32_t>(vertices.size() / 3 - 1);
  }
  uint32_t AddTexCoord(float u, float v) {
    texCoords.insert(texCoords.end(), {u, v});
    return static_cast<uint32_t>(texCoords.size() / 2 - 1);
  }
  // One triangle: vertex indices, texture-coordinate indices, corner normals.
  void AddTriangle(const uint32_t v[3], const uint32_t t[3], const float n[9]) {
    cornerV.insert(cornerV.end(), v, v + 3);
    cornerT.insert(cornerT.end(), t, t + 3);
    cornerNormal.insert(cornerNormal.end(), n, n + 9);
  }
  // Appends another mesh (indices shifted).
  void Append(const DatMeshOut& other);
  std::vector<uint8_t> Serialize() const;
};

} // namespace gen
