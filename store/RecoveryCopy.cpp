#include "store/RecoveryCopy.h"

#include <charconv>

namespace {

constexpr std::string_view kMagic = "kavrel recovery copy of ";

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

std::string EncodeRecoveryCopy(const std::string& file, const std::optional<std::string>& before,
                               std::string_view after) {
  std::string out = std::string(kMagic) + file + "\n";
  WritePart(out, "before", before);
  WritePart(out, "after", std::string(after));
  return out;
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
      !ReadPart(bytes, at, "after", false, after) || at != bytes.size())
    return std::nullopt;
  copy.keepsBefore = true;
  copy.after = std::move(*after);
  return copy;
}
