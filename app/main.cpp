// The real program: the game on the SDL2 window.
#include "app/Main.h"

#include "platform/sdl/SdlSystem.h"

int main() {
  plat::SdlSystem system;
  return WinMain(system);
}
