#include "platform/sdl/Box.h"

#include <SDL.h>

#include <algorithm>

#if !defined(_WIN32)
#include <X11/Xlib.h>
#include <locale.h>

#include <clocale>

#include "platform/BoxLines.h"
#endif

namespace plat {

#if defined(_WIN32)

// Windows breaks a box's lines itself, and draws any text.
int ShowBox(uint32_t flags, const std::string& caption, const std::string& text,
            SDL_Window* owner) {
  return SDL_ShowSimpleMessageBox(flags, caption.c_str(), text.c_str(), owner);
}

#else

namespace {

// The font SDL's X box draws with.
constexpr const char* kBoxFont = "-*-*-medium-r-normal--*-120-*-*-*-*-*-*";
// What the box adds to its text's width: its margins and the window manager's frame.
constexpr int kBoxFrame = 100;

// While a box is up, the locale the environment names, or C.UTF-8 (built into the C library)
// where that one is not installed: without a locale X can use, the box draws no text at all.
// SDL asks for the environment's locale itself and keeps the current one when it is missing.
class BoxLocale {
 public:
  BoxLocale() {
    const char* now = std::setlocale(LC_ALL, nullptr);
    saved_ = now ? now : "C";
    locale_t named = newlocale(LC_ALL_MASK, "", nullptr);
    if (named) {
      freelocale(named);
      std::setlocale(LC_ALL, "");
    }
    if (!named || !XSupportsLocale()) std::setlocale(LC_ALL, "C.UTF-8");
  }
  ~BoxLocale() { std::setlocale(LC_ALL, saved_.c_str()); }
  BoxLocale(const BoxLocale&) = delete;
  BoxLocale& operator=(const BoxLocale&) = delete;

 private:
  std::string saved_;
};

// `text` in lines that fit the screen, at the box's font.
std::string BoxText(const std::string& text) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return text;
  char** missing = nullptr;
  int missingCount = 0;
  char* fallback = nullptr;
  XFontSet font = XCreateFontSet(display, kBoxFont, &missing, &missingCount, &fallback);
  if (missing) XFreeStringList(missing);
  std::string lines = text;
  // Without the font SDL hands the box to zenity, which breaks its lines itself.
  if (font) {
    const int screen = DisplayWidth(display, DefaultScreen(display));
    const int limit = std::min(kWidestBox, screen) - kBoxFrame;
    lines = BreakIntoLines(text, limit, [&](std::string_view piece) {
      XRectangle ink{}, logical{};
      Xutf8TextExtents(font, piece.data(), static_cast<int>(piece.size()), &ink, &logical);
      return static_cast<int>(logical.width);
    });
    XFreeFontSet(display, font);
  }
  XCloseDisplay(display);
  return lines;
}

}  // namespace

int ShowBox(uint32_t flags, const std::string& caption, const std::string& text,
            SDL_Window* owner) {
  const BoxLocale locale;
  return SDL_ShowSimpleMessageBox(flags, caption.c_str(), BoxText(text).c_str(), owner);
}

#endif

}  // namespace plat
