#include "shell/DisplaySetup.h"

#include "platform/Display.h"
#include "shell/SaverApp.h"
#include "shell/SaverLoop.h"
#include "shell/Settings.h"

#include <GL/gl.h>
#include <cmath>

WindowHandle RenderingWindow = 0;
GlContextHandle RenderingContext = 0;

namespace {
bool gammaSaved = false;
bool gammaSavedValid = false;
uint16_t savedRamp[768];
} // namespace

void EnumerateMonitors(SaverApp& app) {
  app.monitorCount = 0;
  DisplayDevice device;
  for (uint32_t index = 0; EnumDisplayDevice(index, &device); ++index) {
    if (device.stateFlags & DisplayDeviceMirroringDriver)
      continue;
    DisplayEntry& entry = app.monitors[app.monitorCount];
    entry = DisplayEntry{};
    if (device.stateFlags & DisplayDeviceAttachedToDesktop) {
      DisplayMode mode;
      if (EnumDisplayMode(device.name, CurrentDisplayMode, &mode)) {
        bool primary = (device.stateFlags & DisplayDevicePrimary) != 0;
        entry.left = primary ? 0 : mode.x;
        entry.top = primary ? 0 : mode.y;
        entry.right = entry.left + static_cast<int32_t>(mode.width);
        entry.bottom = entry.top + static_cast<int32_t>(mode.height);
        entry.monitor = MonitorFromRectangle(entry.left, entry.top, entry.right, entry.bottom);
      }
    }
    if (++app.monitorCount >= MaxMonitors)
      break;
  }
}

void SwitchDisplayMode() {
  DisplayMode mode;
  mode.width = Settings.Width;
  mode.height = Settings.Height;
  mode.bitsPerPixel = Settings.Depth;
  ChangeDisplayMode(&mode, ChangeDisplayFullScreen);
  ShowMouseCursor(false);
}

void RegisterSaverClasses() {
  PlatformRegisterClass("MyWindow", SaverWindowProc, CS_HREDRAW | CS_VREDRAW | CS_OWNDC);
  PlatformRegisterClass("FakeMonitor", PlatformDefWindowProc, CS_HREDRAW | CS_VREDRAW);
}

void UnregisterSaverClasses() {
  PlatformUnregisterClass("MyWindow");
  PlatformUnregisterClass("FakeMonitor");
}

bool CreateSaverWindows(SaverApp& app) {
  RenderingWindow = 0;
  bool haveRendering = false;
  for (uint32_t i = 0; i < app.monitorCount; ++i) {
    DisplayEntry& entry = app.monitors[i];
    if (!entry.monitor)
      continue;
    WindowHandle w;
    if (!haveRendering) {
      w = PlatformCreateWindow(WS_EX_TOPMOST | WS_EX_APPWINDOW, "MyWindow", "Nimbrel",
                               WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0,
                               static_cast<int>(Settings.Width), static_cast<int>(Settings.Height),
                               0);
      if (w) {
        RenderingWindow = w;
        haveRendering = true;
      }
    } else {
      w = PlatformCreateWindow(WS_EX_TOPMOST | WS_EX_APPWINDOW, "FakeMonitor", "Nimbrel",
                               WS_POPUP | WS_VISIBLE, entry.left, entry.top,
                               entry.right - entry.left, entry.bottom - entry.top, 0);
    }
    entry.window = w;
    if (!w)
      return false;
  }
  return haveRendering;
}

bool SetupPixelFormat() {
  PixelFormat wanted;
  wanted.size = 40;
  wanted.version = 1;
  wanted.flags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  wanted.pixelType = PFD_TYPE_RGBA;
  wanted.colorBits = 32;
  wanted.depthBits = 24;
  wanted.stencilBits = 8;
  wanted.layerType = PFD_MAIN_PLANE;
  int format = PlatformChoosePixelFormat(RenderingWindow, wanted);
  if (format == 0) {
    format = 1;
    if (!PlatformDescribePixelFormat(RenderingWindow, format, &wanted))
      return false;
  }
  return PlatformSetPixelFormat(RenderingWindow, format, wanted);
}

bool InitGLState() {
  glEnable(GL_ALPHA_TEST);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT0);
  glEnable(GL_LIGHT1);
  glEnable(GL_BLEND);
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_NORMALIZE);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glViewport(0, 0, static_cast<GLsizei>(Settings.Width), static_cast<GLsizei>(Settings.Height));
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  // 40 times the single-precision -4/3, 4/3, -1, 1 and 2: always a 4:3 view.
  const float aspect = 4.0f / 3.0f;
  glFrustum(-static_cast<double>(aspect) * 40.0, static_cast<double>(aspect) * 40.0, -40.0, 40.0,
            80.0, 5000000.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glDisable(GL_LIGHT0);

  const GLfloat ambient[] = {0.0f, 0.0f, 0.07f, 0.0f};
  glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, GL_TRUE);
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_FALSE);
  glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL, GL_SEPARATE_SPECULAR_COLOR);
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);

  const GLfloat light1Position[] = {0.0f, 0.0f, 9100.0f, 1.0f};
  const GLfloat white[] = {1.0f, 1.0f, 1.0f, 1.0f};
  glLightfv(GL_LIGHT1, GL_POSITION, light1Position);
  glLightfv(GL_LIGHT1, GL_DIFFUSE, white);
  glLightfv(GL_LIGHT1, GL_SPECULAR, white);

  const GLfloat black[] = {0.0f, 0.0f, 0.0f, 1.0f};
  const GLfloat grey[] = {0.3f, 0.3f, 0.3f, 1.0f};
  glLightfv(GL_LIGHT0, GL_SPECULAR, black);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, grey);
  glLightf(GL_LIGHT0, GL_SPOT_EXPONENT, 3.0f);
  glLightf(GL_LIGHT0, GL_SPOT_CUTOFF, 60.0f);

  glLightf(GL_LIGHT2, GL_LINEAR_ATTENUATION, 0.006f);

  // Swap interval, only where the driver has swap control.
  using SwapIntervalFn = int (*)(int);
  auto setInterval = reinterpret_cast<SwapIntervalFn>(PlatformGetProcAddress("wglSwapIntervalEXT"));
  void* getInterval = PlatformGetProcAddress("wglGetSwapIntervalEXT");
  if (getInterval && setInterval)
    setInterval(Settings.VSync ? 1 : 0);

  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glLineWidth(1.0f);
  glDisable(GL_LIGHT2);

  if (!Settings.DefGamma) {
    double e = GammaExponent(Settings.Gamma);
    SaveGammaRamp();
    ApplyGammaRamp(e, e, e);
  }
  return true;
}

double GammaExponent(uint32_t gamma) {
  return 1.0 - (static_cast<double>(gamma) - 50.0) / 50.0 * 0.5;
}

void BuildGammaRamp(double red, double green, double blue, uint16_t ramp[768]) {
  const double exponents[3] = {red, green, blue};
  for (int c = 0; c < 3; ++c)
    for (int i = 0; i < 256; ++i) {
      double v = std::pow(i / 256.0, exponents[c]) * 65536.0;
      if (v > 65535.0)
        v = 65535.0;
      ramp[c * 256 + i] = static_cast<uint16_t>(v);
    }
}

bool ApplyGammaRamp(double red, double green, double blue) {
  uint16_t ramp[768];
  BuildGammaRamp(red, green, blue, ramp);
  return SetDeviceGammaRamp(RenderingWindow, ramp);
}

void SaveGammaRamp() {
  if (gammaSaved)
    return;
  gammaSaved = true;
  gammaSavedValid = GetDeviceGammaRamp(RenderingWindow, savedRamp);
}

void RestoreGammaRamp() {
  if (gammaSaved && gammaSavedValid)
    SetDeviceGammaRamp(RenderingWindow, savedRamp);
  else
    ApplyGammaRamp(1.0, 1.0, 1.0);
  gammaSaved = false;
  gammaSavedValid = false;
}
