#include "platform/sdl/FocusHolder.h"

#if defined(_WIN32)
#include <windows.h>

#include "platform/win/WinHost.h"
#else
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#endif

namespace plat {

#if defined(_WIN32)

std::string FocusHolderName() {
  const HWND window = GetForegroundWindow();
  if (!window) return {};
  wchar_t title[256] = {};
  if (GetWindowTextW(window, title, 256) > 0) return win::Utf8(title);
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return win::Utf8(name);
}

#else

namespace {

std::string TextOf(Display* display, Window window, Atom atom) {
  XTextProperty property{};
  if (!XGetTextProperty(display, window, &property, atom) || !property.value) return {};
  std::string text(reinterpret_cast<const char*>(property.value), property.nitems);
  XFree(property.value);
  return text;
}

}  // namespace

// Through a connection of its own: the game's belongs to SDL.
std::string FocusHolderName() {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return {};
  // The window may go while it is looked at.
  const XErrorHandler previous = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  const Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
  Window window = 0;
  int revert = 0;
  XGetInputFocus(display, &window, &revert);
  std::string name;
  // The focus may be on a part of the window: its title is on the top-level window above it.
  while (window > PointerRoot && window != DefaultRootWindow(display) && name.empty()) {
    name = TextOf(display, window, netName);
    if (name.empty()) name = TextOf(display, window, XA_WM_NAME);
    if (name.empty()) {
      XClassHint hint{};
      if (XGetClassHint(display, window, &hint)) {
        if (hint.res_class) name = hint.res_class;
        XFree(hint.res_name);
        XFree(hint.res_class);
      }
    }
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count)) break;
    if (children) XFree(children);
    window = parent;
  }
  XSetErrorHandler(previous);
  XCloseDisplay(display);
  return name;
}

#endif

}  // namespace plat
