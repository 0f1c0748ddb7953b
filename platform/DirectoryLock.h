// One program per data directory: the game, the replay and the operator's tools lock the
// directory they keep their files in, so that two of them never write over each other's results.
// The system gives the lock up by itself when the process ends in any way, a kill included, and
// it leaves no file behind once the process has ended.
#pragma once

#include <string>

namespace plat {

class DirectoryLock {
 public:
  enum class Outcome {
    Locked,         // this process holds the directory until the lock is destroyed
    HeldElsewhere,  // another program holds it
    Unavailable,    // the directory cannot be locked (a read-only or network folder): go on without
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
