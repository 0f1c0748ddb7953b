// Real-window tests: a private X server (Xvfb), X client commands with time limits, child
// processes that cannot outlive a test, and the game binary run in a scratch directory.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace xsession {

using namespace std::chrono_literals;

// The virtual screen unless a test chooses another: twice the game's frame, so the window shows
// it at scale 2, the same picture whether it fills the screen or grows by whole steps.
constexpr int kScreenW = 1280;
constexpr int kScreenH = 960;

bool OnPath(const char* program);

// What a real-window test needs and does not find, in words ("" when nothing is missing): the X
// tools, and the game binary when `game` is set.
std::string MissingForWindowTests(bool game);
// True under CI (CI=true), where a window test that cannot run fails instead of skipping.
bool UnderCi();

}  // namespace xsession

// Skips the test when what it needs is missing, or fails it under CI, naming what is missing.
#define REQUIRE_WINDOW_TOOLS(game)                                                       \
  do {                                                                                   \
    const std::string missing_ = xsession::MissingForWindowTests(game);                  \
    if (!missing_.empty()) {                                                             \
      if (xsession::UnderCi()) FAIL() << "CI cannot run this window test: " << missing_; \
      GTEST_SKIP() << "needs " << missing_;                                              \
    }                                                                                    \
  } while (0)

namespace xsession {

// Polls `done` until it holds or `limit` has passed.
bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit);

// A child process that is killed if it outlives the test.
class Child {
 public:
  explicit Child(pid_t pid) : pid_(pid) {}
  ~Child();
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  // The exit code, or nothing when it did not end in time or ended by a signal.
  std::optional<int> Wait(std::chrono::milliseconds limit);
  // The wait status, or nothing when it did not end in time.
  std::optional<int> WaitStatus(std::chrono::milliseconds limit);
  pid_t Pid() const { return pid_; }

 private:
  pid_t pid_;
};

// A private X server, on the first free display number it finds itself.
class XServer {
 public:
  // The screen's size, set before Start.
  void SetScreen(int w, int h) {
    width_ = w;
    height_ = h;
  }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // With `builtInFontsOnly`, the server has none of the installed X core fonts.
  bool Start(bool builtInFontsOnly = false);
  // False once the server has ended.
  bool Running();
  const std::string& Display() const { return display_; }

  // Runs an X client command line (bounded by 10 s); its standard output.
  std::string Run(const std::string& command, int* status = nullptr) const;
  // Starts an X client command line (a window manager, a pop-up, a second game) in `dir` that
  // runs until it ends or the returned child goes; its output is thrown away.
  std::unique_ptr<Child> StartClient(const std::string& command,
                                     const std::filesystem::path& dir = ".") const;

  // The whole screen as tightly packed RGB bytes (empty on failure).
  std::string Screenshot() const;

  // The first window titled exactly `name`, optionally only when it is mapped; empty when
  // there is none. (xdotool's search misses the message box, whose title is UTF-8 only.)
  std::string FindWindow(const std::string& name, bool viewableOnly = false) const;

 private:
  std::optional<Child> server_;
  std::string display_;
  int width_ = kScreenW;
  int height_ = kScreenH;
};

// 0xRRGGBB of a screen pixel of a Screenshot() of a screen `width` pixels wide.
uint32_t PixelAt(const std::string& rgb, int x, int y, int width = kScreenW);

// The game binary on its own X server, in a fresh directory holding the sprite sheet.
class GameRun {
 public:
  // Starts the game; false when it could not (check REQUIRE_WINDOW_TOOLS(true) first).
  // `prepare` may put files into the directory before the game starts.
  bool Start(const std::function<void(const std::filesystem::path& dir)>& prepare = {});
  // Once the game has ended: starts it again in the same directory, on the same X server.
  bool StartAgain();
  ~GameRun();
  // An environment variable for the game, set before Start.
  void SetEnv(const std::string& name, const std::string& value) { env_.push_back({name, value}); }
  // The X server without the installed core fonts, as on a machine without xfonts-base: SDL's own
  // box cannot be drawn and SDL asks zenity instead. Set before Start.
  void WithoutXFonts() { noXFonts_ = true; }
  // The X server's screen size, set before Start.
  void SetScreen(int w, int h) { x_.SetScreen(w, h); }
  // A window manager (openbox) on the X server before the game starts, set before Start.
  void WithWindowManager() { windowManager_ = true; }
  // A command-line argument for the game, set before Start.
  void AddArgument(const std::string& arg) { args_.push_back(arg); }
  // Another program to start instead of the game binary (the launcher), set before Start.
  void SetProgram(const std::string& program) { program_ = program; }
  // The process started, while it runs.
  pid_t Pid() const { return game_ ? game_->Pid() : -1; }

  // True once the start-up box is up.
  bool WaitForStartUpBox();
  // Answers the start-up box with RETURN; true once it is gone and the game's window is shown.
  bool PassStartUpBox();
  // True once something other than black is on the screen.
  bool WaitForPicture();
  // Saves a screenshot under the build directory's screenshots/.
  void SaveScreenshot(const std::string& name);

  // Keys the game polls must be held across a frame, not just tapped.
  void HoldKey(const std::string& key, double seconds = 0.3);
  void TapKey(const std::string& key);

  std::optional<int> WaitExit(std::chrono::milliseconds limit = 10s);
  std::optional<int> WaitStatus(std::chrono::milliseconds limit) {
    return game_->WaitStatus(limit);
  }
  void Signal(int sig);
  // The game's console output and the titled windows on the screen, for failure messages.
  std::string Log();
  bool Exists(const std::string& name) const;
  std::string ReadFile(const std::string& name) const;
  const XServer& X() const { return x_; }
  // The directory the game runs in.
  const std::filesystem::path& Dir() const { return dir_; }

 private:
  void Launch();
  XServer x_;
  std::filesystem::path dir_;
  std::optional<Child> game_;
  std::string window_;
  std::string boxProblem_;  // why the start-up box was not seen, for Log()
  std::vector<std::pair<std::string, std::string>> env_;
  std::vector<std::string> args_;
  bool noXFonts_ = false;
  bool windowManager_ = false;
  std::unique_ptr<Child> manager_;
  std::string program_;
};

}  // namespace xsession
