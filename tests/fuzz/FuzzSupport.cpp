#include "FuzzSupport.h"

#include <GL/gl.h>
#include <SDL2/SDL.h>
#include <sanitizer/lsan_interface.h>
#include <cstdio>
#include <fcntl.h>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <unistd.h>

#include "resources/RarWriter.h"

FuzzIgnoreLeaks::FuzzIgnoreLeaks() { __lsan_disable(); }
FuzzIgnoreLeaks::~FuzzIgnoreLeaks() { __lsan_enable(); }

namespace {

std::string WorkDir;

void RemoveWorkDir() {
  if (WorkDir.empty())
    return;
  std::error_code ignored;
  std::filesystem::remove_all(WorkDir, ignored);
  WorkDir.clear();
}

SDL_Window* GlWindow = nullptr;
SDL_GLContext GlContext = nullptr;
int GlCalls = 0;

// The driver's own allocations around making and dropping a context are not
// ours to check: they are kept in (or freed with) libraries loaded and
// unloaded on the way, which the leak checker cannot see into.
using IgnoreDriverLeaks = FuzzIgnoreLeaks;

void DestroyGl() {
  IgnoreDriverLeaks ignore;
  if (GlContext) {
    SDL_GL_MakeCurrent(GlWindow, nullptr);
    SDL_GL_DeleteContext(GlContext);
    GlContext = nullptr;
  }
  if (GlWindow) {
    SDL_DestroyWindow(GlWindow);
    GlWindow = nullptr;
  }
}

bool CreateGl() {
  IgnoreDriverLeaks ignore;
  static bool videoReady = false;
  static bool videoFailed = false;
  if (videoFailed)
    return false;
  if (!videoReady) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
      fprintf(stderr, "fuzz: no video (%s); running without OpenGL\n", SDL_GetError());
      videoFailed = true;
      return false;
    }
    videoReady = true;
    atexit([] {
      DestroyGl();
      SDL_QuitSubSystem(SDL_INIT_VIDEO);
    });
  }
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  GlWindow = SDL_CreateWindow("fuzz", 0, 0, 64, 64, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (GlWindow)
    GlContext = SDL_GL_CreateContext(GlWindow);
  if (!GlContext) {
    fprintf(stderr, "fuzz: no OpenGL context (%s); running without it\n", SDL_GetError());
    DestroyGl();
    videoFailed = true;
    return false;
  }
  SDL_GL_MakeCurrent(GlWindow, GlContext);
  return true;
}

} // namespace

static void MakeWorkDir() {
  const char* base = getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/nimbrel-fuzz-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back(0);
  if (!mkdtemp(buffer.data())) {
    perror("fuzz: mkdtemp");
    abort();
  }
  WorkDir = buffer.data();
  atexit(RemoveWorkDir);
}

FuzzWorkDir::FuzzWorkDir() {
  if (WorkDir.empty())
    MakeWorkDir();
  oldDir = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (oldDir < 0 || chdir(WorkDir.c_str()) != 0) {
    perror("fuzz: entering the work directory");
    abort();
  }
}

FuzzWorkDir::~FuzzWorkDir() {
  if (fchdir(oldDir) != 0) {
    perror("fuzz: leaving the work directory");
    abort();
  }
  close(oldDir);
}

bool WriteFuzzArchive(const FuzzMembers& members) {
  std::vector<RarInputMember> input;
  input.reserve(members.size());
  for (const auto& [name, bytes] : members)
    input.push_back({name, std::vector<uint8_t>(bytes.begin(), bytes.end())});
  return WriteRarArchive("data.sdd", input, true);
}

FuzzMembers SplitFuzzInput(const uint8_t* data, size_t size,
                           const std::vector<std::string>& names) {
  FuzzMembers members;
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  std::string_view separator(FuzzMemberSeparator);
  for (size_t i = 0; i < names.size(); ++i) {
    size_t at = i + 1 < names.size() ? rest.find(separator) : std::string_view::npos;
    if (at == std::string_view::npos) {
      members.emplace_back(names[i], std::string(rest));
      break;
    }
    members.emplace_back(names[i], std::string(rest.substr(0, at)));
    rest.remove_prefix(at + separator.size());
  }
  return members;
}

bool FuzzGlBegin(int recycleEvery, bool* recycled) {
  if (recycled)
    *recycled = false;
  if (GlContext && recycleEvery > 0 && ++GlCalls >= recycleEvery) {
    DestroyGl();
    GlCalls = 0;
    if (recycled)
      *recycled = true;
  }
  if (!GlContext)
    CreateGl();
  return GlContext != nullptr;
}

FuzzGlListScope::FuzzGlListScope() {
  if (!GlContext)
    return;
  // Names are handed out upwards: everything from this one on is new.
  first = glGenLists(1);
  if (first)
    glDeleteLists(first, 1);
}

FuzzGlListScope::~FuzzGlListScope() {
  if (!GlContext || !first)
    return;
  GLuint last = glGenLists(1);
  if (last >= first)
    glDeleteLists(first, GLsizei(last - first + 1));
}
