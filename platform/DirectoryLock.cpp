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
#include <sys/stat.h>
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

// Where the directory itself cannot be locked (a folder that may not be read; a network folder,
// where an exclusive flock needs a descriptor open for writing), a hidden file in it is locked
// instead. The lock is an open file description lock: NFS and CIFS send it to the server as a
// byte-range lock, so a program on another machine sharing the folder sees it too, and unlike a
// classic POSIX lock no close of another descriptor (the box helper's copy) gives it up. The
// file stays: removing it would let a later program lock a new file beside one still held.
int LockFileIn(const std::string& directory, DirectoryLock::Outcome& outcome) {
  const std::string path = directory + "/" + kLockFileName;
  // Not through a symbolic link, and never waiting on a pipe planted there.
  const int fd =
      ::open(path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) return -1;
  struct stat st {};
  struct flock whole {};
  whole.l_type = F_WRLCK;
  whole.l_whence = SEEK_SET;  // from the start to the end, however long the file grows
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    int r;
    do r = ::fcntl(fd, F_OFD_SETLK, &whole);
    while (r != 0 && errno == EINTR);
    if (r == 0) {
      outcome = DirectoryLock::Outcome::Locked;
      return fd;
    }
    if (errno == EAGAIN || errno == EACCES) outcome = DirectoryLock::Outcome::HeldElsewhere;
  }
  ::close(fd);
  return -1;
}

}  // namespace

DirectoryLock::DirectoryLock(const std::string& directory) {
  // The directory itself first, so that a local folder is left with no lock file.
  const int dirFd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    int r;
    do r = ::flock(dirFd, LOCK_EX | LOCK_NB);
    while (r != 0 && errno == EINTR);
    if (r == 0) {
      outcome_ = Outcome::Locked;
      handle_ = dirFd;
      Remember(dirFd, -1);
      return;
    }
    const bool held = errno == EWOULDBLOCK;
    ::close(dirFd);
    if (held) {
      outcome_ = Outcome::HeldElsewhere;
      return;
    }
  }
  const int fileFd = LockFileIn(directory, outcome_);
  if (fileFd < 0) return;
  handle_ = fileFd;
  Remember(fileFd, -1);
}

DirectoryLock::~DirectoryLock() {
  if (handle_ < 0) return;
  Remember(-1, static_cast<int>(handle_));
  ::close(static_cast<int>(handle_));
}

}  // namespace plat

#endif
