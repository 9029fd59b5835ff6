// Display devices, modes, the mode switch, monitors and the gamma ramp, on
// fake displays and on the headless display the tests run on.
#include "platform/Display.h"
#include "platform/Window.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

FakeDisplay Fake(const char* name, uint32_t flags, uint32_t w, uint32_t h, int x, int y) {
  FakeDisplay f;
  snprintf(f.device.name, sizeof f.device.name, "%s", name);
  f.device.stateFlags = flags;
  f.current.width = w;
  f.current.height = h;
  f.current.bitsPerPixel = 32;
  f.current.x = x;
  f.current.y = y;
  f.modes = {{640, 480, 16, 60, 0, 0}, {640, 480, 32, 60, 0, 0}, {w, h, 32, 60, 0, 0}};
  return f;
}

class DisplayTest : public testing::Test {
protected:
  void TearDown() override {
    ClearFakeDisplays();
    UseFakeGammaRamp(false);
  }
};

TEST_F(DisplayTest, FakeDevicesAndModes) {
  SetFakeDisplays({Fake("", DisplayDeviceAttachedToDesktop | DisplayDevicePrimary, 1024, 768, 5, 5),
                   Fake("SIDE", DisplayDeviceAttachedToDesktop, 800, 600, 1024, 0)});
  DisplayDevice d;
  ASSERT_TRUE(EnumDisplayDevice(0, &d));
  EXPECT_STREQ(d.name, "DISPLAY1");
  ASSERT_TRUE(EnumDisplayDevice(1, &d));
  EXPECT_STREQ(d.name, "SIDE");
  EXPECT_FALSE(EnumDisplayDevice(2, &d));

  DisplayMode m;
  ASSERT_TRUE(EnumDisplayMode(nullptr, CurrentDisplayMode, &m));
  EXPECT_EQ(m.width, 1024u);
  EXPECT_EQ(m.x, 0); // the primary device sits at the origin
  ASSERT_TRUE(EnumDisplayMode("SIDE", CurrentDisplayMode, &m));
  EXPECT_EQ(m.x, 1024);
  EXPECT_FALSE(EnumDisplayMode("NOPE", CurrentDisplayMode, &m));
  EXPECT_TRUE(EnumDisplayMode("DISPLAY1", 2, &m));
  EXPECT_FALSE(EnumDisplayMode("DISPLAY1", 3, &m));
  EXPECT_EQ(ListDisplayModes().size(), 3u);

  // The monitor covering most of a rectangle; none outside every display.
  EXPECT_EQ(MonitorFromRectangle(0, 0, 1024, 768), 1u);
  EXPECT_EQ(MonitorFromRectangle(1000, 0, 1824, 600), 2u);
  EXPECT_EQ(MonitorFromRectangle(3000, 0, 3100, 100), 0u);
}

TEST_F(DisplayTest, ModeSwitchNeedsAListedModeAndIsUndone) {
  SetFakeDisplayModes({{640, 480, 32, 60, 0, 0}, {800, 600, 32, 60, 0, 0}},
                      {800, 600, 32, 60, 0, 0});
  DisplayMode want{640, 480, 32, 0, 0, 0};
  EXPECT_EQ(ChangeDisplayMode(&want, ChangeDisplayFullScreen), 0);
  DisplayMode got;
  ASSERT_TRUE(DisplayModeSwitched(&got));
  EXPECT_EQ(got.width, 640u);
  EXPECT_EQ(ChangeDisplayMode(nullptr, 0), 0);
  EXPECT_FALSE(DisplayModeSwitched());
  DisplayMode odd{123, 45, 32, 0, 0, 0};
  EXPECT_LT(ChangeDisplayMode(&odd, ChangeDisplayFullScreen), 0);
  EXPECT_FALSE(DisplayModeSwitched());
}

TEST_F(DisplayTest, HeadlessDisplayHasACurrentMode) {
  DisplayDevice d;
  ASSERT_TRUE(EnumDisplayDevice(0, &d));
  EXPECT_TRUE(d.stateFlags & DisplayDevicePrimary);
  DisplayMode m;
  ASSERT_TRUE(EnumDisplayMode(nullptr, CurrentDisplayMode, &m));
  EXPECT_GT(m.width, 0u);
  EXPECT_GT(m.height, 0u);
  EXPECT_EQ(m.x, 0);
  EXPECT_EQ(m.y, 0);
  EXPECT_NE(MonitorFromRectangle(0, 0, static_cast<int>(m.width), static_cast<int>(m.height)), 0u);
}

TEST_F(DisplayTest, FakeGammaRampKeepsWhatIsWritten) {
  uint16_t start[768];
  for (int i = 0; i < 768; ++i)
    start[i] = static_cast<uint16_t>(i * 50);
  UseFakeGammaRamp(true, start);
  uint16_t ramp[768];
  ASSERT_TRUE(GetDeviceGammaRamp(0, ramp));
  EXPECT_EQ(memcmp(ramp, start, sizeof ramp), 0);
  ramp[5] = 7;
  ASSERT_TRUE(SetDeviceGammaRamp(0, ramp));
  EXPECT_EQ(FakeGammaRampWrites(), 1);
  EXPECT_EQ(FakeGammaRamp()[5], 7);
}

TEST_F(DisplayTest, CursorCountHidesBelowZero) {
  EXPECT_EQ(ShowMouseCursor(false), -1);
  EXPECT_EQ(ShowMouseCursor(true), 0);
  SetCursorPosition(12, 34);
  int x = 0, y = 0;
  ASSERT_TRUE(LastCursorPosition(&x, &y));
  EXPECT_EQ(x, 12);
  EXPECT_EQ(y, 34);
}

} // namespace
