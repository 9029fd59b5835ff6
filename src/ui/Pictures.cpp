#include "ui/Pictures.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace ui {

#ifdef NIMBREL_EMBEDDED_PICTURES
extern const uint8_t EmbeddedPicture_preview[];
extern const size_t EmbeddedPictureSize_preview;
extern const uint8_t EmbeddedPicture_dialog[];
extern const size_t EmbeddedPictureSize_dialog;
extern const uint8_t EmbeddedPicture_icon[];
extern const size_t EmbeddedPictureSize_icon;
#endif

namespace {

uint32_t BigEndian32(const uint8_t* p) {
  return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | p[3];
}

int Paeth(int a, int b, int c) {
  int p = a + b - c;
  int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  if (pa <= pb && pa <= pc)
    return a;
  return pb <= pc ? b : c;
}

// A small deterministic generator for the star field.
struct Lcg {
  uint32_t state;
  uint32_t Next() {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  }
  float Unit() { return (Next() & 0xffff) / 65535.0f; }
};

uint8_t ToByte(float v) { return (uint8_t)std::clamp((int)std::lround(v * 255.0f), 0, 255); }

// A space view: a dark blue haze, stars, a banded planet lit from the upper
// left with a thin ring, and a one-pixel frame that marks the picture's edges.
Picture SpaceView(int width, int height, uint32_t seed, bool frame) {
  Picture p;
  p.width = width;
  p.height = height;
  std::vector<float> img((size_t)width * height * 3, 0.0f);
  auto put = [&](int x, int y, float r, float g, float b) {
    if (x < 0 || y < 0 || x >= width || y >= height)
      return;
    float* px = &img[((size_t)y * width + x) * 3];
    px[0] = std::max(px[0], r);
    px[1] = std::max(px[1], g);
    px[2] = std::max(px[2], b);
  };
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      float fx = (float)x / width, fy = (float)y / height;
      float haze = 0.10f * std::exp(-((fx - 0.25f) * (fx - 0.25f) + (fy - 0.7f) * (fy - 0.7f)) * 6);
      put(x, y, 0.02f + haze * 0.6f, 0.02f + haze * 0.3f, 0.06f + haze);
    }
  Lcg rng{seed};
  int stars = width * height / 60;
  for (int i = 0; i < stars; ++i) {
    int x = (int)(rng.Next() % (uint32_t)width), y = (int)(rng.Next() % (uint32_t)height);
    float v = 0.35f + 0.65f * rng.Unit() * rng.Unit();
    put(x, y, v, v, std::min(1.0f, v * 1.1f));
  }
  float cx = width * 0.62f, cy = height * 0.55f, radius = height * 0.33f;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      float dx = (x + 0.5f - cx) / radius, dy = (y + 0.5f - cy) / radius;
      float d2 = dx * dx + dy * dy;
      if (d2 > 1.0f)
        continue;
      float dz = std::sqrt(1.0f - d2);
      float light = std::max(0.0f, -0.55f * dx - 0.45f * dy + 0.7f * dz);
      float band = 0.5f + 0.5f * std::sin(dy * 9.0f + std::sin(dx * 3.0f) * 0.8f);
      float r = (0.75f + 0.2f * band) * light, g = (0.5f + 0.2f * band) * light,
            b = (0.3f + 0.1f * band) * light;
      put(x, y, r + 0.02f, g + 0.02f, b + 0.05f);
    }
  // The ring: an ellipse seen from just above its plane, in front of the planet.
  for (int i = 0; i < 2000; ++i) {
    float a = i * 6.2831853f / 2000.0f;
    for (float k = 1.45f; k <= 1.75f; k += 0.05f) {
      float rx = std::cos(a) * radius * k, ry = std::sin(a) * radius * k * 0.22f;
      float tx = rx * 0.97f - ry * 0.26f, ty = rx * 0.26f + ry * 0.97f;
      bool behind = std::sin(a) < 0 && (tx * tx + ty * ty) < radius * radius;
      if (!behind)
        put((int)(cx + tx), (int)(cy + ty), 0.55f, 0.5f, 0.45f);
    }
  }
  p.rgb.resize(img.size());
  for (size_t i = 0; i < img.size(); ++i)
    p.rgb[i] = ToByte(img[i]);
  if (frame) {
    auto set = [&](int x, int y) {
      uint8_t* px = &p.rgb[((size_t)y * width + x) * 3];
      px[0] = 0x40;
      px[1] = 0x60;
      px[2] = 0xa0;
    };
    for (int x = 0; x < width; ++x) {
      set(x, 0);
      set(x, height - 1);
    }
    for (int y = 0; y < height; ++y) {
      set(0, y);
      set(width - 1, y);
    }
  }
  return p;
}

// The built-in picture when there is one of the wanted size (any size when
// width is 0), else the placeholder.
template <typename Placeholder>
Picture Pick(const uint8_t* data, size_t size, int width, int height, Placeholder placeholder) {
  Picture picture;
  if (data && DecodePng(data, size, picture) &&
      (width == 0 || (picture.width == width && picture.height == height)))
    return picture;
  return placeholder();
}

} // namespace

bool DecodePng(const uint8_t* data, size_t size, Picture& picture) {
  static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  if (!data || size < 8 || memcmp(data, signature, 8) != 0)
    return false;
  uint32_t width = 0, height = 0;
  int channels = 0;
  std::vector<uint8_t> compressed;
  bool haveHeader = false, ended = false;
  for (size_t at = 8; at + 12 <= size && !ended;) {
    uint32_t length = BigEndian32(data + at);
    if (length > size - at - 12)
      return false;
    const uint8_t* type = data + at + 4;
    const uint8_t* body = data + at + 8;
    uint32_t crc = (uint32_t)crc32(0, type, length + 4);
    if (crc != BigEndian32(body + length))
      return false;
    if (memcmp(type, "IHDR", 4) == 0) {
      if (length != 13 || haveHeader)
        return false;
      width = BigEndian32(body);
      height = BigEndian32(body + 4);
      uint8_t depth = body[8], colour = body[9];
      if (depth != 8 || (colour != 2 && colour != 6) || body[10] != 0 || body[11] != 0 ||
          body[12] != 0)
        return false;
      if (width == 0 || height == 0 || width > 4096 || height > 4096)
        return false;
      channels = colour == 6 ? 4 : 3;
      haveHeader = true;
    } else if (memcmp(type, "IDAT", 4) == 0) {
      if (!haveHeader)
        return false;
      compressed.insert(compressed.end(), body, body + length);
    } else if (memcmp(type, "IEND", 4) == 0) {
      ended = true;
    }
    at += 12 + (size_t)length;
  }
  if (!haveHeader || !ended || compressed.empty())
    return false;

  size_t stride = (size_t)width * channels;
  std::vector<uint8_t> raw((stride + 1) * height);
  uLongf rawSize = (uLongf)raw.size();
  if (uncompress(raw.data(), &rawSize, compressed.data(), (uLong)compressed.size()) != Z_OK ||
      rawSize != raw.size())
    return false;

  // Undo the row filters in place.
  for (uint32_t y = 0; y < height; ++y) {
    uint8_t* row = &raw[y * (stride + 1)];
    uint8_t filter = row[0];
    uint8_t* cur = row + 1;
    const uint8_t* prev = y > 0 ? &raw[(y - 1) * (stride + 1) + 1] : nullptr;
    for (size_t i = 0; i < stride; ++i) {
      int a = i >= (size_t)channels ? cur[i - channels] : 0;
      int b = prev ? prev[i] : 0;
      int c = prev && i >= (size_t)channels ? prev[i - channels] : 0;
      int add;
      switch (filter) {
      case 0:
        add = 0;
        break;
      case 1:
        add = a;
        break;
      case 2:
        add = b;
        break;
      case 3:
        add = (a + b) / 2;
        break;
      case 4:
        add = Paeth(a, b, c);
        break;
      default:
        return false;
      }
      cur[i] = (uint8_t)(cur[i] + add);
    }
  }

  picture.width = (int)width;
  picture.height = (int)height;
  picture.rgb.resize((size_t)width * height * 3);
  for (uint32_t y = 0; y < height; ++y) {
    const uint8_t* src = &raw[y * (stride + 1) + 1];
    uint8_t* dst = &picture.rgb[(size_t)y * width * 3];
    for (uint32_t x = 0; x < width; ++x)
      memcpy(dst + x * 3, src + x * channels, 3);
  }
  return true;
}

#ifdef NIMBREL_EMBEDDED_PICTURES
#define EMBEDDED(name) EmbeddedPicture_##name, EmbeddedPictureSize_##name
#else
#define EMBEDDED(name) nullptr, 0
#endif

const Picture& PreviewPicture() {
  static const Picture picture =
      Pick(EMBEDDED(preview), 155, 115, [] { return SpaceView(155, 115, 112, true); });
  return picture;
}

const Picture& DecorationPicture() {
  static const Picture picture =
      Pick(EMBEDDED(dialog), 263, 179, [] { return SpaceView(263, 179, 107, true); });
  return picture;
}

const Picture& IconPicture() {
  static const Picture picture =
      Pick(EMBEDDED(icon), 0, 0, [] { return SpaceView(32, 32, 111, false); });
  return picture;
}

} // namespace ui
