#include "platform/System.h"
#include "platform/PlatformInternal.h"
#include "platform/Window.h"

#include <SDL2/SDL.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

namespace {
bool (*openHook)(const char*) = nullptr;

bool DisplayForMessageBox() {
  if (getenv("NIMBREL_NO_MESSAGE_BOX"))
    return false;
  const char* driver = PlatformVideoDriver();
  if (*driver)
    return strcmp(driver, "offscreen") != 0 && strcmp(driver, "dummy") != 0 &&
           strcmp(driver, "evdev") != 0;
  const char* wanted = getenv("SDL_VIDEODRIVER");
  if (wanted && (strcmp(wanted, "offscreen") == 0 || strcmp(wanted, "dummy") == 0))
    return false;
  return getenv("DISPLAY") || getenv("WAYLAND_DISPLAY");
}

bool ProgramOnPath(const char* name) {
  const char* path = getenv("PATH");
  std::string dirs = path && *path ? path : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos)
      end = dirs.size();
    std::string candidate = dirs.substr(start, end - start);
    candidate = (candidate.empty() ? "." : candidate) + "/" + name;
    if (access(candidate.c_str(), X_OK) == 0)
      return true;
    start = end + 1;
  }
  return false;
}
} // namespace

int ShowMessageBox(uintptr_t owner, const char* text, const char* caption, uint32_t type) {
  fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
  fflush(stderr);
  if (DisplayForMessageBox()) {
    uint32_t flags = (type & MB_ICONERROR) ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
    SDL_ShowSimpleMessageBox(flags, caption ? caption : "", text ? text : "",
                             InternalSdlWindow(owner));
  }
  return IDOK;
}

bool OpenWebAddress(const char* url) {
  if (!url || !*url)
    return false;
  if (openHook)
    return openHook(url);
  if (!ProgramOnPath("xdg-open"))
    return false;
  // Double fork so no child is left to reap.
  pid_t pid = fork();
  if (pid < 0)
    return false;
  if (pid == 0) {
    pid_t grandchild = fork();
    if (grandchild == 0) {
      int fd = ::open("/dev/null", 0);
      if (fd >= 0) {
        dup2(fd, 0);
        close(fd);
      }
      execlp("xdg-open", "xdg-open", url, static_cast<char*>(nullptr));
      _exit(127);
    }
    _exit(grandchild < 0 ? 1 : 0);
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void SetOpenWebAddressHook(bool (*hook)(const char* url)) { openHook = hook; }
