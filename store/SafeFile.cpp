#include "store/SafeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
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
    // Not through a symbolic link planted in place of the temporary file.
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
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

int ErrorOrFolderInTheWay(const std::string& path, int error) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? EISDIR : error;
}

namespace {

#ifndef _WIN32
// A descriptor of something that is not a plain file is closed, with errno ELOOP (EISDIR for a
// folder), so that it is told like a file that cannot be used.
int OnlyPlain(int fd) {
  if (fd < 0) return fd;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) return fd;
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
  const int fd = OnlyPlain(::open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | kNoFollow, 0666));
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
  const int fd = OnlyPlain(::open(path.c_str(), O_WRONLY | kNoFollow));
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

void RemoveLeftTemporaries(FileOps& ops, const std::string& path) {
  namespace fs = std::filesystem;
  const std::string directory = DirectoryOf(path);
  const std::string base = fs::path(path).filename().string() + ".tmp";
  // The names are compared in the system's own characters, so that no other name in the folder
  // has to be converted; the ones removed are plain ASCII.
  const fs::path::string_type prefix = fs::path(base).native();
  std::error_code ec;
  for (fs::directory_iterator it(directory, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path::string_type name = it->path().filename().native();
    if (name.compare(0, prefix.size(), prefix) != 0) continue;
    // Only "" (the fixed name of earlier versions) or "." and a process id follow.
    const fs::path::string_type rest = name.substr(prefix.size());
    bool left = rest.empty() || (rest.size() > 1 && rest[0] == '.');
    std::string suffix;
    for (const auto c : rest) {
      if (!suffix.empty() && (c < '0' || c > '9')) left = false;
      suffix += static_cast<char>(c);
    }
    std::error_code kindError;
    if (!left || it->is_directory(kindError)) continue;
    ops.Remove(directory + "/" + base + suffix);
  }
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
  const std::string temporary = TemporaryPathFor(path);
  errno = 0;
  std::FILE* file = ops.Open(temporary);
  if (!file) return Fail(error, errno);
  // Every step must hold before the old file is given up.
  int reason = 0;
  if (WriteDurablyAndClose(ops, file, bytes, reason)) return true;
  ops.Remove(temporary);
  return Fail(error, reason);
}

bool CommitReplacement(FileOps& ops, const std::string& path, int* error) {
  const std::string temporary = TemporaryPathFor(path);
  errno = 0;
  if (ops.Rename(temporary, path)) return true;
  const int reason = errno;
  ops.Remove(temporary);
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
