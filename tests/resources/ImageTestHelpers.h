// Helpers of the image and texture tests: small JPEGs made with libjpeg's
// compressor, TGA files put together byte by byte, and a recorder of the
// image message boxes.
#pragma once
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include <jpeglib.h>

#include "resources/ImageMessage.h"

namespace imagetest {

// A JPEG of width x height pixels from top-down rows of `components` bytes per
// pixel in colour space `space` (JCS_RGB, JCS_GRAYSCALE, JCS_CMYK). Quality
// 100 and no chroma subsampling, so colours come back within a few steps.
inline std::string EncodeJpeg(int width, int height, const std::vector<uint8_t>& pixels,
                              J_COLOR_SPACE space = JCS_RGB, int components = 3, int quality = 100,
                              bool progressive = false) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  unsigned char* out = nullptr;
  unsigned long outSize = 0;
  jpeg_mem_dest(&cinfo, &out, &outSize);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = components;
  cinfo.in_color_space = space;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  for (int c = 0; c < cinfo.num_components; ++c) {
    cinfo.comp_info[c].h_samp_factor = 1;
    cinfo.comp_info[c].v_samp_factor = 1;
  }
  if (progressive)
    jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  const size_t rowBytes = static_cast<size_t>(width) * components;
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(pixels.data() + cinfo.next_scanline * rowBytes);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::string bytes(reinterpret_cast<const char*>(out), outSize);
  free(out);
  return bytes;
}

// A JPEG of one colour.
inline std::string SolidJpeg(int width, int height, uint8_t r, uint8_t g, uint8_t b) {
  std::vector<uint8_t> pixels;
  for (int i = 0; i < width * height; ++i) {
    pixels.push_back(r);
    pixels.push_back(g);
    pixels.push_back(b);
  }
  return EncodeJpeg(width, height, pixels);
}

// The 18-byte TGA header, little-endian.
struct TgaHeader {
  uint8_t idLength = 0;
  uint8_t colorMapType = 0;
  uint8_t imageType = 2;
  uint16_t colorMapStart = 0;
  uint16_t colorMapLength = 0;
  uint8_t colorMapEntrySize = 0;
  uint16_t width = 1;
  uint16_t height = 1;
  uint8_t depth = 32;
  uint8_t descriptor = 0;
};

inline void PutWord(std::string& s, uint16_t v) {
  s.push_back(static_cast<char>(v & 0xff));
  s.push_back(static_cast<char>(v >> 8));
}

// Header, ID field, colour map and pixel data, as a TGA file lays them out.
inline std::string MakeTga(const TgaHeader& h, const std::vector<uint8_t>& data,
                           const std::vector<uint8_t>& colorMap = {}, const std::string& id = {}) {
  std::string s;
  s.push_back(static_cast<char>(h.idLength));
  s.push_back(static_cast<char>(h.colorMapType));
  s.push_back(static_cast<char>(h.imageType));
  PutWord(s, h.colorMapStart);
  PutWord(s, h.colorMapLength);
  s.push_back(static_cast<char>(h.colorMapEntrySize));
  PutWord(s, 0);
  PutWord(s, 0);
  PutWord(s, h.width);
  PutWord(s, h.height);
  s.push_back(static_cast<char>(h.depth));
  s.push_back(static_cast<char>(h.descriptor));
  s += id;
  s.append(colorMap.begin(), colorMap.end());
  s.append(data.begin(), data.end());
  return s;
}

// Records the image message boxes while it lives.
class MessageRecorder {
public:
  MessageRecorder() {
    Messages().clear();
    ImageMessageHook = [](const char* text, const char* caption) {
      Messages().emplace_back(text, caption);
    };
  }
  ~MessageRecorder() { ImageMessageHook = nullptr; }
  static std::vector<std::pair<std::string, std::string>>& Messages() {
    static std::vector<std::pair<std::string, std::string>> messages;
    return messages;
  }
  const std::vector<std::pair<std::string, std::string>>& messages() const { return Messages(); }
};

} // namespace imagetest
