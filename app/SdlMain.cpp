// The real program: the game on the SDL2 window. `--window` shows it in a window instead of full
// screen; `--scale fill` (the default) or `--scale whole` says how the picture grows on a larger
// screen, so that a Windows shortcut can carry the choice. A bad `--scale` ends the program with
// 2 before any window. `--booth` makes ESC, and Q on the attract screen, act only once held down
// for two seconds, for a booth where visitors may press any key. Every other argument is ignored.
#include <optional>
#include <string>
#include <string_view>

#include "app/Main.h"
#include "platform/Language.h"
#include "platform/sdl/SdlSystem.h"

namespace {

std::optional<plat::ScaleMode> ScaleModeNamed(std::string_view name) {
  if (name == "fill") return plat::ScaleMode::Fill;
  if (name == "whole") return plat::ScaleMode::Whole;
  return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
  plat::ScreenMode mode = plat::ScreenMode::FullScreen;
  plat::ScaleMode scale = plat::ScaleMode::Fill;
  bool booth = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--window") {
      mode = plat::ScreenMode::Window;
    } else if (arg == "--booth") {
      booth = true;
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
        return 2;
      }
      scale = *named;
    }
  }
  plat::SdlSystem system(mode, scale);
  if (booth) system.SetHoldToAct(plat::kBoothHoldMs);
  return kavrel::WinMain(system);
}
