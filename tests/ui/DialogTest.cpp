// The dialog layer without a window: templates to pixels, the control calls a
// procedure makes, and the messages user actions turn into.
#include <gtest/gtest.h>

#include <vector>

#include "ui/About.h"
#include "ui/ConfigDialog.h"
#include "ui/Dialog.h"

namespace ui {
namespace {

struct Sent {
  unsigned message;
  unsigned low, high;
  intptr_t lParam;
};
std::vector<Sent> g_sent;

bool RecordingProc(Dialog& dialog, unsigned message, uintptr_t wParam, intptr_t lParam) {
  g_sent.push_back({message, LowWord(wParam), HighWord(wParam), lParam});
  if (message == WM_COMMAND && (LowWord(wParam) == IDOK || LowWord(wParam) == IDCANCEL))
    dialog.End((intptr_t)LowWord(wParam));
  return message == WM_INITDIALOG;
}

const ControlTemplate kControls[] = {
    {IDOK, ControlKind::DefPushButton, "OK", 10, 10, 50, 14, StyleTabStop},
    {IDCANCEL, ControlKind::PushButton, "Cancel", 70, 10, 50, 14, StyleTabStop},
    {10, ControlKind::CheckBox, "Box", 10, 30, 50, 10, StyleTabStop},
    {20, ControlKind::RadioButton, "A", 10, 40, 30, 10, StyleTabStop | StyleGroup},
    {21, ControlKind::RadioButton, "B", 40, 40, 30, 10, 0},
    {22, ControlKind::RadioButton, "C", 70, 40, 30, 10, 0},
    {IDC_STATIC, ControlKind::GroupBox, "Other group", 5, 50, 100, 30, StyleGroup},
    {23, ControlKind::RadioButton, "D", 10, 60, 30, 10, StyleTabStop},
    {30, ControlKind::ComboList, "", 10, 70, 80, 60, StyleTabStop},
    {40, ControlKind::Trackbar, "", 10, 90, 100, 12, StyleTabStop},
    {50, ControlKind::StaticText, "label", 10, 110, 50, 8, 0},
};
const DialogTemplate kTemplate = {200, "Test",    150,
                                  130, kControls, sizeof kControls / sizeof kControls[0]};

class DialogTest : public ::testing::Test {
protected:
  void SetUp() override {
    g_sent.clear();
    dialog.Init();
    g_sent.clear();
  }
  Dialog dialog{kTemplate, RecordingProc};
};

TEST(DialogUnits, ConvertLikeTheEightPointFontAt96Dpi) {
  int w = 0, h = 0;
  DialogClientSize(ConfigTemplate, w, h);
  EXPECT_EQ(w, 596);
  EXPECT_EQ(h, 397);
  DialogClientSize(AboutTemplate, w, h);
  EXPECT_EQ(w, 279);
  EXPECT_EQ(h, 166);
  // Restore Defaults (6,225 75x14) and OK (244,225 65x14).
  for (size_t i = 0; i < ConfigTemplate.controlCount; ++i) {
    const ControlTemplate& c = ConfigTemplate.controls[i];
    PixelRect r = ControlRect(c);
    if (c.id == IDC_RESTORE_DEFAULTS) {
      EXPECT_EQ(r.x, 9);
      EXPECT_EQ(r.y, 366);
      EXPECT_EQ(r.w, 113);
      EXPECT_EQ(r.h, 23);
    }
    if (c.id == IDOK) {
      EXPECT_EQ(r.x, 366);
      EXPECT_EQ(r.w, 98);
    }
  }
}

TEST_F(DialogTest, InitSendsInitDialogAndFocusesTheFirstTabStop) {
  Dialog d(kTemplate, RecordingProc);
  g_sent.clear();
  d.Init(77);
  ASSERT_EQ(g_sent.size(), 1u);
  EXPECT_EQ(g_sent[0].message, WM_INITDIALOG);
  EXPECT_EQ(g_sent[0].lParam, 77);
  EXPECT_EQ(d.FocusId(), IDOK);
}

TEST_F(DialogTest, CheckBoxTogglesItselfBeforeTheCommand) {
  dialog.UserClick(10);
  EXPECT_TRUE(dialog.IsButtonChecked(10));
  ASSERT_EQ(g_sent.size(), 1u);
  EXPECT_EQ(g_sent[0].message, WM_COMMAND);
  EXPECT_EQ(g_sent[0].low, 10u);
  EXPECT_EQ(g_sent[0].high, BN_CLICKED);
  dialog.UserClick(10);
  EXPECT_FALSE(dialog.IsButtonChecked(10));
}

TEST_F(DialogTest, RadioButtonsFormOneAutomaticGroup) {
  dialog.CheckButton(23, true);
  dialog.UserClick(21);
  EXPECT_FALSE(dialog.IsButtonChecked(20));
  EXPECT_TRUE(dialog.IsButtonChecked(21));
  EXPECT_FALSE(dialog.IsButtonChecked(22));
  EXPECT_TRUE(dialog.IsButtonChecked(23)) << "another group keeps its choice";
  dialog.UserClick(20);
  EXPECT_TRUE(dialog.IsButtonChecked(20));
  EXPECT_FALSE(dialog.IsButtonChecked(21));
}

TEST_F(DialogTest, DisabledControlsIgnoreTheUser) {
  for (int id : {IDOK, 10, 21, 30, 40})
    dialog.EnableItem(id, false);
  dialog.ComboAddString(30, "one");
  dialog.UserClick(IDOK);
  dialog.UserClick(10);
  dialog.UserClick(21);
  dialog.UserSelect(30, 0);
  dialog.UserTrackStep(40, TB_PAGEDOWN);
  dialog.UserTrackDrag(40, 50);
  dialog.UserEnter();
  EXPECT_TRUE(g_sent.empty());
  EXPECT_FALSE(dialog.IsButtonChecked(10));
  EXPECT_EQ(dialog.ComboGetCurSel(30), -1);
  EXPECT_EQ(dialog.TrackGetPos(40), 0);
  EXPECT_FALSE(dialog.Ended());
  // The procedure itself may still change them.
  dialog.CheckButton(10, true);
  EXPECT_TRUE(dialog.IsButtonChecked(10));
}

TEST_F(DialogTest, EnterIsTheDefaultButtonAndEscapeIsCancel) {
  dialog.UserEnter();
  ASSERT_EQ(g_sent.size(), 1u);
  EXPECT_EQ(g_sent[0].low, (unsigned)IDOK);
  EXPECT_TRUE(dialog.Ended());
  EXPECT_EQ(dialog.Result(), IDOK);

  Dialog other(kTemplate, RecordingProc);
  other.Init();
  other.UserEscape();
  EXPECT_EQ(other.Result(), IDCANCEL);
}

TEST_F(DialogTest, ComboSelectsByCaseInsensitivePrefixAndKeepsTheSelectionOnAMiss) {
  EXPECT_EQ(dialog.ComboAddString(30, "800 x 600 16 bits"), 0);
  EXPECT_EQ(dialog.ComboAddString(30, "800 x 600 32 bits"), 1);
  EXPECT_EQ(dialog.ComboAddString(30, "Lower Case"), 2);
  EXPECT_EQ(dialog.ComboAddString(IDOK, "not a list"), -1);
  EXPECT_EQ(dialog.ComboGetCount(30), 3);

  std::string text = "untouched";
  EXPECT_FALSE(dialog.ComboGetSelText(30, text));
  EXPECT_EQ(text, "untouched");

  EXPECT_EQ(dialog.ComboSelectString(30, "800 x 600 3"), 1);
  EXPECT_EQ(dialog.ComboSelectString(30, "lower"), 2);
  EXPECT_EQ(dialog.ComboSelectString(30, "1024 x 768"), -1);
  EXPECT_EQ(dialog.ComboGetCurSel(30), 2);
  EXPECT_EQ(dialog.ComboSelectString(30, "800"), 0) << "the first entry that starts so";
  ASSERT_TRUE(dialog.ComboGetSelText(30, text));
  EXPECT_EQ(text, "800 x 600 16 bits");

  dialog.UserSelect(30, 1);
  ASSERT_EQ(g_sent.size(), 1u);
  EXPECT_EQ(g_sent[0].low, 30u);
  EXPECT_EQ(g_sent[0].high, CBN_SELCHANGE);
  dialog.UserSelect(30, 3); // past the end: nothing
  EXPECT_EQ(dialog.ComboGetCurSel(30), 1);
}

TEST_F(DialogTest, TrackbarKeepsItsPositionInRange) {
  dialog.TrackSetRange(40, 1, 100);
  EXPECT_EQ(dialog.TrackGetPos(40), 1) << "a new range pulls the position in";
  dialog.TrackSetPos(40, 250);
  EXPECT_EQ(dialog.TrackGetPos(40), 100);
  dialog.TrackSetPos(40, -3);
  EXPECT_EQ(dialog.TrackGetPos(40), 1);
  dialog.TrackSetPageSize(40, 10);
  EXPECT_EQ(dialog.TrackGetPageSize(40), 10);
}

TEST_F(DialogTest, TrackbarStepsMoveTheThumbThenNotify) {
  dialog.TrackSetRange(40, 0, 100);
  dialog.TrackSetPageSize(40, 10);
  dialog.TrackSetPos(40, 50);
  struct Case {
    unsigned code;
    int expected;
  } cases[] = {{TB_LINEUP, 49}, {TB_LINEDOWN, 50}, {TB_PAGEUP, 40},  {TB_PAGEDOWN, 50},
               {TB_TOP, 0},     {TB_PAGEUP, 0},    {TB_BOTTOM, 100}, {TB_LINEDOWN, 100}};
  for (const Case& c : cases) {
    g_sent.clear();
    dialog.UserTrackStep(40, c.code);
    EXPECT_EQ(dialog.TrackGetPos(40), c.expected) << "code " << c.code;
    ASSERT_EQ(g_sent.size(), 2u);
    EXPECT_EQ(g_sent[0].message, WM_HSCROLL);
    EXPECT_EQ(g_sent[0].low, c.code);
    EXPECT_EQ(g_sent[0].lParam, 40);
    EXPECT_EQ(g_sent[1].low, TB_ENDTRACK);
  }
  EXPECT_EQ(dialog.FocusId(), 40);
}

TEST_F(DialogTest, DraggingTheThumbSendsThumbTrackForEachNewPosition) {
  dialog.TrackSetRange(40, 0, 100);
  dialog.UserTrackDrag(40, 30);
  dialog.UserTrackDrag(40, 30); // no move: nothing
  dialog.UserTrackDrag(40, 400);
  dialog.UserTrackRelease(40);
  ASSERT_EQ(g_sent.size(), 4u);
  EXPECT_EQ(g_sent[0].low, TB_THUMBTRACK);
  EXPECT_EQ(g_sent[0].high, 30u);
  EXPECT_EQ(g_sent[1].low, TB_THUMBTRACK);
  EXPECT_EQ(g_sent[1].high, 100u);
  EXPECT_EQ(g_sent[2].low, TB_THUMBPOSITION);
  EXPECT_EQ(g_sent[3].low, TB_ENDTRACK);
  EXPECT_EQ(dialog.TrackGetPos(40), 100);
}

TEST_F(DialogTest, TabSkipsDisabledControlsAndSpacePressesTheFocusedButton) {
  dialog.EnableItem(IDCANCEL, false);
  EXPECT_EQ(dialog.FocusId(), IDOK);
  dialog.FocusNext(false);
  EXPECT_EQ(dialog.FocusId(), 10);
  dialog.UserSpace();
  EXPECT_TRUE(dialog.IsButtonChecked(10));
  dialog.FocusNext(true);
  EXPECT_EQ(dialog.FocusId(), IDOK);
  dialog.FocusNext(true);
  EXPECT_EQ(dialog.FocusId(), 40) << "wraps to the last tab stop";
}

TEST_F(DialogTest, UnknownIdsAreHarmless) {
  dialog.SetItemText(999, "x");
  dialog.CheckButton(999, true);
  dialog.TrackSetPos(999, 5);
  EXPECT_EQ(dialog.GetItemText(999), "");
  EXPECT_FALSE(dialog.IsButtonChecked(999));
  EXPECT_FALSE(dialog.IsItemEnabled(999));
  EXPECT_EQ(dialog.TrackGetPos(999), 0);
  EXPECT_EQ(dialog.GetItemText(50), "label");
  dialog.SetItemText(50, "new");
  EXPECT_EQ(dialog.GetItemText(50), "new");
}

TEST(AboutBox, ClosesWithTheCommandIdAsResult) {
  for (int id : {IDOK, IDCANCEL}) {
    Dialog about(AboutTemplate, AboutDialogProc);
    about.Init();
    EXPECT_FALSE(about.Ended());
    EXPECT_TRUE(about.Send(WM_COMMAND, MakeWParam((unsigned)id, BN_CLICKED), 0));
    EXPECT_TRUE(about.Ended());
    EXPECT_EQ(about.Result(), id);
  }
  Dialog about(AboutTemplate, AboutDialogProc);
  EXPECT_TRUE(about.Send(WM_INITDIALOG, 0, 0));
  EXPECT_FALSE(about.Send(WM_COMMAND, MakeWParam(3, BN_CLICKED), 0));
  EXPECT_FALSE(about.Send(WM_HSCROLL, 0, 0));
  EXPECT_FALSE(about.Ended());
  about.UserEscape();
  EXPECT_EQ(about.Result(), IDCANCEL);
}

} // namespace
} // namespace ui
