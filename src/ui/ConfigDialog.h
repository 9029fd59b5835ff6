// The configuration dialog: dialog template 101 and its procedure.
#pragma once
#include <cstdint>

#include "ui/Dialog.h"

struct SaverApp; // src/shell/

namespace ui {
// Control ids of template 101.
enum ConfigControlId : int {
  IDC_MODE_LIST = 1000,
  IDC_USE_DESKTOP = 1001,
  IDC_ENABLE_MUSIC = 1003,
  IDC_SHOW_TIME = 1004,
  IDC_RESTORE_DEFAULTS = 1006,
  IDC_VISIT = 1007,
  IDC_ABOUT = 1008,
  IDC_MOUSE_EXIT = 1011,
  IDC_VOLUME_LABEL = 1017,
  IDC_VOLUME = 1026,
  IDC_SHOW_FPS = 1027,
  IDC_VSYNC = 1028,
  IDC_BRIGHTNESS = 1029,
  IDC_BRIGHTNESS_LABEL = 1030,
  IDC_DEFAULT_GAMMA = 1032,
  IDC_PRODUCTS = 1035,
  IDC_24_HOURS = 1049,
  IDC_12_HOURS = 1054,
  IDC_SPEED = 1057,
};

extern const DialogTemplate ConfigTemplate;
// The home page "Visit..." opens, and the line that invites the user there.
extern const char* const HomePageAddress;
extern const char* const ProductsLine;

// The dialog owned by the X11 window owner (0: none); what RunConfigure runs.
void RunConfigureDialog(unsigned long owner);
} // namespace ui

// Shows dialog 101 modally, owned by the /c:N window (none when 0); edits the
// global Settings and saves them on OK. Returns when the dialog closes.
void RunConfigure(SaverApp& app);

// Dialog procedure of template 101: WM_INITDIALOG, WM_COMMAND (control id in
// wParam's low 16 bits), WM_HSCROLL (trackbar notification code in wParam's low
// 16 bits, the trackbar's id in lParam). Every other message returns false.
bool ConfigDialogProc(ui::Dialog& dialog, unsigned message, uintptr_t wParam, intptr_t lParam);
