// Helpers for scenario tests: play the game headless from a script in a scratch working directory
// and look at what the frames drew.
//
//   ScratchDir dir;                       // fresh cwd with kavrel.bmp
//   dir.Write("kavrel.dat", "...");       // optional data files
//   ReplayRun run = Play("tap 100 SPACE 50\nend 5000\n");
//   auto attract = Frames(run, "attract");
//   EXPECT_TRUE(HasText(*attract.back(), Sjis("...")));
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/replay/Replay.h"

// A fresh temporary directory that is the working directory for the object's lifetime; removed
// with its contents afterwards. Holds a copy of the sprite sheet unless told not to.
class ScratchDir {
 public:
  explicit ScratchDir(bool withSpriteSheet = true);
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& Path() const { return path_; }
  std::string PathOf(std::string_view name) const;
  void Write(std::string_view name, std::string_view bytes) const;
  // The file's bytes, or nullopt when it does not exist.
  std::optional<std::string> Read(std::string_view name) const;
  bool Exists(std::string_view name) const;

 private:
  std::string path_;
  std::string previous_;
};

// Parses `scriptText` and plays it in the current directory. A bad script fails the test and
// gives an empty run. A run that reaches the options' frame limit (by default kPlayFrameLimit)
// fails the test with the screen's name and the frame count.
inline constexpr int kPlayFrameLimit = 20000;
ReplayRun Play(const std::string& scriptText, ReplayOptions options = {});

// The committed whole-pass script (scripts/pass.replay).
std::string WholePassScript();

// The frames of one screen, in order.
std::vector<const FrameRecord*> Frames(const ReplayRun& run, std::string_view screen);
// The screens in the order they were visited (a visit: consecutive frames of the same screen).
std::vector<std::string> Visits(const ReplayRun& run);
// The first text op that drew exactly these Shift-JIS bytes, or null.
const DrawOp* FindText(const FrameRecord& frame, std::string_view sjis);
bool HasText(const FrameRecord& frame, std::string_view sjis);
// The first text op whose bytes contain `sjis`, or null.
const DrawOp* FindTextContaining(const FrameRecord& frame, std::string_view sjis);
// All blit ops of a frame, in order.
std::vector<const DrawOp*> Blits(const FrameRecord& frame);

// Runs the kavrel-replay executable (path in the environment variable KAVREL_REPLAY, else the
// build directory's) in the current directory. `args` go to the shell as they stand, so
// redirections work: "s.txt --trace - > t.jsonl". Returns the exit status (-1 when it did not
// exit normally); its standard error goes to `stderrOut` when given. `runAs` comes before the
// tool on the command line (for instance a command that runs it as another user).
int RunReplayTool(const std::string& args, std::string* stderrOut = nullptr,
                  const std::string& runAs = "");

#ifndef _WIN32
// A user that file modes hold back, for a test of what such a user may not do: root reads and
// writes any file, so under root the user nobody, whom `runAs` (for RunReplayTool) runs programs
// as; else this user, and `runAs` is empty. Nothing, with `why`, when root cannot run programs
// as nobody (setpriv, util-linux); under CI that is a failure of the test as well.
struct Unprivileged {
  std::string runAs;
  unsigned uid, gid;
};
std::optional<Unprivileged> UnprivilegedUser(std::string& why);
#endif
