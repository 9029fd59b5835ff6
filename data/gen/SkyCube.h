// The sky is a cube projected onto a sphere: six faces, each painted into
// its own cell of one texture (cells of SkyCell pixels, four across and two
// down, the last two unused), with SkyPad pixels of margin painted beyond the
// face's edges so filtering never reaches another face. There are no poles,
// so no part of the sky is smeared by the mipmaps. The sky mesh (gen_meshes)
// and its texture (gen_textures) both use these definitions.
#pragma once

namespace gen {

constexpr int SkyCell = 1024, SkyPad = 8;
constexpr int SkyWidth = 4 * SkyCell, SkyHeight = 2 * SkyCell;

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
  const float inner = static_cast<float>(SkyCell - 2 * SkyPad);
  x = static_cast<float>(f.cellX * SkyCell + SkyPad) + (a + 1) * 0.5f * inner;
  y = static_cast<float>(f.cellY * SkyCell + SkyPad) + (1 - b) * 0.5f * inner;
}

// Face point of a picture position inside the face's cell (the inverse).
inline void SkyFacePoint(const SkyFace& f, float x, float y, float& a, float& b) {
  const float inner = static_cast<float>(SkyCell - 2 * SkyPad);
  a = (x - static_cast<float>(f.cellX * SkyCell + SkyPad)) / inner * 2 - 1;
  b = 1 - (y - static_cast<float>(f.cellY * SkyCell + SkyPad)) / inner * 2;
}

} // namespace gen
