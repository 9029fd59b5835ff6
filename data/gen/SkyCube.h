// The sky is a cube projected onto a sphere: six faces, each painted into
// its own cell of one 2048 x 2048 texture (three cells across, two down, each
// SkyCellW x SkyCellH pixels), with a margin painted beyond the face's edges
// so filtering never reaches another face. There are no poles,
// so no part of the sky is smeared by the mipmaps. The sky mesh (gen_meshes)
// and its texture (gen_textures) both use these definitions.
#pragma once

namespace gen {

constexpr int SkyCellW = 682, SkyCellH = 1024, SkyPadX = 6, SkyPadY = 8;
constexpr int SkyWidth = 2048, SkyHeight = 2048;
// Face units (2 across a face) per pixel, across and down.
constexpr float SkyInnerW = static_cast<float>(SkyCellW - 2 * SkyPadX);
constexpr float SkyInnerH = static_cast<float>(SkyCellH - 2 * SkyPadY);

// A face: its outward normal n and two axes with s x t = n; a point of the
// face is n + a s + b t with a and b from -1 to 1.
struct SkyFace {
  float n[3], s[3], t[3];
  int cellX, cellY;
};

inline const SkyFace SkyFaces[6] = {
    {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, 0, 0}, {{-1, 0, 0}, {0, 0, 1}, {0, 1, 0}, 1, 0},
    {{0, 1, 0}, {0, 0, 1}, {1, 0, 0}, 2, 0}, {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}, 3, 0},
    {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}, 0, 1}, {{0, 0, -1}, {0, 1, 0}, {1, 0, 0}, 1, 1},
};

// Picture position (x to the right, y down from the top) of face point (a, b).
inline void SkyPixel(const SkyFace& f, float a, float b, float& x, float& y) {
  x = static_cast<float>(f.cellX * SkyCellW + SkyPadX) + (a + 1) * 0.5f * SkyInnerW;
  y = static_cast<float>(f.cellY * SkyCellH + SkyPadY) + (1 - b) * 0.5f * SkyInnerH;
}

// Face point of a picture position inside the face's cell (the inverse).
inline void SkyFacePoint(const SkyFace& f, float x, float y, float& a, float& b) {
  a = (x - static_cast<float>(f.cellX * SkyCellW + SkyPadX)) / SkyInnerW * 2 - 1;
  b = 1 - (y - static_cast<float>(f.cellY * SkyCellH + SkyPadY)) / SkyInnerH * 2;
}

} // namespace gen
