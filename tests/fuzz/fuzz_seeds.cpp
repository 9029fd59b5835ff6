// Writes the seed corpora and dictionaries of the fuzz targets: small valid
// inputs of every format, made here so a fresh clone needs no data files.
//   fuzz_seeds <dir>   ->  <dir>/<target>/seed-N and <dir>/<target>.dict
#include <cstdio>
#include <cstdlib>
// After <cstdio>: jpeglib.h uses FILE and size_t without including them.
#include <jpeglib.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "resources/RarPack20.h"
#include "resources/RarWriter.h"

namespace fs = std::filesystem;
using Bytes = std::string;

static fs::path OutDir;

static void Save(const std::string& target, const Bytes& bytes) {
  fs::path dir = OutDir / target;
  fs::create_directories(dir);
  int n = 0;
  while (fs::exists(dir / ("seed-" + std::to_string(n))))
    ++n;
  FILE* f = fopen((dir / ("seed-" + std::to_string(n))).c_str(), "wb");
  if (!f || fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) {
    perror("fuzz_seeds");
    exit(1);
  }
  fclose(f);
}

static void SaveDict(const std::string& target, const std::vector<std::string>& words) {
  fs::create_directories(OutDir);
  FILE* f = fopen((OutDir / (target + ".dict")).c_str(), "w");
  if (!f)
    exit(1);
  for (const std::string& w : words) {
    fputc('"', f);
    for (unsigned char c : w) {
      if (c == '"' || c == '\\' || c < 32 || c > 126)
        fprintf(f, "\\x%02X", c);
      else
        fputc(c, f);
    }
    fputs("\"\n", f);
  }
  fclose(f);
}

static void Put16(Bytes& b, unsigned v) {
  b += char(v & 0xff);
  b += char((v >> 8) & 0xff);
}
static void Put32(Bytes& b, uint32_t v) {
  for (int i = 0; i < 4; ++i)
    b += char((v >> (8 * i)) & 0xff);
}
static void PutFloat(Bytes& b, float f) {
  uint32_t v;
  memcpy(&v, &f, 4);
  Put32(b, v);
}

// --- TGA ---------------------------------------------------------------------

static Bytes TgaHeader(int type, int depth, int w, int h, int mapLength = 0, int mapEntry = 0,
                       int descriptor = 0, const Bytes& id = "") {
  Bytes b;
  b += char(id.size());
  b += char(mapLength ? 1 : 0);
  b += char(type);
  Put16(b, 0);
  Put16(b, mapLength);
  b += char(mapEntry);
  Put16(b, 0);
  Put16(b, 0);
  Put16(b, w);
  Put16(b, h);
  b += char(depth);
  b += char(descriptor);
  b += id;
  return b;
}

static Bytes Pixel(int depth, int i) {
  Bytes p;
  for (int c = 0; c < depth / 8; ++c)
    p += char((i * 37 + c * 91) & 0xff);
  return p;
}

static Bytes TgaRaw(int type, int depth, int w, int h, int descriptor = 0) {
  Bytes b = TgaHeader(type, depth, w, h, 0, 0, descriptor, type == 3 ? "" : "id");
  for (int i = 0; i < w * h; ++i)
    b += Pixel(depth, i);
  return b;
}

static Bytes TgaRle(int type, int depth, int w, int h) {
  Bytes b = TgaHeader(type, depth, w, h);
  int left = w * h, i = 0;
  while (left > 0) {
    int run = std::min(left, (i % 2) ? 5 : 3);
    if (i % 2) { // a repeated pixel
      b += char(0x80 | (run - 1));
      b += Pixel(depth, i);
    } else { // raw pixels
      b += char(run - 1);
      for (int k = 0; k < run; ++k)
        b += Pixel(depth, i + k);
    }
    left -= run;
    ++i;
  }
  return b;
}

static Bytes TgaMapped(int type, int w, int h, int entryBits) {
  Bytes b = TgaHeader(type, 8, w, h, 4, entryBits);
  for (int i = 0; i < 4; ++i)
    b += Pixel(entryBits, i * 3 + 1);
  if (type == 1) {
    for (int i = 0; i < w * h; ++i)
      b += char(i % 4);
  } else {
    b += char(0x80 | (w * h - 1));
    b += char(2);
  }
  return b;
}

static std::vector<Bytes> TgaSeeds() {
  return {TgaRaw(2, 24, 4, 3),    TgaRaw(2, 32, 3, 2, 0x28), TgaRaw(2, 16, 2, 2),
          TgaRaw(3, 8, 5, 1),     TgaRle(10, 24, 4, 4),      TgaRle(10, 32, 3, 3),
          TgaRle(11, 8, 4, 2),    TgaRle(10, 16, 2, 3),      TgaMapped(1, 3, 3, 24),
          TgaMapped(9, 2, 2, 32), TgaMapped(1, 2, 2, 16)};
}

// --- JPEG --------------------------------------------------------------------

static Bytes Jpeg(int w, int h, int components, bool progressive, int quality) {
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* out = nullptr;
  unsigned long outSize = 0;
  jpeg_mem_dest(&c, &out, &outSize);
  c.image_width = w;
  c.image_height = h;
  c.input_components = components;
  c.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, quality, TRUE);
  if (progressive)
    jpeg_simple_progression(&c);
  jpeg_start_compress(&c, TRUE);
  std::vector<unsigned char> row(size_t(w) * components);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w * components; ++x)
      row[x] = (unsigned char)((x * 13 + y * 29) & 0xff);
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&c, &r, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  Bytes b(reinterpret_cast<char*>(out), outSize);
  free(out);
  return b;
}

static std::vector<Bytes> JpegSeeds() {
  return {Jpeg(8, 8, 3, false, 75), Jpeg(17, 5, 3, true, 50), Jpeg(4, 9, 1, false, 90),
          Jpeg(1, 1, 3, false, 10)};
}

// --- .dat meshes -------------------------------------------------------------

// A tetrahedron in the .dat layout: counts, vertices, vertex indices,
// texture indices, texture coordinates, corner normals.
static Bytes DatMeshBytes(bool badIndex) {
  const float v[4][3] = {{0, 0, 1}, {1, 0, -1}, {-1, 1, -1}, {-1, -1, -1}};
  const uint32_t tri[4][3] = {{0, 1, 2}, {0, 2, 3}, {0, 3, 1}, {1, 3, 2}};
  const float uv[3][2] = {{0, 0}, {1, 0}, {0.5f, 1}};
  Bytes b;
  Put32(b, 4);
  Put32(b, 4);
  Put32(b, 3);
  for (auto& p : v)
    for (float f : p)
      PutFloat(b, f);
  for (auto& t : tri)
    for (uint32_t i : t)
      Put32(b, badIndex && i == 3 ? 77 : i);
  for (int t = 0; t < 4; ++t)
    for (int c = 0; c < 3; ++c)
      Put32(b, c);
  for (auto& p : uv)
    for (float f : p)
      PutFloat(b, f);
  for (int t = 0; t < 4; ++t)
    for (int c = 0; c < 3; ++c)
      for (int k = 0; k < 3; ++k)
        PutFloat(b, v[tri[t][c]][k]);
  return b;
}

// --- scripts -----------------------------------------------------------------

static const char* Sep = "\n----\n";

static const char* ObjectFile = "dir objects of one world\n"
                                "sphere\n"
                                "begin earth\n"
                                "  radius 2.5\n"
                                "  position V(0 0 -40)\n"
                                "  texture sun.jpg\n"
                                "  rotation 1.5 2\n"
                                "  period 30\n"
                                "  FOV 45\n"
                                "  alpha 0.8\n"
                                "  tiling 2\n"
                                "  detiling 0.5\n"
                                "  light\n"
                                "  specular\n"
                                "  atmo\n"
                                "  noised\n"
                                "  moon\n"
                                "  orbit V(0 1 0) 20\n"
                                "  parent earth V(1 2 3)\n"
                                "end\n"
                                "sphere\n"
                                "begin ring\n"
                                "ring\n"
                                "parent earth\n"
                                "scatter\n"
                                "env\n"
                                "sys\n"
                                "uranmoon\n"
                                "farpos\n"
                                "mask\n"
                                "wire\n"
                                "depth\n"
                                "geo\n"
                                "end\n"
                                "billboard\n"
                                "begin\n"
                                "size 3\n"
                                "position V(1 2 3)\n"
                                "texture flare.tga\n"
                                "rotation 10 5\n"
                                "parent earth V(0 1 0)\n"
                                "orient off\n"
                                "blend\n"
                                "env V(1 0 0)\n"
                                "oreol V(0 0 1) 4\n"
                                "flash 1 2 3)\n"
                                "up V(0 1 0)\n"
                                "right V(1 0 0)\n"
                                "color V(1 0.5 0.2)\n"
                                "xy 0.5\n"
                                "end\n"
                                "flare\n"
                                "begin\n"
                                "size 2\n"
                                "flash 0.3)\n"
                                "lumin 0.7)\n"
                                "focus 0.2)\n"
                                "alpha 0.5 fade: 1 2\n"
                                "texture star.TGA\n"
                                "lenseffect\n"
                                "\tsize 0.5\n"
                                "\ttexture flare.tga\n"
                                "\tsize 1.5\n"
                                "\ttexture sun.jpg\n"
                                "rotation 3 4\n"
                                "orient V(0 0 1)\n"
                                "position V(0 0 -100)\n"
                                "end\n"
                                "geometry meshes\\m.dat\n"
                                "mesh\n"
                                "begin station\n"
                                "position V(5 0 -20)\n"
                                "look V(0 0 1)\n"
                                "right V(1 0 0)\n"
                                "orient V(0 1 0) 30\n"
                                "material\n"
                                "\tmetal\n"
                                "\tmap1 sun.jpg\n"
                                "scale 2\n"
                                "light\n"
                                "illum\n"
                                "blend\n"
                                "color V(0.5 1 1)\n"
                                "end\n"
                                "flame\n"
                                "begin\n"
                                "texture flare.tga\n"
                                "size 4\n"
                                "angle 20\n"
                                "ell 1.5\n"
                                "offset 0.2\n"
                                "orient V(0 1 0)\n"
                                "colorfrom V(1 1 0)\n"
                                "colorto V(1 0 0)\n"
                                "parent station\n"
                                "end\n"
                                "ps\n"
                                "begin\n"
                                "texture star.TGA\n"
                                "size 0.3\n"
                                "line\n"
                                "circ\n"
                                "flash\n"
                                "time 0.1\n"
                                "dens 20\n"
                                "point1 V(0 0 0)\n"
                                "rot V(0 1 0)\n"
                                "parent earth\n"
                                "position V(0 1 0)\n"
                                "end\n"
                                "ENDWORLD\n";

static Bytes SmallObjects() {
  return "sphere\nbegin sun\nradius 1\nend\nbillboard\nbegin\nsize 1\nend\n";
}

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: fuzz_seeds <corpus directory>\n");
    return 2;
  }
  OutDir = argv[1];

  std::vector<Bytes> tgas = TgaSeeds();
  std::vector<Bytes> jpegs = JpegSeeds();
  Bytes dat = DatMeshBytes(false);

  for (const Bytes& t : tgas)
    Save("tga", t);
  for (const Bytes& j : jpegs)
    Save("jpeg", j);
  Save("dat", dat);
  Save("dat", DatMeshBytes(true));
  Save("dat", dat.substr(0, 40));

  // Texture catalogue: the list, then the three images it can name.
  Save("texture_catalogue",
       Bytes("a.tga\nb.jpg\nc.TGA\nEND_TEXT\n") + Sep + tgas[0] + Sep + jpegs[0] + Sep + tgas[4]);
  Save("texture_catalogue", Bytes("  a.tga extra words\n\nb.jpg\r\nmissing.jpg\nc.TGA\nd.png\n") +
                                Sep + tgas[8] + Sep + jpegs[1] + Sep + tgas[5]);
  Save("texture_catalogue", Bytes("b.jpg\na.tga") + Sep + tgas[6] + Sep + jpegs[2]);
  // Tiny images whose headers claim 16384 x 16384 pixels (once held gigabytes).
  {
    Bytes hugeTga = TgaHeader(2, 32, 16384, 16384) + "\x01\x02\x03\x04";
    Bytes hugeJpeg = jpegs[0];
    size_t sof = hugeJpeg.find("\xff\xc0");
    if (sof != Bytes::npos && sof + 9 <= hugeJpeg.size())
      for (size_t at : {sof + 5, sof + 7}) {
        hugeJpeg[at] = char(0x40);
        hugeJpeg[at + 1] = char(0x00);
      }
    Save("tga", hugeTga);
    Save("jpeg", hugeJpeg);
    Save("texture_catalogue", Bytes("a.tga\nb.jpg\nEND_TEXT\n") + Sep + hugeTga + Sep + hugeJpeg);
  }

  // Object files, environments, worlds.
  Save("objects", Bytes(ObjectFile) + Sep + dat);
  Save("objects", SmallObjects());
  Save("env", Bytes("Environments\nenv space\nfirstpass a.txt\npostpass b.txt\nend\n"
                    "env nebula\npostpass a.txt\nENV_END inside\nend\nENV_END\n") +
                  Sep + ObjectFile + Sep + SmallObjects());
  Save("env", Bytes("env empty\nend\nenv two\nfirstpass a.txt\nfirstpass a.txt\nend") + Sep +
                  SmallObjects());
  Save("worlds", Bytes("Worlds\nworld earth\nenv space\nobjects a.txt\nsystem\nscenedir earth\n"
                       "end\nworld moon\nenv nowhere\nscenedir moon\nend\nWORLD_END\n") +
                     Sep + ObjectFile);
  Save("worlds",
       Bytes("world a\nobjects a.txt\nobjects a.txt\nenv nebula\nend") + Sep + SmallObjects());

  // Archives: stored, compressed, solid, with several members.
  std::vector<RarInputMember> members = {
      {"texture.txt", {'a', '.', 't', 'g', 'a', '\n'}},
      {"textures\\a.tga", std::vector<uint8_t>(tgas[0].begin(), tgas[0].end())},
      {"worlds.txt", std::vector<uint8_t>(ObjectFile, ObjectFile + strlen(ObjectFile))},
      {"meshes\\m.dat", std::vector<uint8_t>(dat.begin(), dat.end())},
      {"empty.txt", {}},
      {"objects.txt", std::vector<uint8_t>(4 * strlen(ObjectFile))}};
  for (size_t i = 0; i < members.back().data.size(); ++i)
    members.back().data[i] = uint8_t(ObjectFile[i % strlen(ObjectFile)]);
  std::vector<uint8_t> archive;
  RarWriteOptions stored;
  stored.storeOnly = true;
  RarWriteOptions packed;
  RarWriteOptions solid;
  solid.solid = true;
  for (const RarWriteOptions& options : {stored, packed, solid}) {
    if (BuildRarArchive(members, options, archive))
      Save("archive", Bytes(archive.begin(), archive.end()));
  }
  if (BuildRarArchive({members[0]}, stored, archive))
    Save("archive", Bytes(archive.begin(), archive.end()));

  // Raw RAR 2.0 streams from our encoder, one member and a solid pair.
  {
    Bytes text = Bytes(ObjectFile) + ObjectFile;
    rar::Encoder20 encoder;
    std::vector<uint8_t> a =
        encoder.Compress(reinterpret_cast<const uint8_t*>(text.data()), text.size(), false);
    Bytes one;
    one += char(1); // version 20, one member
    one += char(text.size() & 0xff);
    one += char((text.size() >> 8) & 0xff);
    one += char((text.size() >> 16) & 0xff);
    one += Bytes(a.begin(), a.end());
    Save("rar_unpack", one);

    Bytes blob;
    for (int i = 0; i < 3000; ++i)
      blob += char((i * i) >> 3);
    rar::Encoder20 pair;
    std::vector<uint8_t> first =
        pair.Compress(reinterpret_cast<const uint8_t*>(blob.data()), blob.size(), false);
    std::vector<uint8_t> second =
        pair.Compress(reinterpret_cast<const uint8_t*>(blob.data()), blob.size(), true);
    Bytes two;
    two += char(1 | 4 | 8); // version 20, solid pair
    two += char(blob.size() & 0xff);
    two += char((blob.size() >> 8) & 0xff);
    two += char((blob.size() >> 16) & 0xff);
    Put16(two, unsigned(first.size()));
    two += Bytes(first.begin(), first.end());
    two += Bytes(second.begin(), second.end());
    Save("rar_unpack", two);
    // The same bytes read as RAR 1.5 and 2.6 data.
    one[0] = 0;
    Save("rar_unpack", one);
    one[0] = 2;
    Save("rar_unpack", one);
  }

  // Dictionaries: the keywords of each script.
  std::vector<std::string> objectWords = {
      "sphere",    "billboard",   "flare",         "mesh",         "flame",      "ps",
      "ENDWORLD",  "geometry ",   "dir",           "begin ",       "end",        "radius ",
      "FOV ",      "alpha ",      "tiling ",       "detiling ",    "period ",    "env",
      "geo",       "light",       "specular",      "depth",        "wire",       "sys",
      "noised",    "uranmoon",    "farpos",        "mask",         "list",       "ring",
      "moon",      "atmo",        "scatter",       "orbit ",       "parent ",    "texture ",
      "rotation ", "position V(", "color V(",      "size ",        "orient off", "blend",
      "oreol V(",  "flash ",      "up V(",         "right V(",     "xy ",        "lumin ",
      "focus ",    "fade: ",      "lenseffect",    "\tsize ",      "\ttexture ", "orient V(",
      "look V(",   "material",    "\tmetal",       "\tmap1 ",      "scale ",     "illum",
      "angle ",    "ell ",        "offset ",       "colorfrom V(", "colorto V(", "line",
      "circ",      "time ",       "dens ",         "point1 V(",    "rot V(",     "sun.jpg",
      "flare.tga", "star.TGA",    "meshes\\m.dat", " 1e38",        " -1e38",     " nan",
      " inf",      " 2147483647", " -2147483648",  "\n----\n"};
  SaveDict("objects", objectWords);
  std::vector<std::string> envWords = objectWords;
  for (const char* w : {"env ", "ENV_END", "firstpass ", "postpass ", "a.txt", "b.txt"})
    envWords.push_back(w);
  SaveDict("env", envWords);
  std::vector<std::string> worldWords = objectWords;
  for (const char* w :
       {"world ", "WORLD_END", "objects ", "system", "scenedir ", "space", "nebula", "a.txt"})
    worldWords.push_back(w);
  SaveDict("worlds", worldWords);
  SaveDict("texture_catalogue",
           {"END_TEXT", "a.tga", "b.jpg", "c.TGA", ".jpg", ".JPG", ".tga", ".TGA", "\n----\n"});
  return 0;
}
