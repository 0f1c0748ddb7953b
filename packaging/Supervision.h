// Booth mode: the game runs as a child of a supervisor that starts it again after an abnormal end
// (a fatal signal or exception, or a hang: no sign of life for a while), and never after an
// orderly one (Q, ESC, the end of the session, a failed save, a bad option, no window). The game
// says why it ends over the same line as its heartbeat (platform/BoothChannel.h); how the process
// ended is only the fallback. Written once, over the machine's way of running a process.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "platform/BoothChannel.h"
#include "store/BoothLog.h"

namespace booth {

struct Timings {
  unsigned restartDelayMs = 2000;     // from an abnormal end to the next start
  unsigned hangLimitMs = 15000;       // without a sign while no box waits: a hang
  uint64_t restartWindowMs = 600000;  // restarts counted within this time...
  int maxRestarts = 5;                // ...at most this many, then the supervisor gives up
  unsigned lockRetryDelayMs = 1000;   // a restarted game found the folder locked (exit 5):
  int lockRetries = 5;                // the dead game's lock may take a moment to go
  unsigned pollMs = 200;              // how long one wait for the game lasts at most
};

// The game's exit code when another program holds its folder.
inline constexpr int kFolderLocked = 5;

// How a process ended, as the machine tells it.
struct ProcessEnd {
  bool orderly = false;  // what the ending alone says, when the game said nothing
  int exitCode = 0;      // for an orderly end
  // For an abnormal one: "signal 11 SIGSEGV", "exception 0xC0000005"; for an orderly one, why
  // the game said it ends ("Q", "ESC held"), or nothing
  std::string cause;
};

// What the game says over its line, cut into whole messages as the bytes come in.
class MessageLines {
 public:
  // Adds `bytes`; each line now complete goes into `said`.
  void Take(std::string_view bytes, std::vector<plat::BoothMessage>& said);
  void Clear() { pending_.clear(); }

 private:
  std::string pending_;
};

// One game process at a time, on the machine at hand.
class GameProcess {
 public:
  virtual ~GameProcess() = default;
  // Starts the game with the line open; false with the reason when it cannot be started.
  virtual bool Start(bool restarted, std::string& error) = 0;
  // Waits at most `ms` for what the game says (added to `said`) or for its end. True once the
  // process is gone (reaped), with how it ended in `end`.
  virtual bool Wait(unsigned ms, std::vector<plat::BoothMessage>& said, ProcessEnd& end) = 0;
  // Ends the game at once (a hang).
  virtual void Kill() = 0;
  // Passes the supervisor's own end (a signal number, or 1 on Windows) on to the game.
  virtual void PassOnEnd(int how) = 0;
  // Nonzero once the supervisor itself has been told to end.
  virtual int SupervisorEnding() = 0;
  virtual uint64_t NowMs() = 0;
  virtual void Sleep(unsigned ms) = 0;
};

// Where the supervisor writes down what it saw (kv_booth.log, or a test's list).
class Recorder {
 public:
  virtual ~Recorder() = default;
  virtual void Record(BoothEvent event, const std::string& detail) = 0;
};

// kv_booth.log in `directory`, each line dated by the machine's clock. A line that cannot be
// written is said on standard error: the booth goes on.
class LogFile : public Recorder {
 public:
  explicit LogFile(std::string directory) : directory_(std::move(directory)) {}
  void Record(BoothEvent event, const std::string& detail) override;

 private:
  std::string directory_;
};

struct Outcome {
  int exitCode = 0;     // the supervisor's own: the last game's, or 1
  bool gaveUp = false;  // too many restarts: the caller shows one box
  bool startFailed = false;
  std::string lastCause;  // of the last abnormal end, or why the game could not start
};

// The cause written for a game killed because it stopped giving signs.
std::string HangCause(unsigned limitMs);
// The cause written for a game that spoke on the line, then exited without saying why.
std::string SilentExitCause(int exitCode);

class Supervisor {
 public:
  Supervisor(GameProcess& process, Recorder& recorder, Timings timings = {})
      : process_(process), recorder_(recorder), timings_(timings) {}
  Outcome Run();

 private:
  // One game from start to end: orderly (with its exit code) or not (with the cause).
  ProcessEnd Watch();
  // Sleeps `ms` unless the supervisor is told to end meanwhile; false then.
  bool Pause(unsigned ms);

  GameProcess& process_;
  Recorder& recorder_;
  Timings timings_;
  bool passedOn_ = false;
};

}  // namespace booth
