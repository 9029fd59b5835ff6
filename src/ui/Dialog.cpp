#include "ui/Dialog.h"

#include <algorithm>
#include <cctype>

namespace ui {

namespace {
// Rounds v * num / den to the nearest integer, halves away from zero.
int MulDivRound(int v, int num, int den) {
  long long p = (long long)v * num;
  long long q = p >= 0 ? (p + den / 2) / den : -((-p + den / 2) / den);
  return (int)q;
}

bool StartsWithNoCase(const std::string& text, const char* prefix) {
  size_t i = 0;
  for (; prefix[i]; ++i) {
    if (i >= text.size())
      return false;
    if (std::tolower((unsigned char)text[i]) != std::tolower((unsigned char)prefix[i]))
      return false;
  }
  return true;
}
} // namespace

int DluToPixelsX(int units) { return MulDivRound(units, 6, 4); }
int DluToPixelsY(int units) { return MulDivRound(units, 13, 8); }

PixelRect ControlRect(const ControlTemplate& c) {
  return {DluToPixelsX(c.x), DluToPixelsY(c.y), DluToPixelsX(c.cx), DluToPixelsY(c.cy)};
}

void DialogClientSize(const DialogTemplate& t, int& width, int& height) {
  width = DluToPixelsX(t.cx);
  height = DluToPixelsY(t.cy);
}

Dialog::Dialog(const DialogTemplate& t, DialogProc p, Dialog* o) : tmpl(t), proc(p), owner(o) {
  controls.reserve(t.controlCount);
  for (size_t i = 0; i < t.controlCount; ++i) {
    Control c;
    c.tmpl = &t.controls[i];
    if (c.tmpl->kind != ControlKind::Picture && c.tmpl->text)
      c.text = c.tmpl->text;
    c.enabled = !(c.tmpl->style & StyleDisabled);
    controls.push_back(std::move(c));
  }
}

void Dialog::Init(intptr_t param) {
  focus = 0;
  for (const Control& c : controls)
    if ((c.tmpl->style & StyleTabStop) && c.enabled && c.tmpl->id != IDC_STATIC) {
      focus = c.tmpl->id;
      break;
    }
  Send(WM_INITDIALOG, 0, param);
}

bool Dialog::Send(unsigned message, uintptr_t wParam, intptr_t lParam) {
  return proc ? proc(*this, message, wParam, lParam) : false;
}

Control* Dialog::Find(int id) {
  if (id == IDC_STATIC)
    return nullptr;
  for (Control& c : controls)
    if (c.tmpl->id == id)
      return &c;
  return nullptr;
}

const Control* Dialog::Find(int id) const { return const_cast<Dialog*>(this)->Find(id); }

void Dialog::SetItemText(int id, const char* text) {
  if (Control* c = Find(id))
    c->text = text ? text : "";
}

std::string Dialog::GetItemText(int id) const {
  const Control* c = Find(id);
  return c ? c->text : std::string();
}

void Dialog::CheckButton(int id, bool checked) {
  Control* c = Find(id);
  if (c && (c->tmpl->kind == ControlKind::CheckBox || c->tmpl->kind == ControlKind::RadioButton))
    c->checked = checked;
}

bool Dialog::IsButtonChecked(int id) const {
  const Control* c = Find(id);
  return c && c->checked;
}

void Dialog::EnableItem(int id, bool enabled) {
  if (Control* c = Find(id)) {
    c->enabled = enabled;
    if (!enabled && focus == id)
      FocusNext(false);
  }
}

bool Dialog::IsItemEnabled(int id) const {
  const Control* c = Find(id);
  return c && c->enabled;
}

int Dialog::ComboAddString(int id, const char* text) {
  Control* c = Find(id);
  if (!c || c->tmpl->kind != ControlKind::ComboList)
    return -1;
  c->items.emplace_back(text ? text : "");
  return (int)c->items.size() - 1;
}

int Dialog::ComboSelectString(int id, const char* prefix) {
  Control* c = Find(id);
  if (!c || c->tmpl->kind != ControlKind::ComboList || !prefix)
    return -1;
  for (size_t i = 0; i < c->items.size(); ++i)
    if (StartsWithNoCase(c->items[i], prefix)) {
      c->selection = (int)i;
      return (int)i;
    }
  return -1;
}

int Dialog::ComboGetCurSel(int id) const {
  const Control* c = Find(id);
  return c ? c->selection : -1;
}

void Dialog::ComboSetCurSel(int id, int index) {
  Control* c = Find(id);
  if (!c || c->tmpl->kind != ControlKind::ComboList)
    return;
  c->selection = (index >= 0 && index < (int)c->items.size()) ? index : -1;
}

int Dialog::ComboGetCount(int id) const {
  const Control* c = Find(id);
  return c ? (int)c->items.size() : 0;
}

bool Dialog::ComboGetSelText(int id, std::string& text) const {
  const Control* c = Find(id);
  if (!c || c->selection < 0 || c->selection >= (int)c->items.size())
    return false;
  text = c->items[c->selection];
  return true;
}

std::string Dialog::ComboGetString(int id, int index) const {
  const Control* c = Find(id);
  if (!c || index < 0 || index >= (int)c->items.size())
    return std::string();
  return c->items[index];
}

void Dialog::TrackSetRange(int id, int min, int max) {
  Control* c = Find(id);
  if (!c || c->tmpl->kind != ControlKind::Trackbar)
    return;
  c->rangeMin = min;
  c->rangeMax = std::max(min, max);
  c->pos = std::clamp(c->pos, c->rangeMin, c->rangeMax);
}

void Dialog::TrackSetPos(int id, int pos) {
  Control* c = Find(id);
  if (c && c->tmpl->kind == ControlKind::Trackbar)
    c->pos = std::clamp(pos, c->rangeMin, c->rangeMax);
}

void Dialog::TrackSetPageSize(int id, int size) {
  Control* c = Find(id);
  if (c && c->tmpl->kind == ControlKind::Trackbar)
    c->pageSize = size;
}

int Dialog::TrackGetPos(int id) const {
  const Control* c = Find(id);
  return c ? c->pos : 0;
}

int Dialog::TrackGetPageSize(int id) const {
  const Control* c = Find(id);
  return c ? c->pageSize : 0;
}

void Dialog::TrackGetRange(int id, int& min, int& max) const {
  const Control* c = Find(id);
  min = c ? c->rangeMin : 0;
  max = c ? c->rangeMax : 0;
}

void Dialog::End(intptr_t r) {
  if (ended)
    return;
  ended = true;
  result = r;
}

void Dialog::Command(int id, unsigned code) { Send(WM_COMMAND, MakeWParam((unsigned)id, code), 0); }

void Dialog::UserClick(int id) {
  Control* c = Find(id);
  if (!Usable(c))
    return;
  switch (c->tmpl->kind) {
  case ControlKind::CheckBox:
    c->checked = !c->checked;
    break;
  case ControlKind::RadioButton: {
    // The group: from the nearest group start at or before this button up to
    // the next group start.
    size_t index = (size_t)(c - controls.data());
    size_t first = index;
    while (first > 0 && !(controls[first].tmpl->style & StyleGroup))
      --first;
    for (size_t i = first; i < controls.size(); ++i) {
      if (i > first && (controls[i].tmpl->style & StyleGroup))
        break;
      if (controls[i].tmpl->kind == ControlKind::RadioButton)
        controls[i].checked = (i == index);
    }
    break;
  }
  case ControlKind::DefPushButton:
  case ControlKind::PushButton:
    break;
  default:
    return;
  }
  focus = id;
  Command(id, BN_CLICKED);
}

void Dialog::UserSelect(int id, int index) {
  Control* c = Find(id);
  if (!Usable(c) || c->tmpl->kind != ControlKind::ComboList)
    return;
  if (index < 0 || index >= (int)c->items.size())
    return;
  focus = id;
  c->selection = index;
  Command(id, CBN_SELCHANGE);
}

void Dialog::Scroll(Control& c, unsigned code) {
  Send(WM_HSCROLL, MakeWParam(code, code == TB_THUMBTRACK || code == TB_THUMBPOSITION ? c.pos : 0),
       c.tmpl->id);
}

void Dialog::UserTrackStep(int id, unsigned code) {
  Control* c = Find(id);
  if (!Usable(c) || c->tmpl->kind != ControlKind::Trackbar)
    return;
  int pos = c->pos;
  switch (code) {
  case TB_LINEUP:
    pos -= c->lineSize;
    break;
  case TB_LINEDOWN:
    pos += c->lineSize;
    break;
  case TB_PAGEUP:
    pos -= c->pageSize;
    break;
  case TB_PAGEDOWN:
    pos += c->pageSize;
    break;
  case TB_TOP:
    pos = c->rangeMin;
    break;
  case TB_BOTTOM:
    pos = c->rangeMax;
    break;
  default:
    return;
  }
  focus = id;
  c->pos = std::clamp(pos, c->rangeMin, c->rangeMax);
  Scroll(*c, code);
  if (!ended)
    Scroll(*c, TB_ENDTRACK);
}

void Dialog::UserTrackDrag(int id, int pos) {
  Control* c = Find(id);
  if (!Usable(c) || c->tmpl->kind != ControlKind::Trackbar)
    return;
  focus = id;
  dragging = true;
  pos = std::clamp(pos, c->rangeMin, c->rangeMax);
  if (pos == c->pos)
    return;
  c->pos = pos;
  Scroll(*c, TB_THUMBTRACK);
}

void Dialog::UserTrackRelease(int id) {
  Control* c = Find(id);
  if (!dragging || !c || ended)
    return;
  dragging = false;
  Scroll(*c, TB_THUMBPOSITION);
  if (!ended)
    Scroll(*c, TB_ENDTRACK);
}

void Dialog::UserEnter() {
  if (ended)
    return;
  for (const Control& c : controls)
    if (c.tmpl->kind == ControlKind::DefPushButton) {
      if (c.enabled)
        Command(c.tmpl->id, BN_CLICKED);
      return;
    }
  Command(IDOK, BN_CLICKED);
}

void Dialog::UserEscape() {
  if (!ended)
    Command(IDCANCEL, BN_CLICKED);
}

void Dialog::SetFocus(int id) {
  const Control* c = Find(id);
  if (c && c->enabled)
    focus = id;
}

void Dialog::FocusNext(bool backwards) {
  int n = (int)controls.size();
  if (n == 0)
    return;
  int start = 0;
  for (int i = 0; i < n; ++i)
    if (controls[i].tmpl->id == focus && focus != 0)
      start = i;
  for (int step = 1; step <= n; ++step) {
    int i = backwards ? (start - step + n * 2) % n : (start + step) % n;
    const Control& c = controls[i];
    if ((c.tmpl->style & StyleTabStop) && c.enabled && c.tmpl->id != IDC_STATIC) {
      focus = c.tmpl->id;
      return;
    }
  }
  focus = 0;
}

void Dialog::UserSpace() {
  Control* c = Find(focus);
  if (!Usable(c))
    return;
  switch (c->tmpl->kind) {
  case ControlKind::DefPushButton:
  case ControlKind::PushButton:
  case ControlKind::CheckBox:
  case ControlKind::RadioButton:
    UserClick(focus);
    break;
  default:
    break;
  }
}

} // namespace ui
