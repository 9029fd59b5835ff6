// Shows a dialog of the dialog layer in a real window: SDL2 with OpenGL, every
// control drawn with Dear ImGui at its template place (dialog units converted as
// the dialog font does at 96 DPI). The user's clicks and keys become the
// model's user actions, and so the dialog procedure's messages.
#pragma once
#include <cstdint>

#include "ui/Dialog.h"

namespace ui {

// Sends WM_INITDIALOG, shows the dialog in a window of its own and runs it
// until its procedure ends it; returns the result. The window is transient for
// the X11 window x11Owner when that is not 0, and for the owner dialog's window
// when the dialog has an owner (which takes no input meanwhile). Enter is the
// default button, Escape and closing the window are Cancel. Without a display
// it reports that on stderr and returns IDCANCEL.
intptr_t RunModalDialog(Dialog& dialog, unsigned long x11Owner);

// Tests replace the window with their own runner; nullptr restores it.
using ModalDialogRunner = intptr_t (*)(Dialog& dialog, unsigned long x11Owner);
void SetModalDialogRunner(ModalDialogRunner runner);

} // namespace ui
