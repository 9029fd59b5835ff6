// JPEG decoding: one archive member into a bottom-up RGB buffer,
// through libjpeg's version-62 interface, decoding from memory.
#pragma once
#include <cstddef>
#include <cstdint>

struct JpegImage {
  int rowBytes = 0; // width x components (always 3: the output is RGB)
  int width = 0;
  int height = 0;
  // rowBytes x height bytes, owned by the caller (free with free());
  // row 0 is the bottom row of the picture; R, G, B per pixel.
  uint8_t* pixels = nullptr;
};

// Largest width or height the decoders accept; larger images are refused.
constexpr int MaxImageSide = 16384;

// Most pixels one byte of an image member can stand for: far beyond what any
// real encoder reaches (a run-length TGA packet of two bytes covers at most
// 128 pixels; a flat JPEG block costs a few bits). A header claiming more than
// this times the member's size describes data that is not there, so a few
// bytes can never make the decoders hold gigabytes of zeroes.
constexpr size_t MaxPixelsPerMemberByte = 128;

// Decodes the JPEG member `path` (a full member path such as "textures\sun.jpg").
// A member that cannot be read shows "ARCH:Can't load JPG file: <path>" and
// gives false; a damaged JPEG gives false without a message. On false
// `image.pixels` is null.
bool LoadJpeg(const char* path, JpegImage& image);

// The decoding step of LoadJpeg on bytes in memory: the whole buffer is the
// input and nothing follows its last byte. Greyscale, CMYK and YCCK files
// come out as RGB too. Corrupt data, sizes of 0 or beyond MaxImageSide, or more
// pixels than MaxPixelsPerMemberByte times `size`: false.
bool DecodeJpeg(const uint8_t* data, size_t size, JpegImage& image);

// Warnings libjpeg reported during the last decode (they are only counted).
int LastJpegWarningCount();
