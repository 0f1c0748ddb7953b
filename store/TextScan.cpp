#include "store/TextScan.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace {

bool IsSpace(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

std::string FixedSix(double value) {
  const int n = std::snprintf(nullptr, 0, "%f", value);
  std::string out(static_cast<size_t>(n), '\0');
  std::snprintf(out.data(), out.size() + 1, "%f", value);
  return out;
}

std::string ReadAllBounded(std::istream& in) {
  std::string text;
  char chunk[4096];
  while (text.size() < kMaxDataFileBytes && in) {
    const size_t want = std::min(sizeof chunk, kMaxDataFileBytes - text.size());
    in.read(chunk, static_cast<std::streamsize>(want));
    text.append(chunk, static_cast<size_t>(in.gcount()));
  }
  return text;
}

void TextScan::SkipSpace() {
  while (at_ < text_.size() && IsSpace(text_[at_])) ++at_;
}

std::optional<int32_t> TextScan::Int() {
  SkipSpace();
  size_t p = at_;
  bool negative = false;
  if (p < text_.size() && (text_[p] == '+' || text_[p] == '-')) negative = text_[p++] == '-';
  if (p >= text_.size() || !IsDigit(text_[p])) return std::nullopt;
  constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  int64_t magnitude = 0;
  for (; p < text_.size() && IsDigit(text_[p]); ++p) {
    magnitude = std::min(magnitude * 10 + (text_[p] - '0'), kLimit);
  }
  at_ = p;
  const int64_t value = negative ? -magnitude : magnitude;
  return static_cast<int32_t>(std::min<int64_t>(value, std::numeric_limits<int32_t>::max()));
}

std::optional<double> TextScan::Double() {
  SkipSpace();
  size_t p = at_;
  // from_chars takes no plus sign; the C library does.
  if (p < text_.size() && text_[p] == '+') ++p;
  if (p > at_ && p < text_.size() && (text_[p] == '+' || text_[p] == '-')) return std::nullopt;
  double value = 0.0;
  const char* first = text_.data() + p;
  const char* last = text_.data() + text_.size();
  const auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
  if (error != std::errc() || !std::isfinite(value)) return std::nullopt;
  at_ = static_cast<size_t>(end - text_.data());
  return value;
}

void TextScan::SkipLineEnd() {
  size_t p = at_;
  while (p < text_.size() && (text_[p] == ' ' || text_[p] == '\t')) ++p;
  if (p < text_.size() && text_[p] == '\r') ++p;
  if (p < text_.size() && text_[p] == '\n') {
    at_ = p + 1;
  } else if (p > at_ && text_[p - 1] == '\r') {
    at_ = p;
  }
}

std::optional<char> TextScan::Byte() {
  if (at_ >= text_.size()) return std::nullopt;
  return text_[at_++];
}
