// The signals that end a session: SIGTERM (the machine shuts down or the user logs out), SIGHUP
// (the terminal closes) and SIGINT (Ctrl+C). The game ends on them as it ends on Q, keeping the
// day's results, so they are caught here instead of being left to SDL, which would turn them into
// a closed window.
#pragma once

namespace plat {

// Installs the handlers; from then on a caught signal is only noted, so that a save in progress
// is never cut short. Call before SDL starts (SDL is told to leave these signals alone).
void CatchEndSignals();

// The first end signal caught since CatchEndSignals, or 0.
int EndSignalCaught();

// Held while a message box is up. Nothing is loaded yet that a save could keep, and the box
// would hold the game up until someone answers it, so a signal then ends the process at once the
// way it ends any program, taking the box (and the helper process showing it, if any) with it.
class MessageBoxUp {
 public:
  MessageBoxUp();
  ~MessageBoxUp();
  MessageBoxUp(const MessageBoxUp&) = delete;
  MessageBoxUp& operator=(const MessageBoxUp&) = delete;
};

}  // namespace plat
