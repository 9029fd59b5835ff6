#include "platform/Window.h"
#include "platform/Display.h"
#include "platform/PlatformInternal.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#include <X11/Xlib.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <string>

namespace {

struct ClassRecord {
  WindowProcedure procedure = nullptr;
  uint32_t style = 0;
};

struct WindowRecord {
  WindowHandle handle = 0;
  SDL_Window* sdl = nullptr;
  std::string className;
  WindowProcedure procedure = nullptr;
  uint32_t classStyle = 0;
  uint32_t style = 0;
  uint32_t exStyle = 0;
  WindowHandle parent = 0;
  void* userData = nullptr;
  bool invalid = false;
  bool visible = false;
  bool switchedMode = false; // full screen in a mode set by ChangeDisplayMode
  PixelFormat pixelFormat;
  bool hasPixelFormat = false;
  unsigned long x11Window = 0; // the X window under SDL's, when on X11
  bool lost = false;           // destroyed from outside
};

struct GlContextRecord {
  SDL_GLContext context = nullptr;
  WindowHandle window = 0;
};

bool sdlReady = false;
bool sdlTried = false;
std::map<std::string, ClassRecord> classes;
std::map<WindowHandle, std::unique_ptr<WindowRecord>> windows;
WindowHandle nextHandle = 0x1000;
std::deque<PlatformMessage> queue;
bool quitPending = false;
int quitCode = 0;
std::map<GlContextHandle, GlContextRecord> contexts;
GlContextHandle nextContext = 1;
WindowHandle currentGlWindow = 0;
int swapControlOverride = -1;
int lastSwapInterval = -1;
bool modifierAlt = false;
bool modifierCtrl = false;

volatile sig_atomic_t quitSignal = 0;
bool quitSignalSeen = false;
bool handlersInstalled = false;

WindowRecord* Find(WindowHandle h) {
  auto it = windows.find(h);
  return it == windows.end() ? nullptr : it->second.get();
}

WindowRecord* FindBySdlId(uint32_t id) {
  for (auto& [h, w] : windows)
    if (w->sdl && SDL_GetWindowID(w->sdl) == id)
      return w.get();
  return nullptr;
}

uint32_t Now() { return sdlReady ? SDL_GetTicks() : 0; }

void Post(WindowHandle w, unsigned msg, WParam wp, LParam lp) {
  PlatformMessage m;
  m.window = w;
  m.message = msg;
  m.wParam = wp;
  m.lParam = lp;
  m.time = Now();
  queue.push_back(m);
}

void OnQuitSignal(int) { quitSignal = 1; }

// Xlib's own error handler ends the process, which would leave the display
// mode and the gamma ramp switched. An X error about one of our windows means
// it was destroyed from outside: the window gets WM_DESTROY, as a destroyed
// window does, so the normal shutdown runs. Other errors are reported and
// passed over.
int OnXError(Display* display, XErrorEvent* error) {
  for (auto& [h, w] : windows) {
    if (w->x11Window && w->x11Window == error->resourceid) {
      if (!w->lost) {
        w->lost = true;
        fprintf(stderr, "nimbrel: window destroyed from outside\n");
        Post(h, WM_DESTROY, 0, 0);
      }
      return 0;
    }
  }
  char text[160] = {};
  XGetErrorText(display, error->error_code, text, sizeof text - 1);
  fprintf(stderr, "nimbrel: X error passed over: %s (request %d)\n", text, error->request_code);
  return 0;
}

void WatchX11Window(WindowRecord& rec) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(rec.sdl, &info) || info.subsystem != SDL_SYSWM_X11)
    return;
  rec.x11Window = info.info.x11.window;
  static bool installed = false;
  if (!installed) {
    XSetErrorHandler(OnXError);
    installed = true;
  }
}

// Windows virtual-key code of an SDL key.
unsigned VirtualKey(const SDL_Keysym& key) {
  SDL_Scancode sc = key.scancode;
  if (sc >= SDL_SCANCODE_A && sc <= SDL_SCANCODE_Z)
    return 'A' + (sc - SDL_SCANCODE_A);
  if (sc >= SDL_SCANCODE_1 && sc <= SDL_SCANCODE_9)
    return '1' + (sc - SDL_SCANCODE_1);
  if (sc == SDL_SCANCODE_0)
    return '0';
  if (sc >= SDL_SCANCODE_F1 && sc <= SDL_SCANCODE_F12)
    return VK_F1 + (sc - SDL_SCANCODE_F1);
  if (sc >= SDL_SCANCODE_F13 && sc <= SDL_SCANCODE_F24)
    return VK_F1 + 12 + (sc - SDL_SCANCODE_F13);
  if (sc >= SDL_SCANCODE_KP_1 && sc <= SDL_SCANCODE_KP_9)
    return VK_NUMPAD0 + 1 + (sc - SDL_SCANCODE_KP_1);
  switch (sc) {
  case SDL_SCANCODE_RETURN:
    return VK_RETURN;
  case SDL_SCANCODE_ESCAPE:
    return VK_ESCAPE;
  case SDL_SCANCODE_BACKSPACE:
    return VK_BACK;
  case SDL_SCANCODE_TAB:
    return VK_TAB;
  case SDL_SCANCODE_SPACE:
    return VK_SPACE;
  case SDL_SCANCODE_MINUS:
    return VK_OEM_MINUS;
  case SDL_SCANCODE_EQUALS:
    return VK_OEM_PLUS;
  case SDL_SCANCODE_LEFTBRACKET:
    return VK_OEM_4;
  case SDL_SCANCODE_RIGHTBRACKET:
    return VK_OEM_6;
  case SDL_SCANCODE_BACKSLASH:
    return VK_OEM_5;
  case SDL_SCANCODE_NONUSHASH:
    return VK_OEM_5;
  case SDL_SCANCODE_SEMICOLON:
    return VK_OEM_1;
  case SDL_SCANCODE_APOSTROPHE:
    return VK_OEM_7;
  case SDL_SCANCODE_GRAVE:
    return VK_OEM_3;
  case SDL_SCANCODE_COMMA:
    return VK_OEM_COMMA;
  case SDL_SCANCODE_PERIOD:
    return VK_OEM_PERIOD;
  case SDL_SCANCODE_SLASH:
    return VK_OEM_2;
  case SDL_SCANCODE_CAPSLOCK:
    return VK_CAPITAL;
  case SDL_SCANCODE_PRINTSCREEN:
    return VK_SNAPSHOT;
  case SDL_SCANCODE_SCROLLLOCK:
    return VK_SCROLL;
  case SDL_SCANCODE_PAUSE:
    return VK_PAUSE;
  case SDL_SCANCODE_INSERT:
    return VK_INSERT;
  case SDL_SCANCODE_HOME:
    return VK_HOME;
  case SDL_SCANCODE_PAGEUP:
    return VK_PRIOR;
  case SDL_SCANCODE_DELETE:
    return VK_DELETE;
  case SDL_SCANCODE_END:
    return VK_END;
  case SDL_SCANCODE_PAGEDOWN:
    return VK_NEXT;
  case SDL_SCANCODE_RIGHT:
    return VK_RIGHT;
  case SDL_SCANCODE_LEFT:
    return VK_LEFT;
  case SDL_SCANCODE_DOWN:
    return VK_DOWN;
  case SDL_SCANCODE_UP:
    return VK_UP;
  case SDL_SCANCODE_NUMLOCKCLEAR:
    return VK_NUMLOCK;
  case SDL_SCANCODE_KP_DIVIDE:
    return VK_DIVIDE;
  case SDL_SCANCODE_KP_MULTIPLY:
    return VK_MULTIPLY;
  case SDL_SCANCODE_KP_MINUS:
    return VK_SUBTRACT;
  case SDL_SCANCODE_KP_PLUS:
    return VK_ADD;
  case SDL_SCANCODE_KP_ENTER:
    return VK_RETURN;
  case SDL_SCANCODE_KP_0:
    return VK_NUMPAD0;
  case SDL_SCANCODE_KP_PERIOD:
    return VK_DECIMAL;
  case SDL_SCANCODE_NONUSBACKSLASH:
    return VK_OEM_102;
  case SDL_SCANCODE_APPLICATION:
    return VK_APPS;
  case SDL_SCANCODE_LCTRL:
  case SDL_SCANCODE_RCTRL:
    return VK_CONTROL;
  case SDL_SCANCODE_LSHIFT:
  case SDL_SCANCODE_RSHIFT:
    return VK_SHIFT;
  case SDL_SCANCODE_LALT:
  case SDL_SCANCODE_RALT:
    return VK_MENU;
  case SDL_SCANCODE_LGUI:
    return VK_LWIN;
  case SDL_SCANCODE_RGUI:
    return VK_RWIN;
  case SDL_SCANCODE_MUTE:
    return VK_VOLUME_MUTE;
  case SDL_SCANCODE_VOLUMEUP:
    return VK_VOLUME_UP;
  case SDL_SCANCODE_VOLUMEDOWN:
    return VK_VOLUME_DOWN;
  case SDL_SCANCODE_AUDIONEXT:
    return VK_MEDIA_NEXT_TRACK;
  case SDL_SCANCODE_AUDIOPREV:
    return VK_MEDIA_PREV_TRACK;
  case SDL_SCANCODE_AUDIOSTOP:
    return VK_MEDIA_STOP;
  case SDL_SCANCODE_AUDIOPLAY:
    return VK_MEDIA_PLAY_PAUSE;
  case SDL_SCANCODE_SLEEP:
    return VK_SLEEP;
  default:
    return 0xFF;
  }
}

unsigned MouseKeyFlags() {
  unsigned flags = 0;
  uint32_t buttons = sdlReady ? SDL_GetMouseState(nullptr, nullptr) : 0;
  if (buttons & SDL_BUTTON_LMASK)
    flags |= MK_LBUTTON;
  if (buttons & SDL_BUTTON_RMASK)
    flags |= MK_RBUTTON;
  if (buttons & SDL_BUTTON_MMASK)
    flags |= MK_MBUTTON;
  SDL_Keymod mod = sdlReady ? SDL_GetModState() : KMOD_NONE;
  if (mod & KMOD_SHIFT)
    flags |= MK_SHIFT;
  if (mod & KMOD_CTRL)
    flags |= MK_CONTROL;
  return flags;
}

// The window that keyboard input goes to: SDL's focus window, else the first.
WindowHandle KeyboardTarget(uint32_t windowId) {
  if (WindowRecord* w = FindBySdlId(windowId))
    return w->handle;
  if (sdlReady)
    if (SDL_Window* f = SDL_GetKeyboardFocus())
      if (WindowRecord* w = FindBySdlId(SDL_GetWindowID(f)))
        return w->handle;
  return windows.empty() ? 0 : windows.begin()->first;
}

void TranslateSdlEvent(const SDL_Event& e) {
  switch (e.type) {
  case SDL_KEYDOWN:
  case SDL_KEYUP: {
    bool down = e.type == SDL_KEYDOWN;
    unsigned vk = VirtualKey(e.key.keysym);
    SDL_Keymod mod = static_cast<SDL_Keymod>(e.key.keysym.mod);
    bool isAlt = vk == VK_MENU;
    if (isAlt)
      modifierAlt = down;
    if (vk == VK_CONTROL)
      modifierCtrl = down;
    bool altHeld = (mod & KMOD_ALT) != 0 || modifierAlt;
    bool ctrlHeld = (mod & KMOD_CTRL) != 0 || modifierCtrl;
    // Windows reports Alt, Alt combinations (without Ctrl) and F10 as system keys.
    bool system = vk == VK_F10 || isAlt || (altHeld && !ctrlHeld);
    if (isAlt && !down)
      system = !ctrlHeld;
    uint32_t lp = 1u | ((static_cast<uint32_t>(e.key.keysym.scancode) & 0xffu) << 16);
    if (altHeld && system)
      lp |= 1u << 29;
    if (!down || e.key.repeat)
      lp |= 1u << 30;
    if (!down)
      lp |= 1u << 31;
    unsigned msg = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    Post(KeyboardTarget(e.key.windowID), msg, vk, static_cast<LParam>(static_cast<int32_t>(lp)));
    break;
  }
  case SDL_MOUSEBUTTONDOWN:
  case SDL_MOUSEBUTTONUP: {
    WindowRecord* w = FindBySdlId(e.button.windowID);
    if (!w)
      break;
    bool down = e.type == SDL_MOUSEBUTTONDOWN;
    unsigned msg = 0;
    WParam extra = 0;
    switch (e.button.button) {
    case SDL_BUTTON_LEFT:
      msg = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
      break;
    case SDL_BUTTON_RIGHT:
      msg = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
      break;
    case SDL_BUTTON_MIDDLE:
      msg = down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
      break;
    case SDL_BUTTON_X1:
      msg = down ? WM_XBUTTONDOWN : WM_XBUTTONUP;
      extra = 1u << 16;
      break;
    case SDL_BUTTON_X2:
      msg = down ? WM_XBUTTONDOWN : WM_XBUTTONUP;
      extra = 2u << 16;
      break;
    default:
      return;
    }
    Post(w->handle, msg, MouseKeyFlags() | extra,
         MakeLParam(static_cast<unsigned>(e.button.x), static_cast<unsigned>(e.button.y)));
    break;
  }
  case SDL_MOUSEMOTION: {
    if (e.motion.which == SDL_TOUCH_MOUSEID)
      break;
    WindowRecord* w = FindBySdlId(e.motion.windowID);
    if (!w)
      break;
    Post(w->handle, WM_MOUSEMOVE, MouseKeyFlags(),
         MakeLParam(static_cast<unsigned>(e.motion.x), static_cast<unsigned>(e.motion.y)));
    break;
  }
  case SDL_MOUSEWHEEL: {
    WindowRecord* w = FindBySdlId(e.wheel.windowID);
    if (!w)
      break;
    int mx = 0, my = 0;
    SDL_GetGlobalMouseState(&mx, &my);
    int delta = e.wheel.y * 120;
    Post(w->handle, WM_MOUSEWHEEL, MouseKeyFlags() | (static_cast<WParam>(delta & 0xffff) << 16),
         MakeLParam(static_cast<unsigned>(mx), static_cast<unsigned>(my)));
    break;
  }
  case SDL_WINDOWEVENT: {
    WindowRecord* w = FindBySdlId(e.window.windowID);
    if (!w)
      break;
    switch (e.window.event) {
    case SDL_WINDOWEVENT_CLOSE:
      Post(w->handle, WM_CLOSE, 0, 0);
      break;
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_SHOWN:
      w->invalid = true;
      break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      Post(w->handle, WM_SETFOCUS, 0, 0);
      break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
      modifierAlt = modifierCtrl = false;
      Post(w->handle, WM_KILLFOCUS, 0, 0);
      break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      w->invalid = true;
      Post(
          w->handle, WM_SIZE, 0,
          MakeLParam(static_cast<unsigned>(e.window.data1), static_cast<unsigned>(e.window.data2)));
      break;
    default:
      break;
    }
    break;
  }
  default:
    break;
  }
}

void PumpSdlEvents() {
  if (quitSignal && !quitSignalSeen) {
    quitSignalSeen = true;
    PlatformPostQuitMessage(0);
  }
  if (!sdlReady)
    return;
  SDL_Event e;
  while (SDL_PollEvent(&e))
    TranslateSdlEvent(e);
}

void SetGlAttributes(const PixelFormat& pf) {
  int color = pf.colorBits >= 24 ? 8 : (pf.colorBits >= 15 ? 5 : 8);
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, color);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, color);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, color);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, pf.alphaBits);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, pf.depthBits);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, pf.stencilBits);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, (pf.flags & PFD_DOUBLEBUFFER) ? 1 : 0);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
}

// The format every OpenGL-capable window is created with: 32-bit colour, 24-bit depth,
// 8-bit stencil, double buffered.
PixelFormat DefaultPixelFormat() {
  PixelFormat pf;
  pf.flags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  pf.colorBits = 32;
  pf.depthBits = 24;
  pf.stencilBits = 8;
  return pf;
}

bool DriverHasSwapControl() {
  if (swapControlOverride >= 0)
    return swapControlOverride != 0;
  if (!sdlReady || !SDL_GL_GetCurrentContext())
    return false;
  int current = SDL_GL_GetSwapInterval();
  return SDL_GL_SetSwapInterval(current) == 0;
}

int SwapIntervalExt(int interval) {
  lastSwapInterval = interval;
  if (!sdlReady || !SDL_GL_GetCurrentContext())
    return 0;
  return SDL_GL_SetSwapInterval(interval) == 0 ? 1 : 0;
}

int GetSwapIntervalExt() {
  if (!sdlReady || !SDL_GL_GetCurrentContext())
    return lastSwapInterval < 0 ? 0 : lastSwapInterval;
  return SDL_GL_GetSwapInterval();
}

} // namespace

// ---- Internal seams -----------------------------------------------------------

SDL_Window* InternalSdlWindow(uintptr_t window) {
  WindowRecord* w = Find(window);
  return w ? w->sdl : nullptr;
}

uintptr_t InternalFirstWindow() {
  for (auto& [h, w] : windows)
    if (w->sdl)
      return h;
  return 0;
}

void InternalRestoreWindowsDisplayMode() {
  for (auto& [h, w] : windows) {
    if (w->switchedMode && w->sdl && !w->lost) {
      SDL_SetWindowFullscreen(w->sdl, SDL_WINDOW_FULLSCREEN_DESKTOP);
      w->switchedMode = false;
    }
  }
}

// ---- Start and stop ---------------------------------------------------------------

bool PlatformInit() {
  if (sdlReady)
    return true;
  if (sdlTried)
    return false;
  sdlTried = true;
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
    fprintf(stderr, "nimbrel: no display: %s\n", SDL_GetError());
    return false;
  }
  sdlReady = true;
  return true;
}

void PlatformShutdown() {
  for (auto& [h, c] : contexts)
    if (c.context)
      SDL_GL_DeleteContext(c.context);
  contexts.clear();
  currentGlWindow = 0;
  // SDL waits for the X server to confirm that a window it hides is unmapped,
  // which never comes for a window destroyed from outside: such windows are
  // left alone, and so is SDL's own teardown, which would hide them too (the
  // process ends right after).
  bool anyLost = false;
  for (auto& [h, w] : windows) {
    anyLost = anyLost || w->lost;
    if (w->sdl && !w->lost)
      SDL_DestroyWindow(w->sdl);
  }
  windows.clear();
  classes.clear();
  queue.clear();
  quitPending = false;
  if (sdlReady && !anyLost)
    SDL_Quit();
  sdlReady = false;
  sdlTried = false;
}

const char* PlatformVideoDriver() {
  if (!sdlReady)
    return "";
  const char* d = SDL_GetCurrentVideoDriver();
  return d ? d : "";
}

// ---- Classes and windows ------------------------------------------------------------

bool PlatformRegisterClass(const char* className, WindowProcedure procedure, uint32_t classStyle) {
  if (!className || !*className || classes.count(className))
    return false;
  classes[className] = ClassRecord{procedure, classStyle};
  return true;
}

bool PlatformUnregisterClass(const char* className) {
  if (!className)
    return false;
  return classes.erase(className) > 0;
}

WindowHandle PlatformCreateWindow(uint32_t exStyle, const char* className, const char* title,
                                  uint32_t style, int x, int y, int width, int height,
                                  WindowHandle parent, void* userData) {
  if (!className)
    return 0;
  auto cls = classes.find(className);
  if (cls == classes.end())
    return 0;
  WindowRecord* parentRecord = parent ? Find(parent) : nullptr;
  if ((style & WS_CHILD) && !parentRecord)
    return 0;
  if (!PlatformInit())
    return 0;

  auto rec = std::make_unique<WindowRecord>();
  rec->handle = nextHandle++;
  rec->className = className;
  rec->procedure = cls->second.procedure;
  rec->classStyle = cls->second.style;
  rec->style = style;
  rec->exStyle = exStyle;
  rec->parent = parent;
  rec->userData = userData;

  uint32_t flags = SDL_WINDOW_HIDDEN;
  if (rec->classStyle & CS_OWNDC) {
    flags |= SDL_WINDOW_OPENGL;
    rec->pixelFormat = DefaultPixelFormat();
    SetGlAttributes(rec->pixelFormat);
  }
  int ox = 0, oy = 0;
  InternalDesktopOrigin(&ox, &oy);
  int sx = x + ox, sy = y + oy;
  bool popup = (style & WS_POPUP) && !(style & WS_CHILD);
  DisplayMode switched;
  bool realDisplays = !InternalFakeDisplays();
  if (style & WS_CHILD) {
    int px = 0, py = 0;
    if (parentRecord->sdl)
      SDL_GetWindowPosition(parentRecord->sdl, &px, &py);
    sx = px + x;
    sy = py + y;
    flags |= SDL_WINDOW_BORDERLESS | SDL_WINDOW_SKIP_TASKBAR;
  } else if (popup) {
    flags |= SDL_WINDOW_BORDERLESS;
    if (exStyle & WS_EX_TOPMOST)
      flags |= SDL_WINDOW_ALWAYS_ON_TOP;
    if (realDisplays && DisplayModeSwitched(&switched) && x == 0 && y == 0 &&
        width == static_cast<int>(switched.width) && height == static_cast<int>(switched.height)) {
      SDL_DisplayMode desktop{};
      if (SDL_GetDesktopDisplayMode(0, &desktop) == 0 && desktop.w == width &&
          desktop.h == height) {
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
      } else {
        flags |= SDL_WINDOW_FULLSCREEN;
        rec->switchedMode = true;
      }
    } else if (realDisplays) {
      // A popup covering a whole display becomes a full-screen window on it.
      int n = SDL_GetNumVideoDisplays();
      for (int i = 0; i < n; ++i) {
        SDL_Rect b;
        if (SDL_GetDisplayBounds(i, &b) == 0 && b.x == sx && b.y == sy && b.w == width &&
            b.h == height) {
          flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
          break;
        }
      }
    }
  } else if (style & WS_CAPTION) {
    // a normal framed window
  } else {
    flags |= SDL_WINDOW_BORDERLESS;
  }
  if (width <= 0)
    width = 1;
  if (height <= 0)
    height = 1;
  rec->sdl = SDL_CreateWindow(title ? title : "", sx, sy, width, height, flags);
  if (!rec->sdl) {
    fprintf(stderr, "nimbrel: cannot create window: %s\n", SDL_GetError());
    return 0;
  }
  if (rec->switchedMode) {
    SDL_DisplayMode want{}, closest{};
    want.w = width;
    want.h = height;
    int display = SDL_GetWindowDisplayIndex(rec->sdl);
    if (SDL_GetClosestDisplayMode(display < 0 ? 0 : display, &want, &closest))
      SDL_SetWindowDisplayMode(rec->sdl, &closest);
  }
  WatchX11Window(*rec);
  WindowHandle h = rec->handle;
  windows[h] = std::move(rec);

  CreateParams cp{className, title, style, exStyle, x, y, width, height, parent, userData};
  WindowProcedure proc = windows[h]->procedure;
  LResult r = proc ? proc(h, WM_CREATE, 0, reinterpret_cast<LParam>(&cp)) : 0;
  if (r == -1) {
    PlatformDestroyWindow(h);
    return 0;
  }
  if (style & WS_VISIBLE)
    PlatformShowWindow(h, SW_SHOW);
  return h;
}

bool PlatformDestroyWindow(WindowHandle window) {
  WindowRecord* w = Find(window);
  if (!w)
    return false;
  if (w->procedure)
    w->procedure(window, WM_DESTROY, 0, 0);
  w = Find(window);
  if (!w)
    return true;
  for (auto it = contexts.begin(); it != contexts.end();) {
    if (it->second.window == window) {
      if (currentGlWindow == window) {
        SDL_GL_MakeCurrent(w->sdl, nullptr);
        currentGlWindow = 0;
      }
      SDL_GL_DeleteContext(it->second.context);
      it = contexts.erase(it);
    } else {
      ++it;
    }
  }
  if (w->sdl)
    SDL_DestroyWindow(w->sdl);
  windows.erase(window);
  for (auto it = queue.begin(); it != queue.end();)
    it = it->window == window ? queue.erase(it) : it + 1;
  return true;
}

bool PlatformIsWindow(WindowHandle window) { return Find(window) != nullptr; }

bool PlatformShowWindow(WindowHandle window, int command) {
  WindowRecord* w = Find(window);
  if (!w)
    return false;
  bool was = w->visible;
  switch (command) {
  case SW_HIDE:
    SDL_HideWindow(w->sdl);
    w->visible = false;
    break;
  case SW_SHOWMINIMIZED:
  case SW_MINIMIZE:
    SDL_ShowWindow(w->sdl);
    SDL_MinimizeWindow(w->sdl);
    w->visible = true;
    break;
  case SW_SHOWMAXIMIZED:
    SDL_ShowWindow(w->sdl);
    SDL_MaximizeWindow(w->sdl);
    w->visible = true;
    w->invalid = true;
    break;
  default:
    SDL_ShowWindow(w->sdl);
    w->visible = true;
    w->invalid = true;
    break;
  }
  return was;
}

bool PlatformMinimizeWindow(WindowHandle window) {
  WindowRecord* w = Find(window);
  if (!w || w->lost)
    return false;
  SDL_MinimizeWindow(w->sdl);
  return true;
}

void PlatformSetFocus(WindowHandle window) {
  WindowRecord* w = Find(window);
  if (!w || !w->sdl)
    return;
  SDL_RaiseWindow(w->sdl);
  SDL_SetWindowInputFocus(w->sdl);
}

bool PlatformGetClientSize(WindowHandle window, int* width, int* height) {
  WindowRecord* w = Find(window);
  if (!w)
    return false;
  int cw = 0, ch = 0;
  SDL_GetWindowSize(w->sdl, &cw, &ch);
  if (width)
    *width = cw;
  if (height)
    *height = ch;
  return true;
}

bool PlatformClientToScreen(WindowHandle window, int* x, int* y) {
  WindowRecord* w = Find(window);
  if (!w)
    return false;
  int wx = 0, wy = 0, ox = 0, oy = 0;
  SDL_GetWindowPosition(w->sdl, &wx, &wy);
  InternalDesktopOrigin(&ox, &oy);
  if (x)
    *x += wx - ox;
  if (y)
    *y += wy - oy;
  return true;
}

WindowProcedure PlatformWindowProcedure(WindowHandle window) {
  WindowRecord* w = Find(window);
  return w ? w->procedure : nullptr;
}

const char* PlatformWindowClass(WindowHandle window) {
  WindowRecord* w = Find(window);
  return w ? w->className.c_str() : nullptr;
}

void* PlatformWindowUserData(WindowHandle window) {
  WindowRecord* w = Find(window);
  return w ? w->userData : nullptr;
}

void* PlatformSdlWindow(WindowHandle window) { return InternalSdlWindow(window); }

int PlatformListWindows(WindowHandle* list, int max) {
  int n = 0;
  for (auto& [h, w] : windows) {
    if (n < max && list)
      list[n] = h;
    ++n;
  }
  return n;
}

void PlatformInvalidateWindow(WindowHandle window) {
  if (WindowRecord* w = Find(window))
    w->invalid = true;
}

void PlatformValidateWindow(WindowHandle window) {
  if (WindowRecord* w = Find(window))
    w->invalid = false;
}

// ---- Messages ---------------------------------------------------------------------

LResult PlatformSendMessage(WindowHandle window, unsigned message, WParam wParam, LParam lParam) {
  WindowRecord* w = Find(window);
  if (!w || !w->procedure)
    return 0;
  return w->procedure(window, message, wParam, lParam);
}

bool PlatformPostMessage(WindowHandle window, unsigned message, WParam wParam, LParam lParam) {
  if (window && !Find(window))
    return false;
  if (message == WM_QUIT) {
    quitPending = true;
    quitCode = static_cast<int>(wParam);
    return true;
  }
  Post(window, message, wParam, lParam);
  return true;
}

void PlatformPostQuitMessage(int exitCode) {
  quitPending = true;
  quitCode = exitCode;
}

bool PlatformPeekMessage(PlatformMessage* message, bool remove) {
  PumpSdlEvents();
  if (!queue.empty()) {
    if (message)
      *message = queue.front();
    if (remove)
      queue.pop_front();
    return true;
  }
  if (quitPending) {
    if (message) {
      *message = PlatformMessage{};
      message->message = WM_QUIT;
      message->wParam = static_cast<WParam>(quitCode);
      message->time = Now();
    }
    if (remove)
      quitPending = false;
    return true;
  }
  for (auto& [h, w] : windows) {
    if (w->invalid && w->visible) {
      if (message) {
        *message = PlatformMessage{};
        message->window = h;
        message->message = WM_PAINT;
        message->time = Now();
      }
      return true;
    }
  }
  return false;
}

bool PlatformGetMessage(PlatformMessage* message) {
  PlatformMessage m;
  while (!PlatformPeekMessage(&m, true)) {
    if (sdlReady)
      SDL_WaitEventTimeout(nullptr, 50);
    else
      SDL_Delay(10);
  }
  if (message)
    *message = m;
  return m.message != WM_QUIT;
}

bool PlatformTranslateMessage(const PlatformMessage& m) {
  if (m.message != WM_KEYDOWN && m.message != WM_SYSKEYDOWN)
    return false;
  unsigned vk = static_cast<unsigned>(m.wParam);
  bool shift = sdlReady && (SDL_GetModState() & KMOD_SHIFT);
  int ch = 0;
  if (vk >= 'A' && vk <= 'Z')
    ch = shift ? static_cast<int>(vk) : static_cast<int>(vk) + 32;
  else if (vk >= '0' && vk <= '9')
    ch = static_cast<int>(vk);
  else if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9)
    ch = '0' + static_cast<int>(vk - VK_NUMPAD0);
  else if (vk == VK_SPACE || vk == VK_RETURN || vk == VK_ESCAPE || vk == VK_BACK || vk == VK_TAB)
    ch = static_cast<int>(vk);
  if (!ch)
    return false;
  Post(m.window, m.message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR, static_cast<WParam>(ch), m.lParam);
  return true;
}

LResult PlatformDispatchMessage(const PlatformMessage& m) {
  if (!m.window)
    return 0;
  return PlatformSendMessage(m.window, m.message, m.wParam, m.lParam);
}

LResult PlatformDefWindowProc(WindowHandle window, unsigned message, WParam wParam, LParam lParam) {
  switch (message) {
  case WM_CLOSE:
    PlatformDestroyWindow(window);
    return 0;
  case WM_PAINT:
    PlatformValidateWindow(window);
    return 0;
  case WM_SYSKEYDOWN:
    if (wParam == VK_F4 && (static_cast<uint32_t>(lParam) & (1u << 29)))
      PlatformSendMessage(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    return 0;
  case WM_SYSKEYUP:
    if (wParam == VK_F10 || wParam == VK_MENU)
      PlatformSendMessage(window, WM_SYSCOMMAND, SC_KEYMENU, 0);
    return 0;
  case WM_SYSCOMMAND:
    if ((wParam & 0xFFF0) == SC_CLOSE)
      PlatformSendMessage(window, WM_CLOSE, 0, 0);
    return 0;
  default:
    return 0;
  }
}

void PlatformClearMessageQueue() {
  if (sdlReady) {
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
    }
  }
  queue.clear();
  quitPending = false;
}

int PlatformPendingMessages() { return static_cast<int>(queue.size()); }

void InstallQuitSignalHandlers() {
  if (handlersInstalled)
    return;
  handlersInstalled = true;
  struct sigaction sa {};
  sa.sa_handler = OnQuitSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGHUP, &sa, nullptr);
}

bool QuitSignalReceived() { return quitSignal != 0; }

// ---- OpenGL -----------------------------------------------------------------------

int PlatformChoosePixelFormat(WindowHandle window, const PixelFormat& wanted) {
  WindowRecord* w = Find(window);
  if (!w || !(w->classStyle & CS_OWNDC) || !(wanted.flags & PFD_SUPPORT_OPENGL))
    return 0;
  return 1;
}

bool PlatformDescribePixelFormat(WindowHandle window, int format, PixelFormat* description) {
  WindowRecord* w = Find(window);
  if (!w || !(w->classStyle & CS_OWNDC) || format != 1)
    return false;
  if (description)
    *description = DefaultPixelFormat();
  return true;
}

bool PlatformSetPixelFormat(WindowHandle window, int format, const PixelFormat& description) {
  WindowRecord* w = Find(window);
  if (!w || !(w->classStyle & CS_OWNDC) || format != 1 || w->hasPixelFormat)
    return false;
  // The window was made with the default format; the context follows this one.
  w->pixelFormat = description;
  if (w->pixelFormat.colorBits == 0)
    w->pixelFormat.colorBits = 32;
  w->hasPixelFormat = true;
  SetGlAttributes(w->pixelFormat);
  return true;
}

GlContextHandle PlatformCreateGlContext(WindowHandle window) {
  WindowRecord* w = Find(window);
  if (!w || !w->sdl || !(w->classStyle & CS_OWNDC))
    return 0;
  SetGlAttributes(w->pixelFormat);
  SDL_GLContext c = SDL_GL_CreateContext(w->sdl);
  if (!c) {
    fprintf(stderr, "nimbrel: cannot create an OpenGL context: %s\n", SDL_GetError());
    return 0;
  }
  // SDL leaves the new context current (WGL would not); callers make it current anyway.
  GlContextHandle h = nextContext++;
  contexts[h] = GlContextRecord{c, window};
  currentGlWindow = window;
  return h;
}

bool PlatformMakeCurrent(WindowHandle window, GlContextHandle context) {
  if (!sdlReady)
    return false;
  if (!window || !context) {
    WindowRecord* w = Find(currentGlWindow);
    SDL_GL_MakeCurrent(w ? w->sdl : nullptr, nullptr);
    currentGlWindow = 0;
    return true;
  }
  WindowRecord* w = Find(window);
  auto c = contexts.find(context);
  if (!w || c == contexts.end())
    return false;
  if (SDL_GL_MakeCurrent(w->sdl, c->second.context) != 0)
    return false;
  currentGlWindow = window;
  return true;
}

bool PlatformDeleteGlContext(GlContextHandle context) {
  auto c = contexts.find(context);
  if (c == contexts.end())
    return false;
  if (SDL_GL_GetCurrentContext() == c->second.context) {
    WindowRecord* w = Find(c->second.window);
    SDL_GL_MakeCurrent(w ? w->sdl : nullptr, nullptr);
    currentGlWindow = 0;
  }
  SDL_GL_DeleteContext(c->second.context);
  contexts.erase(c);
  return true;
}

WindowHandle PlatformCurrentGlWindow() { return currentGlWindow; }

bool PlatformSwapBuffers(WindowHandle window) {
  WindowRecord* w = Find(window);
  if (!w || !w->sdl || !(w->classStyle & CS_OWNDC))
    return false;
  SDL_GL_SwapWindow(w->sdl);
  return true;
}

void* PlatformGetProcAddress(const char* name) {
  if (!name)
    return nullptr;
  if (strcmp(name, "wglSwapIntervalEXT") == 0)
    return DriverHasSwapControl() ? reinterpret_cast<void*>(&SwapIntervalExt) : nullptr;
  if (strcmp(name, "wglGetSwapIntervalEXT") == 0)
    return DriverHasSwapControl() ? reinterpret_cast<void*>(&GetSwapIntervalExt) : nullptr;
  if (!sdlReady)
    return nullptr;
  return SDL_GL_GetProcAddress(name);
}

void SetSwapControlOverride(int available) { swapControlOverride = available; }

int LastSwapInterval() { return lastSwapInterval; }
