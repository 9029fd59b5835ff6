#include "GenCommon.h"

#include <cstring>
#include <jpeglib.h>
#include <zlib.h>

namespace gen {

Noise::Noise(uint32_t seed) {
  Lcg rng(seed);
  for (int i = 0; i < 256; ++i)
    perm[i] = i;
  for (int i = 255; i > 0; --i) {
    int j = static_cast<int>(rng.Next() % static_cast<uint32_t>(i + 1));
    int t = perm[i];
    perm[i] = perm[j];
    perm[j] = t;
  }
  for (int i = 0; i < 256; ++i) {
    perm[256 + i] = perm[i];
    // Directions spread over the sphere.
    float z = rng.Range(-1, 1), a = rng.Range(0, 2 * Pi);
    float r = std::sqrt(1 - z * z);
    grad[i][0] = r * std::cos(a);
    grad[i][1] = r * std::sin(a);
    grad[i][2] = z;
  }
}

float Noise::At(float x, float y, float z) const {
  float fx = std::floor(x), fy = std::floor(y), fz = std::floor(z);
  int ix = static_cast<int>(fx) & 255, iy = static_cast<int>(fy) & 255,
      iz = static_cast<int>(fz) & 255;
  float dx = x - fx, dy = y - fy, dz = z - fz;
  auto fade = [](float t) { return t * t * t * (t * (t * 6 - 15) + 10); };
  float u = fade(dx), v = fade(dy), w = fade(dz);
  auto corner = [&](int cx, int cy, int cz) {
    const float* g =
        grad[perm[perm[perm[(ix + cx) & 255] + ((iy + cy) & 255)] + ((iz + cz) & 255)]];
    return g[0] * (dx - cx) + g[1] * (dy - cy) + g[2] * (dz - cz);
  };
  auto lerp = [](float a, float b, float t) { return a + (b - a) * t; };
  float x00 = lerp(corner(0, 0, 0), corner(1, 0, 0), u);
  float x10 = lerp(corner(0, 1, 0), corner(1, 1, 0), u);
  float x01 = lerp(corner(0, 0, 1), corner(1, 0, 1), u);
  float x11 = lerp(corner(0, 1, 1), corner(1, 1, 1), u);
  return 1.4f * lerp(lerp(x00, x10, v), lerp(x01, x11, v), w);
}

float Noise::Fbm(float x, float y, float z, int octaves, float gain) const {
  float sum = 0, amp = 1, norm = 0;
  for (int i = 0; i < octaves; ++i) {
    sum += amp * At(x, y, z);
    norm += amp;
    amp *= gain;
    x = x * 2.03f + 17.1f, y = y * 2.03f + 5.3f, z = z * 2.03f + 9.7f;
  }
  return sum / norm;
}

float Noise::Ridged(float x, float y, float z, int octaves) const {
  float sum = 0, amp = 1, norm = 0;
  for (int i = 0; i < octaves; ++i) {
    float n = 1 - std::fabs(At(x, y, z));
    sum += amp * n * n;
    norm += amp;
    amp *= 0.5f;
    x = x * 2.1f + 3.1f, y = y * 2.1f + 7.7f, z = z * 2.1f + 1.3f;
  }
  return sum / norm;
}

Rgb Ramp(const std::vector<RampStop>& stops, float x) {
  if (x <= stops.front().at)
    return stops.front().color;
  for (size_t i = 1; i < stops.size(); ++i)
    if (x <= stops[i].at) {
      float t = (x - stops[i - 1].at) / (stops[i].at - stops[i - 1].at);
      return Mix(stops[i - 1].color, stops[i].color, t);
    }
  return stops.back().color;
}

void Image::Add(int x, int y, Rgb c, float weight, bool wrapX) {
  if (wrapX)
    x = ((x % width) + width) % width;
  if (x < 0 || y < 0 || x >= width || y >= height)
    return;
  float* p = At(x, y);
  p[0] += c.r * weight, p[1] += c.g * weight, p[2] += c.b * weight;
  p[3] += weight;
}

void Image::Splat(float cx, float cy, float sigma, Rgb c, float weight, bool wrapX, float sx) {
  int rx = static_cast<int>(std::ceil(3 * sigma * sx)), ry = static_cast<int>(std::ceil(3 * sigma));
  int x0 = static_cast<int>(std::floor(cx)), y0 = static_cast<int>(std::floor(cy));
  float inv = 1.0f / (2 * sigma * sigma);
  for (int y = y0 - ry; y <= y0 + ry + 1; ++y)
    for (int x = x0 - rx; x <= x0 + rx + 1; ++x) {
      float dx = (x + 0.5f - cx) / sx, dy = y + 0.5f - cy;
      float w = std::exp(-(dx * dx + dy * dy) * inv);
      if (w > 0.002f)
        Add(x, y, c, weight * w, wrapX);
    }
}

std::vector<uint8_t> Image::Bytes(int channels) const {
  std::vector<uint8_t> out(static_cast<size_t>(width) * height * channels);
  for (size_t i = 0, n = static_cast<size_t>(width) * height; i < n; ++i)
    for (int c = 0; c < channels; ++c)
      out[i * channels + c] = static_cast<uint8_t>(Clamp01(px[i * 4 + c]) * 255.0f + 0.5f);
  return out;
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return false;
  }
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = (std::fclose(f) == 0) && ok;
  if (!ok)
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
  return ok;
}

bool WriteJpeg(const std::string& path, const Image& image, int quality) {
  std::vector<uint8_t> rgb = image.Bytes(3);
  jpeg_compress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  unsigned char* mem = nullptr;
  unsigned long memSize = 0;
  jpeg_mem_dest(&cinfo, &mem, &memSize);
  cinfo.image_width = static_cast<JDIMENSION>(image.width);
  cinfo.image_height = static_cast<JDIMENSION>(image.height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  cinfo.optimize_coding = TRUE;
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = &rgb[static_cast<size_t>(cinfo.next_scanline) * image.width * 3];
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  std::vector<uint8_t> bytes(mem, mem + memSize);
  jpeg_destroy_compress(&cinfo);
  std::free(mem);
  return WriteFile(path, bytes);
}

bool WriteTga(const std::string& path, const Image& image, bool rle) {
  std::vector<uint8_t> rgba = image.Bytes(4);
  std::vector<uint8_t> out(18, 0);
  out[2] = rle ? 10 : 2;
  out[12] = image.width & 255, out[13] = image.width >> 8;
  out[14] = image.height & 255, out[15] = image.height >> 8;
  out[16] = 32;
  out[17] = 8; // eight alpha bits, rows bottom-up
  // Pixels as blue, green, red, alpha, bottom row first.
  std::vector<uint32_t> pixels;
  pixels.reserve(static_cast<size_t>(image.width) * image.height);
  for (int y = image.height - 1; y >= 0; --y)
    for (int x = 0; x < image.width; ++x) {
      const uint8_t* p = &rgba[(static_cast<size_t>(y) * image.width + x) * 4];
      pixels.push_back(p[2] | (p[1] << 8) | (p[0] << 16) | (static_cast<uint32_t>(p[3]) << 24));
    }
  auto put = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i)
      out.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  if (!rle) {
    for (uint32_t v : pixels)
      put(v);
    return WriteFile(path, out);
  }
  // Run-length packets never cross a row, as most readers expect.
  for (int row = 0; row < image.height; ++row) {
    const uint32_t* p = &pixels[static_cast<size_t>(row) * image.width];
    int x = 0;
    while (x < image.width) {
      int run = 1;
      while (x + run < image.width && run < 128 && p[x + run] == p[x])
        ++run;
      if (run >= 2) {
        out.push_back(static_cast<uint8_t>(0x80 | (run - 1)));
        put(p[x]);
        x += run;
        continue;
      }
      int raw = 1;
      while (x + raw < image.width && raw < 128 &&
             !(x + raw + 1 < image.width && p[x + raw] == p[x + raw + 1]))
        ++raw;
      out.push_back(static_cast<uint8_t>(raw - 1));
      for (int i = 0; i < raw; ++i)
        put(p[x + i]);
      x += raw;
    }
  }
  return WriteFile(path, out);
}

bool WritePng(const std::string& path, const Image& image) {
  std::vector<uint8_t> rgba = image.Bytes(4);
  std::vector<uint8_t> raw;
  for (int y = 0; y < image.height; ++y) {
    raw.push_back(0);
    raw.insert(raw.end(), rgba.begin() + static_cast<long>(y) * image.width * 4,
               rgba.begin() + static_cast<long>(y + 1) * image.width * 4);
  }
  uLongf zsize = compressBound(raw.size());
  std::vector<uint8_t> z(zsize);
  compress2(z.data(), &zsize, raw.data(), raw.size(), 9);
  z.resize(zsize);
  std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  auto be32 = [&](std::vector<uint8_t>& v, uint32_t x) {
    for (int i = 3; i >= 0; --i)
      v.push_back(static_cast<uint8_t>(x >> (8 * i)));
  };
  auto chunk = [&](const char* type, const std::vector<uint8_t>& body) {
    be32(out, static_cast<uint32_t>(body.size()));
    std::vector<uint8_t> typed(type, type + 4);
    typed.insert(typed.end(), body.begin(), body.end());
    out.insert(out.end(), typed.begin(), typed.end());
    be32(out, static_cast<uint32_t>(crc32(0, typed.data(), static_cast<uInt>(typed.size()))));
  };
  std::vector<uint8_t> ihdr;
  be32(ihdr, static_cast<uint32_t>(image.width));
  be32(ihdr, static_cast<uint32_t>(image.height));
  ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0}); // 8-bit RGBA
  chunk("IHDR", ihdr);
  chunk("IDAT", z);
  chunk("IEND", {});
  return WriteFile(path, out);
}

void DatMeshOut::Append(const DatMeshOut& other) {
  uint32_t vBase = static_cast<uint32_t>(vertices.size() / 3);
  uint32_t tBase = static_cast<uint32_t>(texCoords.size() / 2);
  vertices.insert(vertices.end(), other.vertices.begin(), other.vertices.end());
  texCoords.insert(texCoords.end(), other.texCoords.begin(), other.texCoords.end());
  for (uint32_t v : other.cornerV)
    cornerV.push_back(v + vBase);
  for (uint32_t t : other.cornerT)
    cornerT.push_back(t + tBase);
  cornerNormal.insert(cornerNormal.end(), other.cornerNormal.begin(), other.cornerNormal.end());
}

std::vector<uint8_t> DatMeshOut::Serialize() const {
  std::vector<uint8_t> out;
  auto u32 = [&](uint32_t x) {
    for (int i = 0; i < 4; ++i)
      out.push_back(static_cast<uint8_t>(x >> (8 * i)));
  };
  auto f32 = [&](float f) {
    uint32_t x;
    std::memcpy(&x, &f, 4);
    u32(x);
  };
  u32(static_cast<uint32_t>(vertices.size() / 3));
  u32(static_cast<uint32_t>(cornerV.size() / 3));
  u32(static_cast<uint32_t>(texCoords.size() / 2));
  for (float f : vertices)
    f32(f);
  for (uint32_t v : cornerV)
    u32(v);
  for (uint32_t t : cornerT)
    u32(t);
  for (float f : texCoords)
    f32(f);
  for (float f : cornerNormal)
    f32(f);
  return out;
}

} // namespace gen
