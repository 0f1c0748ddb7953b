// One program per data directory: the game, the replay and the operator's tools lock the
// directory they keep their files in, so that two of them never write over each other's results.
// The system gives the lock up by itself when the process ends in any way, a kill included. Every
// program locks the hidden lock file in the directory (made if missing; it stays), and on Linux
// the directory itself too where it can be locked, as earlier versions did.
#pragma once

#include <string>

namespace plat {

// The lock file, on every system.
inline constexpr const char* kLockFileName = ".kavrel.lock";

class DirectoryLock {
 public:
  enum class Outcome {
    Locked,            // this process holds the directory until the lock is destroyed
    HeldElsewhere,     // another program holds it
    Unavailable,       // neither the directory nor a lock file in it can be locked: go on without
    NotPlainLockFile,  // the lock file is a link, a pipe or a folder: refused, as if held
  };

  // Locks `directory` without waiting (on Windows, a lock a killed program held may take a
  // moment to be given up, so a held lock is tried again for about a second).
  explicit DirectoryLock(const std::string& directory = ".");
  ~DirectoryLock();
  DirectoryLock(const DirectoryLock&) = delete;
  DirectoryLock& operator=(const DirectoryLock&) = delete;

  Outcome outcome() const { return outcome_; }
  // HeldElsewhere through a lock file this user may not open for writing: its owner's name.
  const std::string& lockFileOwner() const { return owner_; }
  // The lock file is this user's own but cannot be written (a read-only folder or file): no other
  // program, but nothing can be kept there either.
  bool readOnly() const { return readOnly_; }

 private:
  void Release();

  Outcome outcome_ = Outcome::Unavailable;
  long long handle_ = -1;           // the lock file's descriptor, or a Windows handle
  long long directoryHandle_ = -1;  // the directory's descriptor
  std::string owner_;
  bool readOnly_ = false;
};

}  // namespace plat
