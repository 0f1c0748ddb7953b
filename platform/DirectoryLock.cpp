#include "platform/DirectoryLock.h"

#ifdef _WIN32

#include "platform/win/WinHost.h"

namespace plat {

DirectoryLock::DirectoryLock(const std::string& directory) {
  switch (win::LockDirectory(directory, handle_)) {
    case win::LockResult::Locked:
      outcome_ = Outcome::Locked;
      break;
    case win::LockResult::Held:
      outcome_ = Outcome::HeldElsewhere;
      break;
    case win::LockResult::Failed:
      outcome_ = Outcome::Unavailable;
      break;
  }
}

DirectoryLock::~DirectoryLock() {
  win::UnlockDirectory(handle_);
}

}  // namespace plat

#else

#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace plat {
namespace {

// The descriptors of the locks this process holds. A child forked while the game runs (the
// helper that shows a message box) shares them; it closes its copies, so that the lock ends with
// the game and not with the box.
constexpr int kMaxLocks = 8;
volatile int heldFds[kMaxLocks] = {-1, -1, -1, -1, -1, -1, -1, -1};

void CloseLocksInChild() {
  for (int i = 0; i < kMaxLocks; ++i)
    if (heldFds[i] >= 0) ::close(heldFds[i]);
}

void Remember(int fd, int replaced) {
  static bool hooked = false;
  if (!hooked) {
    hooked = true;
    pthread_atfork(nullptr, nullptr, &CloseLocksInChild);
  }
  for (int i = 0; i < kMaxLocks; ++i) {
    if (heldFds[i] == replaced) {
      heldFds[i] = fd;
      return;
    }
  }
}

}  // namespace

DirectoryLock::DirectoryLock(const std::string& directory) {
  // The directory itself is locked, so no lock file is ever left behind.
  const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  int r;
  do r = ::flock(fd, LOCK_EX | LOCK_NB);
  while (r != 0 && errno == EINTR);
  if (r == 0) {
    outcome_ = Outcome::Locked;
    handle_ = fd;
    Remember(fd, -1);
    return;
  }
  outcome_ = errno == EWOULDBLOCK ? Outcome::HeldElsewhere : Outcome::Unavailable;
  ::close(fd);
}

DirectoryLock::~DirectoryLock() {
  if (handle_ < 0) return;
  Remember(-1, static_cast<int>(handle_));
  ::close(static_cast<int>(handle_));
}

}  // namespace plat

#endif
