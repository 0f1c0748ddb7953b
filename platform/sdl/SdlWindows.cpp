#ifdef _WIN32
#include "platform/sdl/SdlWindows.h"

#include <SDL.h>
#include <SDL_syswm.h>

namespace plat {

void* NativeWindowHandle(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_WINDOWS)
    return nullptr;
  return info.info.win.window;
}

}  // namespace plat
#endif
