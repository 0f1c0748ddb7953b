#include "tools/replay/PngFrames.h"

#include <charconv>
#include <cstdio>
#include <cstring>

#include "display/CCDraw.h"
#include "tools/common/PngWriter.h"

namespace {

bool ReadFrameNumber(std::string_view text, int& out) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
  return !text.empty() && ec == std::errc() && end == text.data() + text.size() && out >= 0;
}

}  // namespace

std::optional<FrameList> FrameList::Parse(std::string_view text, std::string& error) {
  FrameList list;
  size_t pos = 0;
  for (;;) {
    const size_t comma = text.find(',', pos);
    const std::string_view item =
        text.substr(pos, comma == std::string_view::npos ? std::string_view::npos : comma - pos);
    const size_t dash = item.find('-');
    int first = 0;
    int last = 0;
    const bool ok = dash == std::string_view::npos
                        ? ReadFrameNumber(item, first) && ReadFrameNumber(item, last)
                        : ReadFrameNumber(item.substr(0, dash), first) &&
                              ReadFrameNumber(item.substr(dash + 1), last) && first <= last;
    if (!ok) {
      error = "bad frame list item '" + std::string(item) + "' (want N or A-B with A <= B)";
      return std::nullopt;
    }
    list.ranges_.emplace_back(first, last);
    if (comma == std::string_view::npos) break;
    pos = comma + 1;
  }
  return list;
}

bool FrameList::Contains(int n) const {
  for (const auto& [first, last] : ranges_) {
    if (n >= first && n <= last) return true;
  }
  return false;
}

PngFrameSaver::PngFrameSaver(std::string dir, std::optional<FrameList> frames)
    : dir_(std::move(dir)), frames_(std::move(frames)) {}

void PngFrameSaver::FrameBegins(int, std::string_view screen) {
  if (frames_) return;
  if (screen != visitScreen_) {
    WritePending();
    visitScreen_.assign(screen);
  }
}

void PngFrameSaver::Presented(int n, const uint8_t* pixels, int pitch,
                              const plat::PaletteEntry* palette) {
  if (frames_) {
    if (frames_->Contains(n)) Write(n, pixels, pitch, palette);
    return;
  }
  // The frame may turn out to be its visit's last; keep a copy until the next one comes.
  pending_.resize(static_cast<size_t>(kScreenWidth) * kScreenHeight);
  for (int y = 0; y < kScreenHeight; ++y) {
    std::memcpy(pending_.data() + static_cast<size_t>(y) * kScreenWidth,
                pixels + static_cast<ptrdiff_t>(y) * pitch, kScreenWidth);
  }
  std::memcpy(pendingPalette_, palette, sizeof pendingPalette_);
  pendingFrame_ = n;
}

void PngFrameSaver::Finish() {
  WritePending();
}

void PngFrameSaver::WritePending() {
  if (pendingFrame_ < 0) return;
  Write(pendingFrame_, pending_.data(), kScreenWidth, pendingPalette_);
  pendingFrame_ = -1;
}

void PngFrameSaver::Write(int n, const uint8_t* pixels, int pitch,
                          const plat::PaletteEntry* palette) {
  char name[32];
  std::snprintf(name, sizeof name, "/%06d.png", n);
  const std::string path = dir_ + name;
  if (WritePng(path, pixels, kScreenWidth, kScreenHeight, pitch, palette)) {
    ++written_;
  } else if (!failure_) {
    failure_ = path;
  }
}
