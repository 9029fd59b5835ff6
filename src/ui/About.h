// The About box: dialog template 105 with the credits, modal over its owner.
#pragma once
#include "ui/Dialog.h"

namespace ui {
extern const DialogTemplate AboutTemplate;
}

// Closes the box with OK (1) or Cancel (2); the command id is the result.
bool AboutDialogProc(ui::Dialog& dialog, unsigned message, uintptr_t wParam, intptr_t lParam);

// Shows the About box modally over the owner dialog; returns its result.
intptr_t ShowAboutBox(ui::Dialog& owner);
