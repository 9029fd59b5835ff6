// The user interface's pictures: the preview picture (bitmap 112, 155 x 115),
// the configuration dialog's decoration (bitmap 107, 263 x 179) and the icon
// (111). Each is made once, on first use.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace ui {

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb; // top row first, 3 bytes a pixel
};

// Decodes a PNG of 8-bit RGB or RGBA, not interlaced (alpha is dropped).
// False, and picture untouched, for anything else or a damaged file.
bool DecodePng(const uint8_t* data, size_t size, Picture& picture);

// The pictures built into the program at build time, or painted placeholders
// of the same sizes when the build had none (or they do not decode).
const Picture& PreviewPicture();
const Picture& DecorationPicture();
const Picture& IconPicture();

} // namespace ui
