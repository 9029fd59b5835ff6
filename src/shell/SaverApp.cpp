#include "shell/SaverApp.h"

#include "shell/DisplaySetup.h"
#include "shell/Settings.h"
#include "ui/ConfigDialog.h"
#include "ui/Preview.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string commandLine;

// Reads the decimal number at the first digit from p on (0 without one).
uintptr_t NumberAfter(const char* p) {
  while (*p && !isdigit(static_cast<unsigned char>(*p)))
    ++p;
  uintptr_t n = 0;
  while (isdigit(static_cast<unsigned char>(*p)))
    n = n * 10 + static_cast<uintptr_t>(*p++ - '0');
  return n;
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace

RunMode SaverApp::ParseCommandLine(const char* text) {
  parentWindow = 0;
  const char* p = text ? text : "";
  // The program name, quoted or up to the first space.
  if (*p == '"') {
    ++p;
    while (*p && *p != '"')
      ++p;
    if (*p == '"')
      ++p;
  } else {
    while (*p && *p != ' ')
      ++p;
    if (*p == ' ')
      ++p;
  }
  while (*p && *p != '/' && *p != '-')
    ++p;
  if (!*p)
    return RunMode::Configure;
  char letter = p[1];
  switch (letter) {
  case 'c':
  case 'C':
    parentWindow = NumberAfter(p + 2);
    return RunMode::Configure;
  case 'p':
  case 'P':
    parentWindow = NumberAfter(p + 2);
    return RunMode::Preview;
  default:
    return RunMode::Saver;
  }
}

bool SaverApp::StartUp() {
  runMode = ParseCommandLine(ProcessCommandLine());
  LoadSettings();
  EnumerateMonitors(*this);
  if (Settings.UseDesktop) {
    DisplayMode desktop;
    if (EnumDisplayMode(nullptr, CurrentDisplayMode, &desktop)) {
      Settings.Width = desktop.width;
      Settings.Height = desktop.height;
      Settings.Depth = desktop.bitsPerPixel;
    }
  }
  if (Settings.Path[0]) {
    if (chdir(Settings.Path) != 0) {
      // The current directory stays as it was.
    }
  } else {
    std::string dir = BundledDataDirectory();
    if (!dir.empty() && chdir(dir.c_str()) != 0) {
      // Likewise.
    }
  }
  return true;
}

void SaverApp::Run() {
  switch (runMode) {
  case RunMode::Saver:
    RunSaver(*this);
    break;
  case RunMode::Configure:
    RunConfigure(*this);
    break;
  case RunMode::Preview:
    RunPreview(*this);
    break;
  }
}

void SetProcessCommandLine(int argc, const char* const* argv) {
  commandLine.clear();
  for (int i = 0; i < argc; ++i) {
    if (i > 0)
      commandLine += ' ';
    const char* a = argv[i] ? argv[i] : "";
    if (strchr(a, ' ') || (i == 0 && !*a))
      commandLine += std::string("\"") + a + "\"";
    else
      commandLine += a;
  }
}

const char* ProcessCommandLine() { return commandLine.c_str(); }

std::string BundledDataDirectory() {
  std::string build = NIMBREL_BUILD_DATA_DIR;
  std::string installed = NIMBREL_DATA_DIR;
  // Run from the build tree: the executable lies under the build directory.
  char exe[PATH_MAX] = {};
  ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  std::string buildRoot = build.substr(0, build.rfind('/'));
  std::string exePath = n > 0 ? std::string(exe, static_cast<size_t>(n)) : std::string();
  if (!exePath.empty() && exePath.rfind(buildRoot + "/", 0) == 0 && FileExists(build + "/data.sdd"))
    return build;
  // Installed: data.sdd sits in share/nimbrel beside the bin folder, wherever
  // the prefix was chosen at install time.
  size_t slash = exePath.rfind('/');
  if (slash != std::string::npos) {
    std::string prefix = exePath.substr(0, slash);
    prefix = prefix.substr(0, prefix.rfind('/'));
    std::string beside = prefix + "/share/nimbrel";
    if (FileExists(beside + "/data.sdd"))
      return beside;
  }
  return installed;
}

int SaverMain(int argc, const char* const* argv) {
  SetProcessCommandLine(argc, argv);
  InstallQuitSignalHandlers();
  SaverApp app;
  app.StartUp();
  app.Run();
  PlatformShutdown();
  return 0;
}
