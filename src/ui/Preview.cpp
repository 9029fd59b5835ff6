#include "ui/Preview.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <poll.h>

#include <algorithm>
#include <cstdlib>

#include "platform/System.h"
#include "platform/Window.h"
#include "shell/SaverApp.h"
#include "ui/Pictures.h"

namespace ui {
namespace {

// X errors (a parent number that names no window, a parent destroyed while we
// draw) are counted, never fatal.
int g_xErrors = 0;
int CountXError(Display*, XErrorEvent*) {
  ++g_xErrors;
  return 0;
}

int MaskShift(unsigned long mask) {
  int shift = 0;
  while (mask && !(mask & 1)) {
    mask >>= 1;
    ++shift;
  }
  return shift;
}

int MaskBits(unsigned long mask) {
  int bits = 0;
  for (; mask; mask >>= 1)
    bits += (int)(mask & 1);
  return bits;
}

unsigned long Channel(uint8_t value, unsigned long mask) {
  int bits = MaskBits(mask);
  if (bits == 0)
    return 0;
  unsigned long v = bits >= 8 ? (unsigned long)value << (bits - 8) : value >> (8 - bits);
  return (v << MaskShift(mask)) & mask;
}

// The picture in the window's pixel format; null when the visual has no
// direct colour (the window then stays black).
XImage* MakeImage(Display* display, Visual* visual, int depth, const Picture& picture) {
  if (!visual || (visual->c_class != TrueColor && visual->c_class != DirectColor))
    return nullptr;
  XImage* image = XCreateImage(display, visual, (unsigned)depth, ZPixmap, 0, nullptr,
                               (unsigned)picture.width, (unsigned)picture.height, 32, 0);
  if (!image)
    return nullptr;
  image->data = (char*)calloc((size_t)image->bytes_per_line, (size_t)picture.height);
  if (!image->data) {
    XDestroyImage(image);
    return nullptr;
  }
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x) {
      const uint8_t* px = &picture.rgb[((size_t)y * picture.width + x) * 3];
      XPutPixel(image, x, y,
                Channel(px[0], visual->red_mask) | Channel(px[1], visual->green_mask) |
                    Channel(px[2], visual->blue_mask));
    }
  return image;
}

void Fail() { ShowMessageBox(0, "Cannot creat window!", "ERROR", MB_OK); }

} // namespace

void RunPreviewWindow(unsigned long parent) {
  Display* display = parent ? XOpenDisplay(nullptr) : nullptr;
  if (!display) {
    Fail();
    return;
  }
  XErrorHandler previous = XSetErrorHandler(CountXError);
  g_xErrors = 0;

  // The parent's client area gives the window's size; a child window without
  // a menu needs no adjustment of it.
  XWindowAttributes parentAttributes;
  Window window = 0;
  if (XGetWindowAttributes(display, (Window)parent, &parentAttributes) && g_xErrors == 0) {
    XSetWindowAttributes attributes;
    attributes.background_pixel = BlackPixel(display, DefaultScreen(display));
    attributes.border_pixel = attributes.background_pixel;
    attributes.event_mask = ExposureMask | StructureNotifyMask;
    window = XCreateWindow(
        display, (Window)parent, 0, 0, (unsigned)std::max(1, parentAttributes.width),
        (unsigned)std::max(1, parentAttributes.height), 0, CopyFromParent, InputOutput,
        CopyFromParent, CWBackPixel | CWBorderPixel | CWEventMask, &attributes);
    XSync(display, False);
    if (g_xErrors != 0)
      window = 0;
  }
  if (!window) {
    XSetErrorHandler(previous);
    XCloseDisplay(display);
    Fail();
    return;
  }
  XStoreName(display, window, "QZ3DQZ");
  XClassHint classHint;
  char className[] = "QZQZPreview";
  classHint.res_name = className;
  classHint.res_class = className;
  XSetClassHint(display, window, &classHint);
  Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(display, window, &deleteWindow, 1);

  XImage* image =
      MakeImage(display, parentAttributes.visual, parentAttributes.depth, PreviewPicture());
  GC gc = XCreateGC(display, window, 0, nullptr);
  XMapWindow(display, window);
  XFlush(display);

  for (bool running = true; running;) {
    // A quit signal (the host stopping its preview) ends the loop too.
    if (!XPending(display)) {
      if (QuitSignalReceived())
        break;
      pollfd fd = {ConnectionNumber(display), POLLIN, 0};
      poll(&fd, 1, 200);
      continue;
    }
    XEvent event;
    XNextEvent(display, &event);
    switch (event.type) {
    case Expose:
      // The whole picture at the top left at its own size; the black
      // background shows around it.
      if (event.xexpose.window == window && event.xexpose.count == 0 && image)
        XPutImage(display, window, gc, image, 0, 0, 0, 0, (unsigned)image->width,
                  (unsigned)image->height);
      break;
    case DestroyNotify:
      if (event.xdestroywindow.window == window) {
        window = 0;
        running = false;
      }
      break;
    case ClientMessage:
      if (event.xclient.window == window && (Atom)event.xclient.data.l[0] == deleteWindow)
        running = false;
      break;
    default:
      break;
    }
  }

  if (image)
    XDestroyImage(image);
  XFreeGC(display, gc);
  if (window)
    XDestroyWindow(display, window);
  XSync(display, False);
  XSetErrorHandler(previous);
  XCloseDisplay(display);
}

} // namespace ui

void RunPreview(SaverApp& app) { ui::RunPreviewWindow((unsigned long)app.parentWindow); }
