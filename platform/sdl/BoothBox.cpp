#include "platform/sdl/BoothBox.h"

#include <SDL.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

#include "platform/sdl/Box.h"

#if defined(_WIN32)
#include <windows.h>

#include "platform/win/WinHost.h"
#else
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <vector>
#endif

namespace plat {

#if defined(_WIN32)

namespace {

struct Search {
  DWORD process;
  const std::wstring* title;
  HWND found;
};

BOOL CALLBACK FindBox(HWND window, LPARAM param) {
  Search& search = *reinterpret_cast<Search*>(param);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != search.process || !IsWindowVisible(window)) return TRUE;
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  if (std::wstring(name) != L"#32770") return TRUE;
  wchar_t title[256] = {};
  GetWindowTextW(window, title, 256);
  if (*search.title != title) return TRUE;
  search.found = window;
  return FALSE;
}

// Asks this process's box titled `caption` to close, as its close button does. True when one was
// found.
bool AskToClose(const std::string& caption) {
  const std::wstring title = win::Wide(caption);
  Search search{GetCurrentProcessId(), &title, nullptr};
  EnumWindows(&FindBox, reinterpret_cast<LPARAM>(&search));
  if (search.found) PostMessageW(search.found, WM_CLOSE, 0, 0);
  return search.found != nullptr;
}

}  // namespace

#else

namespace {

// The text property `atom` of `window`, or "".
std::string TextProperty(Display* display, Window window, Atom atom) {
  XTextProperty property{};
  if (!XGetTextProperty(display, window, &property, atom) || !property.value) return {};
  std::string text(reinterpret_cast<const char*>(property.value), property.nitems);
  XFree(property.value);
  return text;
}

// Windows titled `title` (the box's title is UTF-8 only, in _NET_WM_NAME), under `parent`.
void FindTitled(Display* display, Window parent, Atom netName, const std::string& title,
                std::vector<Window>& found) {
  Window root = 0, up = 0, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display, parent, &root, &up, &children, &count)) return;
  for (unsigned i = 0; i < count; ++i) {
    if (TextProperty(display, children[i], netName) == title ||
        TextProperty(display, children[i], XA_WM_NAME) == title)
      found.push_back(children[i]);
    FindTitled(display, children[i], netName, title, found);
  }
  if (children) XFree(children);
}

// Asks every window titled `title` to close, as a window manager's close button does, through a
// connection of its own (the game's belongs to SDL and the thread showing the box). True when
// one was found.
bool AskToClose(const std::string& title) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return false;
  const Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
  const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
  const Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
  // A window may go while it is looked at: its error is no reason to end the game.
  const XErrorHandler previous = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  std::vector<Window> found;
  FindTitled(display, DefaultRootWindow(display), netName, title, found);
  for (Window window : found) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = protocols;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(deleteWindow);
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
  }
  XSync(display, False);
  XSetErrorHandler(previous);
  XCloseDisplay(display);
  return !found.empty();
}

}  // namespace

#endif

// The box runs its own loop in this thread; a second thread asks it to close when time is up,
// and again every half second until it has gone.
bool ShowBoxAnsweringItself(const std::string& caption, const std::string& text, SDL_Window* owner,
                            unsigned ms) {
  std::mutex mutex;
  std::condition_variable changed;
  bool answered = false;
  bool closedByTimer = false;
  std::thread timer([&] {
    std::unique_lock<std::mutex> lock(mutex);
    auto next = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!changed.wait_until(lock, next, [&] { return answered; })) {
      lock.unlock();
      const bool asked = AskToClose(caption);
      lock.lock();
      closedByTimer = closedByTimer || asked;
      next = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
    }
  });
  const int shown = ShowBox(SDL_MESSAGEBOX_INFORMATION, caption, text, owner);
  {
    const std::lock_guard<std::mutex> lock(mutex);
    answered = true;
  }
  changed.notify_one();
  timer.join();
  if (shown != 0) {
    std::fprintf(stderr, "%s: %s (%s)\n", caption.c_str(), text.c_str(), SDL_GetError());
    return false;
  }
  return closedByTimer;
}

}  // namespace plat
