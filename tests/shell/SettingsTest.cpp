// Loading and saving the settings against a private config folder.
#include "ShellTestUtil.h"
#include "platform/Display.h"
#include "shell/SaverApp.h"
#include "shell/Settings.h"

#include <gtest/gtest.h>

#include <climits>
#include <unistd.h>

namespace {

class SettingsTest : public testing::Test {
protected:
  void SetUp() override {
    SetFakeDisplayModes({{640, 480, 32, 60, 0, 0}, {1280, 1024, 32, 60, 0, 0}},
                        {1280, 1024, 32, 60, 0, 0});
    Settings = SettingsRecord{};
  }
  void TearDown() override { ClearFakeDisplays(); }
  TempConfigHome home;
};

TEST_F(SettingsTest, MissingValuesGetDefaultsAndNothingIsWritten) {
  memset(static_cast<void*>(&Settings), 0x55, sizeof Settings);
  LoadSettings();
  EXPECT_TRUE(Settings.EnableMusic);
  EXPECT_TRUE(Settings.ShowClock);
  EXPECT_FALSE(Settings.ShowFPS);
  EXPECT_FALSE(Settings.VSync);
  EXPECT_TRUE(Settings.UseDesktop);
  EXPECT_FALSE(Settings.MouseExit);
  EXPECT_TRUE(Settings.DefGamma);
  EXPECT_FALSE(Settings.TimeFormat);
  EXPECT_EQ(Settings.Speed, 25u);
  EXPECT_EQ(Settings.Volume, 100u);
  EXPECT_EQ(Settings.Gamma, 50u);
  EXPECT_EQ(Settings.Width, 1280u);
  EXPECT_EQ(Settings.Height, 1024u);
  EXPECT_EQ(Settings.Depth, 32u);
  EXPECT_STREQ(Settings.Path, "");
  // The key exists now, without values.
  EXPECT_EQ(home.ReadSettings(), "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Corvane\\Nimbrel]\n");
}

TEST_F(SettingsTest, StoredValuesLoadBooleansAsOneAndDefGammaForcesGamma) {
  home.WriteSettings("\"ShowClock\"=dword:00000000\n"
                     "\"TimeFormat\"=dword:00000007\n"
                     "\"EnableMusic\"=dword:ffffffff\n"
                     "\"DefGamma\"=dword:00000001\n"
                     "\"Gamma\"=dword:00000050\n"
                     "\"Width\"=dword:00000320\n"
                     "\"Speed\"=dword:000003e8\n"
                     "\"Path\"=\"/opt/nimbrel \\\"data\\\"\"\n");
  LoadSettings();
  EXPECT_FALSE(Settings.ShowClock);
  EXPECT_TRUE(Settings.TimeFormat);
  EXPECT_EQ(*reinterpret_cast<const uint8_t*>(&Settings.TimeFormat), 1);
  EXPECT_TRUE(Settings.EnableMusic);
  EXPECT_EQ(Settings.Gamma, 50u); // 80 stored, DefGamma forces 50
  EXPECT_EQ(Settings.Width, 800u);
  EXPECT_EQ(Settings.Speed, 1000u); // out of range, used as stored
  EXPECT_STREQ(Settings.Path, "/opt/nimbrel \"data\"");

  home.WriteSettings("\"DefGamma\"=dword:00000000\n\"Gamma\"=dword:00000050\n");
  LoadSettings();
  EXPECT_EQ(Settings.Gamma, 80u);
}

TEST_F(SettingsTest, SaveWritesFifteenValuesAndLeavesPathAlone) {
  home.WriteSettings(
      "\"Path\"=\"C:\\\\Nimbrel\"\n\"Extra\"=\"kept\"\n\"TimeFormat\"=dword:00000005\n");
  LoadSettings();
  Settings.ShowFPS = true;
  Settings.Width = 1024;
  Settings.Height = 768;
  strcpy(Settings.Path, "/somewhere/else");
  SaveSettings();
  EXPECT_EQ(home.ReadSettings(), "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Corvane\\Nimbrel]\n"
                                 "\"Path\"=\"C:\\\\Nimbrel\"\n"
                                 "\"Extra\"=\"kept\"\n"
                                 "\"TimeFormat\"=dword:00000001\n"
                                 "\"ShowClock\"=dword:00000001\n"
                                 "\"EnableMusic\"=dword:00000001\n"
                                 "\"UseDesktop\"=dword:00000001\n"
                                 "\"ShowFlame\"=dword:00000000\n"
                                 "\"DefGamma\"=dword:00000001\n"
                                 "\"Width\"=dword:00000400\n"
                                 "\"Height\"=dword:00000300\n"
                                 "\"Depth\"=dword:00000020\n"
                                 "\"Volume\"=dword:00000064\n"
                                 "\"Speed\"=dword:00000019\n"
                                 "\"Gamma\"=dword:00000032\n"
                                 "\"VSync\"=dword:00000000\n"
                                 "\"MouseExit\"=dword:00000000\n"
                                 "\"ShowFPS\"=dword:00000001\n");
  // And it loads back the same.
  SettingsRecord saved = Settings;
  LoadSettings();
  EXPECT_EQ(Settings.Width, saved.Width);
  EXPECT_EQ(Settings.ShowFPS, saved.ShowFPS);
  EXPECT_STREQ(Settings.Path, "C:\\Nimbrel");
}

TEST_F(SettingsTest, MalformedFileLoadsWhatItCan) {
  home.WriteSettings("\"Volume\"=dword:0000002a\n"
                     "\"Width\"=dword:bogus\n"
                     "garbage without quotes\n"
                     "\"Speed\"=\"not a number\"\n"
                     "\"Path\"=\"" +
                     std::string(400, 'p') + "\"\n");
  LoadSettings();
  EXPECT_EQ(Settings.Volume, 42u);
  EXPECT_EQ(Settings.Width, 1280u); // default
  EXPECT_EQ(Settings.Speed, 25u);   // default
  EXPECT_STREQ(Settings.Path, "");  // too long for the field: not taken
}

TEST_F(SettingsTest, StartUpTakesDesktopModeAndEntersPath) {
  TempDir data;
  home.WriteSettings("\"UseDesktop\"=dword:00000001\n\"Width\"=dword:00000280\n"
                     "\"Path\"=\"" +
                     data.Path() + "\"\n");
  char before[PATH_MAX];
  ASSERT_NE(getcwd(before, sizeof before), nullptr);
  const char* argv[] = {"nimbrel", "/p", "9"};
  SetProcessCommandLine(3, argv);
  SaverApp app;
  EXPECT_TRUE(app.StartUp());
  char now[PATH_MAX];
  ASSERT_NE(getcwd(now, sizeof now), nullptr);
  ASSERT_EQ(chdir(before), 0);
  EXPECT_EQ(app.runMode, RunMode::Preview);
  EXPECT_EQ(app.parentWindow, 9u);
  EXPECT_EQ(Settings.Width, 1280u); // desktop, in memory only
  EXPECT_EQ(std::string(now), data.Path());
  EXPECT_EQ(app.monitorCount, 1u);
  EXPECT_NE(home.ReadSettings().find("dword:00000280"), std::string::npos);

  // A Path that cannot be entered leaves the current directory alone.
  home.WriteSettings("\"UseDesktop\"=dword:00000000\n\"Width\"=dword:00000280\n"
                     "\"Path\"=\"/no/such/dir\"\n");
  SaverApp other;
  other.StartUp();
  ASSERT_NE(getcwd(now, sizeof now), nullptr);
  EXPECT_STREQ(now, before);
  EXPECT_EQ(Settings.Width, 640u);
}

} // namespace
