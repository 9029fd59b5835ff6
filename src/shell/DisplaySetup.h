// The display side of the saver: the monitor survey, the full-screen mode
// switch, the window classes and one window per monitor, the pixel format and
// OpenGL context of the rendering window, the fixed OpenGL state and the
// device gamma ramp.
#pragma once
#include <cstdint>

#include "platform/Window.h"

struct SaverApp;

// The rendering window (the first window made; it holds the OpenGL context)
// and its context. 0 until made.
extern WindowHandle RenderingWindow;
extern GlContextHandle RenderingContext;

// Fills the monitor table of app: one entry per display device that is not a
// mirroring driver, at most 9; attached devices get their desktop rectangle
// (the primary at 0, 0) and monitor.
void EnumerateMonitors(SaverApp& app);

// Switches the display to Width x Height x Depth as a temporary full-screen
// mode and hides the cursor.
void SwitchDisplayMode();

// Registers "MyWindow" (SaverWindowProc, own device context, so it can hold
// the OpenGL context) and "FakeMonitor" (the default procedure).
void RegisterSaverClasses();
void UnregisterSaverClasses();

// One window per monitor-bearing entry: the first is the rendering window
// "MyWindow" at (0, 0), Width x Height, not yet visible; the others are
// visible black "FakeMonitor" windows over their monitor. False when a
// creation fails or no entry has a monitor.
bool CreateSaverWindows(SaverApp& app);

// Sets the pixel format of the rendering window: 32-bit colour, 24-bit depth,
// 8-bit stencil, double buffered; format 1 when none matches.
bool SetupPixelFormat();

// The fixed OpenGL state: enables, additive blending, viewport, the 4:3
// frustum, lights, swap interval, clear colour and the gamma ramp. Always true.
bool InitGLState();

// Gamma exponent of a Gamma setting: 1 - (gamma - 50) / 50 * 0.5.
double GammaExponent(uint32_t gamma);
// Entry i of a channel with exponent e: pow(i / 256, e) * 65536, truncated.
void BuildGammaRamp(double red, double green, double blue, uint16_t ramp[768]);
// Loads such a ramp into the rendering window's display; whether it took.
bool ApplyGammaRamp(double red, double green, double blue);

// The ramp in force before the saver changed it: SaveGammaRamp keeps it (once
// per run), RestoreGammaRamp puts it back (the identity ramp when none could
// be read). Used only when DefGamma is off.
void SaveGammaRamp();
void RestoreGammaRamp();
