// The frame loop with messages injected into the queue: what ends the saver
// and what does not, the frame-rate bookkeeping, and whole saver runs on an
// empty data folder.
#include "ShellTestUtil.h"
#include "motion/Camera.h"
#include "platform/Clock.h"
#include "platform/Display.h"
#include "platform/Window.h"
#include "scene/World.h"
#include "shell/DisplaySetup.h"
#include "shell/SaverApp.h"
#include "shell/SaverLoop.h"
#include "shell/Settings.h"

#include <GL/gl.h>
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <climits>
#include <unistd.h>

namespace {

constexpr int W = 320, H = 240;

void UseOneFakeDisplay() { SetFakeDisplayModes({{W, H, 32, 60, 0, 0}}, {W, H, 32, 60, 0, 0}); }

void DefaultTestSettings() {
  Settings = SettingsRecord{};
  Settings.Width = W;
  Settings.Height = H;
  Settings.Depth = 32;
  Settings.DefGamma = true;
  Settings.Gamma = 50;
  Settings.Speed = 25;
  Settings.Volume = 100;
}

void DestroyAllWindows() {
  WindowHandle list[32];
  int n = PlatformListWindows(list, 32);
  for (int i = 0; i < n && i < 32; ++i)
    PlatformDestroyWindow(list[i]);
  UnregisterSaverClasses();
  RenderingWindow = 0;
  RenderingContext = 0;
}

class SaverLoopTest : public testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(PlatformInit());
    UseOneFakeDisplay();
    DefaultTestSettings();
    EnumerateMonitors(app);
    RegisterSaverClasses();
    SwitchDisplayMode();
    ASSERT_TRUE(CreateSaverWindows(app));
    PlatformShowWindow(RenderingWindow, SW_SHOW);
    InitGLState();
    UseFakePerformanceCounter(true);
    SecondsPerTick = 1.0 / static_cast<double>(PerformanceFrequency());
    ResetSaverInput();
    CurrentWorld = nullptr;
    MainCamera.position = Vec3(0.0f, 0.0f, 1500.0f);
    MainCamera.look = Vec3(0.0f, 0.0f, -1.0f);
    MainCamera.up = Vec3(0.0f, 1.0f, 0.0f);
    MainCamera.Start();
    FrameTimer.Stamp();
    FpsTimer.Stamp();
    PlatformClearMessageQueue();
    FrameLoopLimit = 0;
  }
  void TearDown() override {
    FrameLoopLimit = 0;
    CurrentWorld = nullptr;
    ShutdownSaver(app);
    DestroyAllWindows();
    ClearFakeDisplays();
    UseFakePerformanceCounter(false);
    PlatformClearMessageQueue();
  }
  // Frames the loop presents before it stops (at most `limit`).
  uint64_t RunFrames(uint64_t limit) {
    FrameLoopLimit = limit;
    uint64_t before = FramesPresented;
    RunFrameLoop();
    FrameLoopLimit = 0;
    return FramesPresented - before;
  }
  void Post(unsigned message, WParam wParam = 0, LParam lParam = 0) {
    PlatformPostMessage(RenderingWindow, message, wParam, lParam);
  }

  SaverApp app;
};

TEST_F(SaverLoopTest, KeysAndLeftRightButtonsEndTheLoopAfterTheirFrame) {
  struct Case {
    unsigned message;
    WParam wParam;
  } cases[] = {{WM_KEYDOWN, 'A'},
               {WM_KEYDOWN, VK_ESCAPE},
               {WM_LBUTTONDOWN, MK_LBUTTON},
               {WM_RBUTTONDOWN, MK_RBUTTON}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    ResetSaverInput();
    Post(c.message, c.wParam, MakeLParam(10, 10));
    // The message is handled in a pass without a frame; the next pass sees
    // the stop, still draws and presents its frame, and the loop ends.
    EXPECT_EQ(RunFrames(10), 1u);
  }
  ResetSaverInput();
  Post(WM_KEYDOWN, VK_ESCAPE);
  RunFrames(1);
  EXPECT_EQ(KeyState[VK_ESCAPE], 1);
  Post(WM_KEYUP, VK_ESCAPE);
  RunFrames(1);
  EXPECT_EQ(KeyState[VK_ESCAPE], 0);
  EXPECT_EQ(KeyState[0], 1); // never cleared
}

TEST_F(SaverLoopTest, MiddleButtonSystemKeysAndSystemCommandsDoNotEndIt) {
  Post(WM_MBUTTONDOWN, MK_MBUTTON, MakeLParam(10, 10));
  Post(WM_MBUTTONUP, 0, MakeLParam(10, 10));
  Post(WM_SYSKEYDOWN, VK_MENU, static_cast<LParam>(1u << 29));
  Post(WM_SYSKEYDOWN, VK_F10, 0);
  Post(WM_SYSKEYUP, VK_F10, 0); // the default procedure asks for the menu: swallowed
  Post(WM_SYSKEYDOWN, VK_F4, static_cast<LParam>(1u << 29)); // Alt+F4: SC_CLOSE, swallowed
  Post(WM_SYSCOMMAND, SC_SCREENSAVE);
  Post(WM_SYSCOMMAND, SC_MONITORPOWER);
  EXPECT_EQ(RunFrames(5), 5u);
  EXPECT_EQ(KeyState[0], 0);
  EXPECT_TRUE(PlatformIsWindow(RenderingWindow));
}

TEST_F(SaverLoopTest, QuitAndCloseEndTheLoopWithoutAFrame) {
  PlatformPostQuitMessage(0);
  EXPECT_EQ(RunFrames(5), 0u);
  Post(WM_CLOSE);
  EXPECT_EQ(RunFrames(5), 0u);
  EXPECT_TRUE(PlatformIsWindow(RenderingWindow)); // closing only asks to quit
}

TEST_F(SaverLoopTest, MouseTravelRuleInEveryDirection) {
  struct Case {
    int dx, dy;
    bool mouseExit;
    bool stops;
  } cases[] = {
      {24, 0, true, true},   {23, 0, true, false},     {-24, 0, true, true}, {-23, 0, true, false},
      {0, 24, true, true},   {0, 23, true, false},     {0, -24, true, true}, {0, -23, true, false},
      {17, -17, true, true}, {200, 200, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.dx << "," << c.dy << " exit " << c.mouseExit);
    Settings.MouseExit = c.mouseExit;
    ResetSaverInput();
    Post(WM_MOUSEMOVE, 0, MakeLParam(W / 2 + c.dx, H / 2 + c.dy));
    EXPECT_EQ(RunFrames(3), c.stops ? 1u : 3u);
    EXPECT_EQ(MouseDeltaX, 0.0f); // consumed
    EXPECT_EQ(MouseDeltaY, 0.0f);
  }
  // The cursor goes back to the centre of the window after each offset.
  int x = 0, y = 0;
  ASSERT_TRUE(LastCursorPosition(&x, &y));
  EXPECT_EQ(x, W / 2);
  EXPECT_EQ(y, H / 2);
}

TEST_F(SaverLoopTest, TravelCountsOnlyWithinOneFramePeriod) {
  World world; // the period bookkeeping runs only while a world is drawn
  CurrentWorld = &world;
  Settings.MouseExit = true;
  Post(WM_MOUSEMOVE, 0, MakeLParam(W / 2 + 15, H / 2)); // 4.5
  EXPECT_EQ(RunFrames(2), 2u);
  AdvanceFakePerformanceCounter(1000001);
  EXPECT_EQ(RunFrames(1), 1u);                          // this frame's bookkeeping resets the count
  Post(WM_MOUSEMOVE, 0, MakeLParam(W / 2 - 15, H / 2)); // 4.5 again, but after the reset
  EXPECT_EQ(RunFrames(3), 3u);
  Post(WM_MOUSEMOVE, 0, MakeLParam(W / 2, H / 2 + 10)); // 3 more within the period: 7.5
  EXPECT_EQ(RunFrames(3), 1u);
}

TEST_F(SaverLoopTest, FrameRateBookkeeping) {
  World world;
  CurrentWorld = &world;
  EXPECT_EQ(RunFrames(3), 3u);
  EXPECT_EQ(FrameCount, 3);
  EXPECT_EQ(FramesPerSecond, 0);          // nothing shown before the first second
  AdvanceFakePerformanceCounter(1000000); // exactly one second: not yet
  RunFrames(1);
  EXPECT_EQ(FramesPerSecond, 0);
  EXPECT_EQ(FrameCount, 4);
  AdvanceFakePerformanceCounter(1);
  MouseTravel = 5.0f;
  RunFrames(1);
  EXPECT_EQ(FramesPerSecond, 4);
  EXPECT_EQ(FrameCount, 1);
  EXPECT_EQ(MouseTravel, 0.0f);
}

TEST_F(SaverLoopTest, WithoutAWorldFramesAreBlackAndNotCounted) {
  glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  DrawFrame();
  uint8_t pixel[4] = {9, 9, 9, 9};
  glReadBuffer(GL_BACK);
  glReadPixels(W / 2, H / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
  EXPECT_EQ(pixel[0] + pixel[1] + pixel[2], 0);
  EXPECT_EQ(FrameCount, 0);
}

TEST(SpeedFactorTest, CameraTimeScale) {
  EXPECT_FLOAT_EQ(ComputeSpeedFactor(25), 1.0f);
  EXPECT_FLOAT_EQ(ComputeSpeedFactor(0), 0.5f);
  EXPECT_FLOAT_EQ(ComputeSpeedFactor(100), 2.5f);
  EXPECT_FLOAT_EQ(ComputeSpeedFactor(50), 1.5f);
}

// Whole saver runs in an empty data folder.
class SaverRunTest : public testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(PlatformInit());
    ASSERT_NE(getcwd(oldCwd, sizeof oldCwd), nullptr);
    ASSERT_EQ(chdir(data.Path().c_str()), 0);
    UseOneFakeDisplay();
    DefaultTestSettings();
    EnumerateMonitors(app);
    PlatformClearMessageQueue();
    for (int i = 0; i < 768; ++i)
      original[i] = static_cast<uint16_t>(i * 80);
    UseFakeGammaRamp(true, original);
  }
  void TearDown() override {
    UseFakeGammaRamp(false);
    DestroyAllWindows();
    ClearFakeDisplays();
    PlatformClearMessageQueue();
    EXPECT_EQ(chdir(oldCwd), 0);
  }
  // The cursor is shown when hiding it once more gives -1.
  static bool CursorShown() {
    bool shown = ShowMouseCursor(false) == -1;
    ShowMouseCursor(true);
    return shown;
  }

  TempDir data;
  char oldCwd[PATH_MAX];
  SaverApp app;
  uint16_t original[768];
};

TEST_F(SaverRunTest, QuitMessageShutsDownAndRestoresTheGammaRamp) {
  Settings.DefGamma = false;
  Settings.Gamma = 80;
  Settings.EnableMusic = true; // no music.ogg: silent, nothing else changes
  PlatformPostQuitMessage(0);
  RunSaver(app);
  EXPECT_EQ(CurrentWorld, nullptr);    // no world named "world"
  EXPECT_EQ(FakeGammaRampWrites(), 2); // set, then put back
  EXPECT_EQ(memcmp(FakeGammaRamp(), original, sizeof original), 0);
  EXPECT_FALSE(DisplayModeSwitched());
  EXPECT_TRUE(CursorShown());
  EXPECT_EQ(RenderingContext, 0u);
  EXPECT_EQ(PlatformCurrentGlWindow(), 0u);
}

TEST_F(SaverRunTest, KeyPressedWhileLoadingEndsTheSaverAtOnce) {
  // A key that arrives before the loop starts waits in the queue and ends the
  // saver with the first frame; DefGamma leaves the ramp alone throughout.
  SDL_Event key{};
  key.type = SDL_KEYDOWN;
  key.key.state = SDL_PRESSED;
  key.key.keysym.scancode = SDL_SCANCODE_SPACE;
  ASSERT_EQ(SDL_PushEvent(&key), 1);
  uint64_t before = FramesPresented;
  RunSaver(app);
  EXPECT_EQ(FramesPresented - before, 1u);
  EXPECT_EQ(KeyState[VK_SPACE], 1);
  EXPECT_EQ(FakeGammaRampWrites(), 0);
}

LResult RefuseCreation(WindowHandle, unsigned message, WParam, LParam) {
  return message == WM_CREATE ? -1 : 0;
}

TEST_F(SaverRunTest, FailedWindowCreationUndoesModeSwitchAndShowsTheCursor) {
  SetFakeDisplays({FakeDisplay{{"", "", DisplayDevicePrimary | DisplayDeviceAttachedToDesktop},
                               {W, H, 32, 60, 0, 0},
                               {{W, H, 32, 60, 0, 0}}},
                   FakeDisplay{{"", "", DisplayDeviceAttachedToDesktop},
                               {200, 100, 32, 60, W, 0},
                               {{200, 100, 32, 60, 0, 0}}}});
  EnumerateMonitors(app);
  ASSERT_EQ(app.monitorCount, 2u);
  // The cover window's class is taken by one whose windows cannot be made.
  PlatformRegisterClass("FakeMonitor", RefuseCreation);
  Settings.DefGamma = false;
  RunSaver(app);
  EXPECT_FALSE(DisplayModeSwitched());
  EXPECT_TRUE(CursorShown());
  EXPECT_EQ(FakeGammaRampWrites(), 0);
}

} // namespace
