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

// Fills Settings from the store; values missing there get their defaults.
void LoadSettings();
// Writes every value but Path back to the store.
void SaveSettings();
