// kavrel: the installed command. Prepares the data directory the game runs in (the directory
// holds its sprite sheet and its two data files), checks that there is an X display, and hands
// over to the game program. Finds the program and the sheet beside itself first, so that an
// installed tree still works after it has been moved, and at the paths it was built for second.
#include <SDL.h>
#include <X11/Xlib.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "packaging/Autostart.h"
#include "packaging/GameProcess.h"
#include "packaging/OperatorText.h"
#include "packaging/Supervision.h"
#include "platform/Language.h"
#include "platform/sdl/Box.h"
#include "store/BoothLog.h"
#include "store/Reasons.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kSheetName = "kavrel.bmp";

// Both help texts keep to 80 columns; a Japanese character takes two.
constexpr plat::Bilingual kHelp = {
    "使い方: kavrel [--window] [--scale fill|whole] [--controls] [--booth]\n"
    "               [--sound on|off] [--data-dir フォルダ]\n"
    "文化祭の出し物のゲームを、画面いっぱいに始めます。\n"
    "\n"
    "  --window          ウィンドウの中で遊びます（640 x 480 を、画面に収まる\n"
    "                    いちばん大きな整数倍に拡大。大きさは変えられます）\n"
    "  --scale fill      絵を、画面の高さ（縦長の画面では幅）いっぱいの 4:3 に\n"
    "                    拡大します（指定しないときはこれ）。ドットはくっきり\n"
    "                    保ち、境目の 1 ドットだけを混ぜます\n"
    "  --scale whole     絵を 2 倍、3 倍などの整数倍だけで拡大し、どのドットも\n"
    "                    同じ大きさの正方形にします。画面が 1280 x 960 より\n"
    "                    小さいと 640 x 480 のままです。遠くからも見える大きな\n"
    "                    絵には fill、ドットのそろった絵には whole を選びます\n"
    "  --sound off       今回は音を出しません（音の出口も開きません）。on は\n"
    "                    kv_settings.txt で切ってあっても今回は音を出します\n"
    "  --controls        ゲームの代わりに、コントローラーのボタンを割り当てる画面を\n"
    "                    開きます（kv_controls.txt に保存します）\n"
    "  --data-dir フォルダ\n"
    "                    ゲームのファイルをこのフォルダに置きます（なければ\n"
    "                    作ります）。指定しなければ $XDG_DATA_HOME/kavrel、\n"
    "                    XDG_DATA_HOME がなければ ~/.local/share/kavrel です\n"
    "  --booth           ブースモードで始めます。Q、F2、ESC は 2 秒押し続けた\n"
    "                    ときだけ効きます。ゲームが落ちたり固まったりしたら、\n"
    "                    2 秒後に起動し直します。最初のメッセージは 30 秒たつと\n"
    "                    自動で閉じ、ゲームが始まります。ウィンドウを閉じる操作は\n"
    "                    効かず、ほかのウィンドウが前に出てもゲームが前に戻ります。\n"
    "                    途中で 90 秒キーが押されないと、ゲームは自動で先へ\n"
    "                    進みます。起きたことは kv_booth.log に書きます。\n"
    "                    お客さんがキーボードに触れるときに使います\n"
    "  --autostart on|off\n"
    "                    ログインしたときにブースモードで始めるか（on）、\n"
    "                    やめるか（off）を決めて終わります\n"
    "  --help            この説明を表示して終わります\n"
    "  --version         バージョンを表示して終わります\n"
    "\n"
    "データのフォルダには、絵のファイル kavrel.bmp（初めての起動でコピーされ、\n"
    "上書きはされません）、記録ファイル kavrel.dat、ランキングファイル kv_rank.dat が\n"
    "あります。タイトル画面で Q を押して終えると、二つのファイルが保存されます。\n"
    "ESC で終えると保存せず、その回の結果を *.kept-日付-時刻 という控えとして\n"
    "残します。kavrel-ranking merge で取り込めます。一人が遊び終えるたびに、\n"
    "ゲームは控え kavrel.recovery を書きます。ゲームが落ちたり電源が切れたり\n"
    "しても、次の起動で最後に遊び終えたところまで戻ります。\n"
    "一つのフォルダで動くゲームは一つだけです。ランキングの表示・修正・\n"
    "バックアップは kavrel-ranking で行います（man kavrel-ranking）。\n",
    "Usage: kavrel [--window] [--scale fill|whole] [--controls] [--booth]\n"
    "              [--sound on|off] [--data-dir DIR]\n"
    "Starts the festival booth game, full screen.\n"
    "\n"
    "  --window        play in a window: 640 x 480 enlarged by the largest whole\n"
    "                  step that fits the screen; the window may be resized\n"
    "  --scale fill    enlarge the picture to the largest 4:3 area that fits: the\n"
    "                  full height (the full width on a portrait screen). The\n"
    "                  default. Pixels stay sharp; only edges between two pixels\n"
    "                  are blended\n"
    "  --scale whole   enlarge by whole steps only (2x, 3x...), every pixel an\n"
    "                  exact square; a screen smaller than 1280 x 960 shows\n"
    "                  640 x 480. Choose fill for a large picture seen from afar,\n"
    "                  whole for pixels all of one size\n"
    "  --sound off     no sound for this run (no sound device is opened); on plays\n"
    "                  sound even where kv_settings.txt turns it off\n"
    "  --controls      instead of the game, open the screen that maps a controller's\n"
    "                  buttons to the game's keys (saved in kv_controls.txt)\n"
    "  --data-dir DIR  keep the game's files in DIR (created if missing) instead of\n"
    "                  $XDG_DATA_HOME/kavrel, which is ~/.local/share/kavrel when\n"
    "                  XDG_DATA_HOME is not set\n"
    "  --booth         booth mode: Q, F2, ESC work only when held for 2 seconds; a\n"
    "                  game that crashes or hangs is started again 2 seconds later;\n"
    "                  the first start-up box starts the game by itself after 30\n"
    "                  seconds; closing the window does nothing, and the game comes\n"
    "                  back to the front over other windows; a pass left without a\n"
    "                  key for 90 seconds goes on by itself. What happened goes into\n"
    "                  kv_booth.log. Use it whenever visitors can reach the keyboard\n"
    "  --autostart on|off\n"
    "                  start in booth mode when the session begins (on), or no\n"
    "                  longer (off), and exit\n"
    "  --help          show this help and exit\n"
    "  --version       show the version and exit\n"
    "\n"
    "The data directory holds the sprite sheet kavrel.bmp (copied there on the first\n"
    "start and never overwritten, so a booth may put its own art there), the record\n"
    "file kavrel.dat and the ranking kv_rank.dat. Both data files are written when\n"
    "the operator quits with Q on the attract screen; ESC closes the game without\n"
    "writing them and keeps that run's results as kept copies (*.kept-DATE-TIME),\n"
    "which kavrel-ranking merge takes in. After every finished pass the game\n"
    "writes a recovery copy (kavrel.recovery), so that after a crash or a power\n"
    "cut the next start is back at the last finished pass. One game runs in a\n"
    "directory at a time. kavrel-ranking lists, mends and backs up the ranking\n"
    "(man kavrel-ranking).\n",
};

struct Options {
  bool window = false;
  bool controls = false;
  bool booth = false;
  std::string autostart;  // "on" or "off": install or remove the autostart entry, and end
  std::string scale;      // "fill" or "whole", passed on; empty for the game's default
  std::string sound;      // "on" or "off", passed on; empty for the settings file's
  std::optional<fs::path> dataDir;
};

using booth::OperatorText;

// Why a file operation failed, in the words the game's boxes and the ranking tool use.
std::string Reason(int error) {
  return plat::Say(FileFailureReason(error));
}
std::string Remedy(int error) {
  return plat::Say(FileFailureFor(error).remedy);
}
// The way out when a file the package installs is missing.
constexpr plat::Bilingual kReinstall = {
    "パッケージを入れ直してください（sudo apt install --reinstall kavrel）。",
    "Reinstall the package (sudo apt install --reinstall kavrel)."};

// Set once the X display has opened: from then on a failure is also shown in a box, since the
// menu entry starts the game with no terminal to read.
bool canShowBox = false;

[[noreturn]] void Fail(int status, const std::string& message) {
  std::fprintf(stderr, "kavrel: %s\n", message.c_str());
  if (canShowBox) plat::ShowBox(SDL_MESSAGEBOX_ERROR, "Error", message, nullptr);
  std::exit(status);
}

[[noreturn]] void BadCommandLine(const std::string& message) {
  Fail(2, message + OperatorText({"（使い方は kavrel --help）", " (try --help)"}));
}

constexpr plat::Bilingual kScaleNeedsChoice = {
    "--scale には fill か whole を指定します（指定: {}）",
    "--scale takes fill or whole (given: {})"};

constexpr plat::Bilingual kDataDirNeedsDir = {"--data-dir にはフォルダを指定します",
                                              "--data-dir needs a directory"};

Options ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help") {
      std::fputs(plat::Say(kHelp), stdout);
      std::exit(0);
    } else if (arg == "--version") {
      std::printf("kavrel %s\n", KAVREL_VERSION);
      std::exit(0);
    } else if (arg == "--window") {
      options.window = true;
    } else if (arg == "--controls") {
      options.controls = true;
    } else if (arg == "--booth") {
      options.booth = true;
    } else if (arg == "--autostart") {
      const std::string_view choice = i + 1 < argc ? argv[++i] : "";
      if (choice != "on" && choice != "off")
        BadCommandLine(OperatorText(
            {"--autostart には on か off を指定します", "--autostart takes on or off"}));
      options.autostart = choice;
    } else if (arg == "--sound") {
      const std::string_view choice = i + 1 < argc ? argv[++i] : "";
      if (choice != "on" && choice != "off")
        BadCommandLine(
            OperatorText({"--sound には on か off を指定します", "--sound takes on or off"}));
      options.sound = choice;
    } else if (arg == "--scale" || arg.starts_with("--scale=")) {
      std::string_view scale;
      if (arg == "--scale") {
        if (i + 1 < argc) scale = argv[++i];
      } else {
        scale = arg.substr(std::string_view("--scale=").size());
      }
      if (scale.empty())
        BadCommandLine(OperatorText(
            {"--scale には fill か whole を指定します", "--scale takes fill or whole"}));
      if (scale != "fill" && scale != "whole")
        BadCommandLine(OperatorText(kScaleNeedsChoice, {std::string(scale)}));
      options.scale = scale;
    } else if (arg == "--data-dir" || arg.starts_with("--data-dir=")) {
      std::string_view dir;
      if (arg == "--data-dir") {
        if (i + 1 >= argc) BadCommandLine(OperatorText(kDataDirNeedsDir));
        dir = argv[++i];
      } else {
        dir = arg.substr(std::string_view("--data-dir=").size());
      }
      if (dir.empty()) BadCommandLine(OperatorText(kDataDirNeedsDir));
      options.dataDir = fs::path(dir);
    } else {
      BadCommandLine(
          OperatorText({"知らないオプションです: {}", "unknown option '{}'"}, {std::string(arg)}));
    }
  }
  return options;
}

// $XDG_DATA_HOME/kavrel, or ~/.local/share/kavrel; a relative XDG_DATA_HOME does not count.
fs::path DefaultDataDir() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && xdg[0] == '/') return fs::path(xdg) / "kavrel";
  const char* home = std::getenv("HOME");
  if (!home || !home[0]) {
    const passwd* user = getpwuid(getuid());
    if (!user || !user->pw_dir)
      Fail(1, OperatorText({"ゲームのファイルを置くホームフォルダがありません",
                            "no home directory to keep the game's files in"}));
    home = user->pw_dir;
  }
  return fs::path(home) / ".local/share/kavrel";
}

// The first of `candidates` that exists.
std::optional<fs::path> FirstExisting(const std::vector<fs::path>& candidates) {
  for (const fs::path& p : candidates) {
    std::error_code ec;
    if (fs::is_regular_file(p, ec)) return p;
  }
  return std::nullopt;
}

// Beside this command first, then where it was installed to.
std::vector<fs::path> Installed(const char* fromLauncher, const char* built) {
  std::vector<fs::path> places;
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (!ec) places.push_back((self.parent_path() / fromLauncher).lexically_normal());
  places.emplace_back(built);
  return places;
}

std::string Joined(const std::vector<fs::path>& places) {
  std::string text;
  for (const fs::path& p : places)
    text += (text.empty() ? "" : plat::Say({"、", ", "})) + p.string();
  return text;
}

void CheckDisplay() {
  // The game's window and its start-up box are X windows.
  Display* display = XOpenDisplay(nullptr);
  if (display) {
    XCloseDisplay(display);
    canShowBox = true;
    return;
  }
  const char* name = std::getenv("DISPLAY");
  if (name && name[0])
    Fail(1, OperatorText({"ゲームには X ディスプレイが要りますが、ディスプレイ {} を開けません",
                          "the game needs an X display, and the display '{}' cannot be opened"},
                         {name}));
  Fail(1, OperatorText({"ゲームには X ディスプレイが要りますが、DISPLAY が設定されていません",
                        "the game needs an X display, and DISPLAY is not set"}));
}

// Copies `from` into a file made anew at `to` (O_EXCL, no link followed, no pipe waited on).
bool CopyIntoNewFile(const fs::path& from, const fs::path& to, std::error_code& ec) {
  std::ifstream in(from, std::ios::binary);
  if (!in) {
    ec = std::error_code(errno != 0 ? errno : ENOENT, std::generic_category());
    return false;
  }
  const int fd =
      open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
  if (fd < 0) {
    ec = std::error_code(errno, std::generic_category());
    return false;
  }
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  const int error = done == bytes.size() ? 0 : (errno != 0 ? errno : EIO);
  if (close(fd) != 0 || error != 0) {
    ec = std::error_code(error != 0 ? error : EIO, std::generic_category());
    return false;
  }
  return true;
}

// Puts the installed sheet into the data directory unless something named kavrel.bmp is there
// already. The copy is made under a temporary name and linked into place, so a half-written
// sheet is never left under the real name and a sheet that appears meanwhile is not replaced.
void ProvideSheet(const fs::path& dir) {
  const fs::path target = dir / kSheetName;
  std::error_code ec;
  if (fs::symlink_status(target, ec).type() != fs::file_type::not_found) return;
  const std::vector<fs::path> places = Installed(KAVREL_SHEET_FROM_LAUNCHER, KAVREL_SHEET_BUILT);
  const std::optional<fs::path> sheet = FirstExisting(places);
  if (!sheet)
    Fail(1, OperatorText(
                {"インストールされた絵のファイル kavrel.bmp がありません（探した場所: {}）。{}",
                 "the installed sprite sheet is missing (looked for {}). {}"},
                {Joined(places), plat::Say(kReinstall)}));
  const fs::path temporary = dir / (".kavrel.bmp." + std::to_string(getpid()));
  // Always a new file: never through a link, a hard link or a pipe planted under the name. A
  // leftover plain file of an earlier run with this process id goes first.
  struct stat st {};
  if (lstat(temporary.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink == 1 &&
      st.st_uid == geteuid())
    unlink(temporary.c_str());
  if (!CopyIntoNewFile(*sheet, temporary, ec)) {
    std::error_code ignored;
    if (ec.value() != EEXIST) fs::remove(temporary, ignored);
    Fail(1, OperatorText({"絵のファイル kavrel.bmp を {} にコピーできません（{}）。{}",
                          "cannot copy the sprite sheet into {} ({}). {}"},
                         {dir.string(), Reason(ec.value()), Remedy(ec.value())}));
  }
  const int linked = link(temporary.c_str(), target.c_str());
  const int error = errno;
  fs::remove(temporary, ec);
  if (linked != 0 && error != EEXIST)
    Fail(1, OperatorText({"絵のファイル kavrel.bmp を {} に置けません（{}）。{}",
                          "cannot put the sprite sheet into {} ({}). {}"},
                         {dir.string(), Reason(error), Remedy(error)}));
}

// Booth mode: the game runs as a child and is started again after a crash or a hang; what
// happened goes into kv_booth.log in `dir`. The supervisor holds no lock of the folder.
[[noreturn]] void Supervise(const fs::path& program, const std::vector<std::string>& args,
                            const fs::path& dir) {
  booth::CatchSupervisorEnd();
  const std::unique_ptr<booth::GameProcess> process = booth::NewGameProcess(program, args);
  booth::LogFile log(dir.string());
  booth::Supervisor supervisor(*process, log);
  const booth::Outcome outcome = supervisor.Run();
  if (outcome.startFailed)
    Fail(1, OperatorText({"{} を起動できません: {}", "cannot start {}: {}"},
                         {program.string(), outcome.lastCause}));
  if (outcome.gaveUp)
    Fail(1, OperatorText(booth::kGaveUpText, {outcome.lastCause, (dir / kBoothLogFileName).string(),
                                              "kavrel --booth"}));
  std::exit(outcome.exitCode);
}

}  // namespace

int main(int argc, char** argv) {
  const Options options = ParseOptions(argc, argv);
  if (!options.autostart.empty()) {
    std::vector<std::string> args;
    if (options.window) args.push_back("--window");
    if (!options.scale.empty()) args.insert(args.end(), {"--scale", options.scale});
    if (!options.sound.empty()) args.insert(args.end(), {"--sound", options.sound});
    if (options.dataDir) args.insert(args.end(), {"--data-dir", fs::absolute(*options.dataDir)});
    std::string said;
    const bool done = options.autostart == "on" ? booth::InstallAutostart(args, said)
                                                : booth::RemoveAutostart(said);
    std::fputs((said + "\n").c_str(), done ? stdout : stderr);
    return done ? 0 : 1;
  }
  CheckDisplay();

  const std::vector<fs::path> programs =
      Installed(KAVREL_PROGRAM_FROM_LAUNCHER, KAVREL_PROGRAM_BUILT);
  const std::optional<fs::path> program = FirstExisting(programs);
  if (!program)
    Fail(1, OperatorText({"ゲームの本体がありません（探した場所: {}）。{}",
                          "the game program is missing (looked for {}). {}"},
                         {Joined(programs), plat::Say(kReinstall)}));

  const fs::path dir = fs::absolute(options.dataDir.value_or(DefaultDataDir()));
  std::error_code ec;
  fs::create_directories(dir, ec);
  if (ec || !fs::is_directory(dir))
    Fail(1, OperatorText({"データのフォルダ {} を用意できません（{}）。{}",
                          "cannot prepare the data directory {} ({}). {}"},
                         {dir.string(), ec ? Reason(ec.value()) : Reason(ENOTDIR),
                          Remedy(ec ? ec.value() : ENOTDIR)}));
  ProvideSheet(dir);
  if (chdir(dir.c_str()) != 0)
    Fail(1, OperatorText({"{} に入れません（{}）。{}", "cannot enter {} ({}). {}"},
                         {dir.string(), Reason(errno), Remedy(errno)}));

  if (options.booth) {
    std::vector<std::string> args{"kavrel", "--booth"};
    if (options.window) args.push_back("--window");
    if (!options.scale.empty()) args.insert(args.end(), {"--scale", options.scale});
    if (!options.sound.empty()) args.insert(args.end(), {"--sound", options.sound});
    Supervise(*program, args, dir);
  }
  std::vector<char*> args{const_cast<char*>("kavrel")};
  if (options.window) args.push_back(const_cast<char*>("--window"));
  if (options.controls) args.push_back(const_cast<char*>("--controls"));
  if (!options.scale.empty()) {
    args.push_back(const_cast<char*>("--scale"));
    args.push_back(const_cast<char*>(options.scale.c_str()));
  }
  if (!options.sound.empty()) {
    args.push_back(const_cast<char*>("--sound"));
    args.push_back(const_cast<char*>(options.sound.c_str()));
  }
  args.push_back(nullptr);
  execv(program->c_str(), args.data());
  const int error = errno;
  Fail(1, OperatorText({"{} を起動できません（{}）。{}", "cannot start {} ({}). {}"},
                       {program->string(), Reason(error), Remedy(error)}));
}
