// The monitor survey, the saver's windows, the fixed OpenGL state and the
// gamma ramp.
#include "platform/Display.h"
#include "platform/Window.h"
#include "shell/DisplaySetup.h"
#include "shell/SaverApp.h"
#include "shell/Settings.h"
#include "support/GlTestContext.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

namespace {

FakeDisplay Device(uint32_t flags, uint32_t w, uint32_t h, int x, int y) {
  FakeDisplay f;
  f.device.stateFlags = flags;
  f.current = DisplayMode{w, h, 32, 60, x, y};
  f.modes = {f.current};
  return f;
}

constexpr uint32_t Attached = DisplayDeviceAttachedToDesktop;
constexpr uint32_t Primary = DisplayDeviceAttachedToDesktop | DisplayDevicePrimary;

TEST(DisplaySetupTest, MonitorTableSkipsMirrorsAndStopsAtNine) {
  std::vector<FakeDisplay> devices = {
      Device(Attached, 800, 600, 1024, 0), // a secondary listed first
      Device(Attached | DisplayDeviceMirroringDriver, 1024, 768, 0, 0),
      Device(Primary, 1024, 768, 50, 50), Device(0, 640, 480, 0, 0), // not on the desktop
  };
  for (int i = 0; i < 8; ++i)
    devices.push_back(Device(Attached, 100, 100, -100 * (i + 1), 0));
  SetFakeDisplays(devices);
  SaverApp app;
  EnumerateMonitors(app);
  ClearFakeDisplays();

  ASSERT_EQ(app.monitorCount, 9u);
  const DisplayEntry& side = app.monitors[0];
  EXPECT_EQ(side.left, 1024);
  EXPECT_EQ(side.right, 1824);
  EXPECT_EQ(side.bottom, 600);
  EXPECT_NE(side.monitor, 0u);
  const DisplayEntry& primary = app.monitors[1];
  EXPECT_EQ(primary.left, 0); // the primary is at the origin whatever its mode says
  EXPECT_EQ(primary.top, 0);
  EXPECT_EQ(primary.right, 1024);
  EXPECT_NE(primary.monitor, 0u);
  EXPECT_EQ(app.monitors[2].monitor, 0u); // detached: an entry without a monitor
  EXPECT_EQ(app.monitors[2].right, 0);
  EXPECT_EQ(app.monitors[8].left, -600); // the ninth entry; the tenth is not taken
}

TEST(DisplaySetupTest, RenderingWindowAtOriginAndBlackCoversElsewhere) {
  ASSERT_TRUE(PlatformInit());
  SetFakeDisplays({Device(Attached, 320, 200, 400, 0), Device(Primary, 400, 300, 0, 0),
                   Device(0, 640, 480, 0, 0)});
  Settings = SettingsRecord{};
  Settings.Width = 400;
  Settings.Height = 300;
  Settings.Depth = 32;
  Settings.DefGamma = true;
  SaverApp app;
  EnumerateMonitors(app);
  RegisterSaverClasses();
  ASSERT_TRUE(CreateSaverWindows(app));
  EXPECT_EQ(app.monitors[0].window, RenderingWindow);
  EXPECT_STREQ(PlatformWindowClass(app.monitors[0].window), "MyWindow");
  EXPECT_STREQ(PlatformWindowClass(app.monitors[1].window), "FakeMonitor");
  EXPECT_EQ(app.monitors[2].window, 0u);
  int w = 0, h = 0;
  PlatformGetClientSize(RenderingWindow, &w, &h);
  EXPECT_EQ(w, 400); // Width x Height, though the first entry is the 320 x 200 one
  EXPECT_EQ(h, 300);
  int x = 0, y = 0;
  PlatformClientToScreen(RenderingWindow, &x, &y);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  PlatformGetClientSize(app.monitors[1].window, &w, &h);
  EXPECT_EQ(w, 400); // the primary's rectangle
  EXPECT_NE(RenderingContext, 0u);
  EXPECT_EQ(PlatformCurrentGlWindow(), RenderingWindow);

  PlatformDestroyWindow(app.monitors[0].window);
  PlatformDestroyWindow(app.monitors[1].window);
  UnregisterSaverClasses();
  RenderingWindow = 0;
  RenderingContext = 0;
  ClearFakeDisplays();
}

TEST(DisplaySetupTest, NoMonitorMeansNoWindows) {
  SetFakeDisplays({Device(0, 640, 480, 0, 0)});
  SaverApp app;
  EnumerateMonitors(app);
  RegisterSaverClasses();
  EXPECT_FALSE(CreateSaverWindows(app));
  UnregisterSaverClasses();
  ClearFakeDisplays();
}

TEST(DisplaySetupTest, GammaRampEntries) {
  EXPECT_DOUBLE_EQ(GammaExponent(50), 1.0);
  EXPECT_DOUBLE_EQ(GammaExponent(100), 0.5);
  EXPECT_DOUBLE_EQ(GammaExponent(0), 1.5);
  uint16_t ramp[768];
  BuildGammaRamp(1.0, 0.5, 1.5, ramp);
  for (int i = 0; i < 256; ++i)
    ASSERT_EQ(ramp[i], 256 * i); // identity: the divisor is 256
  EXPECT_EQ(ramp[255], 65280);
  EXPECT_EQ(ramp[256 + 64], 32768);  // sqrt(1/4)
  EXPECT_EQ(ramp[256 + 255], 65407); // (255/256)^0.5 * 65536, truncated
  EXPECT_EQ(ramp[512 + 64], 8192);   // (1/4)^1.5
  EXPECT_EQ(ramp[512 + 3], 83);      // (3/256)^1.5 * 65536 = 83.1, truncated
  EXPECT_EQ(ramp[256], 0);
}

TEST(DisplaySetupTest, FixedGlStateAndSwapIntervalRule) {
  GlTestContext ctx(64, 48);
  REQUIRE_GL(ctx);
  Settings = SettingsRecord{};
  Settings.Width = 64;
  Settings.Height = 48;
  Settings.DefGamma = true;
  Settings.VSync = true;

  SetSwapControlOverride(0); // no swap control: the interval is left alone
  int before = LastSwapInterval();
  ASSERT_TRUE(InitGLState());
  EXPECT_EQ(LastSwapInterval(), before);
  SetSwapControlOverride(1);
  InitGLState();
  EXPECT_EQ(LastSwapInterval(), 1);
  Settings.VSync = false;
  InitGLState();
  EXPECT_EQ(LastSwapInterval(), 0);
  SetSwapControlOverride(-1);

  for (GLenum cap : {GL_ALPHA_TEST, GL_DEPTH_TEST, GL_LIGHTING, GL_LIGHT1, GL_BLEND, GL_TEXTURE_2D,
                     GL_NORMALIZE})
    EXPECT_TRUE(glIsEnabled(cap)) << cap;
  EXPECT_FALSE(glIsEnabled(GL_LIGHT0));
  EXPECT_FALSE(glIsEnabled(GL_LIGHT2));
  GLint src = 0, dst = 0;
  glGetIntegerv(GL_BLEND_SRC, &src);
  glGetIntegerv(GL_BLEND_DST, &dst);
  EXPECT_EQ(src, GL_SRC_ALPHA);
  EXPECT_EQ(dst, GL_ONE);
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 64);
  EXPECT_EQ(viewport[3], 48);

  // The 4:3 frustum: left/right +-53.333..., bottom/top +-40, near 80.
  GLdouble p[16];
  glGetDoublev(GL_PROJECTION_MATRIX, p);
  EXPECT_NEAR(p[0], 160.0 / 106.66666984558105, 1e-6);
  EXPECT_NEAR(p[5], 2.0, 1e-6);
  EXPECT_NEAR(p[14], -2.0 * 5000000.0 * 80.0 / (5000000.0 - 80.0), 1e-2);
  GLfloat ambient[4];
  glGetFloatv(GL_LIGHT_MODEL_AMBIENT, ambient);
  EXPECT_FLOAT_EQ(ambient[2], 0.07f);
  GLfloat position[4];
  glGetLightfv(GL_LIGHT1, GL_POSITION, position);
  EXPECT_FLOAT_EQ(position[2], 9100.0f);
  GLfloat cutoff = 0;
  glGetLightfv(GL_LIGHT0, GL_SPOT_CUTOFF, &cutoff);
  EXPECT_FLOAT_EQ(cutoff, 60.0f);
  GLfloat clear[4];
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
  EXPECT_EQ(clear[0] + clear[1] + clear[2], 0.0f);
}

TEST(DisplaySetupTest, GammaIsSavedAppliedAndRestored) {
  uint16_t original[768];
  for (int i = 0; i < 768; ++i)
    original[i] = static_cast<uint16_t>(i * 77);
  UseFakeGammaRamp(true, original);
  GlTestContext ctx(16, 16);
  REQUIRE_GL(ctx);
  Settings = SettingsRecord{};
  Settings.Width = Settings.Height = 16;
  Settings.DefGamma = false;
  Settings.Gamma = 100;
  InitGLState();
  EXPECT_EQ(FakeGammaRampWrites(), 1);
  EXPECT_EQ(FakeGammaRamp()[64], 32768); // exponent 0.5
  RestoreGammaRamp();
  EXPECT_EQ(memcmp(FakeGammaRamp(), original, sizeof original), 0);

  // DefGamma: the ramp is never touched.
  UseFakeGammaRamp(true, original);
  Settings.DefGamma = true;
  InitGLState();
  EXPECT_EQ(FakeGammaRampWrites(), 0);
  UseFakeGammaRamp(false);
}

} // namespace
