#include "store/PlayLogFormat.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>

#include "store/TextScan.h"

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kLineEnd = "\r\n";
// A pass's line is about 80 bytes; a quote left open by a torn line is given up after this.
constexpr size_t kLongestLine = 1024;

using Fields = std::array<std::string, kPlayLogColumnCount>;

std::string NameField(std::string text) {
  if (!text.empty() && kFormulaStarts.find(text.front()) != std::string_view::npos)
    text.insert(0, 1, '\'');
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

std::string WithoutFormulaGuard(std::string name) {
  if (name.size() >= 2 && name[0] == '\'' && kFormulaStarts.find(name[1]) != std::string::npos)
    name.erase(0, 1);
  return name;
}

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
// single). True, with `next` just past its CR LF, when the line is whole and has every column: a
// CR LF ends it outside quotes and every quoted field closes before a comma or that CR LF.
bool SplitLine(std::string_view bytes, size_t at, Fields& fields, size_t& next) {
  const size_t limit = std::min(bytes.size(), at + kLongestLine);
  size_t count = 0;
  size_t i = at;
  while (true) {
    if (count == fields.size()) return false;
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
      return count == fields.size();
    }
    return false;
  }
}

bool RecordFrom(const Fields& f, PlayRecord& record) {
  if (!IsLogDate(f[0]) || !IsTime(f[1]) || !IsOffset(f[2])) return false;
  if (!ParseInt(f[3], record.challenger) || !ParseDouble(f[4], record.distance) ||
      !ParseDouble(f[5], record.bounce) || !ParseInt(f[6], record.total))
    return false;
  if (f[7].size() != 1 || f[7][0] < 'A' || f[7][0] > 'Z') return false;
  if (!f[9].empty() && (f[9].size() != 1 || f[9][0] < '1' || f[9][0] > '5')) return false;
  std::copy_n(f[0].begin(), record.date.size(), record.date.begin());
  std::copy_n(f[1].begin(), record.time.size(), record.time.begin());
  std::copy_n(f[2].begin(), record.offset.size(), record.offset.begin());
  record.grade = f[7][0];
  record.name = WithoutFormulaGuard(f[8]);
  record.place = f[9].empty() ? 0 : f[9][0] - '0';
  return true;
}

bool EndsInLineEnd(std::string_view bytes) {
  return bytes.size() >= kLineEnd.size() &&
         bytes.substr(bytes.size() - kLineEnd.size()) == kLineEnd;
}

}  // namespace

const std::string& PlayLogHead() {
  static const std::string head = [] {
    std::string text(kByteOrderMark);
    for (const char* column : kPlayLogColumns)
      text += std::string(text.size() > kByteOrderMark.size() ? "," : "") + column;
    return text + std::string(kLineEnd);
  }();
  return head;
}

std::string FormatPlayRecord(const PlayRecord& r) {
  std::string out(r.date.data(), r.date.size());
  out += ',' + r.Time() + ',' + std::string(r.offset.data(), r.offset.size()) + ',';
  out += std::to_string(r.challenger) + ',';
  const int known = r.cutShort ? r.known : 5;
  out += (known >= 1 ? FixedSix(r.distance) : "") + ',';
  out += (known >= 2 ? FixedSix(r.bounce) : "") + ',';
  out += (known >= 3 ? std::to_string(r.total) : "") + ',';
  if (r.cutShort)
    out += kCutShortMark;
  else
    out += r.grade;
  out += ',' + (known >= 4 ? NameField(r.name) : "") + ',';
  if (known >= 5 && r.place > 0) out += std::to_string(r.place);
  return out += kLineEnd;
}

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

void ReadPlayRecords(std::string_view bytes, PlayRecords& records) {
  records.plays.reserve(records.plays.size() + bytes.size() / 64);
  const std::string_view header(PlayLogHead().data() + kByteOrderMark.size(),
                                PlayLogHead().size() - kByteOrderMark.size());
  Fields fields;
  LogDate before{};
  size_t at = 0;
  while (at < bytes.size()) {
    size_t next = 0;
    PlayRecord record;
    const bool whole = SplitLine(bytes, at, fields, next);
    if (whole && RecordFrom(fields, record)) {
      before = record.date;
      records.plays.push_back(std::move(record));
      at = next;
      continue;
    }
    if (whole && IsLogDate(fields[0]) && fields[7] == kCutShortMark) {
      std::copy_n(fields[0].begin(), before.size(), before.begin());
      records.cutShort.push_back(before);
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
    if (line != header) {
      LogDate date = before;
      if (line.size() >= date.size() && IsLogDate(line.substr(0, date.size())))
        std::copy_n(line.begin(), date.size(), date.begin());
      records.skipped.push_back(date);
    }
    at = end;
  }
}

std::vector<std::string> SplitPlayLines(std::string bytes) {
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

PlayLogRead ReadPlayLog(FileOps& ops, PlayRecords& records) {
  PlayLogRead result;
  std::string bytes[3];
  const char* const names[] = {kPlayLogFileName, kPlayLogSideFileName, kPlayLogMoveFileName};
  bool there[3] = {};
  for (int i = 0; i < 3; ++i) {
    int error = ops.ReadWhole(names[i], kMaxPlayLogBytes + 1, bytes[i]);
    if (error == 0 && bytes[i].size() > kMaxPlayLogBytes) error = EFBIG;
    if (error == ENOENT) continue;
    if (error != 0) {
      result.failedFile = names[i];
      result.error = error;
      return result;
    }
    there[i] = true;
  }
  result.found = there[0] || there[1];
  std::string_view side = bytes[1];
  if (there[1] && there[2]) {
    // The side file's first lines are in the log already when the move note says so.
    const long long from = std::atoll(bytes[2].c_str());
    if (from >= 0 && static_cast<unsigned long long>(from) <= bytes[0].size()) {
      const std::vector<std::string> lines = SplitPlayLines(bytes[1]);
      const size_t moved = LinesMoved(std::string_view(bytes[0]).substr(from), lines);
      size_t skip = 0;
      for (size_t i = 0; i < moved; ++i) skip += lines[i].size();
      side.remove_prefix(std::min(skip, side.size()));
    }
  }
  ReadPlayRecords(bytes[0], records);
  ReadPlayRecords(side, records);
  return result;
}
