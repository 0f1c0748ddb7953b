#include "store/BoothLog.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

const std::string_view kBoothLogHead =
    "\xEF\xBB\xBF"
    "日付,時刻,UTC時差,出来事,詳細\r\n";

namespace {

constexpr std::string_view kLineEnd = "\r\n";

struct EventWord {
  BoothEvent event;
  std::string_view word;
};
constexpr EventWord kEventWords[] = {
    {BoothEvent::Start, "start"},
    {BoothEvent::AbnormalEnd, "abnormal-end"},
    {BoothEvent::Restart, "restart"},
    {BoothEvent::GiveUp, "give-up"},
    {BoothEvent::Box, "box"},
    {BoothEvent::WalkedAway, "walked-away"},
    {BoothEvent::FocusAway, "focus-away"},
    {BoothEvent::End, "end"},
    {BoothEvent::NoSound, "no-sound"},
    {BoothEvent::Change, "change"},
};

std::string Field(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '\r' || c == '\n') c = ' ';
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

// The fields of one line (without its line end), quoted ones unquoted.
std::vector<std::string> Fields(std::string_view line) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted) {
      if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
        fields.back() += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        fields.back() += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

bool Number(const std::string& text, int& out) {
  if (text.empty()) return false;
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (*end != '\0') return false;
  out = static_cast<int>(value);
  return true;
}

bool ReadLine(std::string_view text, BoothLine& line) {
  const std::vector<std::string> f = Fields(text);
  if (f.size() != 5) return false;
  LocalTime& t = line.when;
  int sign = 1, offsetHours = 0, offsetMinutes = 0;
  if (std::sscanf(f[0].c_str(), "%d-%d-%d", &t.year, &t.month, &t.day) != 3) return false;
  if (std::sscanf(f[1].c_str(), "%d:%d:%d", &t.hour, &t.minute, &t.second) != 3) return false;
  if (f[2].size() != 6 || (f[2][0] != '+' && f[2][0] != '-')) return false;
  if (f[2][0] == '-') sign = -1;
  if (!Number(f[2].substr(1, 2), offsetHours) || !Number(f[2].substr(4, 2), offsetMinutes))
    return false;
  t.utcOffsetMinutes = sign * (offsetHours * 60 + offsetMinutes);
  line.detail = f[4];
  return BoothEventNamed(f[3], line.event);
}

}  // namespace

std::string_view BoothEventWord(BoothEvent event) {
  for (const EventWord& w : kEventWords)
    if (w.event == event) return w.word;
  return "?";
}

bool BoothEventNamed(std::string_view word, BoothEvent& event) {
  for (const EventWord& w : kEventWords) {
    if (w.word == word) {
      event = w.event;
      return true;
    }
  }
  return false;
}

std::string FormatBoothLine(const BoothLine& line) {
  const LocalTime& t = line.when;
  const int offset = t.utcOffsetMinutes < 0 ? -t.utcOffsetMinutes : t.utcOffsetMinutes;
  char head[64];
  std::snprintf(head, sizeof head, "%04d-%02d-%02d,%02d:%02d:%02d,%c%02d:%02d,", t.year, t.month,
                t.day, t.hour, t.minute, t.second, t.utcOffsetMinutes < 0 ? '-' : '+', offset / 60,
                offset % 60);
  return std::string(head) + std::string(BoothEventWord(line.event)) + ',' + Field(line.detail) +
         std::string(kLineEnd);
}

std::vector<BoothLine> ParseBoothLog(std::string_view bytes) {
  std::vector<BoothLine> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view text = bytes.substr(start, end - start);
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    BoothLine line;
    if (ReadLine(text, line)) lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

bool AppendBoothLine(FileOps& ops, const std::string& directory, const BoothLine& line,
                     int& error) {
  const std::string path = directory + "/" + kBoothLogFileName;
  errno = 0;
  std::FILE* file = ops.OpenToAppend(path);
  if (!file) {
    error = ErrorOrFolderInTheWay(path, errno != 0 ? errno : EIO);
    return false;
  }
  const long long size = std::fseek(file, 0, SEEK_END) == 0 ? std::ftell(file) : -1;
  std::string bytes(size == 0 ? kBoothLogHead : "");
  bytes += FormatBoothLine(line);
  return AppendDurably(ops, file, path, size, bytes, error);
}
