#include "store/SafeFile.h"

#include <fcntl.h>
#ifndef _WIN32
#include <pwd.h>
#endif
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <map>
#ifdef _WIN32
#include <io.h>
#include <process.h>
#endif

#ifdef _WIN32
#include "platform/win/WinHost.h"
#endif

namespace {

#ifdef _WIN32
// The same steps with Windows' own calls: rename() does not replace an existing file there, and
// fsync() is _commit(). MoveFileEx's write-through puts the new name on the disk too.
class Windows : public FileOps {
 public:
  std::FILE* Open(const std::string& path) override {
    // Not through a link or junction planted in place of the temporary file.
    const int fd = plat::win::OpenPlainFile(path, _O_WRONLY | _O_CREAT | _O_TRUNC);
    std::FILE* file = fd >= 0 ? _fdopen(fd, "wb") : nullptr;
    if (fd >= 0 && !file) ::_close(fd);
    if (!file && errno != ELOOP) errno = ErrorOrFolderInTheWay(path, errno);
    return file;
  }
  bool Write(std::FILE* file, std::string_view bytes) override {
    return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  }
  bool Flush(std::FILE* file) override { return std::fflush(file) == 0; }
  bool Sync(std::FILE* file) override { return plat::win::CommitToDisk(file); }
  bool Close(std::FILE* file) override { return std::fclose(file) == 0; }
  bool Rename(const std::string& from, const std::string& to) override {
    if (plat::win::MoveReplacing(from, to)) return true;
    errno = ErrorOrFolderInTheWay(to, errno);
    return false;
  }
  bool Remove(const std::string& path) override { return std::remove(path.c_str()) == 0; }
  bool SyncDirectory(const std::string&) override { return true; }
};
using SystemOps = Windows;
#else
class Posix : public FileOps {
 public:
  std::FILE* Open(const std::string& path) override {
    // Always a new file: never through a link, a hard link or a pipe planted under the name.
    const int fd = ::open(path.c_str(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    std::FILE* file = ::fdopen(fd, "wb");
    if (!file) {
      ::close(fd);
      ::unlink(path.c_str());
    }
    return file;
  }

  bool Write(std::FILE* file, std::string_view bytes) override {
    return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  }

  bool Flush(std::FILE* file) override { return std::fflush(file) == 0; }

  bool Sync(std::FILE* file) override {
    int r;
    do r = ::fsync(::fileno(file));
    while (r != 0 && errno == EINTR);
    return r == 0;
  }

  bool Close(std::FILE* file) override { return std::fclose(file) == 0; }

  bool Rename(const std::string& from, const std::string& to) override {
    return std::rename(from.c_str(), to.c_str()) == 0;
  }

  bool Remove(const std::string& path) override { return ::unlink(path.c_str()) == 0; }

  bool SyncDirectory(const std::string& directory) override {
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
  }
};

using SystemOps = Posix;
#endif

}  // namespace

std::string DirectoryOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string UntrustedOwner(const std::string& path) {
#ifdef _WIN32
  (void)path;
  return {};  // the folder's permissions decide there
#else
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return {};
  const bool othersWrite =
      (st.st_mode & S_IWOTH) != 0 || ((st.st_mode & S_IWGRP) != 0 && st.st_gid != ::getegid());
  if (st.st_uid == ::geteuid() && !othersWrite) return {};
  const passwd* user = ::getpwuid(st.st_uid);
  return user && user->pw_name ? user->pw_name : std::to_string(st.st_uid);
#endif
}

int ErrorOrFolderInTheWay(const std::string& path, int error) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? EISDIR : error;
}

namespace {

#ifndef _WIN32
// A descriptor of something that is not a plain file is closed, with errno ELOOP (EISDIR for a
// folder), so that it is told like a file that cannot be used. A file written to must have one
// name: through a hard link another user made, the game would write into that user's file.
int OnlyPlain(int fd, bool oneLink = false) {
  if (fd < 0) return fd;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && (!oneLink || st.st_nlink == 1)) return fd;
  const int error = S_ISDIR(st.st_mode) ? EISDIR : ELOOP;
  ::close(fd);
  errno = error;
  return -1;
}

// Not through a link, and never waiting on a pipe planted under the name.
constexpr int kNoFollow = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
#endif

}  // namespace

int OpenPlainFileToRead(const std::string& path) {
#ifdef _WIN32
  const int fd = plat::win::OpenPlainFile(path, _O_RDONLY);
#else
  const int fd = OnlyPlain(::open(path.c_str(), O_RDONLY | kNoFollow));
#endif
  if (fd < 0 && errno != ENOENT && errno != ELOOP) errno = ErrorOrFolderInTheWay(path, errno);
  return fd;
}

std::FILE* FileOps::OpenToAppend(const std::string& path) {
#ifdef _WIN32
  // Shared for reading and writing: a spreadsheet may open the log meanwhile.
  const int fd = plat::win::OpenPlainFile(path, _O_RDWR | _O_CREAT | _O_APPEND);
  std::FILE* file = fd >= 0 ? _fdopen(fd, "a+b") : nullptr;
  if (fd >= 0 && !file) ::_close(fd);
#else
  std::FILE* file = nullptr;
  const int fd =
      OnlyPlain(::open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | kNoFollow, 0666), true);
  if (fd >= 0) {
    file = ::fdopen(fd, "a+b");
    if (!file) ::close(fd);
  }
#endif
  if (!file && errno != ELOOP) errno = ErrorOrFolderInTheWay(path, errno);
  return file;
}

bool FileOps::CutBack(const std::string& path, long long size) {
#ifdef _WIN32
  const int fd = plat::win::OpenPlainFile(path, _O_WRONLY);
  if (fd < 0) return false;
  const bool done = ::_chsize_s(fd, size) == 0 && ::_commit(fd) == 0;
#else
  const int fd = OnlyPlain(::open(path.c_str(), O_WRONLY | kNoFollow), true);
  if (fd < 0) return false;
  const bool done = ::ftruncate(fd, static_cast<off_t>(size)) == 0 && ::fsync(fd) == 0;
#endif
  ::close(fd);
  return done;
}

int FileOps::ReadWhole(const std::string& path, size_t limit, std::string& bytes) {
  bytes.clear();
#ifdef _WIN32
  return plat::win::ReadSharing(path, limit, bytes);
#else
  // Never through a link, and never waiting on a pipe planted under the name.
  errno = 0;
  const int fd = OpenPlainFileToRead(path);
  if (fd < 0)
    return errno == ENOENT ? ENOENT : ErrorOrFolderInTheWay(path, errno != 0 ? errno : EIO);
  int error = 0;
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    error = errno;
  } else if (S_ISDIR(st.st_mode)) {
    error = EISDIR;
  } else {
    if (st.st_size > 0) bytes.reserve(std::min<size_t>(static_cast<size_t>(st.st_size), limit));
    char chunk[1 << 16];
    while (bytes.size() < limit) {
      const ssize_t n = ::read(fd, chunk, std::min(sizeof chunk, limit - bytes.size()));
      if (n == 0) break;
      if (n < 0) {
        if (errno == EINTR) continue;
        error = errno;
        break;
      }
      bytes.append(chunk, static_cast<size_t>(n));
    }
  }
  ::close(fd);
  if (error != 0) bytes.clear();
  return error;
#endif
}

FileOps& PosixFileOps() {
  static SystemOps ops;
  return ops;
}

std::string TemporaryPathFor(const std::string& path, long long pid) {
  return path + ".tmp." + std::to_string(pid);
}

std::string TemporaryPathFor(const std::string& path) {
#ifdef _WIN32
  return TemporaryPathFor(path, _getpid());
#else
  return TemporaryPathFor(path, ::getpid());
#endif
}

void RemoveLeftTemporaries(FileOps& ops, const std::string& directory,
                           const std::function<bool(const std::string&)>& replaced) {
  namespace fs = std::filesystem;
  std::error_code ec;
  for (fs::directory_iterator it(directory, ec), end; !ec && it != end; it.increment(ec)) {
    // The names are compared in the system's own characters, so that no other name in the
    // folder has to be converted; the ones removed are plain ASCII.
    const fs::path::string_type native = it->path().filename().native();
    if (std::any_of(native.begin(), native.end(),
                    [](auto c) { return static_cast<unsigned long>(c) > 127; }))
      continue;
    const std::string name = it->path().filename().string();
    const size_t mark = name.rfind(".tmp");
    if (mark == std::string::npos || mark == 0) continue;
    // Only "" (the fixed name of earlier versions) or "." and a process id follow, with "-" and
    // a number when that name was taken.
    const std::string rest = name.substr(mark + 4);
    static const auto isNumber = [](const std::string& t) {
      return !t.empty() &&
             std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    const size_t dash = rest.find('-');
    const bool left =
        rest.empty() ||
        (rest[0] == '.' &&
         isNumber(rest.substr(1, dash == std::string::npos ? std::string::npos : dash - 1)) &&
         (dash == std::string::npos || isNumber(rest.substr(dash + 1))));
    std::error_code kindError;
    if (!left || !replaced(name.substr(0, mark)) || it->is_directory(kindError)) continue;
    ops.Remove(directory == "." ? name : directory + "/" + name);
  }
}

void RemoveLeftTemporaries(FileOps& ops, const std::string& path) {
  const std::string base = std::filesystem::path(path).filename().string();
  RemoveLeftTemporaries(ops, DirectoryOf(path),
                        [&base](const std::string& b) { return b == base; });
}

namespace {

bool Fail(int* error, int reason) {
  if (error) *error = reason != 0 ? reason : EIO;
  return false;
}

}  // namespace

bool WriteDurablyAndClose(FileOps& ops, std::FILE* file, std::string_view bytes, int& error) {
  errno = 0;
  bool done = ops.Write(file, bytes) && ops.Flush(file) && ops.Sync(file);
  error = errno;
  if (!ops.Close(file) && done) {
    done = false;
    error = errno;
  }
  if (done) return true;
  if (error == 0) error = EIO;
  return false;
}

bool AppendDurably(FileOps& ops, std::FILE* file, const std::string& path, long long sizeBefore,
                   std::string_view bytes, int& error) {
  if (!WriteDurablyAndClose(ops, file, bytes, error)) {
    if (sizeBefore >= 0) ops.CutBack(path, sizeBefore);
    return false;
  }
  error = 0;
  if (sizeBefore == 0) ops.SyncDirectory(DirectoryOf(path));
  return true;
}

namespace {

// The temporary each replacement between its two halves writes: this process's name, or another
// when something that is not a leftover of this user's stands under it.
std::map<std::string, std::string>& TemporariesInUse() {
  static std::map<std::string, std::string> inUse;
  return inUse;
}

std::string TemporaryInUse(const std::string& path) {
  const auto it = TemporariesInUse().find(path);
  return it == TemporariesInUse().end() ? TemporaryPathFor(path) : it->second;
}

// A plain file of this user's with one name: a leftover of an earlier run with the same process
// id, which may go. Anything else (a link, a pipe, a folder, another user's file) is left alone.
bool LeftoverOfOurs(const std::string& path) {
#ifdef _WIN32
  (void)path;
  return false;
#else
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink == 1 &&
         st.st_uid == ::geteuid();
#endif
}

}  // namespace

void AbandonReplacement(FileOps& ops, const std::string& path) {
  ops.Remove(TemporaryInUse(path));
  TemporariesInUse().erase(path);
}

bool PrepareReplacement(FileOps& ops, const std::string& path, std::string_view bytes, int* error) {
  // The rename needs only the directory to be writable: a file made read-only (by its owner, or
  // one that belongs to someone else) would be replaced behind the user's back.
  errno = 0;
#ifdef _WIN32
  // The read-only attribute; MoveFileEx would refuse such a file too, but only after the writing.
  if (::access(path.c_str(), 2 /* write */) != 0 && errno != ENOENT) return Fail(error, errno);
#else
  if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0 && errno != ENOENT)
    return Fail(error, errno);
#endif
  std::string temporary;
  std::FILE* file = nullptr;
  for (int n = 1; !file; ++n) {
    temporary = TemporaryPathFor(path) + (n == 1 ? "" : "-" + std::to_string(n));
    errno = 0;
    file = ops.Open(temporary);
    if (!file && errno == EEXIST && LeftoverOfOurs(temporary) && ops.Remove(temporary)) {
      errno = 0;
      file = ops.Open(temporary);
    }
    // A folder is told as one, for the operator to move; anything else is passed by.
    if (!file && errno == EEXIST) errno = ErrorOrFolderInTheWay(temporary, EEXIST);
    if (!file && (errno != EEXIST || n == 8)) return Fail(error, errno);
  }
  TemporariesInUse()[path] = temporary;
  // Every step must hold before the old file is given up.
  int reason = 0;
  if (WriteDurablyAndClose(ops, file, bytes, reason)) return true;
  AbandonReplacement(ops, path);
  return Fail(error, reason);
}

bool CommitReplacement(FileOps& ops, const std::string& path, int* error) {
  const std::string temporary = TemporaryInUse(path);
  errno = 0;
  if (ops.Rename(temporary, path)) {
    TemporariesInUse().erase(path);
    return true;
  }
  const int reason = errno;
  AbandonReplacement(ops, path);
  return Fail(error, reason);
}

bool ReplaceFile(FileOps& ops, const std::string& path, std::string_view bytes, int* error) {
  if (!PrepareReplacement(ops, path, bytes, error) || !CommitReplacement(ops, path, error))
    return false;
  // The new file is complete and in place. Without this the rename itself may not survive a power
  // loss, but either file is then whole, so a failure here does not undo the save.
  ops.SyncDirectory(DirectoryOf(path));
  return true;
}
