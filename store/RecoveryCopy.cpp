#include "store/RecoveryCopy.h"

#include <charconv>

namespace {

constexpr std::string_view kMagic = "kavrel recovery copy of ";
constexpr std::string_view kPassMagic = "kavrel recovery of a pass\n";
constexpr std::string_view kMergedLine = "merged\n";

// A whole decimal number, or "none" (-1) when `noneAllowed`.
bool ReadCount(std::string_view text, bool noneAllowed, long long& out) {
  if (noneAllowed && text == "none") {
    out = -1;
    return true;
  }
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
  return ec == std::errc() && end == text.data() + text.size() && !text.empty() && out >= 0;
}

std::string CountText(long long n) {
  return n < 0 ? "none" : std::to_string(n);
}

// Reads "<word> <count>\n<count bytes>\n" at `at`; "none" for the count gives nothing.
bool ReadPart(std::string_view bytes, size_t& at, std::string_view word, bool noneAllowed,
              std::optional<std::string>& out) {
  const std::string head = std::string(word) + " ";
  if (bytes.substr(at, head.size()) != head) return false;
  at += head.size();
  const size_t eol = bytes.find('\n', at);
  if (eol == std::string_view::npos) return false;
  const std::string_view count = bytes.substr(at, eol - at);
  at = eol + 1;
  if (noneAllowed && count == "none") {
    out.reset();
    return true;
  }
  size_t n = 0;
  const auto [end, ec] = std::from_chars(count.data(), count.data() + count.size(), n);
  if (ec != std::errc() || end != count.data() + count.size() || count.empty()) return false;
  if (n > bytes.size() - at || bytes.size() - at - n < 1 || bytes[at + n] != '\n') return false;
  out = std::string(bytes.substr(at, n));
  at += n + 1;
  return true;
}

void WritePart(std::string& out, std::string_view word, const std::optional<std::string>& part) {
  out += word;
  if (!part) {
    out += " none\n";
    return;
  }
  out += " " + std::to_string(part->size()) + "\n";
  out += *part;
  out += "\n";
}

}  // namespace

bool IsRecoveryCopy(std::string_view bytes) {
  return bytes.substr(0, kMagic.size()) == kMagic;
}

std::string EncodeRecoveryCopy(const RecoveryCopy& copy) {
  std::string out = std::string(kMagic) + copy.file + "\n";
  WritePart(out, "before", copy.before);
  WritePart(out, "after", copy.after);
  if (!copy.from.empty()) out += "from " + copy.from + "\n";
  if (!copy.lines.empty()) WritePart(out, "lines", copy.lines);
  if (copy.merged) out += kMergedLine;
  return out;
}

std::string EncodeRecoveryCopy(const std::string& file, const std::optional<std::string>& before,
                               std::string_view after, bool merged) {
  RecoveryCopy copy;
  copy.file = file;
  copy.before = before;
  copy.after = std::string(after);
  copy.merged = merged;
  return EncodeRecoveryCopy(copy);
}

std::optional<RecoveryCopy> DecodeRecoveryCopy(std::string_view bytes) {
  RecoveryCopy copy;
  if (!IsRecoveryCopy(bytes)) {
    copy.after = std::string(bytes);
    return copy;
  }
  size_t at = kMagic.size();
  const size_t eol = bytes.find('\n', at);
  if (eol == std::string_view::npos) return std::nullopt;
  copy.file = std::string(bytes.substr(at, eol - at));
  at = eol + 1;
  std::optional<std::string> after;
  if (!ReadPart(bytes, at, "before", true, copy.before) ||
      !ReadPart(bytes, at, "after", false, after))
    return std::nullopt;
  if (bytes.substr(at, 5) == "from ") {
    const size_t end = bytes.find('\n', at);
    if (end == std::string_view::npos || end == at + 5) return std::nullopt;
    copy.from = std::string(bytes.substr(at + 5, end - at - 5));
    at = end + 1;
  }
  if (bytes.substr(at, 6) == "lines ") {
    std::optional<std::string> lines;
    if (!ReadPart(bytes, at, "lines", false, lines)) return std::nullopt;
    copy.lines = std::move(*lines);
  }
  if (bytes.substr(at) == kMergedLine) {
    copy.merged = true;
    at = bytes.size();
  }
  if (at != bytes.size()) return std::nullopt;
  copy.keepsBefore = true;
  copy.after = std::move(*after);
  return copy;
}

std::string EncodePassCopy(const PassCopy& pass) {
  std::string out(kPassMagic);
  for (const RecoveryCopy& copy : pass.copies) WritePart(out, "copy", EncodeRecoveryCopy(copy));
  if (pass.line) {
    out += "line " + CountText(pass.line->logAt) + " " + CountText(pass.line->sideAt) + " ";
    out += std::to_string(pass.line->line.size()) + "\n" + pass.line->line + "\n";
  }
  for (const std::string& mark : pass.marks) WritePart(out, "mark", mark);
  return out;
}

std::optional<PassCopy> DecodePassCopy(std::string_view bytes) {
  if (bytes.substr(0, kPassMagic.size()) != kPassMagic) return std::nullopt;
  PassCopy pass;
  size_t at = kPassMagic.size();
  while (bytes.substr(at, 5) == "copy ") {
    std::optional<std::string> part;
    if (!ReadPart(bytes, at, "copy", false, part)) return std::nullopt;
    std::optional<RecoveryCopy> copy = DecodeRecoveryCopy(*part);
    if (!copy || !copy->keepsBefore) return std::nullopt;
    pass.copies.push_back(std::move(*copy));
  }
  if (bytes.substr(at, 5) == "line ") {
    const size_t eol = bytes.find('\n', at);
    if (eol == std::string_view::npos) return std::nullopt;
    const std::string_view head = bytes.substr(at + 5, eol - at - 5);
    const size_t first = head.find(' ');
    const size_t second = first == std::string_view::npos ? first : head.find(' ', first + 1);
    if (second == std::string_view::npos) return std::nullopt;
    PassLineCopy line;
    long long size = 0;
    if (!ReadCount(head.substr(0, first), true, line.logAt) ||
        !ReadCount(head.substr(first + 1, second - first - 1), true, line.sideAt) ||
        !ReadCount(head.substr(second + 1), false, size))
      return std::nullopt;
    at = eol + 1;
    const auto n = static_cast<size_t>(size);
    if (n > bytes.size() - at || bytes.size() - at - n < 1 || bytes[at + n] != '\n')
      return std::nullopt;
    line.line = std::string(bytes.substr(at, n));
    pass.line = std::move(line);
    at += n + 1;
  }
  while (bytes.substr(at, 5) == "mark ") {
    std::optional<std::string> mark;
    if (!ReadPart(bytes, at, "mark", false, mark) || mark->empty()) return std::nullopt;
    pass.marks.push_back(std::move(*mark));
  }
  if (at != bytes.size()) return std::nullopt;
  return pass;
}
