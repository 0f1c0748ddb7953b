// The real program: the game on the SDL2 window. `--window` shows it in a window instead of full
// screen; every other argument is ignored, as the game has no settings of its own.
#include <string_view>

#include "app/Main.h"
#include "platform/sdl/SdlSystem.h"

int main(int argc, char** argv) {
  plat::ScreenMode mode = plat::ScreenMode::FullScreen;
  for (int i = 1; i < argc; ++i)
    if (std::string_view(argv[i]) == "--window") mode = plat::ScreenMode::Window;
  plat::SdlSystem system(mode);
  return kavrel::WinMain(system);
}
