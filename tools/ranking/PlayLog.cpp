#include "tools/ranking/PlayLog.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstring>

#include "store/PlayLog.h"
#include "store/SafeFile.h"
#ifdef _WIN32
#include "platform/win/WinHost.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace ranking {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kHeader =
    "日付,時刻,UTC時差,挑戦者番号,ダンボラン,ＢｏｕｎＺｏ,総合得点,ランク,名前,順位";
constexpr size_t kFields = 10;
// A pass's line is about 80 bytes; a quote left open by a torn line is given up after this.
constexpr size_t kLongestLine = 1024;

bool Digits(std::string_view text, size_t at, size_t count) {
  for (size_t i = at; i < at + count; ++i)
    if (text[i] < '0' || text[i] > '9') return false;
  return true;
}

int Number(std::string_view text, size_t at, size_t count) {
  int value = 0;
  for (size_t i = at; i < at + count; ++i) value = value * 10 + (text[i] - '0');
  return value;
}

bool IsTime(std::string_view text) {
  return text.size() == 8 && text[2] == ':' && text[5] == ':' && Digits(text, 0, 2) &&
         Digits(text, 3, 2) && Digits(text, 6, 2) && Number(text, 0, 2) < 24 &&
         Number(text, 3, 2) < 60 && Number(text, 6, 2) <= 60;
}

bool IsOffset(std::string_view text) {
  return text.size() == 6 && (text[0] == '+' || text[0] == '-') && text[3] == ':' &&
         Digits(text, 1, 2) && Digits(text, 4, 2) && Number(text, 4, 2) < 60;
}

// `%d`: an optional minus and digits, within int.
bool ParseInt(std::string_view text, int& value) {
  if (text.empty() || text[0] == '+') return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

// `%f`: digits with an optional minus and fraction; never "inf" or "nan".
bool ParseDouble(std::string_view text, double& value) {
  const size_t first = !text.empty() && text[0] == '-' ? 1 : 0;
  if (text.size() <= first || text[first] < '0' || text[first] > '9') return false;
  const auto [end, error] =
      std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
  return error == std::errc() && end == text.data() + text.size();
}

// Splits the line that starts at `at` into its fields (quotes taken off, doubled quotes made
// single). True, with `next` just past its CR LF, when the line is whole: a CR LF ends it outside
// quotes and every quoted field closes before a comma or that CR LF.
bool SplitLine(std::string_view bytes, size_t at, std::array<std::string, kFields>& fields,
               size_t& count, size_t& next) {
  const size_t limit = std::min(bytes.size(), at + kLongestLine);
  count = 0;
  size_t i = at;
  while (true) {
    if (count == kFields) return false;
    std::string& field = fields[count++];
    field.clear();
    if (i < limit && bytes[i] == '"') {
      ++i;
      while (true) {
        if (i >= limit) return false;
        if (bytes[i] != '"') {
          field += bytes[i++];
        } else if (i + 1 < limit && bytes[i + 1] == '"') {
          field += '"';
          i += 2;
        } else {
          ++i;
          break;
        }
      }
    } else {
      const size_t start = i;
      while (i < limit && bytes[i] != ',' && bytes[i] != '\r' && bytes[i] != '\n' &&
             bytes[i] != '"')
        ++i;
      field.assign(bytes.data() + start, i - start);
    }
    if (i < limit && bytes[i] == ',') {
      ++i;
      continue;
    }
    if (i + 1 < limit && bytes[i] == '\r' && bytes[i + 1] == '\n') {
      next = i + 2;
      return true;
    }
    return false;
  }
}

// The name as spelled: one leading ' comes off when it guards a name that a spreadsheet would
// otherwise take for a formula.
std::string WithoutFormulaGuard(std::string name) {
  if (name.size() >= 2 && name[0] == '\'' && std::strchr("=+-@'", name[1]) != nullptr)
    name.erase(0, 1);
  return name;
}

bool PlayFrom(const std::array<std::string, kFields>& f, Play& play) {
  if (!IsLogDate(f[0]) || !IsTime(f[1]) || !IsOffset(f[2])) return false;
  if (!ParseInt(f[3], play.challenger) || !ParseDouble(f[4], play.distance) ||
      !ParseDouble(f[5], play.bounce) || !ParseInt(f[6], play.total))
    return false;
  if (f[7].size() != 1 || f[7][0] < 'A' || f[7][0] > 'Z') return false;
  if (!f[9].empty() && (f[9].size() != 1 || f[9][0] < '1' || f[9][0] > '5')) return false;
  std::copy_n(f[0].begin(), play.date.size(), play.date.begin());
  std::copy_n(f[1].begin(), play.time.size(), play.time.begin());
  std::copy_n(f[2].begin(), play.offset.size(), play.offset.begin());
  play.grade = f[7][0];
  play.name = WithoutFormulaGuard(f[8]);
  play.place = f[9].empty() ? 0 : f[9][0] - '0';
  return true;
}

}  // namespace

bool IsLogDate(std::string_view text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-' || !Digits(text, 0, 4) ||
      !Digits(text, 5, 2) || !Digits(text, 8, 2))
    return false;
  const int year = Number(text, 0, 4), month = Number(text, 5, 2), day = Number(text, 8, 2);
  constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12 || day < 1 || day > kDays[month - 1]) return false;
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month != 2 || day <= 28 || leap;
}

void ReadPlayLines(std::string_view bytes, PlayLog& log) {
  log.plays.reserve(log.plays.size() + bytes.size() / 64);
  std::array<std::string, kFields> fields;
  size_t at = 0;
  while (at < bytes.size()) {
    size_t count = 0, next = 0;
    Play play;
    if (SplitLine(bytes, at, fields, count, next) && count == kFields && PlayFrom(fields, play)) {
      log.plays.push_back(std::move(play));
      at = next;
      continue;
    }
    // Not a pass: the line ends at its LF, whatever came before it, so that a torn line (the
    // writer starts a new line after it) costs only itself.
    const size_t lf = bytes.find('\n', at);
    const size_t end = lf == std::string_view::npos ? bytes.size() : lf + 1;
    std::string_view line = bytes.substr(at, end - at);
    if (line.substr(0, kByteOrderMark.size()) == kByteOrderMark)
      line.remove_prefix(kByteOrderMark.size());
    if (count == kFields && IsLogDate(fields[0]) && fields[7] == kCutShortMark) {
      ++log.cutShort;  // counted apart: the visitor played, but the pass has no results
    } else if (line != std::string(kHeader) + "\r\n") {
      ++log.skipped;
    }
    at = end;
  }
}

DataFileRead ReadPlayLogFile(const std::string& path, std::string& bytes) {
#ifdef _WIN32
  const int error = plat::win::ReadSharing(path, kMaxPlayLogBytes + 1, bytes);
  if (error == ENOENT) return {DataFileRead::Absent, 0};
  if (error != 0) return {DataFileRead::Unreadable, error};
#else
  bytes.clear();
  errno = 0;
  const int fd = OpenPlainFileToRead(path);  // never a link, never waiting on a pipe
  if (fd < 0) {
    if (errno == ENOENT) return {DataFileRead::Absent, 0};
    return {DataFileRead::Unreadable, errno != 0 ? errno : EIO};
  }
  struct stat st {};
  int error = 0;
  if (::fstat(fd, &st) != 0) {
    error = errno;
  } else if (S_ISDIR(st.st_mode)) {
    error = EISDIR;
  } else {
    if (st.st_size > 0) bytes.reserve(std::min<size_t>(st.st_size, kMaxPlayLogBytes + 1));
    char chunk[1 << 16];
    while (bytes.size() <= kMaxPlayLogBytes) {
      const ssize_t n = ::read(fd, chunk, sizeof chunk);
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
  if (error != 0) {
    bytes.clear();
    return {DataFileRead::Unreadable, error};
  }
#endif
  if (bytes.size() > kMaxPlayLogBytes) {
    bytes.clear();
    return {DataFileRead::Unreadable, EFBIG};
  }
  return {DataFileRead::Read, 0};
}

}  // namespace ranking
