// The real program: the game on the SDL2 window. `--window` shows it in a window instead of full
// screen; `--scale fill` (the default) or `--scale whole` says how the picture grows on a larger
// screen, so that a Windows shortcut can carry the choice. A bad `--scale` ends the program with
// 2 before any window; every other argument is ignored, as the game has no other settings.
#include <optional>
#include <string>
#include <string_view>

#include "app/Main.h"
#include "platform/BoothChannel.h"
#include "platform/Language.h"
#include "platform/sdl/SdlSystem.h"
#ifdef _WIN32
#include "platform/win/CrashDialogs.h"
#endif

namespace {

std::optional<plat::ScaleMode> ScaleModeNamed(std::string_view name) {
  if (name == "fill") return plat::ScaleMode::Fill;
  if (name == "whole") return plat::ScaleMode::Whole;
  return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
  // Under the booth's supervisor a crash ends the game at once, so that it is started again.
  if (plat::BoothChannel::Get().Supervised()) plat::win::TurnOffCrashDialogs();
#endif
  plat::ScreenMode mode = plat::ScreenMode::FullScreen;
  plat::ScaleMode scale = plat::ScaleMode::Fill;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--window") {
      mode = plat::ScreenMode::Window;
    } else if (arg == "--scale" || arg.starts_with("--scale=")) {
      const std::string_view value = arg == "--scale"
                                         ? (i + 1 < argc ? argv[++i] : "")
                                         : arg.substr(std::string_view("--scale=").size());
      const std::optional<plat::ScaleMode> named = ScaleModeNamed(value);
      if (!named) {
        std::string text =
            plat::Say({"--scale には fill か whole を指定します", "--scale takes fill or whole"});
        if (!value.empty())
          text +=
              plat::Say({"（指定: ", " (given: "}) + std::string(value) + plat::Say({"）", ")"});
        plat::ReportStartFailure(text);
        plat::BoothChannel::Get().SayEnd(2);
        return 2;
      }
      scale = *named;
    }
  }
  plat::SdlSystem system(mode, scale);
  // An end the game chose: the booth's supervisor does not start it again.
  const int exitCode = kavrel::WinMain(system);
  plat::BoothChannel::Get().SayEnd(exitCode);
  return exitCode;
}
