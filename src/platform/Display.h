// Display devices, display modes, the full-screen mode switch, the device gamma
// ramp and the mouse cursor: our stand-in for EnumDisplayDevicesA,
// EnumDisplaySettingsA, ChangeDisplaySettingsA, MonitorFromRect,
// Get/SetDeviceGammaRamp, ShowCursor and SetCursorPos, built on SDL2.
//
// Tests can replace the whole display survey with fake devices and mode lists
// (SetFakeDisplays, SetFakeDisplayModes) and the gamma ramp with an in-memory
// one (UseFakeGammaRamp); everything here then answers from the fakes.
#pragma once
#include <cstdint>
#include <vector>

// One display mode, as EnumDisplaySettingsA reports it. x, y: the device's
// position on the desktop (the primary device is at 0, 0).
struct DisplayMode {
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t bitsPerPixel = 0;
  uint32_t refreshRate = 0;
  int x = 0;
  int y = 0;
};

// The mode index of EnumDisplaySettingsA that asks for the current mode
// (ENUM_CURRENT_SETTINGS).
constexpr int32_t CurrentDisplayMode = -1;

// State flags of a display device (as Windows numbers them).
constexpr uint32_t DisplayDeviceAttachedToDesktop = 0x1;
constexpr uint32_t DisplayDevicePrimary = 0x4;
constexpr uint32_t DisplayDeviceMirroringDriver = 0x8;

// One display device, as EnumDisplayDevicesA reports it.
struct DisplayDevice {
  char name[32] = {}; // "DISPLAY1", "DISPLAY2", ...
  char description[128] = {};
  uint32_t stateFlags = 0;
};

// Monitor handle: 0 is null; otherwise 1 + the index of the device.
using MonitorHandle = uintptr_t;

// Device number index (0, 1, ...); false past the last device.
bool EnumDisplayDevice(uint32_t index, DisplayDevice* device);

// Mode number index (0, 1, ...) or CurrentDisplayMode of the named device
// (nullptr or "": the primary device); false past the last mode or for an
// unknown device. Bits per pixel are 32 for 8-bit-per-channel desktops, as
// Windows reports them.
bool EnumDisplayMode(const char* deviceName, int32_t index, DisplayMode* mode);

// All listed modes of the primary device in EnumDisplayMode order.
std::vector<DisplayMode> ListDisplayModes();

// The monitor covering (most of) the rectangle, or 0 when none does
// (MonitorFromRect with the default-to-null flag).
MonitorHandle MonitorFromRectangle(int left, int top, int right, int bottom);

// ChangeDisplaySettingsA: mode != nullptr switches the primary display to that
// width, height and depth as a temporary full-screen mode (flag CDS_FULLSCREEN);
// the switch takes effect for full-screen windows created or shown afterwards.
// nullptr restores the mode from the desktop settings (undoes the switch).
// Returns 0 (DISP_CHANGE_SUCCESSFUL) or a negative number on failure.
constexpr uint32_t ChangeDisplayFullScreen = 0x4; // CDS_FULLSCREEN
int ChangeDisplayMode(const DisplayMode* mode, uint32_t flags);
// Whether a switch made by ChangeDisplayMode is in force, and which mode.
bool DisplayModeSwitched(DisplayMode* mode = nullptr);

// The device gamma ramp: 3 x 256 entries, red first, then green, then blue.
// The window gives the display (0: the primary one). False when the device has
// no gamma ramp or refuses it.
bool GetDeviceGammaRamp(uintptr_t window, uint16_t ramp[768]);
bool SetDeviceGammaRamp(uintptr_t window, const uint16_t ramp[768]);

// Cursor: ShowCursor(FALSE/TRUE) as a counter (hidden while below 0); returns
// the new count. SetCursorPosition takes screen coordinates.
int ShowMouseCursor(bool show);
void SetCursorPosition(int x, int y);
// Where SetCursorPosition last put the cursor (for tests); false if never.
bool LastCursorPosition(int* x, int* y);

// ---- Test hooks ------------------------------------------------------------

struct FakeDisplay {
  DisplayDevice device;
  DisplayMode current;            // its x, y place it on the desktop
  std::vector<DisplayMode> modes; // answered for index 0, 1, ...
};
// Replaces the real devices by these (in this order; device names are kept as
// given, empty ones become "DISPLAYn"). An empty list restores the real ones.
void SetFakeDisplays(const std::vector<FakeDisplay>& displays);
// One primary attached device with this current mode and mode list.
void SetFakeDisplayModes(const std::vector<DisplayMode>& modes, const DisplayMode& current);
void ClearFakeDisplays();

// Gamma: while on, Get/SetDeviceGammaRamp read and write an in-memory ramp
// (initially `initial`, or the identity ramp entry i = 256 * i when null) and
// count the writes.
void UseFakeGammaRamp(bool on, const uint16_t* initial = nullptr);
int FakeGammaRampWrites();
// The in-memory ramp (valid while UseFakeGammaRamp is on).
const uint16_t* FakeGammaRamp();
