// The user interface's pictures: the preview picture (bitmap 112, 155 x 115),
// the configuration dialog's decoration (bitmap 107, 263 x 179) and the icon
// (111). Each is made once, on first use.
#pragma once
#include <cstdint>
#include <vector>

namespace ui {

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb; // top row first, 3 bytes a pixel
};

const Picture& PreviewPicture();
const Picture& DecorationPicture();
const Picture& IconPicture();

} // namespace ui
