// bench_startup: one run of the full-screen saver (`nimbrel /s`) through the
// program's own entry point, stopped after its first frame, timed from main()
// on. The settings file (XDG_CONFIG_HOME) chooses the data and the music, as
// for the saver itself; bench/run points it at the bundled scene and runs this
// on SDL's offscreen video driver with the dummy audio driver.
//
// Prints one line: startup_ms (main() to the first frame presented, the
// shutdown after it included), frames, peak_rss_mb and gl_renderer (of a
// fresh context made afterwards on the same driver).
#include <GL/gl.h>
#include <SDL2/SDL.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>

#include "shell/SaverApp.h"
#include "shell/SaverLoop.h"

// The GL drivers leave allocations behind at exit: no leak report when built
// with the sanitizers.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }

namespace {

double PeakRssMb() {
  struct rusage usage = {};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
}

// The renderer's name from a small hidden window's context.
void PrintRenderer(char* out, size_t size) {
  snprintf(out, size, "unknown");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
    return;
  SDL_Window* window =
      SDL_CreateWindow("probe", 0, 0, 16, 16, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
  if (context) {
    SDL_GL_MakeCurrent(window, context);
    const GLubyte* name = glGetString(GL_RENDERER);
    if (name)
      snprintf(out, size, "%s", reinterpret_cast<const char*>(name));
    SDL_GL_DeleteContext(context);
  }
  if (window)
    SDL_DestroyWindow(window);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

} // namespace

int main(int argc, char** argv) {
  const auto start = std::chrono::steady_clock::now();
  FrameLoopLimit = 1;
  const char* args[] = {argc > 0 ? argv[0] : "bench_startup", "/s"};
  SaverMain(2, args);
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  const double rss = PeakRssMb();
  char renderer[256];
  PrintRenderer(renderer, sizeof renderer);
  printf("startup_ms=%.1f frames=%llu peak_rss_mb=%.1f gl_renderer=%s\n", ms,
         static_cast<unsigned long long>(FramesPresented), rss, renderer);
  return FramesPresented == 1 ? 0 : 1;
}
