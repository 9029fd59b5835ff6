// Seams between the platform units (not for use outside src/platform/).
#pragma once
#include <cstdint>

struct SDL_Window;

// The SDL window behind one of our windows (nullptr if none).
SDL_Window* InternalSdlWindow(uintptr_t window);
// The first of our windows still existing that has an SDL window (0 if none).
uintptr_t InternalFirstWindow();
// Where the primary display's origin lies in SDL's global coordinates.
void InternalDesktopOrigin(int* x, int* y);
// Called by ChangeDisplayMode(nullptr): windows that switched the display
// mode leave full screen so the desktop mode comes back.
void InternalRestoreWindowsDisplayMode();
// Whether the fake display list is in use.
bool InternalFakeDisplays();
