#include "store/PlayLog.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "platform/ShiftJis.h"

const std::string_view kPlayLogHead =
    "\xEF\xBB\xBF"
    "日付,時刻,UTC時差,挑戦者番号,ダンボラン,ＢｏｕｎＺｏ,総合得点,ランク,名前,順位\r\n";

namespace {

constexpr std::string_view kLineEnd = "\r\n";

// As %f writes it, with no padding: the form of the record file.
std::string Fixed(double value) {
  const int length = std::snprintf(nullptr, 0, "%f", value);
  if (length <= 0) return {};
  std::string out(static_cast<size_t>(length) + 1, '\0');
  std::snprintf(out.data(), out.size(), "%f", value);
  out.resize(static_cast<size_t>(length));
  return out;
}

// A spreadsheet takes a cell that starts with one of these for a formula; a ' before it keeps the
// cell text, and readers take exactly that one ' away again.
bool LooksLikeAFormula(std::string_view text) {
  return !text.empty() && std::string_view("=+-@'").find(text.front()) != std::string_view::npos;
}

std::string NameField(const Name& name) {
  std::string text = SjisToUtf8(std::string_view(name.data(), name.size()));
  if (LooksLikeAFormula(text)) text.insert(0, 1, '\'');
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

bool EndsInLineEnd(std::string_view bytes) {
  return bytes.size() >= kLineEnd.size() &&
         bytes.substr(bytes.size() - kLineEnd.size()) == kLineEnd;
}

// The whole file, or the errno of why it could not be read (ENOENT when it is not there).
int ReadAll(const char* path, std::string& bytes) {
  bytes.clear();
  errno = 0;
  std::FILE* file = std::fopen(path, "rb");
  if (!file) return ErrorOrFolderInTheWay(path, errno != 0 ? errno : EIO);
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, n);
  const bool failed = std::ferror(file);
  std::fclose(file);
  return failed ? ErrorOrFolderInTheWay(path, EIO) : 0;
}

// The side file's lines, each with its line end; a last line torn by a kill is given one, so that
// it stays a line of its own.
std::vector<std::string> SplitLines(std::string bytes) {
  if (!bytes.empty() && !EndsInLineEnd(bytes)) bytes += kLineEnd;
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    const size_t end = bytes.find(kLineEnd, start) + kLineEnd.size();
    lines.push_back(bytes.substr(start, end - start));
    start = end;
  }
  return lines;
}

// What a file opened to append holds now: its size, whether it ends a line, and its bytes from
// `from` on (when it reaches that far).
struct Holding {
  long size = 0;
  bool endsLine = false;
  std::string from;
};
bool Look(std::FILE* file, long from, Holding& holding) {
  if (std::fseek(file, 0, SEEK_END) != 0) return false;
  holding.size = std::ftell(file);
  if (holding.size < 0) return false;
  const long start = holding.size >= 2 ? holding.size - 2 : 0;
  const long read = from >= 0 && from < start ? from : start;
  if (std::fseek(file, read, SEEK_SET) != 0) return false;
  std::string bytes(static_cast<size_t>(holding.size - read), '\0');
  if (std::fread(bytes.data(), 1, bytes.size(), file) != bytes.size()) return false;
  holding.endsLine = EndsInLineEnd(bytes);
  if (from >= 0 && from <= holding.size)
    holding.from = bytes.substr(static_cast<size_t>(from - read));
  // Writing follows reading only after a seek.
  return std::fseek(file, 0, SEEK_END) == 0;
}

// How many of the side file's lines are already in the log from where their move began: its whole
// lines there, in order (a line torn by a kill is passed over; the move wrote it again after it).
size_t LinesMoved(std::string_view from, const std::vector<std::string>& lines) {
  size_t moved = 0;
  size_t start = 0;
  while (moved < lines.size()) {
    const size_t end = from.find(kLineEnd, start);
    if (end == std::string_view::npos) break;
    const std::string_view line = from.substr(start, end + kLineEnd.size() - start);
    if (line == lines[moved]) ++moved;
    start = end + kLineEnd.size();
  }
  return moved;
}

// Appends `bytes` after what `holding` found, made durable: written, flushed, synced and closed
// (closed whatever happened). A new file's name is made durable too.
bool AppendDurably(FileOps& ops, std::FILE* file, const Holding& holding, std::string_view bytes,
                   const std::string& path, int& error) {
  errno = 0;
  bool done = ops.Write(file, bytes) && ops.Flush(file) && ops.Sync(file);
  error = errno;
  if (!ops.Close(file) && done) {
    done = false;
    error = errno;
  }
  if (!done) {
    if (error == 0) error = EIO;
    return false;
  }
  if (holding.size == 0) ops.SyncDirectory(DirectoryOf(path));
  return true;
}

}  // namespace

std::string FormatPlayLine(const PlayLine& line) {
  const LocalTime& t = line.when;
  const int offset = t.utcOffsetMinutes < 0 ? -t.utcOffsetMinutes : t.utcOffsetMinutes;
  char head[96];
  std::snprintf(head, sizeof head, "%04d-%02d-%02d,%02d:%02d:%02d,%c%02d:%02d,%d,", t.year, t.month,
                t.day, t.hour, t.minute, t.second, t.utcOffsetMinutes < 0 ? '-' : '+', offset / 60,
                offset % 60, static_cast<int>(line.challengerNumber));
  std::string out = head;
  out += Fixed(line.carDistance) + ',' + Fixed(line.bounceScore) + ',';
  out += std::to_string(line.totalScore) + ',' + line.grade + ',' + NameField(line.name) + ',';
  if (line.place > 0) out += std::to_string(line.place);
  return out += kLineEnd;
}

void PlayLog::Add(std::string line) {
  waiting_.push_back(std::move(line));
  Retry();
}

void PlayLog::Retry() {
  if (WriteLog()) {
    place_ = told_ = PlayLogPlace::Log;
    return;
  }
  std::fprintf(stderr, "kavrel: %s not written: %s\n", kPlayLogFileName, std::strerror(error_));
  if (waiting_.empty() || WriteSideFile()) {
    place_ = PlayLogPlace::SideFile;
  } else {
    place_ = PlayLogPlace::Memory;
  }
}

bool PlayLog::TakeNews() {
  if (place_ <= told_) return false;
  told_ = place_;
  return true;
}

bool PlayLog::WriteLog() {
  std::string side, move;
  const int sideRead = ReadAll(kPlayLogSideFileName, side);
  const int moveRead = ReadAll(kPlayLogMoveFileName, move);
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
  const std::vector<std::string> lines = SplitLines(std::move(side));

  errno = 0;
  std::FILE* file = ops_.OpenToAppend(kPlayLogFileName);
  if (!file) {
    error_ = errno != 0 ? errno : EIO;
    return false;
  }
  const long moveFrom = moving ? std::strtol(move.c_str(), nullptr, 10) : -1;
  Holding holding;
  if (!Look(file, moveFrom, holding)) {
    error_ = errno != 0 ? errno : EIO;
    ops_.Close(file);
    return false;
  }
  // A new or emptied log starts with its head; a line torn by a kill or a power cut is ended, so
  // that the new one starts on a line of its own.
  const std::string_view start = holding.size == 0  ? kPlayLogHead
                                 : holding.endsLine ? std::string_view()
                                                    : kLineEnd;
  size_t moved = 0;
  if (moving && moveFrom <= holding.size) {
    moved = LinesMoved(holding.from, lines);
  } else if (!lines.empty()) {
    // Noted, durably, before the first byte of the move.
    const long from = holding.size + static_cast<long>(start.size());
    if (!ReplaceFile(ops_, kPlayLogMoveFileName, std::to_string(from), &error_)) {
      ops_.Close(file);
      return false;
    }
  }
  std::string bytes(start);
  for (size_t i = moved; i < lines.size(); ++i) bytes += lines[i];
  for (const std::string& line : waiting_) bytes += line;
  if (!AppendDurably(ops_, file, holding, bytes, kPlayLogFileName, error_)) return false;
  waiting_.clear();
  if (sideThere || !lines.empty() || moving) {
    // The side file goes first: a note of a move left behind alone moves nothing.
    if (sideThere && !ops_.Remove(kPlayLogSideFileName)) return true;
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
  if (!AppendDurably(ops_, file, holding, bytes, kPlayLogSideFileName, error)) return false;
  waiting_.clear();
  return true;
}
