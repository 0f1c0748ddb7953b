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

void DirectoryLock::Release() {
  win::UnlockDirectory(handle_);
  handle_ = -1;
}

DirectoryLock::~DirectoryLock() {
  Release();
}

}  // namespace plat

#else

#include <fcntl.h>
#include <pthread.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

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

// The hidden lock file, locked by every program: a folder one user may read and another may not
// is locked the same way by both. The lock is an open file description lock: NFS and CIFS send it
// to the server as a byte-range lock, so a program on another machine sharing the folder sees it
// too, and unlike a classic POSIX lock no close of another descriptor (the box helper's copy)
// gives it up. The file stays: removing it would let a later program lock a new file beside one
// still held.
int LockFileIn(const std::string& directory, DirectoryLock::Outcome& outcome, std::string& owner,
               bool& readOnly) {
  const std::string path = directory + "/" + kLockFileName;
  // Not through a symbolic link, and never waiting on a pipe planted there.
  const int fd =
      ::open(path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) {
    const int error = errno;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
      // Not there, and it cannot be made: in a folder of this user's own, a read-only one.
      struct stat folder {};
      readOnly = error == EROFS ||
                 ((error == EACCES || error == EPERM) && ::stat(directory.c_str(), &folder) == 0 &&
                  folder.st_uid == ::geteuid());
      return -1;
    }
    if (!S_ISREG(st.st_mode)) {
      // A link, a pipe or a folder: whoever put it there, another user's program may be locking
      // what it leads to, or nothing at all. Never passed over for the directory's lock alone.
      outcome = DirectoryLock::Outcome::NotPlainLockFile;
      return -1;
    }
    if (error == EACCES || error == EPERM || error == EROFS) {
      if (st.st_uid == ::geteuid() || error == EROFS) {
        // This user's own, made read-only (or in a read-only folder): no other program.
        readOnly = true;
        return -1;
      }
      // There, but this user may not write it (another user's, made by an older version): as
      // good as held, since the other user's programs lock it.
      outcome = DirectoryLock::Outcome::HeldElsewhere;
      const passwd* user = ::getpwuid(st.st_uid);
      owner = user && user->pw_name ? user->pw_name : std::to_string(st.st_uid);
    }
    return -1;
  }
  struct stat st {};
  struct flock whole {};
  whole.l_type = F_WRLCK;
  whole.l_whence = SEEK_SET;  // from the start to the end, however long the file grows
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    // Writable by every user who may write the folder, whatever this one's umask.
    struct stat folder {};
    if (st.st_uid == ::geteuid() && ::stat(directory.c_str(), &folder) == 0)
      ::fchmod(fd,
               (st.st_mode & 07777) | S_IRUSR | S_IWUSR | (folder.st_mode & (S_IWGRP | S_IWOTH)));
    int r;
    do r = ::fcntl(fd, F_OFD_SETLK, &whole);
    while (r != 0 && errno == EINTR);
    if (r == 0) {
      outcome = DirectoryLock::Outcome::Locked;
      return fd;
    }
    if (errno == EAGAIN || errno == EACCES) outcome = DirectoryLock::Outcome::HeldElsewhere;
  } else {
    outcome = DirectoryLock::Outcome::NotPlainLockFile;  // a pipe someone reads from
  }
  ::close(fd);
  return -1;
}

}  // namespace

DirectoryLock::DirectoryLock(const std::string& directory) {
  // The lock file first, which every program can take whatever it may read; then the directory
  // itself where it can be locked, which older versions lock alone.
  const int fileFd = LockFileIn(directory, outcome_, owner_, readOnly_);
  if (outcome_ == Outcome::HeldElsewhere || outcome_ == Outcome::NotPlainLockFile) return;
  if (fileFd >= 0) {
    handle_ = fileFd;
    Remember(fileFd, -1);
  }
  const int dirFd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd < 0) return;
  int r;
  do r = ::flock(dirFd, LOCK_EX | LOCK_NB);
  while (r != 0 && errno == EINTR);
  if (r == 0) {
    outcome_ = Outcome::Locked;
    directoryHandle_ = dirFd;
    Remember(dirFd, -1);
    return;
  }
  const bool held = errno == EWOULDBLOCK;
  ::close(dirFd);
  if (held) {
    Release();
    outcome_ = Outcome::HeldElsewhere;
  }
}

void DirectoryLock::Release() {
  for (long long* handle : {&handle_, &directoryHandle_}) {
    if (*handle < 0) continue;
    Remember(-1, static_cast<int>(*handle));
    ::close(static_cast<int>(*handle));
    *handle = -1;
  }
}

DirectoryLock::~DirectoryLock() {
  Release();
}

}  // namespace plat

#endif
