// Texture decoding and upload with the bundled scene's textures (the members
// "texture.txt" lists): JPEG and TGA decoding from memory, the upload with its
// mipmap chain on an offscreen OpenGL context, and the whole load as the saver
// does it (archive member, decode, upload). Throughput is counted in pixels
// of the full-size images (items_per_second; wall time for the OpenGL work,
// which the driver spreads over its own threads).
//
// The data directory is NIMBREL_BENCH_DATA when set, else the build tree's.
#include <benchmark/benchmark.h>

#include <GL/gl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/OffscreenGl.h"
#include "resources/ArchiveFile.h"
#include "resources/JpegImage.h"
#include "resources/TextureCatalogue.h"
#include "resources/TgaImage.h"

namespace {

std::string DataDirectory() {
  const char* dir = getenv("NIMBREL_BENCH_DATA");
  return dir && *dir ? dir : NIMBREL_BUILD_DATA_DIR;
}

// One offscreen OpenGL context for the whole run, with the saver's pixel
// format.
OffscreenGl& Gl() {
  static OffscreenGl context;
  static const bool tried = (context.Create(64, 64, "bench"), true);
  (void)tried;
  return context;
}

// A decoded image ready for UploadImage.
struct Picture {
  int components = 3;
  GLenum format = GL_RGB;
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;
};

struct TextureSet {
  std::vector<std::string> names; // as texture.txt gives them
  std::vector<std::vector<uint8_t>> jpegFiles;
  std::vector<std::unique_ptr<ArchiveFile>> tgaFiles;
  std::vector<Picture> pictures;
  double jpegPixels = 0;
  double tgaPixels = 0;
  double allPixels = 0;
  std::string error;
};

bool EndsWith(const std::string& s, const char* tail) {
  size_t n = strlen(tail);
  return s.size() >= n && strcasecmp(s.c_str() + s.size() - n, tail) == 0;
}

TextureSet LoadSet() {
  TextureSet set;
  const std::string archive = DataDirectory() + "/data.sdd";
  ArchiveFile list;
  if (!list.OpenFrom(archive.c_str(), "texture.txt")) {
    set.error = "cannot read texture.txt from " + archive;
    return set;
  }
  char line[ArchiveFile::LineBufferSize];
  for (;;) {
    const bool more = list.ReadLine(line);
    if (strncmp(line, "END_TEXT", 8) == 0)
      break;
    char word[ArchiveFile::LineBufferSize];
    if (sscanf(line, "%127s", word) == 1 && strlen(word) <= size_t(MaxTextureFileName))
      set.names.push_back(word);
    if (!more)
      break;
  }
  for (const std::string& name : set.names) {
    std::string member = "textures\\" + name;
    auto file = std::make_unique<ArchiveFile>();
    if (!file->OpenFrom(archive.c_str(), member.c_str())) {
      set.error = "cannot read " + member;
      return set;
    }
    Picture picture;
    if (EndsWith(name, ".jpg")) {
      JpegImage image;
      if (!DecodeJpeg(file->data, file->size, image)) {
        set.error = "cannot decode " + member;
        return set;
      }
      picture.width = image.width;
      picture.height = image.height;
      picture.pixels.assign(image.pixels, image.pixels + size_t(image.rowBytes) * image.height);
      free(image.pixels);
      set.jpegPixels += double(image.width) * image.height;
      set.jpegFiles.emplace_back(file->data, file->data + file->size);
    } else if (EndsWith(name, ".tga")) {
      TgaImage image;
      if (!DecodeTga(*file, image)) {
        set.error = "cannot decode " + member;
        return set;
      }
      const int bytes = image.pixelDepth / 8;
      picture.width = image.width;
      picture.height = image.height;
      picture.components = bytes == 4 ? 4 : bytes == 3 ? 3 : GL_LUMINANCE;
      picture.format = bytes == 4 ? GL_RGBA : bytes == 3 ? GL_BGR : GL_LUMINANCE;
      picture.pixels.assign(image.pixels,
                            image.pixels + size_t(image.width) * image.height * size_t(bytes));
      free(image.pixels);
      set.tgaPixels += double(image.width) * image.height;
      set.tgaFiles.push_back(std::move(file));
    } else {
      continue;
    }
    set.allPixels += double(picture.width) * picture.height;
    set.pictures.push_back(std::move(picture));
  }
  return set;
}

const TextureSet& Set() {
  static TextureSet set = LoadSet();
  return set;
}

void BM_TextureDecodeJpeg(benchmark::State& state) {
  const TextureSet& set = Set();
  if (!set.error.empty()) {
    state.SkipWithError(set.error.c_str());
    return;
  }
  for (auto _ : state) {
    for (const std::vector<uint8_t>& file : set.jpegFiles) {
      JpegImage image;
      if (!DecodeJpeg(file.data(), file.size(), image))
        state.SkipWithError("decode failed");
      benchmark::DoNotOptimize(image.pixels);
      free(image.pixels);
    }
  }
  state.SetItemsProcessed(int64_t(double(state.iterations()) * set.jpegPixels));
  state.counters["images"] = double(set.jpegFiles.size());
}

void BM_TextureDecodeTga(benchmark::State& state) {
  const TextureSet& set = Set();
  if (!set.error.empty()) {
    state.SkipWithError(set.error.c_str());
    return;
  }
  for (auto _ : state) {
    for (const std::unique_ptr<ArchiveFile>& file : set.tgaFiles) {
      file->cursor = 0;
      TgaImage image;
      if (!DecodeTga(*file, image))
        state.SkipWithError("decode failed");
      benchmark::DoNotOptimize(image.pixels);
      free(image.pixels);
    }
  }
  state.SetItemsProcessed(int64_t(double(state.iterations()) * set.tgaPixels));
  state.counters["images"] = double(set.tgaFiles.size());
}

void BM_TextureUpload(benchmark::State& state) {
  if (!Gl().Ready()) {
    state.SkipWithError("no offscreen OpenGL context");
    return;
  }
  const TextureSet& set = Set();
  if (!set.error.empty()) {
    state.SkipWithError(set.error.c_str());
    return;
  }
  std::vector<GLuint> names;
  for (auto _ : state) {
    names.clear();
    for (const Picture& p : set.pictures)
      names.push_back(UploadImage(p.components, p.format, p.width, p.height, p.pixels.data()));
    glFinish();
    state.PauseTiming();
    glDeleteTextures(GLsizei(names.size()), names.data());
    glFinish();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(int64_t(double(state.iterations()) * set.allPixels));
}

// The saver's path: archive member, decode and upload, through TextureEntry.
void BM_TextureLoad(benchmark::State& state) {
  if (!Gl().Ready()) {
    state.SkipWithError("no offscreen OpenGL context");
    return;
  }
  const TextureSet& set = Set();
  if (!set.error.empty()) {
    state.SkipWithError(set.error.c_str());
    return;
  }
  if (chdir(DataDirectory().c_str()) != 0) {
    state.SkipWithError("cannot enter the data directory");
    return;
  }
  for (auto _ : state) {
    std::vector<GLuint> names;
    for (const std::string& name : set.names) {
      TextureEntry entry;
      entry.Load(name.c_str());
      names.push_back(entry.textureName);
    }
    glFinish();
    state.PauseTiming();
    glDeleteTextures(GLsizei(names.size()), names.data());
    state.ResumeTiming();
  }
  state.SetItemsProcessed(int64_t(double(state.iterations()) * set.allPixels));
  state.counters["images"] = double(set.names.size());
}

} // namespace

BENCHMARK(BM_TextureDecodeJpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextureDecodeTga)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextureUpload)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TextureLoad)->Unit(benchmark::kMillisecond)->UseRealTime();
