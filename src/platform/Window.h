// Windows, window classes, one thread message queue and the OpenGL context:
// our stand-in for RegisterClassExA, CreateWindowExA, SendMessageA,
// PostMessageA, PeekMessageA, GetMessageA, TranslateMessage, DispatchMessageA,
// PostQuitMessage, DefWindowProcA, ShowWindow, CloseWindow, SetFocus,
// GetClientRect, ClientToScreen, the pixel-format calls and WGL, built on SDL2.
//
// Message numbers, styles and virtual-key codes are the numbers Windows gives
// them, so the saver's window procedures read as they would on Windows. SDL
// events become queued messages: keys as WM_KEYDOWN/WM_KEYUP with virtual-key
// codes (Alt combinations and F10 as WM_SYSKEYDOWN/WM_SYSKEYUP), buttons as
// WM_LBUTTONDOWN/WM_RBUTTONDOWN/WM_MBUTTONDOWN (and the ...UP messages),
// motion as WM_MOUSEMOVE with client coordinates, closing a window as WM_CLOSE.
// SIGTERM, SIGINT and SIGHUP post a quit message (InstallQuitSignalHandlers).
#pragma once
#include <cstdint>

// ---- Handles and message parameters ----------------------------------------

// A window: 0 is none; our windows are small numbers handed out in order.
using WindowHandle = uintptr_t;
using WParam = uintptr_t;
using LParam = intptr_t;
using LResult = intptr_t;
using WindowProcedure = LResult (*)(WindowHandle window, unsigned message, WParam wParam,
                                    LParam lParam);

struct PlatformMessage {
  WindowHandle window = 0;
  unsigned message = 0;
  WParam wParam = 0;
  LParam lParam = 0;
  uint32_t time = 0; // milliseconds since the platform started
};

constexpr LParam MakeLParam(unsigned low, unsigned high) {
  return static_cast<LParam>(static_cast<uint32_t>((low & 0xffffu) | ((high & 0xffffu) << 16)));
}
constexpr unsigned LowWord(uintptr_t v) { return static_cast<unsigned>(v & 0xffffu); }
constexpr unsigned HighWord(uintptr_t v) { return static_cast<unsigned>((v >> 16) & 0xffffu); }

// ---- Window messages (Windows numbering) ------------------------------------
constexpr unsigned WM_NULL = 0x0000;
constexpr unsigned WM_CREATE = 0x0001;
constexpr unsigned WM_DESTROY = 0x0002;
constexpr unsigned WM_MOVE = 0x0003;
constexpr unsigned WM_SIZE = 0x0005;
constexpr unsigned WM_ACTIVATE = 0x0006;
constexpr unsigned WM_SETFOCUS = 0x0007;
constexpr unsigned WM_KILLFOCUS = 0x0008;
constexpr unsigned WM_PAINT = 0x000F;
constexpr unsigned WM_CLOSE = 0x0010;
constexpr unsigned WM_QUIT = 0x0012;
constexpr unsigned WM_ERASEBKGND = 0x0014;
constexpr unsigned WM_SHOWWINDOW = 0x0018;
constexpr unsigned WM_KEYDOWN = 0x0100;
constexpr unsigned WM_KEYUP = 0x0101;
constexpr unsigned WM_CHAR = 0x0102;
constexpr unsigned WM_SYSKEYDOWN = 0x0104;
constexpr unsigned WM_SYSKEYUP = 0x0105;
constexpr unsigned WM_SYSCHAR = 0x0106;
constexpr unsigned WM_INITDIALOG = 0x0110;
constexpr unsigned WM_COMMAND = 0x0111;
constexpr unsigned WM_SYSCOMMAND = 0x0112;
constexpr unsigned WM_TIMER = 0x0113;
constexpr unsigned WM_HSCROLL = 0x0114;
constexpr unsigned WM_VSCROLL = 0x0115;
constexpr unsigned WM_MOUSEMOVE = 0x0200;
constexpr unsigned WM_LBUTTONDOWN = 0x0201;
constexpr unsigned WM_LBUTTONUP = 0x0202;
constexpr unsigned WM_RBUTTONDOWN = 0x0204;
constexpr unsigned WM_RBUTTONUP = 0x0205;
constexpr unsigned WM_MBUTTONDOWN = 0x0207;
constexpr unsigned WM_MBUTTONUP = 0x0208;
constexpr unsigned WM_MOUSEWHEEL = 0x020A;
constexpr unsigned WM_XBUTTONDOWN = 0x020B;
constexpr unsigned WM_XBUTTONUP = 0x020C;
constexpr unsigned WM_USER = 0x0400;

// The loaders' progress report to the rendering window.
constexpr unsigned LoadProgressMessage = WM_USER + 2; // 1026

// WM_SYSCOMMAND codes (wParam & 0xFFF0).
constexpr unsigned SC_CLOSE = 0xF060;
constexpr unsigned SC_KEYMENU = 0xF100;
constexpr unsigned SC_SCREENSAVE = 0xF140;
constexpr unsigned SC_MONITORPOWER = 0xF170;

// Mouse-message wParam flags.
constexpr unsigned MK_LBUTTON = 0x0001;
constexpr unsigned MK_RBUTTON = 0x0002;
constexpr unsigned MK_SHIFT = 0x0004;
constexpr unsigned MK_CONTROL = 0x0008;
constexpr unsigned MK_MBUTTON = 0x0010;

// ---- Virtual-key codes (Windows numbering) ----------------------------------
// Letters and digits are their upper-case ASCII codes ('A' = 0x41, '0' = 0x30).
constexpr unsigned VK_LBUTTON = 0x01;
constexpr unsigned VK_RBUTTON = 0x02;
constexpr unsigned VK_CANCEL = 0x03;
constexpr unsigned VK_MBUTTON = 0x04;
constexpr unsigned VK_BACK = 0x08;
constexpr unsigned VK_TAB = 0x09;
constexpr unsigned VK_CLEAR = 0x0C;
constexpr unsigned VK_RETURN = 0x0D;
constexpr unsigned VK_SHIFT = 0x10;
constexpr unsigned VK_CONTROL = 0x11;
constexpr unsigned VK_MENU = 0x12; // Alt
constexpr unsigned VK_PAUSE = 0x13;
constexpr unsigned VK_CAPITAL = 0x14;
constexpr unsigned VK_ESCAPE = 0x1B;
constexpr unsigned VK_SPACE = 0x20;
constexpr unsigned VK_PRIOR = 0x21;
constexpr unsigned VK_NEXT = 0x22;
constexpr unsigned VK_END = 0x23;
constexpr unsigned VK_HOME = 0x24;
constexpr unsigned VK_LEFT = 0x25;
constexpr unsigned VK_UP = 0x26;
constexpr unsigned VK_RIGHT = 0x27;
constexpr unsigned VK_DOWN = 0x28;
constexpr unsigned VK_SELECT = 0x29;
constexpr unsigned VK_PRINT = 0x2A;
constexpr unsigned VK_EXECUTE = 0x2B;
constexpr unsigned VK_SNAPSHOT = 0x2C;
constexpr unsigned VK_INSERT = 0x2D;
constexpr unsigned VK_DELETE = 0x2E;
constexpr unsigned VK_HELP = 0x2F;
constexpr unsigned VK_LWIN = 0x5B;
constexpr unsigned VK_RWIN = 0x5C;
constexpr unsigned VK_APPS = 0x5D;
constexpr unsigned VK_SLEEP = 0x5F;
constexpr unsigned VK_NUMPAD0 = 0x60; // to VK_NUMPAD9 = 0x69
constexpr unsigned VK_MULTIPLY = 0x6A;
constexpr unsigned VK_ADD = 0x6B;
constexpr unsigned VK_SEPARATOR = 0x6C;
constexpr unsigned VK_SUBTRACT = 0x6D;
constexpr unsigned VK_DECIMAL = 0x6E;
constexpr unsigned VK_DIVIDE = 0x6F;
constexpr unsigned VK_F1 = 0x70; // to VK_F24 = 0x87
constexpr unsigned VK_F4 = 0x73;
constexpr unsigned VK_F10 = 0x79;
constexpr unsigned VK_F12 = 0x7B;
constexpr unsigned VK_F24 = 0x87;
constexpr unsigned VK_NUMLOCK = 0x90;
constexpr unsigned VK_SCROLL = 0x91;
constexpr unsigned VK_LSHIFT = 0xA0;
constexpr unsigned VK_RSHIFT = 0xA1;
constexpr unsigned VK_LCONTROL = 0xA2;
constexpr unsigned VK_RCONTROL = 0xA3;
constexpr unsigned VK_LMENU = 0xA4;
constexpr unsigned VK_RMENU = 0xA5;
constexpr unsigned VK_VOLUME_MUTE = 0xAD;
constexpr unsigned VK_VOLUME_DOWN = 0xAE;
constexpr unsigned VK_VOLUME_UP = 0xAF;
constexpr unsigned VK_MEDIA_NEXT_TRACK = 0xB0;
constexpr unsigned VK_MEDIA_PREV_TRACK = 0xB1;
constexpr unsigned VK_MEDIA_STOP = 0xB2;
constexpr unsigned VK_MEDIA_PLAY_PAUSE = 0xB3;
constexpr unsigned VK_OEM_1 = 0xBA;      // ;:
constexpr unsigned VK_OEM_PLUS = 0xBB;   // =+
constexpr unsigned VK_OEM_COMMA = 0xBC;  // ,<
constexpr unsigned VK_OEM_MINUS = 0xBD;  // -_
constexpr unsigned VK_OEM_PERIOD = 0xBE; // .>
constexpr unsigned VK_OEM_2 = 0xBF;      // /?
constexpr unsigned VK_OEM_3 = 0xC0;      // `~
constexpr unsigned VK_OEM_4 = 0xDB;      // [{
constexpr unsigned VK_OEM_5 = 0xDC;      // \|
constexpr unsigned VK_OEM_6 = 0xDD;      // ]}
constexpr unsigned VK_OEM_7 = 0xDE;      // '"
constexpr unsigned VK_OEM_102 = 0xE2;    // <> on 102-key keyboards

// ---- Class and window styles ------------------------------------------------
constexpr uint32_t CS_VREDRAW = 0x0001;
constexpr uint32_t CS_HREDRAW = 0x0002;
constexpr uint32_t CS_OWNDC = 0x0020; // our windows of such a class can hold an OpenGL context

constexpr uint32_t WS_POPUP = 0x80000000u;
constexpr uint32_t WS_CHILD = 0x40000000u;
constexpr uint32_t WS_VISIBLE = 0x10000000u;
constexpr uint32_t WS_CLIPSIBLINGS = 0x04000000u;
constexpr uint32_t WS_CLIPCHILDREN = 0x02000000u;
constexpr uint32_t WS_CAPTION = 0x00C00000u;
constexpr uint32_t WS_SYSMENU = 0x00080000u;
constexpr uint32_t WS_EX_TOPMOST = 0x00000008u;
constexpr uint32_t WS_EX_APPWINDOW = 0x00040000u;

// ShowWindow commands.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_SHOWDEFAULT = 10;

// WM_CREATE's lParam points to one of these.
struct CreateParams {
  const char* className;
  const char* title;
  uint32_t style;
  uint32_t exStyle;
  int x, y, width, height;
  WindowHandle parent;
  void* userData;
};

// ---- Platform start and stop --------------------------------------------------

// Starts SDL's video and event subsystems (idempotent). False when no video
// driver can be had; windows cannot be created then.
bool PlatformInit();
// Destroys every window left and stops SDL (idempotent).
void PlatformShutdown();
// Name of the SDL video driver in use ("x11", "offscreen", ...), or "" before
// PlatformInit succeeded.
const char* PlatformVideoDriver();

// ---- Window classes and windows ---------------------------------------------

// RegisterClassExA: false when the name is taken or empty.
bool PlatformRegisterClass(const char* className, WindowProcedure procedure,
                           uint32_t classStyle = 0);
bool PlatformUnregisterClass(const char* className);

// CreateWindowExA. Sends WM_CREATE (lParam: CreateParams*) to the class's
// procedure before returning; a WM_CREATE result of -1 destroys the window and
// fails. Returns 0 on failure (unknown class, no video, a parent that is not
// one of our windows when WS_CHILD is given, SDL refusing the window).
// A popup window at the origin of a display whose mode was switched by
// ChangeDisplayMode, sized like that mode, becomes a full-screen window in it.
WindowHandle PlatformCreateWindow(uint32_t exStyle, const char* className, const char* title,
                                  uint32_t style, int x, int y, int width, int height,
                                  WindowHandle parent, void* userData = nullptr);
// DestroyWindow: sends WM_DESTROY, then the window is gone.
bool PlatformDestroyWindow(WindowHandle window);
bool PlatformIsWindow(WindowHandle window);
bool PlatformShowWindow(WindowHandle window, int command);
// CloseWindow: minimises the window (does not destroy it).
bool PlatformMinimizeWindow(WindowHandle window);
void PlatformSetFocus(WindowHandle window);
// GetClientRect's width and height.
bool PlatformGetClientSize(WindowHandle window, int* width, int* height);
// ClientToScreen.
bool PlatformClientToScreen(WindowHandle window, int* x, int* y);
// The procedure, class name, user data and SDL_Window* (as void*) of a window.
WindowProcedure PlatformWindowProcedure(WindowHandle window);
const char* PlatformWindowClass(WindowHandle window);
void* PlatformWindowUserData(WindowHandle window);
void* PlatformSdlWindow(WindowHandle window);
// Every window still existing, in creation order (up to max); returns the count.
int PlatformListWindows(WindowHandle* windows, int max);

// WM_PAINT bookkeeping: a window is invalid after it is shown or exposed, and
// the queue delivers WM_PAINT to it when nothing else waits; ValidateWindow
// (EndPaint) clears that.
void PlatformInvalidateWindow(WindowHandle window);
void PlatformValidateWindow(WindowHandle window);

// ---- The message queue ------------------------------------------------------

// SendMessageA: calls the window's procedure at once and returns its result
// (0 for an unknown window).
LResult PlatformSendMessage(WindowHandle window, unsigned message, WParam wParam, LParam lParam);
// PostMessageA: appends to the queue; false for an unknown window (window 0
// is a thread message and always accepted).
bool PlatformPostMessage(WindowHandle window, unsigned message, WParam wParam, LParam lParam);
// PostQuitMessage: the queue answers WM_QUIT (wParam = code) once everything
// posted before it has been taken.
void PlatformPostQuitMessage(int exitCode);
// PeekMessageA with PM_REMOVE (remove = true) or PM_NOREMOVE, for any window
// of the thread: first turns waiting SDL events into messages. False when
// nothing waits.
bool PlatformPeekMessage(PlatformMessage* message, bool remove = true);
// GetMessageA: waits for a message; false when it is WM_QUIT.
bool PlatformGetMessage(PlatformMessage* message);
// TranslateMessage: WM_KEYDOWN/WM_SYSKEYDOWN of a character key post a
// WM_CHAR/WM_SYSCHAR; returns whether it did.
bool PlatformTranslateMessage(const PlatformMessage& message);
// DispatchMessageA: calls the procedure of message.window (nothing for 0).
LResult PlatformDispatchMessage(const PlatformMessage& message);
// DefWindowProcA: WM_CLOSE destroys the window; WM_SYSKEYDOWN of Alt+F4 sends
// WM_SYSCOMMAND SC_CLOSE and F10/Alt send SC_KEYMENU; WM_SYSCOMMAND SC_CLOSE
// sends WM_CLOSE; everything else returns 0.
LResult PlatformDefWindowProc(WindowHandle window, unsigned message, WParam wParam, LParam lParam);
// Drops every waiting message and the quit request (tests).
void PlatformClearMessageQueue();
// Number of posted messages waiting (not counting the quit request).
int PlatformPendingMessages();

// SIGTERM, SIGINT and SIGHUP post a quit message (code 0) at the next look at
// the queue, so the normal shutdown runs. Idempotent.
void InstallQuitSignalHandlers();
// Whether such a signal has arrived since the handlers were installed.
bool QuitSignalReceived();

// ---- OpenGL -----------------------------------------------------------------

// PIXELFORMATDESCRIPTOR, trimmed to what the saver asks for.
constexpr uint32_t PFD_DOUBLEBUFFER = 0x00000001;
constexpr uint32_t PFD_DRAW_TO_WINDOW = 0x00000004;
constexpr uint32_t PFD_SUPPORT_OPENGL = 0x00000020;
constexpr uint8_t PFD_TYPE_RGBA = 0;
constexpr uint8_t PFD_MAIN_PLANE = 0;
struct PixelFormat {
  uint16_t size = 40;
  uint16_t version = 1;
  uint32_t flags = 0;
  uint8_t pixelType = PFD_TYPE_RGBA;
  uint8_t colorBits = 0;
  uint8_t alphaBits = 0;
  uint8_t depthBits = 0;
  uint8_t stencilBits = 0;
  uint8_t layerType = PFD_MAIN_PLANE;
};

// ChoosePixelFormat: the number (1 or more) of the closest format, 0 when the
// window cannot hold OpenGL. DescribePixelFormat: that format's description.
// SetPixelFormat: makes it the window's format (the context made next uses
// it: colour, depth and stencil sizes, double buffering).
int PlatformChoosePixelFormat(WindowHandle window, const PixelFormat& wanted);
bool PlatformDescribePixelFormat(WindowHandle window, int format, PixelFormat* description);
bool PlatformSetPixelFormat(WindowHandle window, int format, const PixelFormat& description);

// An OpenGL rendering context (compatibility profile): 0 is none.
using GlContextHandle = uintptr_t;
GlContextHandle PlatformCreateGlContext(WindowHandle window);
// window 0 / context 0: make no context current.
bool PlatformMakeCurrent(WindowHandle window, GlContextHandle context);
bool PlatformDeleteGlContext(GlContextHandle context);
// The window whose context is current (0 if none).
WindowHandle PlatformCurrentGlWindow();
// SwapBuffers.
bool PlatformSwapBuffers(WindowHandle window);
// wglGetProcAddress: answers "wglSwapIntervalEXT" (int (*)(int)) and
// "wglGetSwapIntervalEXT" (int (*)()) with our swap-control functions when the
// driver has swap control, nullptr otherwise; other names go to the GL loader.
void* PlatformGetProcAddress(const char* name);
// Test hook: 1 = swap control exists, 0 = it does not, -1 = ask the driver.
void SetSwapControlOverride(int available);
// The last interval set through "wglSwapIntervalEXT" (-1: never set).
int LastSwapInterval();
