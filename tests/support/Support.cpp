#include <gtest/gtest.h>
#include <unistd.h>
#ifndef _WIN32
#include <pwd.h>
#include <sys/wait.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/Scenario.h"
#ifdef _WIN32
#include "platform/win/WinHost.h"
#endif

namespace fs = std::filesystem;

namespace {

// A new directory of our own under the temporary folder.
bool MakeScratchDirectory(std::string& path) {
#ifdef _WIN32
  // No mkdtemp: a name from the process and a counter, taken only if it did not exist.
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 1000; ++attempt) {
    const fs::path candidate =
        fs::temp_directory_path() /
        ("kavrel-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
    std::error_code ec;
    if (fs::create_directory(candidate, ec)) {
      path = candidate.string();
      return true;
    }
  }
  return false;
#else
  std::string pattern = (fs::temp_directory_path() / "kavrel-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) return false;
  path = pattern;
  return true;
#endif
}

}  // namespace

ScratchDir::ScratchDir(bool withSpriteSheet) {
  previous_ = fs::current_path().string();
  if (!MakeScratchDirectory(path_)) {
    ADD_FAILURE() << "cannot create a scratch directory";
    return;
  }
  fs::current_path(path_);
  const fs::path sheet = fs::path(KAVREL_SOURCE_DIR) / "assets" / "kavrel.bmp";
  std::error_code ec;
  if (withSpriteSheet && fs::exists(sheet, ec)) fs::copy_file(sheet, PathOf("kavrel.bmp"), ec);
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  fs::current_path(previous_, ec);
  if (!path_.empty()) fs::remove_all(path_, ec);
}

std::string ScratchDir::PathOf(std::string_view name) const {
  return (fs::path(path_) / name).string();
}

void ScratchDir::Write(std::string_view name, std::string_view bytes) const {
  std::ofstream out(PathOf(name), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) ADD_FAILURE() << "cannot write " << name;
}

std::optional<std::string> ScratchDir::Read(std::string_view name) const {
  std::ifstream in(PathOf(name), std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

bool ScratchDir::Exists(std::string_view name) const {
  std::error_code ec;
  return fs::exists(PathOf(name), ec);
}

ReplayRun Play(const std::string& scriptText, ReplayOptions options) {
  std::string error;
  const std::optional<plat::VirtualScript> script = ParseScript(scriptText, error);
  if (!script) {
    ADD_FAILURE() << "bad test script: " << error;
    return {};
  }
  if (options.frameLimit == 0) options.frameLimit = kPlayFrameLimit;
  ReplayRun run = RunReplay(*script, options);
  if (run.limitScreen) {
    ADD_FAILURE() << "screen '" << *run.limitScreen << "' still running after "
                  << options.frameLimit << " frames (this test's frame limit)";
  }
  return run;
}

std::string WholePassScript() {
  std::ifstream in(fs::path(KAVREL_SOURCE_DIR) / "scripts" / "pass.replay", std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  if (text.str().empty()) ADD_FAILURE() << "cannot read scripts/pass.replay";
  return text.str();
}

std::vector<const FrameRecord*> Frames(const ReplayRun& run, std::string_view screen) {
  std::vector<const FrameRecord*> out;
  for (const FrameRecord& f : run.frames) {
    if (f.screen == screen) out.push_back(&f);
  }
  return out;
}

std::vector<std::string> Visits(const ReplayRun& run) {
  std::vector<std::string> out;
  for (const FrameRecord& f : run.frames) {
    if (out.empty() || out.back() != f.screen) out.push_back(f.screen);
  }
  return out;
}

const DrawOp* FindText(const FrameRecord& frame, std::string_view sjis) {
  for (const DrawOp& op : frame.ops) {
    if (op.kind == DrawOp::Text && op.text == sjis) return &op;
  }
  return nullptr;
}

bool HasText(const FrameRecord& frame, std::string_view sjis) {
  return FindText(frame, sjis) != nullptr;
}

const DrawOp* FindTextContaining(const FrameRecord& frame, std::string_view sjis) {
  for (const DrawOp& op : frame.ops) {
    if (op.kind == DrawOp::Text && op.text.find(sjis) != std::string::npos) return &op;
  }
  return nullptr;
}

std::vector<const DrawOp*> Blits(const FrameRecord& frame) {
  std::vector<const DrawOp*> out;
  for (const DrawOp& op : frame.ops) {
    if (op.kind == DrawOp::Blit) out.push_back(&op);
  }
  return out;
}

int RunReplayTool(const std::string& args, std::string* stderrOut, const std::string& runAs) {
  const char* env = std::getenv("KAVREL_REPLAY");
  const std::string errFile =
      (fs::temp_directory_path() / ("kavrel-replay-stderr-" + std::to_string(getpid()))).string();
#ifdef _WIN32
  // The replay beside this test program, through the command interpreter's double quotes.
  const std::string tool =
      env && *env ? env : plat::win::ExecutableDirectory() + "\\kavrel-replay.exe";
  const std::string command = "\"" + (runAs.empty() ? "" : runAs + " ") + "\"" + tool + "\" " +
                              args + " 2>\"" + errFile + "\"\"";
#else
  const std::string tool = env && *env ? env : std::string(KAVREL_BINARY_DIR) + "/kavrel-replay";
  const std::string command = runAs + " '" + tool + "' " + args + " 2>'" + errFile + "'";
#endif
  const int status = std::system(command.c_str());
  if (stderrOut) {
    std::ifstream in(errFile, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    *stderrOut = bytes.str();
  }
  std::error_code ec;
  fs::remove(errFile, ec);
#ifdef _WIN32
  return status;  // the program's own exit code
#else
  if (status == -1 || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
#endif
}

#ifndef _WIN32
std::optional<Unprivileged> UnprivilegedUser(std::string& why) {
  if (geteuid() != 0) return Unprivileged{"", getuid(), getgid()};
  const passwd* nobody = getpwnam("nobody");
  const std::string runAs = "setpriv --reuid=nobody --regid=nogroup --clear-groups";
  if (!nobody || std::system((runAs + " true 2>/dev/null").c_str()) != 0) {
    why = "runs as root and cannot run programs as nobody (setpriv, util-linux)";
    if (const char* ci = std::getenv("CI"); ci && std::string(ci) == "true") ADD_FAILURE() << why;
    return std::nullopt;
  }
  return Unprivileged{runAs, nobody->pw_uid, nobody->pw_gid};
}
#endif
