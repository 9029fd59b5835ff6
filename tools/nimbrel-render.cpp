// nimbrel-render: draws the bundled scene (or any data directory) offscreen
// through the saver's own loading and frame driver, with a fixed time step
// and seed, writes the last frame as a PNG and prints timing figures.
//
//   nimbrel-render [--data DIR] [--size WxH] [--frames N] [--dt SECONDS]
//                  [--seed N] [--out FILE.png]
#include <SDL2/SDL.h>
#include <GL/gl.h>
#include <sys/resource.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "motion/Camera.h"
#include "platform/OffscreenGl.h"
#include "platform/Random.h"
#include "resources/ArchiveFile.h"
#include "resources/TextureCatalogue.h"
#include "scene/Environment.h"
#include "scene/GeometryStore.h"
#include "scene/SceneObject.h"
#include "scene/World.h"
#include "shell/DisplaySetup.h"
#include "shell/SaverApp.h"
#include "shell/SaverLoop.h"
#include "shell/Settings.h"
#include "ui/Overlay.h"

// The GL drivers leave allocations behind at exit, and scene objects live
// until the process ends by design: no leak report in sanitizer builds.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }

namespace {

struct Options {
  std::string dataDir;
  int width = 800;
  int height = 600;
  long frames = 120;
  double dt = 1.0 / 60.0;
  uint32_t seed = 1;
  std::string out = "nimbrel.png";
};

void Usage() {
  fprintf(stderr, "usage: nimbrel-render [--data DIR] [--size WxH] [--frames N] [--dt SECONDS] "
                  "[--seed N] [--out FILE.png]\n");
}

bool ParseOptions(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      Usage();
      exit(0);
    }
    if (i + 1 >= argc) {
      fprintf(stderr, "nimbrel-render: %s needs a value\n", a.c_str());
      return false;
    }
    const char* v = argv[++i];
    char* end = nullptr;
    if (a == "--data") {
      o.dataDir = v;
    } else if (a == "--size") {
      if (sscanf(v, "%dx%d", &o.width, &o.height) != 2 || o.width <= 0 || o.height <= 0 ||
          o.width > 16384 || o.height > 16384) {
        fprintf(stderr, "nimbrel-render: --size wants WIDTHxHEIGHT, got \"%s\"\n", v);
        return false;
      }
    } else if (a == "--frames") {
      o.frames = strtol(v, &end, 10);
      if (*end || o.frames < 1 || o.frames > 100000000) {
        fprintf(stderr, "nimbrel-render: --frames wants a count from 1 to 100000000, got \"%s\"\n",
                v);
        return false;
      }
    } else if (a == "--dt") {
      o.dt = strtod(v, &end);
      if (*end || !(o.dt >= 0.0) || o.dt > 3600.0) {
        fprintf(stderr, "nimbrel-render: --dt wants seconds (0 to 3600), got \"%s\"\n", v);
        return false;
      }
    } else if (a == "--seed") {
      unsigned long s = strtoul(v, &end, 10);
      if (*end || *v == '-') {
        fprintf(stderr, "nimbrel-render: --seed wants a number, got \"%s\"\n", v);
        return false;
      }
      o.seed = static_cast<uint32_t>(s);
    } else if (a == "--out") {
      o.out = v;
    } else {
      fprintf(stderr, "nimbrel-render: unknown option %s\n", a.c_str());
      Usage();
      return false;
    }
  }
  return true;
}

// --- PNG ------------------------------------------------------------------

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8)
    out.push_back(static_cast<uint8_t>(v >> shift));
}

void PutChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& body) {
  PutU32(out, static_cast<uint32_t>(body.size()));
  size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), body.begin(), body.end());
  uLong crc = crc32(0L, Z_NULL, 0);
  crc = crc32(crc, out.data() + start, static_cast<uInt>(out.size() - start));
  PutU32(out, static_cast<uint32_t>(crc));
}

// Writes RGBA pixels (bottom row first, as OpenGL reads them) as an 8-bit
// RGB PNG, top row first.
bool WritePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba) {
  std::vector<uint8_t> raw;
  raw.reserve(static_cast<size_t>(height) * (1 + 3 * static_cast<size_t>(width)));
  for (int y = height - 1; y >= 0; --y) {
    raw.push_back(0); // filter: none
    const uint8_t* row = &rgba[static_cast<size_t>(y) * width * 4];
    for (int x = 0; x < width; ++x)
      raw.insert(raw.end(), row + 4 * x, row + 4 * x + 3);
  }
  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  std::vector<uint8_t> packed(packedSize);
  if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 6) != Z_OK)
    return false;
  packed.resize(packedSize);

  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  std::vector<uint8_t> header;
  PutU32(header, static_cast<uint32_t>(width));
  PutU32(header, static_cast<uint32_t>(height));
  header.insert(header.end(), {8, 2, 0, 0, 0}); // 8 bits, RGB, deflate, no filter, no interlace
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", packed);
  PutChunk(png, "IEND", {});

  FILE* f = fopen(path.c_str(), "wb");
  if (!f)
    return false;
  bool ok = fwrite(png.data(), 1, png.size(), f) == png.size();
  ok = (fclose(f) == 0) && ok;
  return ok;
}

// --- Offscreen context ----------------------------------------------------

// The shared offscreen context, with this tool's messages; the video
// subsystem ends with it.
struct RenderContext {
  OffscreenGl gl;

  bool Create(int width, int height) {
    switch (gl.Create(width, height, "nimbrel-render")) {
    case OffscreenGlError::None:
      return true;
    case OffscreenGlError::Video:
      fprintf(stderr, "nimbrel-render: no offscreen video: %s\n", SDL_GetError());
      return false;
    case OffscreenGlError::Context:
      fprintf(stderr, "nimbrel-render: no OpenGL context: %s\n", SDL_GetError());
      return false;
    }
    return false;
  }
  ~RenderContext() {
    gl.Destroy();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }
};

double PeakRssMb() {
  struct rusage usage = {};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
}

double Percentile(std::vector<double> sorted, double p) {
  std::sort(sorted.begin(), sorted.end());
  size_t rank = static_cast<size_t>(p * static_cast<double>(sorted.size() - 1) + 0.5);
  return sorted[std::min(rank, sorted.size() - 1)];
}

} // namespace

int main(int argc, char** argv) {
  Options o;
  if (!ParseOptions(argc, argv, o))
    return 1;
  if (o.dataDir.empty())
    o.dataDir = BundledDataDirectory();
  std::string archive = o.dataDir + "/data.sdd";
  if (access(archive.c_str(), R_OK) != 0) {
    fprintf(stderr, "nimbrel-render: no data: cannot read %s\n", archive.c_str());
    return 1;
  }

  // The settings' defaults, with the window size asked for; no music, and no
  // clock or frame counter over the picture, so a run's image depends only on
  // its options.
  Settings = SettingsRecord();
  Settings.EnableMusic = false;
  Settings.ShowClock = false;
  Settings.ShowFPS = false;
  Settings.UseDesktop = true;
  Settings.DefGamma = true;
  Settings.Speed = 25;
  Settings.Volume = 100;
  Settings.Gamma = 50;
  Settings.Width = static_cast<uint32_t>(o.width);
  Settings.Height = static_cast<uint32_t>(o.height);
  Settings.Depth = 32;
  snprintf(Settings.Path, sizeof Settings.Path, "%s", o.dataDir.c_str());
  if (o.out.empty() || o.out[0] != '/') {
    char cwd[4096];
    if (getcwd(cwd, sizeof cwd))
      o.out = std::string(cwd) + "/" + o.out;
  }
  if (chdir(o.dataDir.c_str()) != 0) {
    fprintf(stderr, "nimbrel-render: cannot enter %s\n", o.dataDir.c_str());
    return 1;
  }

  RenderContext offscreen;
  if (!offscreen.Create(o.width, o.height))
    return 1;

  // The saver's loading, in its order.
  auto loadStart = std::chrono::steady_clock::now();
  CurrentWorld = nullptr;
  InitGLState();
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  LoadProgressSink = nullptr;
  LoadSceneData(false);
  SRand(o.seed);
  SpeedFactor = ComputeSpeedFactor(Settings.Speed);
  CurrentWorld = FindWorld(Worlds, "world");
  ArchiveFile worldsMember;
  if (!worldsMember.Open("worlds.txt")) {
    fprintf(stderr, "nimbrel-render: %s: no worlds.txt in it, or not an archive that can be read\n",
            archive.c_str());
    return 1;
  }
  worldsMember.Close();
  if (!CurrentWorld) {
    fprintf(stderr, "nimbrel-render: %s: no world named \"world\" in worlds.txt\n",
            archive.c_str());
    return 1;
  }
  MainCamera.Start();
  glFinish();
  double loadMs =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - loadStart)
          .count();

  // The frame loop's work with a fixed time step.
  std::vector<double> frameMs;
  frameMs.reserve(static_cast<size_t>(o.frames));
  for (long frame = 0; frame < o.frames; ++frame) {
    auto start = std::chrono::steady_clock::now();
    AdvanceAndDrawFrame(o.dt);
    glFinish();
    frameMs.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count());
    if (frame + 1 < o.frames)
      SDL_GL_SwapWindow(offscreen.gl.window);
  }

  std::vector<uint8_t> pixels(static_cast<size_t>(o.width) * o.height * 4);
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, o.width, o.height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  if (!WritePng(o.out, o.width, o.height, pixels)) {
    fprintf(stderr, "nimbrel-render: cannot write %s\n", o.out.c_str());
    return 1;
  }

  double sum = 0.0;
  for (double ms : frameMs)
    sum += ms;
  printf("load_ms=%.1f frames=%ld frame_ms_mean=%.3f frame_ms_p50=%.3f frame_ms_p99=%.3f "
         "peak_rss_mb=%.1f\n",
         loadMs, o.frames, sum / static_cast<double>(frameMs.size()), Percentile(frameMs, 0.5),
         Percentile(frameMs, 0.99), PeakRssMb());
  return 0;
}
