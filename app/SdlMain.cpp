// The real program: the game on the SDL2 window, or with `--controls` the screen that maps a
// controller's buttons. The options (app/CommandLine.h) are read before any window: a bad one ends
// the program with 2 and one line (a box too on Windows, where nobody sees a console).
#include <cstdio>

#include "app/CommandLine.h"
#include "app/ControlsMain.h"
#include "app/Main.h"
#include "platform/sdl/SdlSystem.h"

int main(int argc, char** argv) {
  const CommandLine line = ParseCommandLine(argc, argv);
  if (line.action == CommandLine::Help) {
    std::fputs(GameHelp(), stdout);
    plat::ReportHelp(GameHelp());
    return 0;
  }
  if (line.action == CommandLine::Bad) {
    plat::ReportStartFailure(line.problem);
    return kBadCommandLine;
  }
  plat::SdlSystem system(
      line.mode == PictureMode::Window ? plat::ScreenMode::Window : plat::ScreenMode::FullScreen,
      line.scale == PictureScale::Whole ? plat::ScaleMode::Whole : plat::ScaleMode::Fill);
  if (line.action == CommandLine::MapControls) return kavrel::MapControls(system);
  return kavrel::WinMain(system);
}
