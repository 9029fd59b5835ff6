#include "ui/ImGuiDialog.h"

#include <SDL.h>
#include <SDL_opengl.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <imgui.h>
#include <backends/imgui_impl_opengl2.h>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <vector>

#include "platform/Window.h"
#include "ui/Pictures.h"

namespace ui {
namespace {

ModalDialogRunner g_runner = nullptr;

int ReportXError(::Display*, XErrorEvent* e) {
  fprintf(stderr, "nimbrel: X error %d (request %d.%d, resource 0x%lx) passed over\n",
          (int)e->error_code, (int)e->request_code, (int)e->minor_code,
          (unsigned long)e->resourceid);
  return 0;
}

// The dialog font: DejaVu Sans at the size that fits the controls as the
// dialogs' 8-point font does; ImGui's own font when it is not installed.
const char* const kFontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr float kFontSize = 11.0f;

// Classic dialog colours.
constexpr ImU32 kFace = IM_COL32(212, 208, 200, 255);
constexpr ImU32 kShadow = IM_COL32(128, 128, 128, 255);
constexpr ImU32 kDarkShadow = IM_COL32(64, 64, 64, 255);
constexpr ImU32 kHighlight = IM_COL32(255, 255, 255, 255);
constexpr ImU32 kText = IM_COL32(0, 0, 0, 255);
constexpr ImU32 kGreyText = IM_COL32(128, 128, 128, 255);

// A trackbar's thumb and the margin of its channel, in pixels.
constexpr int kThumbWidth = 11;
constexpr int kChannelMargin = kThumbWidth / 2 + 3;

int ThumbCentre(const Control& c, const PixelRect& r) {
  int span = std::max(1, r.w - 2 * kChannelMargin);
  int range = std::max(1, c.rangeMax - c.rangeMin);
  return r.x + kChannelMargin + (int)((long long)(c.pos - c.rangeMin) * span / range);
}

int PositionAt(const Control& c, const PixelRect& r, float x) {
  int span = std::max(1, r.w - 2 * kChannelMargin);
  float t = (x - (r.x + kChannelMargin)) / span;
  int pos = c.rangeMin + (int)std::lround(t * (c.rangeMax - c.rangeMin));
  return std::clamp(pos, c.rangeMin, c.rangeMax);
}

// What a frame's drawing asked for; done after the frame, so a procedure that
// opens another dialog does so outside any ImGui frame.
struct Action {
  enum Kind { Click, Select, Step, Drag, Release } kind;
  int id;
  int value;
};

class DialogWindow;
std::vector<DialogWindow*> g_stack; // open dialog windows, the active one last
SDL_GLContext g_gl = nullptr;       // one context shared by the dialog windows
bool g_quit = false;                // SIGTERM/SIGINT or the session ending

class DialogWindow {
public:
  DialogWindow(Dialog& d) : dialog(d) {}
  ~DialogWindow() { Close(); }

  bool Open(unsigned long x11Owner);
  void Close();
  void Render(bool active);
  void HandleEvent(const SDL_Event& e);
  void RunActions();
  Uint32 WindowId() const { return window ? SDL_GetWindowID(window) : 0; }
  SDL_Window* Window() const { return window; }
  bool MouseHeld() const { return mouseDown; }

private:
  void DrawControl(Control& c, bool active);
  void DrawTrackbar(Control& c, const PixelRect& r);
  void DrawGroupBox(const Control& c, const PixelRect& r);
  void DrawStatic(const Control& c, const PixelRect& r);
  void DrawPicture(const Control& c, const PixelRect& r);
  void DrawFocus(const PixelRect& r);
  void KeyDown(const SDL_Keysym& key);

  Dialog& dialog;
  SDL_Window* window = nullptr;
  ImGuiContext* context = nullptr;
  GLuint pictureTexture = 0;
  int width = 0, height = 0;
  std::vector<Action> actions;
  // Mouse state for ImGui, one button change a frame so quick clicks count.
  ImVec2 mouse{-FLT_MAX, -FLT_MAX};
  bool mouseDown = false;
  // Trackbar in hand: id, and whether the thumb is being dragged.
  int trackId = 0;
  bool trackDragging = false;
  float trackGrab = 0; // mouse x minus the thumb centre at the grab
  double trackRepeatAt = 0;
  // Drop-down list state.
  bool comboOpen = false;
  bool closeCombo = false;
};

bool DialogWindow::Open(unsigned long x11Owner) {
  DialogClientSize(dialog.Template(), width, height);
  int x = SDL_WINDOWPOS_CENTERED, y = SDL_WINDOWPOS_CENTERED;
  Dialog* owner = dialog.Owner();
  SDL_Window* ownerWindow = nullptr;
  for (DialogWindow* w : g_stack)
    if (owner && &w->dialog == owner)
      ownerWindow = w->window;
  if (ownerWindow) {
    int ox, oy, ow, oh;
    SDL_GetWindowPosition(ownerWindow, &ox, &oy);
    SDL_GetWindowSize(ownerWindow, &ow, &oh);
    x = ox + (ow - width) / 2;
    y = oy + (oh - height) / 2;
  }
  window = SDL_CreateWindow(dialog.Template().caption, x, y, width, height,
                            SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (!window) {
    fprintf(stderr, "nimbrel: cannot open the dialog window: %s\n", SDL_GetError());
    return false;
  }
  const Picture& icon = IconPicture();
  if (SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint8_t*>(icon.rgb.data()),
                                                          icon.width, icon.height, 24,
                                                          icon.width * 3, SDL_PIXELFORMAT_RGB24)) {
    SDL_SetWindowIcon(window, s);
    SDL_FreeSurface(s);
  }
  if (!g_gl) {
    g_gl = SDL_GL_CreateContext(window);
    if (!g_gl) {
      fprintf(stderr, "nimbrel: no OpenGL for the dialog window: %s\n", SDL_GetError());
      SDL_DestroyWindow(window);
      window = nullptr;
      return false;
    }
  }
  SDL_GL_MakeCurrent(window, g_gl);
  SDL_GL_SetSwapInterval(1);

  // Ownership on X11: transient for the owner dialog's window or for /c:N.
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11) {
    ::Window ownerX = 0;
    if (ownerWindow) {
      SDL_SysWMinfo ownerInfo;
      SDL_VERSION(&ownerInfo.version);
      if (SDL_GetWindowWMInfo(ownerWindow, &ownerInfo) && ownerInfo.subsystem == SDL_SYSWM_X11)
        ownerX = ownerInfo.info.x11.window;
    } else {
      ownerX = (::Window)x11Owner;
    }
    // An owner number that names no window must not end the process: from
    // here on X errors are reported and passed over, not fatal.
    XSetErrorHandler(ReportXError);
    // SDL makes its windows transient for the root window; a dialog without
    // an owner is a window of its own.
    if (ownerX)
      XSetTransientForHint(info.info.x11.display, info.info.x11.window, ownerX);
    else
      XDeleteProperty(info.info.x11.display, info.info.x11.window, XA_WM_TRANSIENT_FOR);
  }

  context = ImGui::CreateContext();
  ImGui::SetCurrentContext(context);
  ImGuiIO& io = ImGui::GetIO();
  io.IniFilename = nullptr;
  io.LogFilename = nullptr;
  io.ConfigFlags |= ImGuiConfigFlags_NoMouseCursorChange;
  if (FILE* f = fopen(kFontFile, "rb")) {
    fclose(f);
    io.Fonts->AddFontFromFileTTF(kFontFile, kFontSize);
  } else {
    io.Fonts->AddFontDefault();
  }
  ImGui::StyleColorsLight();
  ImGuiStyle& style = ImGui::GetStyle();
  style.WindowRounding = 0;
  style.WindowBorderSize = 0;
  style.WindowPadding = ImVec2(0, 0);
  style.FrameRounding = 0;
  style.FrameBorderSize = 1;
  style.PopupRounding = 0;
  style.PopupBorderSize = 1;
  style.ItemInnerSpacing = ImVec2(4, 4);
  style.DisabledAlpha = 0.5f;
  style.Colors[ImGuiCol_WindowBg] = ImGui::ColorConvertU32ToFloat4(kFace);
  style.Colors[ImGuiCol_Text] = ImVec4(0, 0, 0, 1);
  style.Colors[ImGuiCol_Button] = ImGui::ColorConvertU32ToFloat4(kFace);
  style.Colors[ImGuiCol_ButtonHovered] = ImVec4(0.88f, 0.87f, 0.84f, 1);
  style.Colors[ImGuiCol_ButtonActive] = ImVec4(0.75f, 0.74f, 0.71f, 1);
  style.Colors[ImGuiCol_Border] = ImGui::ColorConvertU32ToFloat4(kDarkShadow);
  style.Colors[ImGuiCol_FrameBg] = ImVec4(1, 1, 1, 1);
  style.Colors[ImGuiCol_FrameBgHovered] = ImVec4(1, 1, 1, 1);
  style.Colors[ImGuiCol_FrameBgActive] = ImVec4(0.9f, 0.9f, 0.9f, 1);
  style.Colors[ImGuiCol_CheckMark] = ImVec4(0, 0, 0, 1);
  style.Colors[ImGuiCol_PopupBg] = ImVec4(1, 1, 1, 1);
  style.Colors[ImGuiCol_Header] = ImVec4(0.04f, 0.14f, 0.42f, 1);
  style.Colors[ImGuiCol_HeaderHovered] = ImVec4(0.04f, 0.14f, 0.42f, 1);
  style.Colors[ImGuiCol_HeaderActive] = ImVec4(0.04f, 0.14f, 0.42f, 1);
  ImGui_ImplOpenGL2_Init();

  // The picture controls' bitmap (there is one: the decoration).
  const Picture& deco = DecorationPicture();
  glGenTextures(1, &pictureTexture);
  glBindTexture(GL_TEXTURE_2D, pictureTexture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, deco.width, deco.height, 0, GL_RGB, GL_UNSIGNED_BYTE,
               deco.rgb.data());
  return true;
}

void DialogWindow::Close() {
  if (context) {
    SDL_GL_MakeCurrent(window, g_gl);
    ImGui::SetCurrentContext(context);
    if (pictureTexture)
      glDeleteTextures(1, &pictureTexture);
    ImGui_ImplOpenGL2_Shutdown();
    ImGui::DestroyContext(context);
    context = nullptr;
  }
  if (window) {
    SDL_DestroyWindow(window);
    window = nullptr;
  }
}

void DialogWindow::KeyDown(const SDL_Keysym& key) {
  Control* focused = dialog.Find(dialog.FocusId());
  bool trackbar = focused && focused->tmpl->kind == ControlKind::Trackbar;
  bool combo = focused && focused->tmpl->kind == ControlKind::ComboList;
  switch (key.sym) {
  case SDLK_RETURN:
  case SDLK_KP_ENTER:
    if (comboOpen)
      closeCombo = true;
    else
      dialog.UserEnter();
    return;
  case SDLK_ESCAPE:
    if (comboOpen)
      closeCombo = true;
    else
      dialog.UserEscape();
    return;
  case SDLK_TAB:
    if (!comboOpen)
      dialog.FocusNext((key.mod & KMOD_SHIFT) != 0);
    return;
  case SDLK_SPACE:
    if (!comboOpen)
      dialog.UserSpace();
    return;
  default:
    break;
  }
  unsigned code = ~0u;
  switch (key.sym) {
  case SDLK_LEFT:
  case SDLK_UP:
    code = TB_LINEUP;
    break;
  case SDLK_RIGHT:
  case SDLK_DOWN:
    code = TB_LINEDOWN;
    break;
  case SDLK_PAGEUP:
    code = TB_PAGEUP;
    break;
  case SDLK_PAGEDOWN:
    code = TB_PAGEDOWN;
    break;
  case SDLK_HOME:
    code = TB_TOP;
    break;
  case SDLK_END:
    code = TB_BOTTOM;
    break;
  default:
    return;
  }
  if (trackbar) {
    dialog.UserTrackStep(focused->tmpl->id, code);
  } else if (combo && focused->enabled && !focused->items.empty()) {
    int last = (int)focused->items.size() - 1;
    int sel = focused->selection;
    if (code == TB_LINEUP || code == TB_PAGEUP)
      sel = std::max(0, sel - (code == TB_PAGEUP ? 8 : 1));
    else if (code == TB_LINEDOWN || code == TB_PAGEDOWN)
      sel = std::min(last, sel + (code == TB_PAGEDOWN ? 8 : 1));
    else
      sel = code == TB_TOP ? 0 : last;
    if (sel != focused->selection)
      dialog.UserSelect(focused->tmpl->id, sel);
  }
}

void DialogWindow::HandleEvent(const SDL_Event& e) {
  switch (e.type) {
  case SDL_MOUSEMOTION:
    mouse = ImVec2((float)e.motion.x, (float)e.motion.y);
    break;
  case SDL_MOUSEBUTTONDOWN:
  case SDL_MOUSEBUTTONUP:
    mouse = ImVec2((float)e.button.x, (float)e.button.y);
    if (e.button.button == SDL_BUTTON_LEFT)
      mouseDown = e.type == SDL_MOUSEBUTTONDOWN;
    break;
  case SDL_WINDOWEVENT:
    if (e.window.event == SDL_WINDOWEVENT_CLOSE)
      dialog.UserEscape();
    else if (e.window.event == SDL_WINDOWEVENT_LEAVE)
      mouse = ImVec2(-FLT_MAX, -FLT_MAX);
    break;
  case SDL_KEYDOWN:
    KeyDown(e.key.keysym);
    break;
  default:
    break;
  }
}

void DialogWindow::RunActions() {
  std::vector<Action> todo;
  todo.swap(actions);
  for (const Action& a : todo) {
    if (dialog.Ended())
      break;
    switch (a.kind) {
    case Action::Click:
      dialog.UserClick(a.id);
      break;
    case Action::Select:
      dialog.UserSelect(a.id, a.value);
      break;
    case Action::Step:
      dialog.UserTrackStep(a.id, (unsigned)a.value);
      break;
    case Action::Drag:
      dialog.UserTrackDrag(a.id, a.value);
      break;
    case Action::Release:
      dialog.UserTrackRelease(a.id);
      break;
    }
  }
}

void DialogWindow::DrawFocus(const PixelRect& r) {
  ImDrawList* dl = ImGui::GetWindowDrawList();
  ImVec2 a((float)r.x - 1, (float)r.y - 1), b((float)(r.x + r.w) + 1, (float)(r.y + r.h) + 1);
  // A dotted frame, as focus is shown on these controls.
  for (float x = a.x; x < b.x; x += 2) {
    dl->AddRectFilled(ImVec2(x, a.y), ImVec2(x + 1, a.y + 1), kText);
    dl->AddRectFilled(ImVec2(x, b.y - 1), ImVec2(x + 1, b.y), kText);
  }
  for (float y = a.y; y < b.y; y += 2) {
    dl->AddRectFilled(ImVec2(a.x, y), ImVec2(a.x + 1, y + 1), kText);
    dl->AddRectFilled(ImVec2(b.x - 1, y), ImVec2(b.x, y + 1), kText);
  }
}

void DialogWindow::DrawGroupBox(const Control& c, const PixelRect& r) {
  ImDrawList* dl = ImGui::GetWindowDrawList();
  float fh = ImGui::GetFontSize();
  float top = r.y + fh / 2;
  ImVec2 a((float)r.x, top), b((float)(r.x + r.w) - 1, (float)(r.y + r.h) - 1);
  dl->AddRect(a, b, kShadow);
  dl->AddRect(ImVec2(a.x + 1, a.y + 1), ImVec2(b.x + 1, b.y + 1), kHighlight);
  if (!c.text.empty()) {
    ImVec2 size = ImGui::CalcTextSize(c.text.c_str());
    ImVec2 at((float)r.x + 8, (float)r.y);
    dl->AddRectFilled(ImVec2(at.x - 2, at.y), ImVec2(at.x + size.x + 2, at.y + fh), kFace);
    dl->AddText(at, c.enabled ? kText : kGreyText, c.text.c_str());
  }
}

void DialogWindow::DrawStatic(const Control& c, const PixelRect& r) {
  ImDrawList* dl = ImGui::GetWindowDrawList();
  ImU32 colour = c.enabled ? kText : kGreyText;
  float fh = ImGui::GetFontSize();
  // Labels may run a little past their box, as long as they stay in the window.
  ImVec4 clip((float)r.x, (float)r.y, (float)width, (float)(r.y + r.h) + 2);
  float y = (float)r.y;
  const char* text = c.text.c_str();
  while (*text) {
    const char* end = strchr(text, '\n');
    if (!end)
      end = text + strlen(text);
    float x = (float)r.x;
    if (c.tmpl->style & StyleCentre)
      x += std::floor((r.w - ImGui::CalcTextSize(text, end).x) / 2);
    dl->AddText(nullptr, 0, ImVec2(x, y), colour, text, end, 0, &clip);
    y += fh + 2;
    text = *end ? end + 1 : end;
  }
}

void DialogWindow::DrawPicture(const Control& c, const PixelRect& r) {
  // The control takes the bitmap's own size, as picture controls do.
  const Picture& p = DecorationPicture();
  ImGui::GetWindowDrawList()->AddImage((ImTextureID)(intptr_t)pictureTexture,
                                       ImVec2((float)r.x, (float)r.y),
                                       ImVec2((float)(r.x + p.width), (float)(r.y + p.height)));
}

void DialogWindow::DrawTrackbar(Control& c, const PixelRect& r) {
  int id = c.tmpl->id;
  ImGui::SetCursorPos(ImVec2((float)r.x, (float)r.y));
  ImGui::InvisibleButton("##trackbar", ImVec2((float)r.w, (float)r.h));
  bool activated = ImGui::IsItemActivated();
  bool active = ImGui::IsItemActive();
  bool deactivated = ImGui::IsItemDeactivated();
  float mx = ImGui::GetIO().MousePos.x;
  int thumb = ThumbCentre(c, r);
  if (activated) {
    trackId = id;
    if (std::abs(mx - thumb) <= kThumbWidth / 2 + 1) {
      trackDragging = true;
      trackGrab = mx - thumb;
    } else {
      trackDragging = false;
      actions.push_back({Action::Step, id, (int)(mx < thumb ? TB_PAGEUP : TB_PAGEDOWN)});
      trackRepeatAt = ImGui::GetTime() + 0.4;
    }
  } else if (active && trackId == id) {
    if (trackDragging) {
      int pos = PositionAt(c, r, mx - trackGrab);
      if (pos != c.pos)
        actions.push_back({Action::Drag, id, pos});
    } else if (ImGui::GetTime() >= trackRepeatAt) {
      // Held beside the thumb: page steps until the thumb reaches the mouse.
      trackRepeatAt = ImGui::GetTime() + 0.1;
      if (mx < thumb - kThumbWidth / 2)
        actions.push_back({Action::Step, id, (int)TB_PAGEUP});
      else if (mx > thumb + kThumbWidth / 2)
        actions.push_back({Action::Step, id, (int)TB_PAGEDOWN});
    }
  }
  if (deactivated && trackId == id) {
    if (trackDragging)
      actions.push_back({Action::Release, id, 0});
    trackId = 0;
    trackDragging = false;
  }

  ImDrawList* dl = ImGui::GetWindowDrawList();
  float cy = r.y + r.h / 2.0f;
  // The channel: a sunken groove.
  ImVec2 a((float)(r.x + kChannelMargin - 2), cy - 2),
      b((float)(r.x + r.w - kChannelMargin + 2), cy + 2);
  dl->AddRectFilled(a, b, kHighlight);
  dl->AddLine(a, ImVec2(b.x, a.y), kShadow);
  dl->AddLine(a, ImVec2(a.x, b.y), kShadow);
  dl->AddLine(ImVec2(a.x + 1, a.y + 1), ImVec2(b.x - 1, a.y + 1), kDarkShadow);
  // The thumb: a raised block, flat grey when disabled.
  float tx = (float)(thumb - kThumbWidth / 2);
  float th = std::min((float)r.h, 18.0f);
  ImVec2 ta(tx, cy - th / 2), tb(tx + kThumbWidth, cy + th / 2);
  dl->AddRectFilled(ta, tb, kFace);
  dl->AddLine(ta, ImVec2(tb.x - 1, ta.y), kHighlight);
  dl->AddLine(ta, ImVec2(ta.x, tb.y - 1), kHighlight);
  dl->AddLine(ImVec2(tb.x - 1, ta.y), ImVec2(tb.x - 1, tb.y), kDarkShadow);
  dl->AddLine(ImVec2(ta.x, tb.y - 1), ImVec2(tb.x, tb.y - 1), kDarkShadow);
  if (!c.enabled) {
    for (float y = ta.y + 3; y < tb.y - 3; y += 2)
      dl->AddLine(ImVec2(ta.x + 3, y), ImVec2(tb.x - 3, y), kShadow);
  }
}

void DialogWindow::DrawControl(Control& c, bool active) {
  const ControlTemplate& t = *c.tmpl;
  PixelRect r = ControlRect(t);
  bool focused = active && t.id != IDC_STATIC && dialog.FocusId() == t.id;
  // An owner under an open dialog looks as usual but gets no mouse (see Render).
  ImGui::BeginDisabled(!c.enabled);
  switch (t.kind) {
  case ControlKind::DefPushButton:
  case ControlKind::PushButton: {
    ImGui::SetCursorPos(ImVec2((float)r.x, (float)r.y));
    if (ImGui::Button(c.text.c_str(), ImVec2((float)r.w, (float)r.h)))
      actions.push_back({Action::Click, t.id, 0});
    if (t.kind == ControlKind::DefPushButton)
      ImGui::GetWindowDrawList()->AddRect(ImVec2((float)r.x - 1, (float)r.y - 1),
                                          ImVec2((float)(r.x + r.w) + 1, (float)(r.y + r.h) + 1),
                                          kText);
    if (focused)
      DrawFocus({r.x + 3, r.y + 3, r.w - 6, r.h - 6});
    break;
  }
  case ControlKind::CheckBox:
  case ControlKind::RadioButton: {
    float box = ImGui::GetFontSize() + 2;
    ImGui::PushStyleVar(ImGuiStyleVar_FramePadding, ImVec2(1, 1));
    ImGui::SetCursorPos(ImVec2((float)r.x, std::floor(r.y + (r.h - box) / 2)));
    bool clicked;
    if (t.kind == ControlKind::CheckBox) {
      bool v = c.checked;
      clicked = ImGui::Checkbox(c.text.c_str(), &v);
    } else {
      clicked = ImGui::RadioButton(c.text.c_str(), c.checked);
    }
    ImGui::PopStyleVar();
    if (clicked)
      actions.push_back({Action::Click, t.id, 0});
    if (focused) {
      int tw = (int)ImGui::CalcTextSize(c.text.c_str()).x;
      DrawFocus({r.x + (int)box + 3, r.y, tw + 2, r.h});
    }
    break;
  }
  case ControlKind::ComboList: {
    // The closed box is one line high; the template's height is the open list's.
    float lineHeight = ImGui::GetFontSize() + 10;
    float listHeight = std::max((float)r.h - lineHeight, lineHeight);
    ImGui::PushStyleVar(ImGuiStyleVar_FramePadding, ImVec2(3, 5));
    ImGui::SetCursorPos(ImVec2((float)r.x, (float)r.y));
    ImGui::SetNextItemWidth((float)r.w);
    ImGui::SetNextWindowSizeConstraints(ImVec2((float)r.w, 0), ImVec2((float)r.w, listHeight));
    const char* preview =
        c.selection >= 0 && c.selection < (int)c.items.size() ? c.items[c.selection].c_str() : "";
    if (ImGui::BeginCombo("##list", preview)) {
      comboOpen = true;
      if (dialog.FocusId() != t.id)
        dialog.SetFocus(t.id);
      ImGui::PushStyleColor(ImGuiCol_Text, ImVec4(0, 0, 0, 1));
      for (int i = 0; i < (int)c.items.size(); ++i) {
        bool selected = i == c.selection;
        if (selected)
          ImGui::PushStyleColor(ImGuiCol_Text, ImVec4(1, 1, 1, 1));
        if (ImGui::Selectable(c.items[i].c_str(), selected) && !selected)
          actions.push_back({Action::Select, t.id, i});
        if (selected) {
          ImGui::PopStyleColor();
          if (ImGui::IsWindowAppearing())
            ImGui::SetScrollHereY();
        }
      }
      ImGui::PopStyleColor();
      if (closeCombo)
        ImGui::CloseCurrentPopup();
      ImGui::EndCombo();
    }
    ImGui::PopStyleVar();
    if (focused && !comboOpen)
      DrawFocus({r.x + 2, r.y + 2, r.w - (int)lineHeight - 2, (int)lineHeight - 4});
    break;
  }
  case ControlKind::Trackbar:
    DrawTrackbar(c, r);
    if (focused)
      DrawFocus(r);
    break;
  case ControlKind::GroupBox:
    DrawGroupBox(c, r);
    break;
  case ControlKind::StaticText:
    DrawStatic(c, r);
    break;
  case ControlKind::Picture:
    DrawPicture(c, r);
    break;
  }
  ImGui::EndDisabled();
}

void DialogWindow::Render(bool active) {
  SDL_GL_MakeCurrent(window, g_gl);
  ImGui::SetCurrentContext(context);
  ImGuiIO& io = ImGui::GetIO();
  io.DisplaySize = ImVec2((float)width, (float)height);
  io.DeltaTime = 1.0f / 60.0f;
  io.MousePos = active ? mouse : ImVec2(-FLT_MAX, -FLT_MAX);
  io.MouseDown[0] = active && mouseDown;
  ImGui_ImplOpenGL2_NewFrame();
  ImGui::NewFrame();
  ImGui::SetNextWindowPos(ImVec2(0, 0));
  ImGui::SetNextWindowSize(io.DisplaySize);
  ImGui::Begin("##dialog", nullptr,
               ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove |
                   ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoBringToFrontOnFocus |
                   ImGuiWindowFlags_NoNav);
  comboOpen = false;
  for (size_t i = 0; i < dialog.Controls().size(); ++i) {
    ImGui::PushID((int)i);
    DrawControl(dialog.Controls()[i], active);
    ImGui::PopID();
  }
  closeCombo = false;
  ImGui::End();
  ImGui::Render();
  glViewport(0, 0, width, height);
  glClearColor(212 / 255.0f, 208 / 255.0f, 200 / 255.0f, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
  SDL_GL_SwapWindow(window);
}

DialogWindow* FindWindow(Uint32 id) {
  for (DialogWindow* w : g_stack)
    if (w->WindowId() == id)
      return w;
  return nullptr;
}

intptr_t RunInWindow(Dialog& dialog, unsigned long x11Owner) {
  if (!PlatformInit()) {
    fprintf(stderr, "nimbrel: no display for the dialog \"%s\"\n", dialog.Template().caption);
    return IDCANCEL;
  }
  intptr_t result = IDCANCEL;
  {
    DialogWindow w(dialog);
    dialog.Init();
    if (!dialog.Ended() && w.Open(x11Owner)) {
      g_stack.push_back(&w);
      SDL_ShowWindow(w.Window());
      SDL_RaiseWindow(w.Window());
      w.Render(true);
      std::deque<SDL_Event> pending;
      Uint32 lastFrame = SDL_GetTicks();
      while (!dialog.Ended()) {
        if (QuitSignalReceived())
          g_quit = true;
        if (g_quit) {
          dialog.UserEscape();
          if (!dialog.Ended())
            dialog.End(IDCANCEL);
          break;
        }
        // Polling with a short sleep, not SDL_WaitEventTimeout: waiting makes
        // SDL wake the window with X events later, and once the window is gone
        // such a wake-up is an X error that ends the process at SDL's shutdown.
        SDL_Event e;
        while (SDL_PollEvent(&e))
          pending.push_back(e);
        if (pending.empty()) {
          SDL_Delay(10);
          while (SDL_PollEvent(&e))
            pending.push_back(e);
        }
        // Events up to and including the next mouse button change, then a frame.
        bool anyEvent = !pending.empty();
        while (!pending.empty() && !dialog.Ended()) {
          e = pending.front();
          pending.pop_front();
          if (e.type == SDL_QUIT) {
            g_quit = true;
            break;
          }
          Uint32 windowId = 0;
          switch (e.type) {
          case SDL_WINDOWEVENT:
            windowId = e.window.windowID;
            break;
          case SDL_KEYDOWN:
          case SDL_KEYUP:
            windowId = e.key.windowID;
            break;
          case SDL_MOUSEMOTION:
            windowId = e.motion.windowID;
            break;
          case SDL_MOUSEBUTTONDOWN:
          case SDL_MOUSEBUTTONUP:
            windowId = e.button.windowID;
            break;
          default:
            break;
          }
          // Owners of an open dialog take no input.
          if (windowId == w.WindowId())
            w.HandleEvent(e);
          else if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED &&
                   FindWindow(windowId))
            SDL_RaiseWindow(w.Window());
          // A frame after each button change and each move while dragging, so
          // the controls see every step however fast the events came.
          if (e.type == SDL_MOUSEBUTTONDOWN || e.type == SDL_MOUSEBUTTONUP ||
              (e.type == SDL_MOUSEMOTION && (e.motion.state & SDL_BUTTON_LMASK)))
            break;
        }
        if (dialog.Ended())
          break;
        // Idle: a frame now and then is enough (a held button repeats, so it
        // keeps the frames coming).
        if (!anyEvent && !w.MouseHeld() && SDL_GetTicks() - lastFrame < 250)
          continue;
        lastFrame = SDL_GetTicks();
        for (DialogWindow* other : g_stack)
          if (other != &w)
            other->Render(false);
        w.Render(true);
        w.RunActions();
      }
      g_stack.pop_back();
      // The owner is active again, with the keyboard.
      if (!g_stack.empty()) {
        SDL_RaiseWindow(g_stack.back()->Window());
        SDL_SetWindowInputFocus(g_stack.back()->Window());
      }
    }
    result = dialog.Result();
  }
  if (g_stack.empty() && g_gl) {
    SDL_GL_DeleteContext(g_gl);
    g_gl = nullptr;
  }
  return dialog.Ended() ? result : IDCANCEL;
}

} // namespace

intptr_t RunModalDialog(Dialog& dialog, unsigned long x11Owner) {
  if (g_runner)
    return g_runner(dialog, x11Owner);
  return RunInWindow(dialog, x11Owner);
}

void SetModalDialogRunner(ModalDialogRunner runner) { g_runner = runner; }

} // namespace ui
