// The game as a child process of the supervisor, on this machine: started with the booth's line
// inherited, watched, killed when it hangs, and reaped before the next one starts.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "packaging/Supervision.h"

namespace booth {

// What the game process holds on every machine: how it is started, and what it has said so far.
class ChildGame : public GameProcess {
 protected:
  ChildGame(std::string program, std::vector<std::string> args)
      : program_(std::move(program)), args_(std::move(args)) {}
  std::string program_;
  std::vector<std::string> args_;
  MessageLines lines_;
};

// `program` with `args` (the first is the name the game is started under).
std::unique_ptr<GameProcess> NewGameProcess(const std::string& program,
                                            const std::vector<std::string>& args);

// From now on the supervisor's own end (SIGTERM, SIGHUP, SIGINT; on Windows the console's or the
// session's end) is noted for SupervisorEnding instead of ending it at once.
void CatchSupervisorEnd();

}  // namespace booth
