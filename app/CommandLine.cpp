#include "app/CommandLine.h"

#include <string_view>
#include <utility>

#include "platform/Language.h"

namespace {

constexpr plat::Bilingual kHelp = {
    "使い方: kavrel [--window] [--scale fill|whole] [--booth] [--sound on|off]\n"
    "               [--controls]\n"
    "文化祭の出し物のゲームを、画面いっぱいに始めます。\n"
    "\n"
    "  --window          ウィンドウの中で遊びます\n"
    "  --scale fill      絵を画面いっぱいの 4:3 に拡大します（指定しないときはこれ）\n"
    "  --scale whole     絵を整数倍だけで拡大します\n"
    "  --booth           Q、F2 と ESC は 2 秒押し続けたときだけ効きます。最初の\n"
    "                    メッセージは 30 秒たつと自動で閉じます\n"
    "  --sound off       今回は音を出しません（音の出口も開きません）\n"
    "  --sound on        今回は、kv_settings.txt で切ってあっても音を出します\n"
    "  --controls        ゲームの代わりに、コントローラーのボタンを割り当てる画面を\n"
    "                    開きます。割り当ては kv_controls.txt に保存します\n"
    "  --help            この説明を表示して終わります\n",
    "Usage: kavrel [--window] [--scale fill|whole] [--booth] [--sound on|off]\n"
    "              [--controls]\n"
    "Starts the festival booth game, full screen.\n"
    "\n"
    "  --window        play in a window\n"
    "  --scale fill    enlarge the picture to the largest 4:3 area (the default)\n"
    "  --scale whole   enlarge by whole steps only\n"
    "  --booth         Q, F2 and ESC act only when held for 2 seconds; the first\n"
    "                  box starts the game by itself after 30 seconds\n"
    "  --sound off     no sound for this run (no sound device is opened)\n"
    "  --sound on      sound for this run, even where kv_settings.txt turns it off\n"
    "  --controls      instead of the game, open the screen that maps a controller's\n"
    "                  buttons to the game's keys; the mapping is saved in\n"
    "                  kv_controls.txt\n"
    "  --help          show this help and exit\n",
};

CommandLine Bad(std::string problem) {
  CommandLine bad;
  bad.action = CommandLine::Bad;
  bad.problem = std::move(problem);
  return bad;
}

}  // namespace

const char* GameHelp() {
  return plat::Say(kHelp);
}

CommandLine ParseCommandLine(int argc, const char* const* argv) {
  CommandLine line;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help") {
      line.action = CommandLine::Help;
      return line;
    } else if (arg == "--window") {
      line.mode = PictureMode::Window;
    } else if (arg == "--booth") {
      line.booth = true;
    } else if (arg == "--controls") {
      line.action = CommandLine::MapControls;
    } else if (arg == "--sound" || arg.starts_with("--sound=")) {
      const std::string_view value = arg == "--sound"
                                         ? (i + 1 < argc ? argv[++i] : "")
                                         : arg.substr(std::string_view("--sound=").size());
      if (value != "on" && value != "off") {
        std::string text =
            plat::Say({"--sound には on か off を指定します", "--sound takes on or off"});
        if (!value.empty())
          text +=
              plat::Say({"（指定: ", " (given: "}) + std::string(value) + plat::Say({"）", ")"});
        return Bad(text);
      }
      line.sound = value == "on";
    } else if (arg == "--scale" || arg.starts_with("--scale=")) {
      const std::string_view value = arg == "--scale"
                                         ? (i + 1 < argc ? argv[++i] : "")
                                         : arg.substr(std::string_view("--scale=").size());
      if (value == "fill") {
        line.scale = PictureScale::Fill;
      } else if (value == "whole") {
        line.scale = PictureScale::Whole;
      } else {
        std::string text =
            plat::Say({"--scale には fill か whole を指定します", "--scale takes fill or whole"});
        if (!value.empty())
          text +=
              plat::Say({"（指定: ", " (given: "}) + std::string(value) + plat::Say({"）", ")"});
        return Bad(text);
      }
    } else {
      return Bad(plat::Say({"知らないオプションです: ", "unknown option '"}) + std::string(arg) +
                 plat::Say({"（使い方は kavrel --help）", "' (try --help)"}));
    }
  }
  return line;
}
