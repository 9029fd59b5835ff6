#include "resources/TgaImage.h"

#include "resources/ArchiveFile.h"
#include "resources/ImageMessage.h"
#include "resources/JpegImage.h"

#include <cstddef>
#include <cstring>
#include <cstdlib>

TgaImage DecodedTga;

namespace {

uint8_t ReadByte(ArchiveFile& file) {
  uint8_t b = 0;
  file.Read(&b, 1);
  return b;
}

uint16_t ReadWord(ArchiveFile& file) {
  uint8_t b[2] = {0, 0};
  file.Read(b, 2);
  return static_cast<uint16_t>(b[0] | (b[1] << 8));
}

// True while there is a byte left to read at the cursor.
bool HasMore(const ArchiveFile& file) { return file.cursor < file.size; }

// Reads up to n bytes at the cursor into dest, stopping at the end of the
// member (the rest of dest stays as it was: zero in the decoder's buffers);
// returns the number of bytes read.
size_t ReadBytes(ArchiveFile& file, uint8_t* dest, size_t n) {
  if (!HasMore(file))
    return 0;
  const size_t left = file.size - file.cursor;
  const size_t take = n < left ? n : left;
  file.Read(dest, static_cast<uint32_t>(take));
  return take;
}

// Writes one 16-bit value as the three bytes blue, green, red.
void Expand16(uint16_t v, uint8_t* out) {
  out[0] = static_cast<uint8_t>((v & 31) * 8);
  out[1] = static_cast<uint8_t>(((v >> 5) & 31) * 8);
  out[2] = static_cast<uint8_t>(((v >> 10) & 31) * 8);
}

// Run-length decoding of `count` pixels for pixel depth `depth` into out (which
// holds count x outBytes bytes, zeroed). Each packet byte gives 1 to 128
// pixels; a packet never writes past the last pixel, and decoding stops at the
// end of the member, leaving the rest zero. Returns the pixels produced.
size_t DecodeRle(ArchiveFile& file, int depth, size_t count, uint8_t* out) {
  const size_t inBytes = static_cast<size_t>(depth / 8);
  const size_t outBytes = depth == 16 ? 3 : inBytes;
  size_t done = 0;
  uint8_t value[4];
  while (done < count && HasMore(file)) {
    uint8_t packet = ReadByte(file);
    size_t run = static_cast<size_t>(packet & 127) + 1;
    if (run > count - done)
      run = count - done;
    if (packet & 128) {
      memset(value, 0, sizeof value);
      file.Read(value, static_cast<uint32_t>(inBytes));
      uint8_t pixel[4];
      if (depth == 16)
        Expand16(static_cast<uint16_t>(value[0] | (value[1] << 8)), pixel);
      else
        memcpy(pixel, value, inBytes);
      for (size_t i = 0; i < run; ++i)
        memcpy(out + (done + i) * outBytes, pixel, outBytes);
      done += run;
    } else {
      for (size_t i = 0; i < run && HasMore(file); ++i) {
        memset(value, 0, sizeof value);
        file.Read(value, static_cast<uint32_t>(inBytes));
        uint8_t* dest = out + done * outBytes;
        if (depth == 16)
          Expand16(static_cast<uint16_t>(value[0] | (value[1] << 8)), dest);
        else
          memcpy(dest, value, inBytes);
        ++done;
      }
    }
  }
  return done;
}

// Zeroed memory for the caller to free(); large blocks come as untouched
// zero pages, so a huge truncated image costs no more than it holds.
uint8_t* Allocate(size_t bytes) { return static_cast<uint8_t*>(calloc(bytes, 1)); }

void Release(TgaImage& image) {
  free(image.palette);
  image.palette = nullptr;
  free(image.pixels);
  image.pixels = nullptr;
}

} // namespace

bool DecodeTga(ArchiveFile& file, TgaImage& image) {
  image.palette = nullptr;
  image.pixels = nullptr;

  image.idLength = ReadByte(file);
  image.colorMapType = ReadByte(file);
  image.imageType = ReadByte(file);
  image.colorMapStart = ReadWord(file);
  image.colorMapLength = ReadWord(file);
  image.colorMapEntrySize = ReadByte(file);
  image.xOrigin = ReadWord(file);
  image.yOrigin = ReadWord(file);
  image.width = ReadWord(file);
  image.height = ReadWord(file);
  image.pixelDepth = ReadByte(file);
  image.imageDescriptor = ReadByte(file);
  file.Seek(image.idLength, 1);

  const int type = image.imageType;
  const bool mapped = type == 1 || type == 9;
  const bool rle = type == 9 || type == 10 || type == 11;
  if (mapped) {
    if (image.colorMapType != 1 || image.colorMapEntrySize != 24)
      return false;
  } else if (type != 2 && type != 3 && type != 10 && type != 11) {
    return false;
  }

  const int depth = image.pixelDepth;
  if (depth != 8 && depth != 16 && depth != 24 && depth != 32) {
    ShowImageMessage("Unsupported image depth.", "TGA");
    return false;
  }
  const bool grey = type == 3 || type == 11;
  const bool trueColour = type == 2 || type == 10;
  if (depth == 8 ? !(mapped || grey) : !trueColour)
    return false;

  // Sizes: at most MaxImageSide per side (so at most 2^28 pixels and 2^30
  // bytes, far from overflowing size_t); an empty image is refused.
  if (image.width == 0 || image.height == 0 || image.width > MaxImageSide ||
      image.height > MaxImageSide)
    return false;
  const size_t count = static_cast<size_t>(image.width) * image.height;
  // A truncated file decodes with the rest zero, but a header that claims
  // far more pixels than the member could encode is refused.
  if (count > MaxPixelsPerMemberByte * file.size)
    return false;

  if (mapped) {
    const size_t mapBytes = static_cast<size_t>(image.colorMapLength) * 3;
    image.palette = Allocate(mapBytes == 0 ? 1 : mapBytes);
    uint8_t* indices = Allocate(count);
    image.pixels = Allocate(count * 3);
    if (!image.palette || !indices || !image.pixels) {
      free(indices);
      Release(image);
      return false;
    }
    ReadBytes(file, image.palette, mapBytes);
    const size_t decoded =
        rle ? DecodeRle(file, 8, count, indices) : ReadBytes(file, indices, count);
    // Pixel index i takes colour-map entry i (the first-index field is
    // ignored); an index beyond the map gives black, and so do the pixels a
    // truncated file does not hold.
    for (size_t i = 0; i < decoded; ++i) {
      if (indices[i] < image.colorMapLength)
        memcpy(image.pixels + i * 3, image.palette + indices[i] * 3u, 3);
    }
    free(indices);
    free(image.palette);
    image.palette = nullptr;
    image.pixelDepth = 24;
    return true;
  }

  const size_t outBytes = depth == 16 ? 3 : static_cast<size_t>(depth / 8);
  image.pixels = Allocate(count * outBytes);
  if (!image.pixels)
    return false;

  size_t decoded = 0; // pixels the member held (the rest stay zero)
  if (rle) {
    decoded = DecodeRle(file, depth, count, image.pixels);
  } else if (depth == 16) {
    for (; decoded < count && HasMore(file); ++decoded)
      Expand16(ReadWord(file), image.pixels + decoded * 3);
  } else {
    decoded = (ReadBytes(file, image.pixels, count * outBytes) + outBytes - 1) / outBytes;
  }

  if (depth == 16) {
    image.pixelDepth = 24;
  } else if (depth == 32) {
    // Stored blue, green, red, alpha; OpenGL takes red, green, blue, alpha.
    for (size_t i = 0; i < decoded; ++i) {
      uint8_t* p = image.pixels + i * 4;
      uint8_t t = p[0];
      p[0] = p[2];
      p[2] = t;
    }
  }
  return true;
}

bool LoadTga(const char* path, TgaImage& image) {
  image.palette = nullptr;
  image.pixels = nullptr;
  ArchiveFile file;
  if (!file.Open(path))
    return false;
  bool ok = DecodeTga(file, image);
  file.Close();
  return ok;
}
