// Windows and the message queue: SDL input becomes Windows-style messages,
// sends are synchronous, posts keep their order, the quit request comes last.
#include "platform/Window.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <csignal>
#include <vector>

namespace {

std::vector<PlatformMessage> received;

LResult RecordingProc(WindowHandle w, unsigned msg, WParam wp, LParam lp) {
  PlatformMessage m;
  m.window = w;
  m.message = msg;
  m.wParam = wp;
  m.lParam = lp;
  received.push_back(m);
  return msg == WM_USER + 7 ? 42 : PlatformDefWindowProc(w, msg, wp, lp);
}

LResult RefusingProc(WindowHandle, unsigned msg, WParam, LParam) {
  return msg == WM_CREATE ? -1 : 0;
}

class WindowTest : public testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(PlatformInit());
    PlatformRegisterClass("TestWindow", RecordingProc);
    window =
        PlatformCreateWindow(0, "TestWindow", "test", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, 0);
    ASSERT_NE(window, 0u);
    PlatformClearMessageQueue();
    received.clear();
  }
  void TearDown() override {
    PlatformDestroyWindow(window);
    PlatformUnregisterClass("TestWindow");
    PlatformClearMessageQueue();
  }

  uint32_t SdlId() const {
    return SDL_GetWindowID(static_cast<SDL_Window*>(PlatformSdlWindow(window)));
  }
  // Pushes the SDL event and returns the messages other than WM_PAINT it became.
  std::vector<PlatformMessage> Translate(SDL_Event e) {
    SDL_PushEvent(&e);
    std::vector<PlatformMessage> out;
    PlatformMessage m;
    while (PlatformPeekMessage(&m, true)) {
      if (m.message == WM_PAINT) {
        PlatformValidateWindow(m.window);
        continue;
      }
      out.push_back(m);
    }
    return out;
  }
  SDL_Event Key(bool down, SDL_Scancode sc, uint16_t mod) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.windowID = SdlId();
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.scancode = sc;
    e.key.keysym.sym = SDL_GetKeyFromScancode(sc);
    e.key.keysym.mod = mod;
    return e;
  }

  WindowHandle window = 0;
};

TEST_F(WindowTest, KeysBecomeVirtualKeyMessages) {
  struct Case {
    SDL_Scancode scancode;
    uint16_t mod;
    unsigned downMessage;
    unsigned vk;
  } cases[] = {
      {SDL_SCANCODE_A, KMOD_NONE, WM_KEYDOWN, 'A'},
      {SDL_SCANCODE_0, KMOD_NONE, WM_KEYDOWN, '0'},
      {SDL_SCANCODE_ESCAPE, KMOD_NONE, WM_KEYDOWN, VK_ESCAPE},
      {SDL_SCANCODE_SPACE, KMOD_NONE, WM_KEYDOWN, VK_SPACE},
      {SDL_SCANCODE_F1, KMOD_NONE, WM_KEYDOWN, VK_F1},
      {SDL_SCANCODE_LEFT, KMOD_NONE, WM_KEYDOWN, VK_LEFT},
      {SDL_SCANCODE_KP_5, KMOD_NONE, WM_KEYDOWN, VK_NUMPAD0 + 5},
      {SDL_SCANCODE_LSHIFT, KMOD_LSHIFT, WM_KEYDOWN, VK_SHIFT},
      {SDL_SCANCODE_RCTRL, KMOD_RCTRL, WM_KEYDOWN, VK_CONTROL},
      // System keys: F10, Alt itself, Alt combinations without Ctrl.
      {SDL_SCANCODE_F10, KMOD_NONE, WM_SYSKEYDOWN, VK_F10},
      {SDL_SCANCODE_LALT, KMOD_LALT, WM_SYSKEYDOWN, VK_MENU},
      {SDL_SCANCODE_X, KMOD_LALT, WM_SYSKEYDOWN, 'X'},
      {SDL_SCANCODE_TAB, KMOD_RALT, WM_SYSKEYDOWN, VK_TAB},
      {SDL_SCANCODE_X, KMOD_LALT | KMOD_LCTRL, WM_KEYDOWN, 'X'},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(SDL_GetScancodeName(c.scancode));
    auto down = Translate(Key(true, c.scancode, c.mod));
    ASSERT_EQ(down.size(), 1u);
    EXPECT_EQ(down[0].window, window);
    EXPECT_EQ(down[0].message, c.downMessage);
    EXPECT_EQ(down[0].wParam, c.vk);
    auto up = Translate(Key(false, c.scancode, c.mod));
    ASSERT_EQ(up.size(), 1u);
    EXPECT_EQ(up[0].message, c.downMessage == WM_SYSKEYDOWN ? WM_SYSKEYUP : WM_KEYUP);
    EXPECT_EQ(up[0].wParam, c.vk);
  }
}

TEST_F(WindowTest, MouseAndCloseEventsBecomeMessages) {
  struct Case {
    uint8_t button;
    unsigned down, up;
  } cases[] = {{SDL_BUTTON_LEFT, WM_LBUTTONDOWN, WM_LBUTTONUP},
               {SDL_BUTTON_RIGHT, WM_RBUTTONDOWN, WM_RBUTTONUP},
               {SDL_BUTTON_MIDDLE, WM_MBUTTONDOWN, WM_MBUTTONUP}};
  for (const Case& c : cases) {
    SDL_Event e{};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.windowID = SdlId();
    e.button.button = c.button;
    e.button.x = 17;
    e.button.y = 33;
    auto m = Translate(e);
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].message, c.down);
    EXPECT_EQ(LowWord(static_cast<uintptr_t>(m[0].lParam)), 17u);
    EXPECT_EQ(HighWord(static_cast<uintptr_t>(m[0].lParam)), 33u);
    e.type = SDL_MOUSEBUTTONUP;
    m = Translate(e);
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].message, c.up);
  }
  SDL_Event move{};
  move.type = SDL_MOUSEMOTION;
  move.motion.windowID = SdlId();
  move.motion.x = 150;
  move.motion.y = 60;
  auto m = Translate(move);
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].message, WM_MOUSEMOVE);
  EXPECT_EQ(m[0].lParam, MakeLParam(150, 60));

  SDL_Event close{};
  close.type = SDL_WINDOWEVENT;
  close.window.windowID = SdlId();
  close.window.event = SDL_WINDOWEVENT_CLOSE;
  m = Translate(close);
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].message, WM_CLOSE);
  EXPECT_EQ(m[0].window, window);
}

TEST_F(WindowTest, SendIsSynchronousPostsKeepOrderQuitComesLast) {
  EXPECT_EQ(PlatformSendMessage(window, WM_USER + 7, 1, 2), 42);
  ASSERT_EQ(received.size(), 1u);
  received.clear();

  PlatformPostMessage(window, WM_USER + 1, 0, 0);
  PlatformPostQuitMessage(3);
  PlatformPostMessage(window, WM_USER + 2, 0, 0);
  EXPECT_TRUE(received.empty()); // nothing runs until dispatched
  EXPECT_FALSE(PlatformPostMessage(0xdead, WM_USER, 0, 0));

  std::vector<unsigned> order;
  PlatformMessage m;
  while (PlatformGetMessage(&m)) {
    if (m.message == WM_PAINT) {
      PlatformDispatchMessage(m); // the default procedure validates
      continue;
    }
    order.push_back(m.message);
    PlatformDispatchMessage(m);
  }
  EXPECT_EQ(m.message, WM_QUIT);
  EXPECT_EQ(m.wParam, 3u);
  EXPECT_EQ(order, (std::vector<unsigned>{WM_USER + 1, WM_USER + 2}));
  while (PlatformPeekMessage(&m, true)) { // the quit request was taken once
    EXPECT_NE(m.message, WM_QUIT);
    PlatformValidateWindow(m.window);
  }
}

TEST_F(WindowTest, DefaultProcedureClosesOnAltF4AndClose) {
  // Alt+F4 arrives as a system key; the default procedure turns it into
  // SC_CLOSE and then WM_CLOSE, which destroys the window.
  PlatformDefWindowProc(window, WM_SYSKEYDOWN, VK_F4, static_cast<LParam>(1u << 29));
  bool sawSysCommand = false, sawClose = false, sawDestroy = false;
  for (auto& r : received) {
    sawSysCommand |= r.message == WM_SYSCOMMAND && r.wParam == SC_CLOSE;
    sawClose |= r.message == WM_CLOSE;
    sawDestroy |= r.message == WM_DESTROY;
  }
  EXPECT_TRUE(sawSysCommand);
  EXPECT_TRUE(sawClose);
  EXPECT_TRUE(sawDestroy);
  EXPECT_FALSE(PlatformIsWindow(window));
}

TEST_F(WindowTest, CreationFailsForUnknownClassRefusalOrMissingParent) {
  EXPECT_EQ(PlatformCreateWindow(0, "NoSuchClass", "x", WS_POPUP, 0, 0, 10, 10, 0), 0u);
  PlatformRegisterClass("Refusing", RefusingProc);
  EXPECT_EQ(PlatformCreateWindow(0, "Refusing", "x", WS_POPUP, 0, 0, 10, 10, 0), 0u);
  PlatformUnregisterClass("Refusing");
  EXPECT_EQ(PlatformCreateWindow(0, "TestWindow", "x", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, 0), 0u);
  EXPECT_EQ(PlatformCreateWindow(0, "TestWindow", "x", WS_CHILD, 0, 0, 10, 10, 123456), 0u);
  WindowHandle child =
      PlatformCreateWindow(0, "TestWindow", "x", WS_CHILD | WS_VISIBLE, 5, 5, 10, 10, window);
  EXPECT_NE(child, 0u);
  PlatformDestroyWindow(child);
  // A class name can be registered once.
  EXPECT_FALSE(PlatformRegisterClass("TestWindow", RecordingProc));
}

TEST_F(WindowTest, ClientSizeAndScreenCoordinates) {
  int w = 0, h = 0;
  ASSERT_TRUE(PlatformGetClientSize(window, &w, &h));
  EXPECT_EQ(w, 200);
  EXPECT_EQ(h, 100);
  int x = 10, y = 20;
  ASSERT_TRUE(PlatformClientToScreen(window, &x, &y));
  EXPECT_EQ(x, 10); // the window sits at the desktop origin
  EXPECT_EQ(y, 20);
}

TEST_F(WindowTest, SwapControlEntryPointsFollowTheDriver) {
  SetSwapControlOverride(0);
  EXPECT_EQ(PlatformGetProcAddress("wglGetSwapIntervalEXT"), nullptr);
  EXPECT_EQ(PlatformGetProcAddress("wglSwapIntervalEXT"), nullptr);
  SetSwapControlOverride(1);
  auto set = reinterpret_cast<int (*)(int)>(PlatformGetProcAddress("wglSwapIntervalEXT"));
  ASSERT_NE(set, nullptr);
  EXPECT_NE(PlatformGetProcAddress("wglGetSwapIntervalEXT"), nullptr);
  set(1);
  EXPECT_EQ(LastSwapInterval(), 1);
  SetSwapControlOverride(-1);
}

TEST_F(WindowTest, QuitSignalPostsAQuitMessage) {
  InstallQuitSignalHandlers();
  raise(SIGTERM);
  EXPECT_TRUE(QuitSignalReceived());
  PlatformMessage m;
  bool quit = false;
  while (PlatformPeekMessage(&m, true))
    if (m.message == WM_QUIT)
      quit = true;
    else if (m.message == WM_PAINT)
      PlatformValidateWindow(m.window);
  EXPECT_TRUE(quit);
}

} // namespace
