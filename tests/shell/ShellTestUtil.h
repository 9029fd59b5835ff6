// Helpers for the shell tests: a private settings folder.
#pragma once
#include "support/TestArchive.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

// Points XDG_CONFIG_HOME at a fresh folder while it lives.
class TempConfigHome {
public:
  TempConfigHome() {
    const char* old = getenv("XDG_CONFIG_HOME");
    hadOld = old != nullptr;
    if (old)
      oldValue = old;
    setenv("XDG_CONFIG_HOME", dir.Path().c_str(), 1);
  }
  ~TempConfigHome() {
    if (hadOld)
      setenv("XDG_CONFIG_HOME", oldValue.c_str(), 1);
    else
      unsetenv("XDG_CONFIG_HOME");
  }
  std::string SettingsFile() const { return dir.Path() + "/Corvane/Nimbrel.reg"; }
  // Writes the settings file with these value lines under the key.
  void WriteSettings(const std::string& valueLines) const {
    std::string cmd = "mkdir -p '" + dir.Path() + "/Corvane'";
    if (system(cmd.c_str()) != 0)
      return;
    std::ofstream out(SettingsFile(), std::ios::binary);
    out << "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Corvane\\Nimbrel]\n" << valueLines;
  }
  std::string ReadSettings() const {
    std::ifstream in(SettingsFile(), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

private:
  TempDir dir;
  bool hadOld = false;
  std::string oldValue;
};
