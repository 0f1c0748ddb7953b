// kavrel: the installed command. Prepares the data directory the game runs in (the directory
// holds its sprite sheet and its two data files), checks that there is an X display, and hands
// over to the game program. Finds the program and the sheet beside itself first, so that an
// installed tree still works after it has been moved, and at the paths it was built for second.
#include <X11/Xlib.h>
#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr const char* kSheetName = "kavrel.bmp";

constexpr const char* kHelp =
    "Usage: kavrel [--window] [--data-dir DIR]\n"
    "Starts the festival booth game, full screen.\n"
    "\n"
    "  --window        play in a window: 640 x 480 enlarged by the largest whole\n"
    "                  step that fits the screen\n"
    "  --data-dir DIR  keep the game's files in DIR (created if missing) instead of\n"
    "                  $XDG_DATA_HOME/kavrel, which is ~/.local/share/kavrel when\n"
    "                  XDG_DATA_HOME is not set\n"
    "  --help          show this help and exit\n"
    "  --version       show the version and exit\n"
    "\n"
    "The data directory holds the sprite sheet kavrel.bmp (copied there on the first\n"
    "start and never overwritten, so a booth may put its own art there), the record\n"
    "file kavrel.dat and the ranking kv_rank.dat. Both data files are written when\n"
    "the operator quits with Q on the attract screen; ESC closes the game without\n"
    "writing them.\n";

struct Options {
  bool window = false;
  std::optional<fs::path> dataDir;
};

[[noreturn]] void Fail(int status, const std::string& message) {
  std::fprintf(stderr, "kavrel: %s\n", message.c_str());
  std::exit(status);
}

Options ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help") {
      std::fputs(kHelp, stdout);
      std::exit(0);
    } else if (arg == "--version") {
      std::printf("kavrel %s\n", KAVREL_VERSION);
      std::exit(0);
    } else if (arg == "--window") {
      options.window = true;
    } else if (arg == "--data-dir" || arg.starts_with("--data-dir=")) {
      std::string_view dir;
      if (arg == "--data-dir") {
        if (i + 1 >= argc) Fail(2, "--data-dir needs a directory (try --help)");
        dir = argv[++i];
      } else {
        dir = arg.substr(std::string_view("--data-dir=").size());
      }
      if (dir.empty()) Fail(2, "--data-dir needs a directory (try --help)");
      options.dataDir = fs::path(dir);
    } else {
      Fail(2, "unknown option '" + std::string(arg) + "' (try --help)");
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
    if (!user || !user->pw_dir) Fail(1, "no home directory to keep the game's files in");
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
  for (const fs::path& p : places) text += (text.empty() ? "" : ", ") + p.string();
  return text;
}

void CheckDisplay() {
  // The game's window and its start-up box are X windows.
  Display* display = XOpenDisplay(nullptr);
  if (display) {
    XCloseDisplay(display);
    return;
  }
  const char* name = std::getenv("DISPLAY");
  Fail(1, std::string("the game needs an X display, and ") +
              (name && name[0] ? "the display '" + std::string(name) + "' cannot be opened"
                               : "DISPLAY is not set"));
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
  if (!sheet) Fail(1, "the installed sprite sheet is missing (looked for " + Joined(places) + ")");
  const fs::path temporary = dir / (".kavrel.bmp." + std::to_string(getpid()));
  if (!fs::copy_file(*sheet, temporary, fs::copy_options::overwrite_existing, ec)) {
    fs::remove(temporary, ec);
    Fail(1, "cannot copy the sprite sheet into " + dir.string() + ": " + ec.message());
  }
  const int linked = link(temporary.c_str(), target.c_str());
  const int error = errno;
  fs::remove(temporary, ec);
  if (linked != 0 && error != EEXIST)
    Fail(1, "cannot put the sprite sheet into " + dir.string() + ": " + std::strerror(error));
}

}  // namespace

int main(int argc, char** argv) {
  const Options options = ParseOptions(argc, argv);
  CheckDisplay();

  const std::vector<fs::path> programs =
      Installed(KAVREL_PROGRAM_FROM_LAUNCHER, KAVREL_PROGRAM_BUILT);
  const std::optional<fs::path> program = FirstExisting(programs);
  if (!program) Fail(1, "the game program is missing (looked for " + Joined(programs) + ")");

  const fs::path dir = fs::absolute(options.dataDir.value_or(DefaultDataDir()));
  std::error_code ec;
  fs::create_directories(dir, ec);
  if (ec || !fs::is_directory(dir))
    Fail(1,
         "cannot use " + dir.string() + " as the data directory" + (ec ? ": " + ec.message() : ""));
  ProvideSheet(dir);
  if (chdir(dir.c_str()) != 0)
    Fail(1, "cannot enter " + dir.string() + ": " + std::strerror(errno));

  std::vector<char*> args{const_cast<char*>("kavrel")};
  if (options.window) args.push_back(const_cast<char*>("--window"));
  args.push_back(nullptr);
  execv(program->c_str(), args.data());
  Fail(1, "cannot start " + program->string() + ": " + std::strerror(errno));
}
