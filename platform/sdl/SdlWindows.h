// The Windows handle behind an SDL window (Windows builds only). <SDL_syswm.h> brings in
// <windows.h>, so it stays in SdlWindows.cpp, away from the game's names.
#pragma once

struct SDL_Window;

namespace plat {

// The HWND of `window`, or null.
void* NativeWindowHandle(SDL_Window* window);

}  // namespace plat
