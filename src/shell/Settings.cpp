#include "shell/Settings.h"

#include "platform/Display.h"
#include "platform/Registry.h"

SettingsRecord Settings;

namespace {

void ReadBool(const RegistryKey& key, const char* name, bool& field, bool fallback) {
  uint32_t v = 0;
  field = key.QueryDword(name, &v) ? v != 0 : fallback;
}

void ReadNumber(const RegistryKey& key, const char* name, uint32_t& field, uint32_t fallback) {
  uint32_t v = 0;
  field = key.QueryDword(name, &v) ? v : fallback;
}

} // namespace

void LoadSettings() {
  DisplayMode desktop;
  if (!EnumDisplayMode(nullptr, CurrentDisplayMode, &desktop)) {
    desktop.width = 800;
    desktop.height = 600;
    desktop.bitsPerPixel = 32;
  }
  RegistryKey key;
  key.Create(SettingsKeyName);
  ReadBool(key, "ShowClock", Settings.ShowClock, true);
  ReadBool(key, "TimeFormat", Settings.TimeFormat, false);
  ReadBool(key, "EnableMusic", Settings.EnableMusic, true);
  ReadBool(key, "UseDesktop", Settings.UseDesktop, true);
  ReadBool(key, "DefGamma", Settings.DefGamma, true);
  ReadNumber(key, "Width", Settings.Width, desktop.width);
  ReadNumber(key, "Height", Settings.Height, desktop.height);
  ReadNumber(key, "Depth", Settings.Depth, desktop.bitsPerPixel);
  ReadNumber(key, "Volume", Settings.Volume, 100);
  ReadNumber(key, "Gamma", Settings.Gamma, 50);
  ReadNumber(key, "Speed", Settings.Speed, 25);
  ReadBool(key, "ShowFPS", Settings.ShowFPS, false);
  ReadBool(key, "VSync", Settings.VSync, false);
  ReadBool(key, "MouseExit", Settings.MouseExit, false);
  char path[sizeof Settings.Path] = {};
  if (key.QueryString("Path", path, sizeof path))
    for (size_t i = 0; i < sizeof path; ++i)
      Settings.Path[i] = path[i];
  else
    Settings.Path[0] = '\0';
  key.Close();
  if (Settings.DefGamma)
    Settings.Gamma = 50;
}

void SaveSettings() {
  RegistryKey key;
  key.Create(SettingsKeyName);
  key.SetDword("ShowClock", Settings.ShowClock ? 1 : 0);
  key.SetDword("TimeFormat", Settings.TimeFormat ? 1 : 0);
  key.SetDword("EnableMusic", Settings.EnableMusic ? 1 : 0);
  key.SetDword("UseDesktop", Settings.UseDesktop ? 1 : 0);
  key.SetDword("ShowFlame", Settings.ShowFlame ? 1 : 0);
  key.SetDword("DefGamma", Settings.DefGamma ? 1 : 0);
  key.SetDword("Width", Settings.Width);
  key.SetDword("Height", Settings.Height);
  key.SetDword("Depth", Settings.Depth);
  key.SetDword("Volume", Settings.Volume);
  key.SetDword("Speed", Settings.Speed);
  key.SetDword("Gamma", Settings.Gamma);
  key.SetDword("VSync", Settings.VSync ? 1 : 0);
  key.SetDword("MouseExit", Settings.MouseExit ? 1 : 0);
  key.SetDword("ShowFPS", Settings.ShowFPS ? 1 : 0);
  key.Close();
}
