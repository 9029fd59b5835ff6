#include "ui/ConfigDialog.h"

#include <cstdio>

#include "platform/Display.h"
#include "platform/System.h"
#include "shell/SaverApp.h"
#include "shell/Settings.h"
#include "ui/About.h"
#include "ui/Dialog.h"
#include "ui/ImGuiDialog.h"

namespace ui {
namespace {
using K = ControlKind;
const ControlTemplate kConfigControls[] = {
    {IDOK, K::DefPushButton, "OK", 244, 225, 65, 14, StyleTabStop},
    {IDCANCEL, K::PushButton, "Cancel", 319, 225, 65, 14, StyleTabStop},
    {IDC_STATIC, K::GroupBox, "Video Mode", 6, 2, 93, 68, 0},
    {IDC_MODE_LIST, K::ComboList, "", 12, 14, 82, 70, StyleTabStop},
    {IDC_USE_DESKTOP, K::CheckBox, "Use Desktop Settings", 12, 31, 81, 9, StyleTabStop},
    {IDC_VSYNC, K::CheckBox, "VSync", 12, 45, 81, 9, StyleTabStop},
    {IDC_STATIC, K::GroupBox, "Options", 105, 2, 102, 68, 0},
    {IDC_SHOW_FPS, K::CheckBox, "Show FPS", 111, 17, 48, 9, StyleTabStop},
    {IDC_MOUSE_EXIT, K::CheckBox, "Exit on Mouse move", 111, 31, 78, 9, StyleTabStop},
    {IDC_SHOW_TIME, K::CheckBox, "Show Time", 111, 45, 51, 9, StyleTabStop},
    {IDC_12_HOURS, K::RadioButton, "12 Hrs", 124, 55, 37, 10, StyleTabStop | StyleGroup},
    {IDC_24_HOURS, K::RadioButton, "24 Hrs", 164, 55, 37, 10, 0},
    {IDC_STATIC, K::GroupBox, "Camera options", 6, 73, 201, 43, StyleGroup},
    {IDC_STATIC, K::StaticText, "Camera Speed", 15, 92, 50, 8, 0},
    {IDC_SPEED, K::Trackbar, "", 72, 91, 128, 12, StyleTabStop},
    {IDC_STATIC, K::GroupBox, "Gamma Control", 6, 119, 201, 43, 0},
    {IDC_BRIGHTNESS_LABEL, K::StaticText, "", 12, 130, 57, 8, 0},
    {IDC_BRIGHTNESS, K::Trackbar, "", 72, 130, 128, 12, StyleTabStop},
    {IDC_DEFAULT_GAMMA, K::CheckBox, "Use default gamma", 12, 144, 96, 10, StyleTabStop},
    {IDC_STATIC, K::GroupBox, "Sounds", 213, 119, 177, 43, 0},
    {IDC_VOLUME_LABEL, K::StaticText, "", 220, 130, 50, 8, 0},
    {IDC_VOLUME, K::Trackbar, "", 273, 130, 113, 12, StyleTabStop},
    {IDC_ENABLE_MUSIC, K::CheckBox, "Enable Music", 220, 145, 85, 10, StyleTabStop},
    {IDC_STATIC, K::Picture, "107", 213, 5, 177, 106, 0},
    {IDC_STATIC, K::GroupBox, "Products", 6, 165, 385, 25, 0},
    {IDC_PRODUCTS, K::StaticText, "", 12, 176, 162, 8, 0},
    {IDC_VISIT, K::PushButton, "Visit...", 244, 173, 65, 12, StyleTabStop},
    {IDC_ABOUT, K::PushButton, "About...", 319, 173, 65, 12, StyleTabStop},
    {IDC_RESTORE_DEFAULTS, K::PushButton, "Restore Defaults", 6, 225, 75, 14, StyleTabStop},
};
} // namespace

const DialogTemplate ConfigTemplate = {
    101, "Nimbrel Configuration", 397,
    244, kConfigControls,         sizeof kConfigControls / sizeof kConfigControls[0]};

const char* const HomePageAddress = "https://corvane.example.org/nimbrel/";
const char* const ProductsLine = "More from Corvane on our home page";

namespace {
// "%d x %d %d bits", the form of every entry of the mode list.
void FormatMode(char* text, size_t size, unsigned width, unsigned height, unsigned bits) {
  snprintf(text, size, "%d x %d %d bits", (int)width, (int)height, (int)bits);
}

void SelectDesktopMode(Dialog& dialog) {
  DisplayMode mode;
  if (!EnumDisplayMode(nullptr, CurrentDisplayMode, &mode))
    return;
  char text[64];
  FormatMode(text, sizeof text, mode.width, mode.height, mode.bitsPerPixel);
  dialog.ComboSelectString(IDC_MODE_LIST, text);
}

void FillModeList(Dialog& dialog) {
  bool havePrevious = false;
  DisplayMode previous;
  DisplayMode mode;
  for (int32_t index = 0; EnumDisplayMode(nullptr, index, &mode); ++index) {
    if (mode.width < 640 || mode.height < 480 || mode.bitsPerPixel < 16)
      continue;
    bool same = havePrevious && mode.width == previous.width && mode.height == previous.height &&
                mode.bitsPerPixel == previous.bitsPerPixel;
    if (!same) {
      char text[64];
      FormatMode(text, sizeof text, mode.width, mode.height, mode.bitsPerPixel);
      dialog.ComboAddString(IDC_MODE_LIST, text);
    }
    previous = mode;
    havePrevious = true;
  }
}

void SetPercentLabel(Dialog& dialog, int id, const char* format, int value) {
  char text[64];
  snprintf(text, sizeof text, format, value);
  dialog.SetItemText(id, text);
}

void SetVolumeLabel(Dialog& dialog) {
  SetPercentLabel(dialog, IDC_VOLUME_LABEL, "Volume (%d%%)", (int)Settings.Volume);
}

void SetBrightnessLabel(Dialog& dialog) {
  SetPercentLabel(dialog, IDC_BRIGHTNESS_LABEL, "Brightness (%d%%)", (int)Settings.Gamma + 50);
}

void SetupTrackbar(Dialog& dialog, int id, int min, int max, int pos) {
  dialog.TrackSetRange(id, min, max);
  dialog.TrackSetPos(id, pos);
  dialog.TrackSetPageSize(id, 10);
}

void InitDialog(Dialog& dialog) {
  FillModeList(dialog);
  if (Settings.UseDesktop) {
    SelectDesktopMode(dialog);
    dialog.EnableItem(IDC_MODE_LIST, false);
  } else {
    char text[64];
    FormatMode(text, sizeof text, Settings.Width, Settings.Height, Settings.Depth);
    dialog.ComboSelectString(IDC_MODE_LIST, text);
  }
  dialog.CheckButton(IDC_USE_DESKTOP, Settings.UseDesktop);
  dialog.CheckButton(IDC_ENABLE_MUSIC, Settings.EnableMusic);

  dialog.EnableItem(IDC_VOLUME, Settings.EnableMusic);
  dialog.EnableItem(IDC_VOLUME_LABEL, Settings.EnableMusic);
  SetVolumeLabel(dialog);

  dialog.CheckButton(IDC_DEFAULT_GAMMA, Settings.DefGamma);
  dialog.EnableItem(IDC_BRIGHTNESS, !Settings.DefGamma);
  dialog.EnableItem(IDC_BRIGHTNESS_LABEL, !Settings.DefGamma);
  SetBrightnessLabel(dialog);

  dialog.CheckButton(IDC_SHOW_TIME, Settings.ShowClock);
  dialog.CheckButton(IDC_SHOW_FPS, Settings.ShowFPS);
  dialog.CheckButton(IDC_VSYNC, Settings.VSync);
  dialog.CheckButton(IDC_MOUSE_EXIT, Settings.MouseExit);
  dialog.CheckButton(IDC_12_HOURS, Settings.TimeFormat);
  dialog.CheckButton(IDC_24_HOURS, !Settings.TimeFormat);
  dialog.EnableItem(IDC_12_HOURS, Settings.ShowClock);
  dialog.EnableItem(IDC_24_HOURS, Settings.ShowClock);

  dialog.SetItemText(IDC_PRODUCTS, ProductsLine);

  SetupTrackbar(dialog, IDC_VOLUME, 1, 100, (int)Settings.Volume);
  SetupTrackbar(dialog, IDC_BRIGHTNESS, 0, 100, (int)Settings.Gamma);
  SetupTrackbar(dialog, IDC_SPEED, 0, 100, (int)Settings.Speed);
}

void AcceptAndSave(Dialog& dialog) {
  std::string text;
  if (dialog.ComboGetSelText(IDC_MODE_LIST, text)) {
    int width = 0, height = 0, bits = 0;
    if (sscanf(text.c_str(), "%d x %d %d bits", &width, &height, &bits) == 3 && width > 0 &&
        height > 0 && bits > 0) {
      Settings.Width = (uint32_t)width;
      Settings.Height = (uint32_t)height;
      Settings.Depth = (uint32_t)bits;
    }
  }
  Settings.TimeFormat = dialog.IsButtonChecked(IDC_12_HOURS);
  SaveSettings();
  dialog.End(IDOK);
}

void RestoreDefaults(Dialog& dialog) {
  SelectDesktopMode(dialog);
  dialog.EnableItem(IDC_MODE_LIST, false);
  Settings.UseDesktop = true;
  dialog.CheckButton(IDC_USE_DESKTOP, true);
  Settings.EnableMusic = true;
  dialog.CheckButton(IDC_ENABLE_MUSIC, true);
  Settings.Volume = 100;
  Settings.Gamma = 50;
  dialog.EnableItem(IDC_VOLUME, Settings.EnableMusic);
  dialog.EnableItem(IDC_VOLUME_LABEL, Settings.EnableMusic);
  SetVolumeLabel(dialog);
  SetBrightnessLabel(dialog);
  Settings.ShowClock = true;
  dialog.CheckButton(IDC_SHOW_TIME, true);
  dialog.EnableItem(IDC_12_HOURS, true);
  dialog.EnableItem(IDC_24_HOURS, true);
  Settings.ShowFPS = false;
  Settings.VSync = false;
  Settings.MouseExit = false;
  dialog.CheckButton(IDC_SHOW_FPS, false);
  dialog.CheckButton(IDC_VSYNC, false);
  dialog.CheckButton(IDC_MOUSE_EXIT, false);
  dialog.TrackSetPos(IDC_VOLUME, 100);
  dialog.TrackSetPos(IDC_BRIGHTNESS, 50);
  Settings.DefGamma = true;
  dialog.CheckButton(IDC_DEFAULT_GAMMA, true);
  dialog.EnableItem(IDC_BRIGHTNESS, false);
  dialog.EnableItem(IDC_BRIGHTNESS_LABEL, false);
}

// Toggles a setting and shows it in its box.
void Toggle(Dialog& dialog, int id, bool& setting) {
  setting = !setting;
  dialog.CheckButton(id, setting);
}

bool Command(Dialog& dialog, int id) {
  switch (id) {
  case IDOK:
    AcceptAndSave(dialog);
    return true;
  case IDCANCEL:
    dialog.End(IDCANCEL);
    return true;
  case IDC_USE_DESKTOP:
    Toggle(dialog, id, Settings.UseDesktop);
    if (Settings.UseDesktop) {
      SelectDesktopMode(dialog);
      dialog.EnableItem(IDC_MODE_LIST, false);
    } else {
      dialog.EnableItem(IDC_MODE_LIST, true);
    }
    return true;
  case IDC_ENABLE_MUSIC:
    Toggle(dialog, id, Settings.EnableMusic);
    dialog.EnableItem(IDC_VOLUME, Settings.EnableMusic);
    dialog.EnableItem(IDC_VOLUME_LABEL, Settings.EnableMusic);
    return true;
  case IDC_SHOW_TIME:
    Toggle(dialog, id, Settings.ShowClock);
    dialog.EnableItem(IDC_12_HOURS, Settings.ShowClock);
    dialog.EnableItem(IDC_24_HOURS, Settings.ShowClock);
    return true;
  case IDC_MOUSE_EXIT:
    Toggle(dialog, id, Settings.MouseExit);
    return true;
  case IDC_SHOW_FPS:
    Toggle(dialog, id, Settings.ShowFPS);
    return true;
  case IDC_VSYNC:
    Toggle(dialog, id, Settings.VSync);
    return true;
  case IDC_DEFAULT_GAMMA:
    Toggle(dialog, id, Settings.DefGamma);
    Settings.Gamma = 50;
    dialog.TrackSetPos(IDC_BRIGHTNESS, 50);
    dialog.EnableItem(IDC_BRIGHTNESS, !Settings.DefGamma);
    dialog.EnableItem(IDC_BRIGHTNESS_LABEL, !Settings.DefGamma);
    SetBrightnessLabel(dialog);
    return true;
  case IDC_RESTORE_DEFAULTS:
    RestoreDefaults(dialog);
    return true;
  case IDC_VISIT:
    OpenWebAddress(HomePageAddress);
    return true;
  case IDC_ABOUT:
    ShowAboutBox(dialog);
    return true;
  default:
    return false;
  }
}

void TrackbarMoved(Dialog& dialog, unsigned code) {
  if (code != TB_PAGEUP && code != TB_PAGEDOWN && code != TB_THUMBTRACK)
    return;
  Settings.Volume = (uint32_t)dialog.TrackGetPos(IDC_VOLUME);
  SetVolumeLabel(dialog);
  Settings.Gamma = (uint32_t)dialog.TrackGetPos(IDC_BRIGHTNESS);
  SetBrightnessLabel(dialog);
  Settings.Speed = (uint32_t)dialog.TrackGetPos(IDC_SPEED);
}
} // namespace
} // namespace ui

bool ConfigDialogProc(ui::Dialog& dialog, unsigned message, uintptr_t wParam, intptr_t lParam) {
  switch (message) {
  case ui::WM_INITDIALOG:
    ui::InitDialog(dialog);
    return true;
  case ui::WM_COMMAND:
    return ui::Command(dialog, (int)ui::LowWord(wParam));
  case ui::WM_HSCROLL:
    ui::TrackbarMoved(dialog, ui::LowWord(wParam));
    return true;
  default:
    return false;
  }
}

namespace ui {
void RunConfigureDialog(unsigned long owner) {
  Dialog dialog(ConfigTemplate, ConfigDialogProc);
  RunModalDialog(dialog, owner);
}
} // namespace ui

void RunConfigure(SaverApp& app) { ui::RunConfigureDialog((unsigned long)app.parentWindow); }
