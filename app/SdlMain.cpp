// The real program: the game on the SDL2 window, or with `--controls` the screen that maps a
// controller's buttons. The options (app/CommandLine.h) are read before any window: a bad one ends
// the program with 2 and one line (a box too on Windows, where nobody sees a console).
#include <cstdio>

#include "app/CommandLine.h"
#include "app/ControlsMain.h"
#include "app/Main.h"
#include "platform/BoothChannel.h"
#include "platform/sdl/SdlSystem.h"
#ifdef _WIN32
#include "platform/win/CrashDialogs.h"
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
  // Under the booth's supervisor a crash ends the game at once, so that it is started again.
  if (plat::BoothChannel::Get().Supervised()) plat::win::TurnOffCrashDialogs();
#endif
  const CommandLine line = ParseCommandLine(argc, argv);
  if (line.action == CommandLine::Help) {
    std::fputs(GameHelp(), stdout);
    plat::ReportHelp(GameHelp());
    plat::BoothChannel::Get().SayEnd(0, "help");
    return 0;
  }
  if (line.action == CommandLine::Bad) {
    plat::ReportStartFailure(line.problem);
    plat::BoothChannel::Get().SayEnd(kBadCommandLine, "bad option");
    return kBadCommandLine;
  }
  plat::SdlSystem system(
      line.mode == PictureMode::Window ? plat::ScreenMode::Window : plat::ScreenMode::FullScreen,
      line.scale == PictureScale::Whole ? plat::ScaleMode::Whole : plat::ScaleMode::Fill);
  // Booth mode: ESC, and Q on the attract screen, act only once held down for two seconds, for a
  // booth where visitors may press any key.
  if (line.booth) system.SetHoldToAct(plat::kBoothHoldMs);
  system.soundOverride = line.sound;
  // An end the game chose: the booth's supervisor does not start it again.
  const int exitCode = line.action == CommandLine::MapControls ? kavrel::MapControls(system)
                                                               : kavrel::WinMain(system);
  plat::BoothChannel::Get().SayEnd(
      exitCode, line.action == CommandLine::MapControls ? "controls" : kavrel::EndCause());
  return exitCode;
}
