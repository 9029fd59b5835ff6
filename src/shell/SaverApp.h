// The application object: run mode, parent window, show command and the
// monitor table, and the start-up that every run mode shares.
#pragma once
#include <cstdint>
#include <string>

#include "platform/Display.h"
#include "platform/Window.h"

enum class RunMode : int { Configure = 0, Preview = 1, Saver = 2 };

// One display device of the monitor table.
struct DisplayEntry {
  MonitorHandle monitor = 0; // 0 when the device is not on the desktop
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  WindowHandle window = 0; // the saver's window for it, 0 until made
};

constexpr uint32_t MaxMonitors = 9;

struct SaverApp {
  SaverApp() = default;
  SaverApp(const SaverApp&) = delete;
  SaverApp& operator=(const SaverApp&) = delete;
  virtual ~SaverApp() = default;

  // Picks the run mode from the whole command line (program name first) and
  // sets parentWindow from the number after /c or /p (0 without one).
  RunMode ParseCommandLine(const char* text);

  // Parses the process's command line, loads the settings, surveys the
  // monitors, takes the desktop mode when UseDesktop is set and changes into
  // the data directory. Always succeeds.
  bool StartUp();

  // Runs the chosen mode to its end: RunSaver, RunConfigure or RunPreview.
  void Run();

  RunMode runMode = RunMode::Configure;
  uintptr_t instance = 0;
  uintptr_t parentWindow = 0;
  int showCommand = SW_SHOWNORMAL;
  DisplayEntry monitors[MaxMonitors];
  uint32_t monitorCount = 0;
};

// The process's command line as one text (GetCommandLineA): the program name,
// quoted when it holds a space, then the arguments separated by spaces (each
// quoted when it holds a space).
void SetProcessCommandLine(int argc, const char* const* argv);
const char* ProcessCommandLine();

// The directory taken when the Path setting is empty or cannot be entered:
// the build tree's data directory when it holds data.sdd, else share/nimbrel
// beside the executable's bin folder, else the configured install location.
std::string BundledDataDirectory();

// The entry point's work: StartUp, then the mode. Returns the exit code (0).
int SaverMain(int argc, const char* const* argv);

// The full-screen saver mode.
void RunSaver(SaverApp& app);
