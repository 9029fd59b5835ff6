// A small dialog layer: dialog templates as data, a control model that dialog
// procedures drive through a handful of calls, and the user actions a window
// turns into messages. The model needs no window, so a dialog can be driven by
// messages alone; ImGuiDialog.h shows it in a real window.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ui {

// Messages a dialog procedure receives.
constexpr unsigned WM_INITDIALOG = 0x0110;
constexpr unsigned WM_COMMAND = 0x0111;
constexpr unsigned WM_HSCROLL = 0x0114;

// Command ids of the standard buttons.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
// The id of controls that have none (group boxes, labels, pictures).
constexpr int IDC_STATIC = -1;

// Notification codes in the high word of WM_COMMAND's wParam.
constexpr unsigned BN_CLICKED = 0;
constexpr unsigned CBN_SELCHANGE = 1;

// Trackbar notification codes (low word of WM_HSCROLL's wParam).
constexpr unsigned TB_LINEUP = 0;
constexpr unsigned TB_LINEDOWN = 1;
constexpr unsigned TB_PAGEUP = 2;
constexpr unsigned TB_PAGEDOWN = 3;
constexpr unsigned TB_THUMBPOSITION = 4;
constexpr unsigned TB_THUMBTRACK = 5;
constexpr unsigned TB_TOP = 6;
constexpr unsigned TB_BOTTOM = 7;
constexpr unsigned TB_ENDTRACK = 8;

constexpr uintptr_t MakeWParam(unsigned low, unsigned high) {
  return (uintptr_t)((low & 0xffffu) | ((high & 0xffffu) << 16));
}
constexpr unsigned LowWord(uintptr_t w) { return (unsigned)(w & 0xffffu); }
constexpr unsigned HighWord(uintptr_t w) { return (unsigned)((w >> 16) & 0xffffu); }

enum class ControlKind {
  DefPushButton, // the button Enter presses
  PushButton,
  CheckBox,    // toggles itself when clicked
  RadioButton, // automatic: checks itself, clears the others of its group
  ComboList,   // drop-down list; its height is that of the open list
  Trackbar,    // horizontal, no tick marks
  GroupBox,
  StaticText,
  Picture, // a bitmap, named by its resource number in `text`
};

// Style bits beside the kind.
enum : uint32_t {
  StyleGroup = 1u << 0,    // starts a radio group (the group runs to the next one)
  StyleCentre = 1u << 1,   // centred text
  StyleTabStop = 1u << 2,  // Tab reaches it
  StyleDisabled = 1u << 3, // starts disabled
};

struct ControlTemplate {
  int id;
  ControlKind kind;
  const char* text;
  int x, y, cx, cy; // dialog units
  uint32_t style;
};

struct DialogTemplate {
  int id;
  const char* caption;
  int cx, cy; // dialog units
  const ControlTemplate* controls;
  size_t controlCount;
};

// Dialog units to pixels for the dialogs' 8-point font at 96 DPI: 6 x 13 pixels
// of average character, a horizontal unit a quarter of the width and a vertical
// unit an eighth of the height, rounded to the nearest pixel.
int DluToPixelsX(int units);
int DluToPixelsY(int units);

struct PixelRect {
  int x, y, w, h;
};
PixelRect ControlRect(const ControlTemplate& c);
void DialogClientSize(const DialogTemplate& t, int& width, int& height);

class Dialog;
using DialogProc = bool (*)(Dialog& dialog, unsigned message, uintptr_t wParam, intptr_t lParam);

// The live state of one control.
struct Control {
  const ControlTemplate* tmpl;
  std::string text;
  bool enabled = true;
  bool checked = false;
  // Drop-down list.
  std::vector<std::string> items;
  int selection = -1;
  // Trackbar.
  int rangeMin = 0, rangeMax = 100, pos = 0, lineSize = 1, pageSize = 20;
};

class Dialog {
public:
  Dialog(const DialogTemplate& tmpl, DialogProc proc, Dialog* owner = nullptr);

  const DialogTemplate& Template() const { return tmpl; }
  Dialog* Owner() const { return owner; }

  // Sends WM_INITDIALOG once; focus goes to the first enabled tab stop.
  void Init(intptr_t param = 0);
  bool Send(unsigned message, uintptr_t wParam, intptr_t lParam);

  // Calls for the dialog procedure. An id that names no control does nothing
  // and reads as empty, unchecked, disabled, position 0.
  void SetItemText(int id, const char* text);
  std::string GetItemText(int id) const;
  void CheckButton(int id, bool checked);
  bool IsButtonChecked(int id) const;
  void EnableItem(int id, bool enabled);
  bool IsItemEnabled(int id) const;

  // Appends an entry; returns its index, or -1 when id is no list.
  int ComboAddString(int id, const char* text);
  // Selects the first entry that starts with prefix (case-insensitive) and
  // returns its index; when none does, returns -1 and the selection stays.
  int ComboSelectString(int id, const char* prefix);
  int ComboGetCurSel(int id) const;
  void ComboSetCurSel(int id, int index); // -1 clears
  int ComboGetCount(int id) const;
  // The text of the selected entry; false (and text untouched) when none.
  bool ComboGetSelText(int id, std::string& text) const;
  std::string ComboGetString(int id, int index) const;

  // Like a trackbar: a new range pulls the position into it; positions are
  // clamped to the range.
  void TrackSetRange(int id, int min, int max);
  void TrackSetPos(int id, int pos);
  void TrackSetPageSize(int id, int size);
  int TrackGetPos(int id) const;
  int TrackGetPageSize(int id) const;
  void TrackGetRange(int id, int& min, int& max) const;

  void End(intptr_t result);
  bool Ended() const { return ended; }
  intptr_t Result() const { return result; }

  // What the user does, as a window turns it into messages. Disabled controls
  // and controls of other kinds ignore the action.
  // A click on a button, check box or radio button.
  void UserClick(int id);
  // Picks an entry of a drop-down list.
  void UserSelect(int id, int index);
  // A trackbar step: TB_LINEUP/LINEDOWN (arrow keys), TB_PAGEUP/PAGEDOWN (a
  // click beside the thumb, Page keys), TB_TOP/TB_BOTTOM (Home/End). Moves the
  // thumb, then notifies the code and TB_ENDTRACK.
  void UserTrackStep(int id, unsigned code);
  // Dragging the thumb: each move to a new position notifies TB_THUMBTRACK;
  // the release notifies TB_THUMBPOSITION and TB_ENDTRACK.
  void UserTrackDrag(int id, int pos);
  void UserTrackRelease(int id);
  void UserEnter();  // the default button's command
  void UserEscape(); // IDCANCEL, also when the window is closed

  // Keyboard focus: Tab moves it, Space presses a focused button, arrow and
  // Page/Home/End keys step a focused trackbar.
  int FocusId() const { return focus; }
  void SetFocus(int id);
  void FocusNext(bool backwards);
  void UserSpace();

  Control* Find(int id);
  const Control* Find(int id) const;
  std::vector<Control>& Controls() { return controls; }
  const std::vector<Control>& Controls() const { return controls; }

private:
  void Command(int id, unsigned code);
  bool Usable(const Control* c) const { return c && c->enabled && !ended; }
  void Scroll(Control& c, unsigned code);

  const DialogTemplate& tmpl;
  DialogProc proc;
  Dialog* owner;
  std::vector<Control> controls;
  bool ended = false;
  intptr_t result = 0;
  int focus = 0;
  bool dragging = false;
};

} // namespace ui
