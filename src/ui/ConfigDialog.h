// The configuration dialog: dialog template 101 and its procedure.
#pragma once
#include <cstdint>

struct SaverApp;  // src/shell/

namespace ui {
class Dialog;
}

// Shows dialog 101 modally, owned by the /c:N window (none when 0); edits the
// global Settings and saves them on OK. Returns when the dialog closes.
void RunConfigure(SaverApp& app);

// Dialog procedure of template 101: WM_INITDIALOG, WM_COMMAND (control id in
// wParam's low 16 bits), WM_HSCROLL (trackbar notification code in wParam's low
// 16 bits, the trackbar's id in lParam). Every other message returns false.
bool ConfigDialogProc(ui::Dialog& dialog, unsigned message, uintptr_t wParam, intptr_t lParam);
