// The user's settings: one global record, loaded once at start-up from the
// settings store and saved back only by the configuration dialog.
#pragma once
#include <cstdint>

struct SettingsRecord {
  bool EnableMusic = false;
  bool ShowClock = false;
  bool ShowFlame = false;
  bool ShowFPS = false;
  bool VSync = false;
  bool UseDesktop = false;
  bool MouseExit = false;
  bool DefGamma = false;
  bool TimeFormat = false;
  uint32_t Speed = 0;
  uint32_t Volume = 0;
  uint32_t Gamma = 0;
  uint32_t Width = 0;
  uint32_t Height = 0;
  uint32_t Depth = 0;
  char Path[255] = {};
};

extern SettingsRecord Settings;

// The store's key under the current user.
constexpr const char* SettingsKeyName = "Software\\Corvane\\Nimbrel";

// Fills Settings from the store (creating the key when absent). A value
// missing there gets its default: EnableMusic 1, ShowClock 1, ShowFPS 0,
// VSync 0, UseDesktop 1, MouseExit 0, DefGamma 1, TimeFormat 0, Speed 25,
// Volume 100, Gamma 50, Width/Height/Depth the current desktop mode, Path
// empty. DefGamma forces Gamma to 50.
void LoadSettings();
// Writes every value but Path back to the store.
void SaveSettings();
