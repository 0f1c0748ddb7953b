// One program per data directory: the game, the replay and the operator's tools lock the
// directory they keep their files in, so that two of them never write over each other's results.
// The system gives the lock up by itself when the process ends in any way, a kill included. On
// Linux the directory itself is locked where it can be, which leaves no file; where it cannot (a
// folder that may not be read, a network folder) a hidden lock file in it is locked instead, and
// that file stays. Windows locks a file of its own that the system deletes.
#pragma once

#include <string>

namespace plat {

// The lock file locked where the directory itself cannot be (Linux).
inline constexpr const char* kLockFileName = ".kavrel.lock";

class DirectoryLock {
 public:
  enum class Outcome {
    Locked,         // this process holds the directory until the lock is destroyed
    HeldElsewhere,  // another program holds it
    Unavailable,    // neither the directory nor a lock file in it can be locked: go on without
  };

  // Locks `directory` without waiting (on Windows, a lock a killed program held may take a
  // moment to be given up, so a held lock is tried again for about a second).
  explicit DirectoryLock(const std::string& directory = ".");
  ~DirectoryLock();
  DirectoryLock(const DirectoryLock&) = delete;
  DirectoryLock& operator=(const DirectoryLock&) = delete;

  Outcome outcome() const { return outcome_; }

 private:
  Outcome outcome_ = Outcome::Unavailable;
  long long handle_ = -1;  // a file descriptor, or a Windows handle
};

}  // namespace plat
