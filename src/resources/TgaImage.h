// TGA decoding: our own decoder for one archive member, image types 1, 2, 3,
// 9, 10 and 11 with depths 8, 16, 24 and 32, rows in the order of the file (bottom-up for the
// usual files).
#pragma once
#include <cstdint>

class ArchiveFile;

struct TgaImage {
  // The header fields, as in the file (the depth after decoding: see LoadTga).
  uint8_t idLength = 0;
  uint8_t colorMapType = 0;
  uint8_t imageType = 0;
  uint16_t colorMapStart = 0;
  uint16_t colorMapLength = 0;
  uint8_t colorMapEntrySize = 0;
  uint16_t xOrigin = 0;
  uint16_t yOrigin = 0;
  uint16_t width = 0;
  uint16_t height = 0;
  uint8_t pixelDepth = 0;
  uint8_t imageDescriptor = 0;

  // The colour map while it is needed; freed by the decoder (always null
  // after LoadTga returns).
  uint8_t* palette = nullptr;
  // The decoded image, owned by the caller (free with free()): width x height
  // pixels of pixelDepth / 8 bytes: 4 bytes R, G, B, A for 32 bits; 3 bytes
  // B, G, R for 24 bits (also colour-mapped and 16-bit files, which decode to
  // 24); 1 grey byte for 8 bits. Null when decoding failed.
  uint8_t* pixels = nullptr;
};

// The one image the decoder fills for UploadTga; not reentrant.
extern TgaImage DecodedTga;

// Decodes the TGA member `path` into `image`. False, without a message, for a
// member that cannot be read, an unsupported image type or colour map, a depth
// and type that do not go together, a width or height of 0 or above
// MaxImageSide; an unsupported depth (not 8, 16, 24 or 32) also shows
// "Unsupported image depth." with the caption "TGA". Never reads past the
// member: a truncated file leaves the rest of the image zero.
bool LoadTga(const char* path, TgaImage& image);

// The decoding step of LoadTga on a member already open (read from its cursor).
bool DecodeTga(ArchiveFile& file, TgaImage& image);
