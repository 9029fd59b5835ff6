#include "platform/Display.h"
#include "platform/PlatformInternal.h"
#include "platform/Window.h"

#include <SDL2/SDL.h>
#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

std::vector<FakeDisplay> fakeDisplays;
bool fakeActive = false;

bool switched = false;
DisplayMode switchedMode;

bool fakeGamma = false;
uint16_t fakeRamp[768];
int fakeGammaWrites = 0;

int cursorCount = 0;
bool cursorMoved = false;
int cursorX = 0, cursorY = 0;

uint32_t BitsOf(uint32_t format) {
  uint32_t bits = SDL_BITSPERPIXEL(format);
  if (bits == 24 && SDL_BYTESPERPIXEL(format) == 4)
    return 32;
  return bits;
}

// Index of the named device (nullptr or "" = the primary), -1 if unknown.
int DeviceIndex(const char* name) {
  if (fakeActive) {
    if (!name || !*name) {
      for (size_t i = 0; i < fakeDisplays.size(); ++i)
        if (fakeDisplays[i].device.stateFlags & DisplayDevicePrimary)
          return static_cast<int>(i);
      return fakeDisplays.empty() ? -1 : 0;
    }
    for (size_t i = 0; i < fakeDisplays.size(); ++i)
      if (strcmp(fakeDisplays[i].device.name, name) == 0)
        return static_cast<int>(i);
    return -1;
  }
  if (!PlatformInit())
    return -1;
  int n = SDL_GetNumVideoDisplays();
  if (!name || !*name)
    return n > 0 ? 0 : -1;
  for (int i = 0; i < n; ++i) {
    char buf[32];
    snprintf(buf, sizeof buf, "DISPLAY%d", i + 1);
    if (strcmp(buf, name) == 0)
      return i;
  }
  return -1;
}

// The real modes of display d, smallest first as Windows lists them.
std::vector<DisplayMode> RealModes(int d) {
  std::vector<DisplayMode> modes;
  int n = SDL_GetNumDisplayModes(d);
  for (int i = n - 1; i >= 0; --i) {
    SDL_DisplayMode m{};
    if (SDL_GetDisplayMode(d, i, &m) != 0)
      continue;
    DisplayMode dm;
    dm.width = static_cast<uint32_t>(m.w);
    dm.height = static_cast<uint32_t>(m.h);
    dm.bitsPerPixel = BitsOf(m.format);
    dm.refreshRate = static_cast<uint32_t>(m.refresh_rate);
    modes.push_back(dm);
  }
  return modes;
}

// Desktop rectangles in our coordinates (primary at 0, 0).
struct Rect {
  int left, top, right, bottom;
};

std::vector<Rect> DisplayRects() {
  std::vector<Rect> rects;
  if (fakeActive) {
    for (auto& f : fakeDisplays) {
      if (!(f.device.stateFlags & DisplayDeviceAttachedToDesktop) ||
          (f.device.stateFlags & DisplayDeviceMirroringDriver)) {
        rects.push_back(Rect{0, 0, 0, 0});
        continue;
      }
      int x = (f.device.stateFlags & DisplayDevicePrimary) ? 0 : f.current.x;
      int y = (f.device.stateFlags & DisplayDevicePrimary) ? 0 : f.current.y;
      rects.push_back(Rect{x, y, x + static_cast<int>(f.current.width),
                           y + static_cast<int>(f.current.height)});
    }
    return rects;
  }
  if (!PlatformInit())
    return rects;
  int ox = 0, oy = 0;
  InternalDesktopOrigin(&ox, &oy);
  int n = SDL_GetNumVideoDisplays();
  for (int i = 0; i < n; ++i) {
    SDL_Rect b{};
    SDL_GetDisplayBounds(i, &b);
    rects.push_back(Rect{b.x - ox, b.y - oy, b.x - ox + b.w, b.y - oy + b.h});
  }
  return rects;
}

} // namespace

bool InternalFakeDisplays() { return fakeActive; }

void InternalDesktopOrigin(int* x, int* y) {
  int ox = 0, oy = 0;
  if (!fakeActive && PlatformInit()) {
    SDL_Rect b{};
    if (SDL_GetNumVideoDisplays() > 0 && SDL_GetDisplayBounds(0, &b) == 0) {
      ox = b.x;
      oy = b.y;
    }
  }
  if (x)
    *x = ox;
  if (y)
    *y = oy;
}

bool EnumDisplayDevice(uint32_t index, DisplayDevice* device) {
  if (fakeActive) {
    if (index >= fakeDisplays.size())
      return false;
    if (device)
      *device = fakeDisplays[index].device;
    return true;
  }
  if (!PlatformInit())
    return false;
  int n = SDL_GetNumVideoDisplays();
  if (n < 0 || index >= static_cast<uint32_t>(n))
    return false;
  if (device) {
    *device = DisplayDevice{};
    snprintf(device->name, sizeof device->name, "DISPLAY%u", index + 1);
    const char* desc = SDL_GetDisplayName(static_cast<int>(index));
    snprintf(device->description, sizeof device->description, "%s", desc ? desc : "display");
    device->stateFlags = DisplayDeviceAttachedToDesktop | (index == 0 ? DisplayDevicePrimary : 0);
  }
  return true;
}

bool EnumDisplayMode(const char* deviceName, int32_t index, DisplayMode* mode) {
  int d = DeviceIndex(deviceName);
  if (d < 0)
    return false;
  if (fakeActive) {
    const FakeDisplay& f = fakeDisplays[static_cast<size_t>(d)];
    if (index == CurrentDisplayMode) {
      if (mode) {
        *mode = f.current;
        if (f.device.stateFlags & DisplayDevicePrimary)
          mode->x = mode->y = 0;
      }
      return true;
    }
    if (index < 0 || static_cast<size_t>(index) >= f.modes.size())
      return false;
    if (mode)
      *mode = f.modes[static_cast<size_t>(index)];
    return true;
  }
  if (index == CurrentDisplayMode) {
    SDL_DisplayMode m{};
    if (SDL_GetDesktopDisplayMode(d, &m) != 0)
      return false;
    if (mode) {
      *mode = DisplayMode{};
      mode->width = static_cast<uint32_t>(m.w);
      mode->height = static_cast<uint32_t>(m.h);
      mode->bitsPerPixel = BitsOf(m.format);
      mode->refreshRate = static_cast<uint32_t>(m.refresh_rate);
      std::vector<Rect> rects = DisplayRects();
      if (static_cast<size_t>(d) < rects.size()) {
        mode->x = rects[static_cast<size_t>(d)].left;
        mode->y = rects[static_cast<size_t>(d)].top;
      }
    }
    return true;
  }
  if (index < 0)
    return false;
  std::vector<DisplayMode> modes = RealModes(d);
  if (static_cast<size_t>(index) >= modes.size())
    return false;
  if (mode)
    *mode = modes[static_cast<size_t>(index)];
  return true;
}

std::vector<DisplayMode> ListDisplayModes() {
  std::vector<DisplayMode> modes;
  DisplayMode m;
  for (int32_t i = 0; EnumDisplayMode(nullptr, i, &m); ++i)
    modes.push_back(m);
  return modes;
}

MonitorHandle MonitorFromRectangle(int left, int top, int right, int bottom) {
  std::vector<Rect> rects = DisplayRects();
  long best = 0;
  MonitorHandle result = 0;
  for (size_t i = 0; i < rects.size(); ++i) {
    const Rect& r = rects[i];
    long w = std::min(right, r.right) - std::max(left, r.left);
    long h = std::min(bottom, r.bottom) - std::max(top, r.top);
    if (w <= 0 || h <= 0)
      continue;
    if (w * h > best) {
      best = w * h;
      result = static_cast<MonitorHandle>(i + 1);
    }
  }
  return result;
}

int ChangeDisplayMode(const DisplayMode* mode, uint32_t flags) {
  if (!mode) {
    bool was = switched;
    switched = false;
    if (was && !fakeActive)
      InternalRestoreWindowsDisplayMode();
    return 0;
  }
  // The mode must be one the primary device lists (or its current one).
  bool listed = false;
  DisplayMode m;
  for (int32_t i = CurrentDisplayMode; EnumDisplayMode(nullptr, i, &m); ++i) {
    if (m.width == mode->width && m.height == mode->height &&
        (mode->bitsPerPixel == 0 || m.bitsPerPixel == mode->bitsPerPixel)) {
      listed = true;
      break;
    }
  }
  if (!listed)
    return -2; // DISP_CHANGE_BADMODE
  switched = true;
  switchedMode = *mode;
  (void)flags;
  return 0;
}

bool DisplayModeSwitched(DisplayMode* mode) {
  if (switched && mode)
    *mode = switchedMode;
  return switched;
}

bool GetDeviceGammaRamp(uintptr_t window, uint16_t ramp[768]) {
  if (fakeGamma) {
    memcpy(ramp, fakeRamp, sizeof fakeRamp);
    return true;
  }
  SDL_Window* w = InternalSdlWindow(window ? window : InternalFirstWindow());
  if (!w)
    return false;
  return SDL_GetWindowGammaRamp(w, ramp, ramp + 256, ramp + 512) == 0;
}

bool SetDeviceGammaRamp(uintptr_t window, const uint16_t ramp[768]) {
  if (fakeGamma) {
    memcpy(fakeRamp, ramp, sizeof fakeRamp);
    ++fakeGammaWrites;
    return true;
  }
  SDL_Window* w = InternalSdlWindow(window ? window : InternalFirstWindow());
  if (!w)
    return false;
  return SDL_SetWindowGammaRamp(w, ramp, ramp + 256, ramp + 512) == 0;
}

int ShowMouseCursor(bool show) {
  cursorCount += show ? 1 : -1;
  if (PlatformInit())
    SDL_ShowCursor(cursorCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
  return cursorCount;
}

void SetCursorPosition(int x, int y) {
  cursorMoved = true;
  cursorX = x;
  cursorY = y;
  if (fakeActive || !PlatformInit())
    return;
  int ox = 0, oy = 0;
  InternalDesktopOrigin(&ox, &oy);
  SDL_WarpMouseGlobal(x + ox, y + oy);
}

bool LastCursorPosition(int* x, int* y) {
  if (!cursorMoved)
    return false;
  if (x)
    *x = cursorX;
  if (y)
    *y = cursorY;
  return true;
}

void SetFakeDisplays(const std::vector<FakeDisplay>& displays) {
  fakeDisplays = displays;
  for (size_t i = 0; i < fakeDisplays.size(); ++i)
    if (!fakeDisplays[i].device.name[0])
      snprintf(fakeDisplays[i].device.name, sizeof fakeDisplays[i].device.name, "DISPLAY%zu",
               i + 1);
  fakeActive = !fakeDisplays.empty();
  switched = false;
}

void SetFakeDisplayModes(const std::vector<DisplayMode>& modes, const DisplayMode& current) {
  FakeDisplay f;
  f.device.stateFlags = DisplayDeviceAttachedToDesktop | DisplayDevicePrimary;
  snprintf(f.device.description, sizeof f.device.description, "fake display");
  f.current = current;
  f.current.x = f.current.y = 0;
  f.modes = modes;
  SetFakeDisplays({f});
}

void ClearFakeDisplays() {
  fakeDisplays.clear();
  fakeActive = false;
  switched = false;
}

void UseFakeGammaRamp(bool on, const uint16_t* initial) {
  fakeGamma = on;
  fakeGammaWrites = 0;
  for (int c = 0; c < 3; ++c)
    for (int i = 0; i < 256; ++i)
      fakeRamp[c * 256 + i] = initial ? initial[c * 256 + i] : static_cast<uint16_t>(256 * i);
}

int FakeGammaRampWrites() { return fakeGammaWrites; }

const uint16_t* FakeGammaRamp() { return fakeRamp; }
