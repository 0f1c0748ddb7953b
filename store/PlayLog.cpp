#include "store/PlayLog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "platform/ShiftJis.h"

namespace {

constexpr std::string_view kLineEnd = "\r\n";

bool EndsInLineEnd(std::string_view bytes) {
  return bytes.size() >= kLineEnd.size() &&
         bytes.substr(bytes.size() - kLineEnd.size()) == kLineEnd;
}

// The whole file, or the errno of why it could not be read (ENOENT when it is not there).
int ReadAll(FileOps& ops, const char* path, std::string& bytes) {
  const int error = ops.ReadWhole(path, kMaxPlayLogBytes + 1, bytes);
  return error == 0 && bytes.size() > kMaxPlayLogBytes ? EFBIG : error;
}

// Offsets of 64 bits everywhere: a log of more than 2 GiB stays writable on Windows too.
int SeekTo(std::FILE* file, long long at, int whence) {
#ifdef _WIN32
  return _fseeki64(file, at, whence);
#else
  return fseeko(file, static_cast<off_t>(at), whence);
#endif
}
long long Tell(std::FILE* file) {
#ifdef _WIN32
  return _ftelli64(file);
#else
  return static_cast<long long>(ftello(file));
#endif
}

// The size of the file at `path`: 0 when it is not there, -1 when it cannot be told.
long long SizeOf(const char* path) {
  errno = 0;
  const int fd = OpenPlainFileToRead(path);
  if (fd < 0) return errno == ENOENT ? 0 : -1;
  struct stat st {};
  const long long size = ::fstat(fd, &st) == 0 ? static_cast<long long>(st.st_size) : -1;
  ::close(fd);
  return size;
}

// What a file opened to append holds now: its size, whether it ends a line, and its bytes from
// `from` on (when it reaches that far).
struct Holding {
  long long size = 0;
  bool endsLine = false;
  std::string from;
};
bool Look(std::FILE* file, long long from, Holding& holding) {
  if (SeekTo(file, 0, SEEK_END) != 0) return false;
  holding.size = Tell(file);
  if (holding.size < 0) return false;
  const long long start = holding.size >= 2 ? holding.size - 2 : 0;
  const long long read = from >= 0 && from < start ? from : start;
  if (SeekTo(file, read, SEEK_SET) != 0) return false;
  std::string bytes(static_cast<size_t>(holding.size - read), '\0');
  if (std::fread(bytes.data(), 1, bytes.size(), file) != bytes.size()) return false;
  holding.endsLine = EndsInLineEnd(bytes);
  if (from >= 0 && from <= holding.size)
    holding.from = bytes.substr(static_cast<size_t>(from - read));
  // Writing follows reading only after a seek.
  return SeekTo(file, 0, SEEK_END) == 0;
}

}  // namespace

PlayRecord PassRecord(const LocalTime& t, const Name& name) {
  const int offset = t.utcOffsetMinutes < 0 ? -t.utcOffsetMinutes : t.utcOffsetMinutes;
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d%02d:%02d:%02d%c%02d:%02d", t.year, t.month,
                t.day, t.hour, t.minute, t.second, t.utcOffsetMinutes < 0 ? '-' : '+',
                offset / 60 % 100, offset % 60);
  PlayRecord record;
  std::copy_n(text, record.date.size(), record.date.begin());
  std::copy_n(text + 10, record.time.size(), record.time.begin());
  std::copy_n(text + 18, record.offset.size(), record.offset.begin());
  record.name = SjisToUtf8(std::string_view(name.data(), name.size()));
  return record;
}

void PlayLog::Add(std::string line) {
  waiting_.push_back(std::move(line));
  Retry();
}

std::string PlayLog::LinesWaiting() const {
  std::string lines;
  for (const std::string& line : waiting_) lines += line;
  return lines;
}

void PlayLog::Retry() {
  if (WriteLog()) {
    place_ = told_ = PlayLogPlace::Log;
    if (sideStuck_ != 0)
      std::fprintf(stderr, "kavrel: %s not removed: %s\n", kPlayLogSideFileName,
                   std::strerror(sideStuck_));
    else
      toldStuck_ = false;
    return;
  }
  std::fprintf(stderr, "kavrel: %s not written: %s\n", kPlayLogFileName, std::strerror(error_));
  if (waiting_.empty() || WriteSideFile()) {
    place_ = PlayLogPlace::SideFile;
  } else {
    place_ = PlayLogPlace::Memory;
  }
}

PlayLogSizes PlayLog::Sizes() const {
  return {SizeOf(kPlayLogFileName), SizeOf(kPlayLogSideFileName)};
}

namespace {

// Whether the file holds `line` as a whole line from `from` on. A line torn there (by a kill or a
// power cut in the middle of its append) is cut off, so that it is written whole again.
bool HeldFrom(FileOps& ops, const char* path, long long from, std::string_view line) {
  std::string bytes;
  if (from < 0 || ReadAll(ops, path, bytes) != 0 || static_cast<long long>(bytes.size()) <= from)
    return false;
  auto at = static_cast<size_t>(from);
  // The first whole line from there on.
  if (at > 0 && bytes[at - 1] != '\n') {
    const size_t end = bytes.find('\n', at);
    at = end == std::string::npos ? bytes.size() : end + 1;
  }
  while (at < bytes.size()) {
    if (bytes.compare(at, line.size(), line) == 0) return true;
    const size_t end = bytes.find(kLineEnd, at);
    if (end == std::string::npos) {
      ops.CutBack(path, static_cast<long long>(at));
      return false;
    }
    at = end + kLineEnd.size();
  }
  return false;
}

}  // namespace

void PlayLog::AddUnlessHeld(std::string line, const PlayLogSizes& sizes) {
  if (HeldFrom(ops_, kPlayLogFileName, sizes.log, line) ||
      HeldFrom(ops_, kPlayLogSideFileName, sizes.side, line))
    return;
  Add(std::move(line));
}

bool PlayLog::TakeNews() {
  if (place_ == PlayLogPlace::Log && sideStuck_ != 0 && !toldStuck_) {
    toldStuck_ = true;
    return true;
  }
  if (place_ <= told_) return false;
  told_ = place_;
  return true;
}

bool PlayLog::WriteLog() {
  std::string side, move;
  const int sideRead = ReadAll(ops_, kPlayLogSideFileName, side);
  const int moveRead = ReadAll(ops_, kPlayLogMoveFileName, move);
  // Unread, the side file's lines would come after the new ones: they all wait instead.
  for (const int read : {sideRead, moveRead}) {
    if (read != 0 && read != ENOENT) {
      error_ = read;
      return false;
    }
  }
  const bool sideThere = sideRead == 0;
  const bool moving = moveRead == 0;
  if (!sideThere && waiting_.empty()) {
    // A note of a move whose side file is gone already: that move is over.
    if (moving) ops_.Remove(kPlayLogMoveFileName);
    return true;
  }
  const std::vector<std::string> lines = SplitPlayLines(std::move(side));

  errno = 0;
  std::FILE* file = ops_.OpenToAppend(kPlayLogFileName);
  if (!file) {
    error_ = errno != 0 ? errno : EIO;
    return false;
  }
  const long long moveFrom = moving ? std::strtoll(move.c_str(), nullptr, 10) : -1;
  Holding holding;
  if (!Look(file, moveFrom, holding)) {
    error_ = errno != 0 ? errno : EIO;
    ops_.Close(file);
    return false;
  }
  // A new or emptied log starts with its head; a line torn by a kill or a power cut is ended, so
  // that the new one starts on a line of its own.
  const std::string_view start = holding.size == 0  ? std::string_view(PlayLogHead())
                                 : holding.endsLine ? std::string_view()
                                                    : kLineEnd;
  size_t moved = 0;
  if (moving && moveFrom <= holding.size) {
    moved = LinesMoved(holding.from, lines);
  } else if (!lines.empty()) {
    // Noted, durably, before the first byte of the move.
    const long long from = holding.size + static_cast<long long>(start.size());
    if (!ReplaceFile(ops_, kPlayLogMoveFileName, std::to_string(from), &error_)) {
      ops_.Close(file);
      return false;
    }
  }
  std::string bytes(start);
  for (size_t i = moved; i < lines.size(); ++i) bytes += lines[i];
  for (const std::string& line : waiting_) bytes += line;
  if (!AppendDurably(ops_, file, kPlayLogFileName, holding.size, bytes, error_)) return false;
  waiting_.clear();
  sideStuck_ = 0;
  if (sideThere || !lines.empty() || moving) {
    // The side file goes first: a note of a move left behind alone moves nothing.
    if (sideThere && !ops_.Remove(kPlayLogSideFileName)) {
      // The lines are in the log; the note stays, so that neither the next move nor a reader
      // takes them twice. Not a success: told, and tried again at every pass.
      sideStuck_ = errno != 0 ? errno : EIO;
      return true;
    }
    ops_.SyncDirectory(DirectoryOf(kPlayLogFileName));
    ops_.Remove(kPlayLogMoveFileName);
  }
  return true;
}

bool PlayLog::WriteSideFile() {
  // Its own failure is not told: what the operator must put right is the log.
  std::FILE* file = ops_.OpenToAppend(kPlayLogSideFileName);
  if (!file) return false;
  Holding holding;
  if (!Look(file, -1, holding)) {
    ops_.Close(file);
    return false;
  }
  std::string bytes(holding.size == 0 || holding.endsLine ? "" : kLineEnd);
  for (const std::string& line : waiting_) bytes += line;
  int error = 0;
  if (!AppendDurably(ops_, file, kPlayLogSideFileName, holding.size, bytes, error)) return false;
  waiting_.clear();
  return true;
}
