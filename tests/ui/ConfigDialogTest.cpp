// The configuration dialog driven by messages on the control model, with a
// fake display-mode list and the settings file in a temporary directory.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/Display.h"
#include "platform/Registry.h"
#include "platform/System.h"
#include "shell/Settings.h"
#include "ui/About.h"
#include "ui/ConfigDialog.h"
#include "ui/Dialog.h"
#include "ui/ImGuiDialog.h"

namespace ui {
namespace {

DisplayMode Mode(uint32_t w, uint32_t h, uint32_t bits, uint32_t hz = 60) {
  DisplayMode m;
  m.width = w;
  m.height = h;
  m.bitsPerPixel = bits;
  m.refreshRate = hz;
  return m;
}

// The desktop runs 1280 x 1024 at 32 bits.
const DisplayMode kDesktop = Mode(1280, 1024, 32);

std::vector<std::string> Entries(const Dialog& d) {
  std::vector<std::string> entries;
  for (int i = 0; i < d.ComboGetCount(IDC_MODE_LIST); ++i)
    entries.push_back(d.ComboGetString(IDC_MODE_LIST, i));
  return entries;
}

std::string Selected(const Dialog& d) {
  std::string text;
  return d.ComboGetSelText(IDC_MODE_LIST, text) ? text : std::string("(none)");
}

class ConfigDialogTest : public ::testing::Test {
protected:
  void SetUp() override {
    char pattern[] = "/tmp/nimbrel-config-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    configDir = pattern;
    const char* old = getenv("XDG_CONFIG_HOME");
    hadOldConfig = old != nullptr;
    if (old)
      oldConfig = old;
    setenv("XDG_CONFIG_HOME", configDir.c_str(), 1);
    SetFakeDisplayModes({Mode(640, 480, 32), Mode(800, 600, 16), Mode(800, 600, 32),
                         Mode(1024, 768, 32), Mode(1280, 1024, 32)},
                        kDesktop);
    // A user who changed everything from the defaults.
    Settings = SettingsRecord{};
    Settings.UseDesktop = false;
    Settings.EnableMusic = false;
    Settings.ShowClock = false;
    Settings.ShowFPS = true;
    Settings.VSync = true;
    Settings.MouseExit = true;
    Settings.DefGamma = false;
    Settings.TimeFormat = true;
    Settings.Speed = 70;
    Settings.Volume = 40;
    Settings.Gamma = 20;
    Settings.Width = 800;
    Settings.Height = 600;
    Settings.Depth = 16;
  }
  void TearDown() override {
    ClearFakeDisplays();
    SetOpenWebAddressHook(nullptr);
    SetModalDialogRunner(nullptr);
    if (hadOldConfig)
      setenv("XDG_CONFIG_HOME", oldConfig.c_str(), 1);
    else
      unsetenv("XDG_CONFIG_HOME");
    std::error_code ec;
    std::filesystem::remove_all(configDir, ec);
  }

  // The value the settings file holds, or -1 when it has none.
  long long Stored(const char* name) {
    RegistryKey key;
    key.Create(SettingsKeyName);
    uint32_t v = 0;
    return key.QueryDword(name, &v) ? (long long)v : -1;
  }

  Dialog& Open() {
    dialog.Init();
    return dialog;
  }

  Dialog dialog{ConfigTemplate, ConfigDialogProc};
  std::string configDir, oldConfig;
  bool hadOldConfig = false;
};

TEST_F(ConfigDialogTest, OpeningShowsTheSettings) {
  Open();
  EXPECT_EQ(Selected(dialog), "800 x 600 16 bits");
  EXPECT_TRUE(dialog.IsItemEnabled(IDC_MODE_LIST));
  EXPECT_FALSE(dialog.IsButtonChecked(IDC_USE_DESKTOP));
  EXPECT_FALSE(dialog.IsButtonChecked(IDC_ENABLE_MUSIC));
  EXPECT_FALSE(dialog.IsItemEnabled(IDC_VOLUME));
  EXPECT_FALSE(dialog.IsItemEnabled(IDC_VOLUME_LABEL));
  EXPECT_EQ(dialog.GetItemText(IDC_VOLUME_LABEL), "Volume (40%)");
  EXPECT_FALSE(dialog.IsButtonChecked(IDC_DEFAULT_GAMMA));
  EXPECT_TRUE(dialog.IsItemEnabled(IDC_BRIGHTNESS));
  EXPECT_TRUE(dialog.IsItemEnabled(IDC_BRIGHTNESS_LABEL));
  EXPECT_EQ(dialog.GetItemText(IDC_BRIGHTNESS_LABEL), "Brightness (70%)");
  EXPECT_FALSE(dialog.IsButtonChecked(IDC_SHOW_TIME));
  EXPECT_TRUE(dialog.IsButtonChecked(IDC_SHOW_FPS));
  EXPECT_TRUE(dialog.IsButtonChecked(IDC_VSYNC));
  EXPECT_TRUE(dialog.IsButtonChecked(IDC_MOUSE_EXIT));
  EXPECT_TRUE(dialog.IsButtonChecked(IDC_12_HOURS));
  EXPECT_FALSE(dialog.IsButtonChecked(IDC_24_HOURS));
  EXPECT_FALSE(dialog.IsItemEnabled(IDC_12_HOURS));
  EXPECT_FALSE(dialog.IsItemEnabled(IDC_24_HOURS));
  EXPECT_EQ(dialog.GetItemText(IDC_PRODUCTS), ProductsLine);

  struct Bar {
    int id, min, max, pos;
  } bars[] = {{IDC_VOLUME, 1, 100, 40}, {IDC_BRIGHTNESS, 0, 100, 20}, {IDC_SPEED, 0, 100, 70}};
  for (const Bar& b : bars) {
    int min = -1, max = -1;
    dialog.TrackGetRange(b.id, min, max);
    EXPECT_EQ(min, b.min) << b.id;
    EXPECT_EQ(max, b.max) << b.id;
    EXPECT_EQ(dialog.TrackGetPos(b.id), b.pos) << b.id;
    EXPECT_EQ(dialog.TrackGetPageSize(b.id), 10) << b.id;
  }
  EXPECT_TRUE(dialog.IsItemEnabled(IDC_SPEED));
}

TEST_F(ConfigDialogTest, OpeningWithDesktopSettingsSelectsTheDesktopModeAndLocksTheList) {
  Settings.UseDesktop = true;
  Settings.EnableMusic = true;
  Settings.DefGamma = true;
  Settings.ShowClock = true;
  Open();
  EXPECT_EQ(Selected(dialog), "1280 x 1024 32 bits");
  EXPECT_FALSE(dialog.IsItemEnabled(IDC_MODE_LIST));
  EXPECT_TRUE(dialog.IsButtonChecked(IDC_USE_DESKTOP));
  EXPECT_TRUE(dialog.IsItemEnabled(IDC_VOLUME));
  EXPECT_TRUE(dialog.IsItemEnabled(IDC_VOLUME_LABEL));
  EXPECT_FALSE(dialog.IsItemEnabled(IDC_BRIGHTNESS));
  EXPECT_FALSE(dialog.IsItemEnabled(IDC_BRIGHTNESS_LABEL));
  EXPECT_TRUE(dialog.IsItemEnabled(IDC_12_HOURS));
  EXPECT_TRUE(dialog.IsItemEnabled(IDC_24_HOURS));
}

TEST_F(ConfigDialogTest, ModeListSkipsSmallModesAndRepeatsOnlyWhenSomethingLiesBetween) {
  SetFakeDisplayModes(
      {
          Mode(320, 200, 32),      // too narrow
          Mode(640, 480, 8),       // too few bits
          Mode(639, 480, 32),      // too narrow
          Mode(640, 479, 32),      // too low
          Mode(640, 480, 16),      // the smallest that passes
          Mode(800, 600, 32, 60),  //
          Mode(800, 600, 32, 75),  // refresh rate only: once
          Mode(320, 240, 32),      // fails, so it is no "previous" mode
          Mode(800, 600, 32, 85),  // still the same as the previous passing mode
          Mode(1024, 768, 32, 60), //
          Mode(1024, 768, 16, 60), //
          Mode(1024, 768, 32, 75), // another passing mode between: again
      },
      kDesktop);
  Open();
  std::vector<std::string> expected = {"640 x 480 16 bits", "800 x 600 32 bits",
                                       "1024 x 768 32 bits", "1024 x 768 16 bits",
                                       "1024 x 768 32 bits"};
  EXPECT_EQ(Entries(dialog), expected);
}

TEST_F(ConfigDialogTest, RestoreDefaultsThenOkStoresTheDefaults) {
  Open();
  dialog.UserClick(IDC_RESTORE_DEFAULTS);
  EXPECT_EQ(Selected(dialog), "1280 x 1024 32 bits");
  EXPECT_FALSE(dialog.IsItemEnabled(IDC_MODE_LIST));
  EXPECT_TRUE(dialog.IsButtonChecked(IDC_USE_DESKTOP));
  EXPECT_TRUE(dialog.IsButtonChecked(IDC_ENABLE_MUSIC));
  EXPECT_TRUE(dialog.IsItemEnabled(IDC_VOLUME));
  EXPECT_EQ(dialog.TrackGetPos(IDC_VOLUME), 100);
  EXPECT_EQ(dialog.GetItemText(IDC_VOLUME_LABEL), "Volume (100%)");
  EXPECT_EQ(dialog.TrackGetPos(IDC_BRIGHTNESS), 50);
  EXPECT_EQ(dialog.GetItemText(IDC_BRIGHTNESS_LABEL), "Brightness (100%)");
  EXPECT_FALSE(dialog.IsItemEnabled(IDC_BRIGHTNESS));
  EXPECT_TRUE(dialog.IsButtonChecked(IDC_DEFAULT_GAMMA));
  EXPECT_TRUE(dialog.IsButtonChecked(IDC_SHOW_TIME));
  EXPECT_TRUE(dialog.IsItemEnabled(IDC_12_HOURS));
  EXPECT_FALSE(dialog.IsButtonChecked(IDC_SHOW_FPS));
  EXPECT_FALSE(dialog.IsButtonChecked(IDC_VSYNC));
  EXPECT_FALSE(dialog.IsButtonChecked(IDC_MOUSE_EXIT));
  EXPECT_EQ(dialog.TrackGetPos(IDC_SPEED), 70);

  dialog.UserClick(IDOK);
  EXPECT_TRUE(dialog.Ended());
  EXPECT_EQ(dialog.Result(), IDOK);
  struct Value {
    const char* name;
    long long expected;
  } values[] = {{"Width", 1280},    {"Height", 1024},  {"Depth", 32},    {"UseDesktop", 1},
                {"EnableMusic", 1}, {"Volume", 100},   {"Gamma", 50},    {"ShowClock", 1},
                {"ShowFPS", 0},     {"VSync", 0},      {"MouseExit", 0}, {"DefGamma", 1},
                {"Speed", 70},      {"TimeFormat", 1}, {"ShowFlame", 0}};
  for (const Value& v : values)
    EXPECT_EQ(Stored(v.name), v.expected) << v.name;
}

TEST_F(ConfigDialogTest, UseDefaultGammaResetsBrightnessInBothDirections) {
  Open();
  dialog.UserTrackDrag(IDC_BRIGHTNESS, 90);
  dialog.UserTrackRelease(IDC_BRIGHTNESS);
  EXPECT_EQ(Settings.Gamma, 90u);
  EXPECT_EQ(dialog.GetItemText(IDC_BRIGHTNESS_LABEL), "Brightness (140%)");

  dialog.UserClick(IDC_DEFAULT_GAMMA); // ticked
  EXPECT_TRUE(Settings.DefGamma);
  EXPECT_EQ(Settings.Gamma, 50u);
  EXPECT_EQ(dialog.TrackGetPos(IDC_BRIGHTNESS), 50);
  EXPECT_FALSE(dialog.IsItemEnabled(IDC_BRIGHTNESS));
  EXPECT_FALSE(dialog.IsItemEnabled(IDC_BRIGHTNESS_LABEL));

  // Moving it is not possible now; unticking resets it again.
  dialog.UserClick(IDC_DEFAULT_GAMMA);
  EXPECT_FALSE(Settings.DefGamma);
  EXPECT_FALSE(dialog.IsButtonChecked(IDC_DEFAULT_GAMMA));
  EXPECT_EQ(Settings.Gamma, 50u);
  EXPECT_EQ(dialog.TrackGetPos(IDC_BRIGHTNESS), 50);
  EXPECT_TRUE(dialog.IsItemEnabled(IDC_BRIGHTNESS));
  EXPECT_TRUE(dialog.IsItemEnabled(IDC_BRIGHTNESS_LABEL));
  EXPECT_EQ(dialog.GetItemText(IDC_BRIGHTNESS_LABEL), "Brightness (100%)");

  dialog.UserClick(IDOK);
  EXPECT_EQ(Stored("Gamma"), 50);
  EXPECT_EQ(Stored("DefGamma"), 0);
}

// Arrow keys and Home/End move the thumbs without changing the settings;
// page steps and dragging change them at once.
TEST_F(ConfigDialogTest, OnlyPageStepsAndThumbDragsChangeTheSettings) {
  Settings.EnableMusic = true;
  struct Case {
    const char* what;
    void (*act)(Dialog&);
    uint32_t volume, gamma, speed;
  } cases[] = {
      {"arrow keys",
       [](Dialog& d) {
         for (int id : {IDC_VOLUME, IDC_BRIGHTNESS, IDC_SPEED})
           for (int i = 0; i < 5; ++i)
             d.UserTrackStep(id, TB_LINEDOWN);
       },
       40, 20, 70},
      {"home and end",
       [](Dialog& d) {
         d.UserTrackStep(IDC_VOLUME, TB_BOTTOM);
         d.UserTrackStep(IDC_SPEED, TB_TOP);
       },
       40, 20, 70},
      {"click beside the thumb",
       [](Dialog& d) {
         d.UserTrackStep(IDC_VOLUME, TB_PAGEDOWN);
         d.UserTrackStep(IDC_SPEED, TB_PAGEUP);
       },
       50, 20, 60},
      {"thumb drag",
       [](Dialog& d) {
         d.UserTrackDrag(IDC_BRIGHTNESS, 33);
         d.UserTrackDrag(IDC_BRIGHTNESS, 35);
         d.UserTrackRelease(IDC_BRIGHTNESS);
       },
       40, 35, 70},
      {"arrows, then a page step reads every position",
       [](Dialog& d) {
         d.UserTrackStep(IDC_VOLUME, TB_LINEUP);
         d.UserTrackStep(IDC_SPEED, TB_PAGEDOWN);
       },
       39, 20, 80},
  };
  for (const Case& c : cases) {
    Settings.Volume = 40;
    Settings.Gamma = 20;
    Settings.Speed = 70;
    Dialog d(ConfigTemplate, ConfigDialogProc);
    d.Init();
    c.act(d);
    d.UserClick(IDOK);
    EXPECT_EQ(Stored("Volume"), c.volume) << c.what;
    EXPECT_EQ(Stored("Gamma"), c.gamma) << c.what;
    EXPECT_EQ(Stored("Speed"), c.speed) << c.what;
  }
}

TEST_F(ConfigDialogTest, TrackbarMovesUpdateTheLabels) {
  Settings.EnableMusic = true;
  Open();
  dialog.UserTrackDrag(IDC_VOLUME, 75);
  EXPECT_EQ(dialog.GetItemText(IDC_VOLUME_LABEL), "Volume (75%)");
  EXPECT_EQ(Settings.Volume, 75u);
  dialog.UserTrackStep(IDC_BRIGHTNESS, TB_PAGEDOWN);
  EXPECT_EQ(dialog.GetItemText(IDC_BRIGHTNESS_LABEL), "Brightness (80%)");
  dialog.UserTrackStep(IDC_VOLUME, TB_BOTTOM);
  EXPECT_EQ(dialog.GetItemText(IDC_VOLUME_LABEL), "Volume (75%)") << "Home/End change nothing";
}

TEST_F(ConfigDialogTest, ClockFormatButtonsCountAtOkEvenWhenDisabled) {
  Settings.ShowClock = true;
  Settings.TimeFormat = false;
  Open();
  EXPECT_TRUE(dialog.IsButtonChecked(IDC_24_HOURS));
  dialog.UserClick(IDC_12_HOURS);
  EXPECT_FALSE(Settings.TimeFormat) << "the choice counts only at OK";
  dialog.UserClick(IDC_SHOW_TIME); // off
  EXPECT_FALSE(dialog.IsItemEnabled(IDC_12_HOURS));
  EXPECT_FALSE(dialog.IsItemEnabled(IDC_24_HOURS));
  dialog.UserClick(IDC_24_HOURS); // disabled: ignored
  EXPECT_TRUE(dialog.IsButtonChecked(IDC_12_HOURS));
  dialog.UserClick(IDOK);
  EXPECT_EQ(Stored("ShowClock"), 0);
  EXPECT_EQ(Stored("TimeFormat"), 1);
}

TEST_F(ConfigDialogTest, UseDesktopSettingsAtOkStoresTheDesktopMode) {
  Open();
  dialog.UserSelect(IDC_MODE_LIST, 3); // 1024 x 768
  dialog.UserClick(IDC_USE_DESKTOP);
  EXPECT_TRUE(Settings.UseDesktop);
  EXPECT_EQ(Selected(dialog), "1280 x 1024 32 bits");
  EXPECT_FALSE(dialog.IsItemEnabled(IDC_MODE_LIST));
  dialog.UserClick(IDOK);
  EXPECT_EQ(Stored("UseDesktop"), 1);
  EXPECT_EQ(Stored("Width"), 1280);
  EXPECT_EQ(Stored("Height"), 1024);
  EXPECT_EQ(Stored("Depth"), 32);
}

TEST_F(ConfigDialogTest, UntickingDesktopSettingsFreesTheListAndTheSelectionCountsAtOk) {
  Settings.UseDesktop = true;
  Open();
  dialog.UserClick(IDC_USE_DESKTOP);
  EXPECT_FALSE(Settings.UseDesktop);
  EXPECT_TRUE(dialog.IsItemEnabled(IDC_MODE_LIST));
  EXPECT_EQ(Selected(dialog), "1280 x 1024 32 bits");
  dialog.UserSelect(IDC_MODE_LIST, 0);
  EXPECT_EQ(Settings.Width, 800u) << "the list counts only at OK";
  dialog.UserEnter();
  EXPECT_EQ(Stored("Width"), 640);
  EXPECT_EQ(Stored("Height"), 480);
  EXPECT_EQ(Stored("Depth"), 32);
  EXPECT_EQ(Stored("UseDesktop"), 0);
}

TEST_F(ConfigDialogTest, AStoredModeMissingFromTheListIsKeptAtOk) {
  Settings.Width = 720;
  Settings.Height = 400;
  Settings.Depth = 32;
  Open();
  EXPECT_EQ(Selected(dialog), "(none)");
  dialog.UserClick(IDOK);
  EXPECT_EQ(Stored("Width"), 720);
  EXPECT_EQ(Stored("Height"), 400);
  EXPECT_EQ(Stored("Depth"), 32);
}

TEST_F(ConfigDialogTest, CheckBoxesToggleTheirSettingsAndDependentControls) {
  Open();
  struct Case {
    int id;
    bool* setting;
  } cases[] = {{IDC_ENABLE_MUSIC, &Settings.EnableMusic},
               {IDC_SHOW_TIME, &Settings.ShowClock},
               {IDC_MOUSE_EXIT, &Settings.MouseExit},
               {IDC_SHOW_FPS, &Settings.ShowFPS},
               {IDC_VSYNC, &Settings.VSync}};
  for (const Case& c : cases) {
    bool before = *c.setting;
    dialog.UserClick(c.id);
    EXPECT_EQ(*c.setting, !before) << c.id;
    EXPECT_EQ(dialog.IsButtonChecked(c.id), !before) << c.id;
  }
  EXPECT_TRUE(dialog.IsItemEnabled(IDC_VOLUME));
  EXPECT_TRUE(dialog.IsItemEnabled(IDC_VOLUME_LABEL));
  EXPECT_TRUE(dialog.IsItemEnabled(IDC_12_HOURS));
  EXPECT_TRUE(dialog.IsItemEnabled(IDC_24_HOURS));
  dialog.UserClick(IDC_ENABLE_MUSIC);
  EXPECT_FALSE(dialog.IsItemEnabled(IDC_VOLUME));
  EXPECT_FALSE(dialog.IsItemEnabled(IDC_VOLUME_LABEL));
}

TEST_F(ConfigDialogTest, CancelSavesNothing) {
  Open();
  dialog.UserClick(IDC_RESTORE_DEFAULTS);
  dialog.UserEscape();
  EXPECT_TRUE(dialog.Ended());
  EXPECT_EQ(dialog.Result(), IDCANCEL);
  EXPECT_EQ(Stored("Width"), -1);
  EXPECT_EQ(Stored("UseDesktop"), -1);
}

std::vector<std::string> g_opened;
int g_aboutShown = 0;
Dialog* g_aboutOwner = nullptr;

TEST_F(ConfigDialogTest, VisitOpensTheHomePageAndAboutShowsTheAboutBoxOverTheDialog) {
  g_opened.clear();
  g_aboutShown = 0;
  SetOpenWebAddressHook([](const char* url) {
    g_opened.push_back(url);
    return true;
  });
  SetModalDialogRunner([](Dialog& about, unsigned long) -> intptr_t {
    ++g_aboutShown;
    g_aboutOwner = about.Owner();
    EXPECT_EQ(about.Template().id, AboutTemplate.id);
    about.Init();
    about.UserClick(IDOK);
    return about.Result();
  });
  Open();
  dialog.UserClick(IDC_VISIT);
  ASSERT_EQ(g_opened.size(), 1u);
  EXPECT_EQ(g_opened[0], HomePageAddress);
  dialog.UserClick(IDC_ABOUT);
  EXPECT_EQ(g_aboutShown, 1);
  EXPECT_EQ(g_aboutOwner, &dialog);
  EXPECT_FALSE(dialog.Ended());
}

TEST_F(ConfigDialogTest, OtherMessagesAndCommandsAreLeftToDefaultHandling) {
  Open();
  EXPECT_FALSE(ConfigDialogProc(dialog, 0x0200 /* mouse move */, 0, 0));
  EXPECT_FALSE(ConfigDialogProc(dialog, WM_COMMAND, MakeWParam(IDC_MODE_LIST, CBN_SELCHANGE), 0));
  EXPECT_FALSE(ConfigDialogProc(dialog, WM_COMMAND, MakeWParam(4242, BN_CLICKED), 0));
  EXPECT_FALSE(dialog.Ended());
}

} // namespace
} // namespace ui
