#include "tests/support/XSession.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace xsession {
namespace {

// KAVREL_GAME may name another build of the game; else the one built beside the tests serves.
std::string GameBinary() {
  const char* fromEnv = std::getenv("KAVREL_GAME");
  return fromEnv ? fromEnv : KAVREL_BINARY_DIR "/kavrel";
}

}  // namespace

bool OnPath(const char* program) {
  return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

std::string MissingForWindowTests(bool game) {
  std::string missing;
  auto need = [&](bool found, const std::string& what) {
    if (!found) missing += (missing.empty() ? "" : ", ") + what;
  };
  need(OnPath("Xvfb"), "Xvfb (package xvfb)");
  need(OnPath("xdotool"), "xdotool (package xdotool)");
  need(OnPath("xwininfo"), "xwininfo (package x11-utils)");
  need(OnPath("import"), "ImageMagick's import (package imagemagick)");
  if (game) need(fs::exists(GameBinary()), "the game binary " + GameBinary());
  if (!missing.empty()) missing += "; scripts/setup.sh test installs the packages";
  return missing;
}

bool UnderCi() {
  const char* ci = std::getenv("CI");
  return ci && std::string(ci) == "true";
}

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  for (;;) {
    if (done()) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(50ms);
  }
}

Child::~Child() {
  if (pid_ <= 0) return;
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
}

std::optional<int> Child::Wait(std::chrono::milliseconds limit) {
  const std::optional<int> status = WaitStatus(limit);
  if (!status || !WIFEXITED(*status)) return std::nullopt;
  return WEXITSTATUS(*status);
}

std::optional<int> Child::WaitStatus(std::chrono::milliseconds limit) {
  int status = 0;
  const auto end = std::chrono::steady_clock::now() + limit;
  for (;;) {
    if (pid_ > 0 && waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      return status;
    }
    if (pid_ <= 0 || std::chrono::steady_clock::now() >= end) return std::nullopt;
    std::this_thread::sleep_for(5ms);
  }
}

bool XServer::Running() {
  return server_ && server_->WaitStatus(0ms) == std::nullopt;
}

bool XServer::Start(bool builtInFontsOnly) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return false;
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    fcntl(fds[1], F_SETFD, 0);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    dup2(null, 2);
    const std::string fd = std::to_string(fds[1]);
    const std::string screen = std::to_string(width_) + "x" + std::to_string(height_) + "x24";
    // -noreset: by default the server resets whenever its last client leaves (an xwininfo
    // between two polls, say) and refuses connections meanwhile; a game starting then would
    // find no display.
    if (builtInFontsOnly) {
      execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten",
             "tcp", "-noreset", "-fp", "built-ins", static_cast<char*>(nullptr));
    }
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten",
           "tcp", "-noreset", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  server_.emplace(pid);
  std::string number;
  pollfd p{fds[0], POLLIN, 0};
  char c = 0;
  while (poll(&p, 1, 10000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
  close(fds[0]);
  if (number.empty()) return false;
  display_ = ":" + number;
  return true;
}

std::string XServer::Run(const std::string& command, int* status) const {
  const std::string line = "DISPLAY=" + display_ + " timeout -k 2 10 " + command;
  FILE* f = popen(line.c_str(), "r");
  std::string out;
  if (!f) return out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
  const int st = pclose(f);
  if (status) *status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return out;
}

std::unique_ptr<Child> XServer::StartClient(const std::string& command, const fs::path& dir) const {
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(dir.c_str()) != 0) _exit(126);
    setenv("DISPLAY", display_.c_str(), 1);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    dup2(null, 2);
    execl("/bin/sh", "sh", "-c", ("exec " + command).c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  return std::make_unique<Child>(pid);
}

std::string XServer::Screenshot() const {
  std::string rgb = Run("import -window root -depth 8 rgb:-");
  return rgb.size() == static_cast<size_t>(width_) * height_ * 3 ? rgb : std::string();
}

std::string XServer::FindWindow(const std::string& name, bool viewableOnly) const {
  std::istringstream tree(Run("xwininfo -root -tree"));
  const std::string quoted = " \"" + name + "\":";
  for (std::string line; std::getline(tree, line);) {
    const size_t at = line.find(quoted);
    if (at == std::string::npos) continue;
    std::istringstream fields(line);
    std::string id;
    fields >> id;
    if (viewableOnly && Run("xwininfo -id " + id).find("IsViewable") == std::string::npos) continue;
    return id;
  }
  return {};
}

uint32_t PixelAt(const std::string& rgb, int x, int y, int width) {
  const size_t i = (static_cast<size_t>(y) * width + x) * 3;
  return (uint32_t{static_cast<uint8_t>(rgb[i])} << 16) |
         (uint32_t{static_cast<uint8_t>(rgb[i + 1])} << 8) | static_cast<uint8_t>(rgb[i + 2]);
}

bool GameRun::Start(const std::function<void(const fs::path& dir)>& prepare) {
  if (!MissingForWindowTests(true).empty()) return false;
  char pattern[] = "/tmp/kavrel-game-XXXXXX";
  if (!mkdtemp(pattern)) return false;
  dir_ = pattern;
  fs::copy_file(fs::path(KAVREL_SOURCE_DIR) / "assets/kavrel.bmp", dir_ / "kavrel.bmp");
  if (prepare) prepare(dir_);
  if (!x_.Start(noXFonts_)) return false;
  if (windowManager_) {
    manager_ = x_.StartClient("openbox");
    int status = -1;
    WaitFor([&] { return x_.Run("wmctrl -m 2>/dev/null", &status), status == 0; }, 10s);
  }
  Launch();
  return true;
}

bool GameRun::StartAgain() {
  if (!game_ || !game_->WaitStatus(5000ms)) return false;
  game_.reset();
  window_.clear();
  Launch();
  return true;
}

void GameRun::Launch() {
  const std::string game = program_.empty() ? GameBinary() : program_;
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(dir_.c_str()) != 0) _exit(126);
    setenv("DISPLAY", x_.Display().c_str(), 1);
    for (const auto& [name, value] : env_) setenv(name.c_str(), value.c_str(), 1);
    const int log = open("game.log", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(log, 1);
    dup2(log, 2);
    std::vector<char*> argv{const_cast<char*>(game.c_str())};
    for (const std::string& arg : args_) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(game.c_str(), argv.data());
    _exit(127);
  }
  game_.emplace(pid);
}

GameRun::~GameRun() {
  game_.reset();  // the game before its X server
  manager_.reset();
  if (!dir_.empty()) fs::remove_all(dir_);
}

bool GameRun::WaitForStartUpBox() {
  if (WaitFor([&] { return !x_.FindWindow("INFORMATION").empty(); }, 10s)) return true;
  if (game_->WaitStatus(0ms)) {
    boxProblem_ = "the game ended without showing its start-up box\n";
  } else {
    boxProblem_ =
        "the start-up box never appeared; SDL's own box (used when zenity is absent) needs the X "
        "core fonts of the package xfonts-base, which scripts/setup.sh installs\n";
  }
  return false;
}

bool GameRun::PassStartUpBox() {
  if (!WaitForStartUpBox()) return false;
  const std::string box = x_.FindWindow("INFORMATION");
  SaveScreenshot("startup-box.png");
  x_.Run("xdotool windowfocus " + box + " key Return");
  if (!WaitFor([&] { return x_.FindWindow("INFORMATION").empty(); }, 5s)) return false;
  return WaitFor([&] { return !(window_ = x_.FindWindow("Vostrel", true)).empty(); }, 5s);
}

bool GameRun::WaitForPicture() {
  return WaitFor(
      [&] {
        const std::string rgb = x_.Screenshot();
        return rgb.find_first_not_of('\0') != std::string::npos;
      },
      8s);
}

void GameRun::SaveScreenshot(const std::string& name) {
  const fs::path dir = fs::path(KAVREL_BINARY_DIR) / "screenshots";
  fs::create_directories(dir);
  x_.Run("import -window root png:" + (dir / name).string());
}

void GameRun::HoldKey(const std::string& key, double seconds) {
  x_.Run("xdotool windowfocus " + window_ + " keydown " + key + " sleep " +
         std::to_string(seconds) + " keyup " + key);
}

void GameRun::TapKey(const std::string& key) {
  x_.Run("xdotool windowfocus " + window_ + " key " + key);
}

std::optional<int> GameRun::WaitExit(std::chrono::milliseconds limit) {
  return game_->Wait(limit);
}

void GameRun::Signal(int sig) {
  kill(game_->Pid(), sig);
}

std::string GameRun::Log() {
  std::string windows;
  std::istringstream tree(x_.Run("xwininfo -root -tree"));
  for (std::string line; std::getline(tree, line);)
    if (line.find('"') != std::string::npos) windows += line + "\n";
  const std::string server = x_.Running() ? "" : "the X server has ended\n";
  return server + boxProblem_ + "game output:\n" + ReadFile("game.log") + "windows:\n" + windows;
}

bool GameRun::Exists(const std::string& name) const {
  return fs::exists(dir_ / name);
}

std::string GameRun::ReadFile(const std::string& name) const {
  std::ifstream in(dir_ / name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace xsession
