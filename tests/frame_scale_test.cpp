// Where the frame lands on screens of every common shape, for both ways of enlarging it, and what
// the sharp enlargement does to a pattern of one-pixel lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/sdl/FrameChanges.h"
#include "platform/sdl/FrameConvert.h"
#include "platform/sdl/SharpScaler.h"

using plat::FrameRect;
using plat::ScaleMode;

namespace {

std::string Rect(const FrameRect& r) {
  std::ostringstream s;
  s << r.w << "x" << r.h << "+" << r.x << "+" << r.y;
  return s.str();
}

}  // namespace

TEST(FitFrame, FillsTheHeightOrGrowsByWholeSteps) {
  struct Screen {
    int w, h;
    const char* fill;
    const char* whole;
  };
  const Screen screens[] = {
      {640, 480, "640x480+0+0", "640x480+0+0"},
      {800, 600, "800x600+0+0", "640x480+80+60"},
      {1024, 768, "1024x768+0+0", "640x480+192+144"},
      {1280, 800, "1066x800+107+0", "640x480+320+160"},  // 1066.67 wide, rounded down
      {1366, 768, "1024x768+171+0", "640x480+363+144"},
      {1367, 768, "1024x768+171+0", "640x480+363+144"},  // the spare pixel on the right
      {1600, 900, "1200x900+200+0", "640x480+480+210"},
      {1920, 1080, "1440x1080+240+0", "1280x960+320+60"},
      {2560, 1440, "1920x1440+320+0", "1920x1440+320+0"},
      {3840, 2160, "2880x2160+480+0", "2560x1920+640+120"},
      {1080, 1920, "1080x810+0+555", "640x480+220+720"},  // portrait: the full width
      {320, 480, "320x240+0+120", "320x240+0+120"},       // smaller: shrunk, either way
      {0, 0, "0x0+0+0", "0x0+0+0"},
  };
  for (const Screen& s : screens) {
    EXPECT_EQ(Rect(plat::FitFrame(s.w, s.h, ScaleMode::Fill)), s.fill) << s.w << "x" << s.h;
    EXPECT_EQ(Rect(plat::FitFrame(s.w, s.h, ScaleMode::Whole)), s.whole) << s.w << "x" << s.h;
  }
}

namespace {

constexpr int kPitch = 648;
constexpr uint32_t kSentinel = 0x5A5A5A5A;
constexpr uint8_t kLine = 1;

// One-pixel lines every fourth column and row, the only colour with any blue, on a background
// whose red and green change from pixel to pixel, so that any mixing shows.
std::vector<uint8_t> Lines() {
  std::vector<uint8_t> frame(static_cast<size_t>(kPitch) * plat::kFrameHeight, 0);
  for (int y = 0; y < plat::kFrameHeight; ++y)
    for (int x = 0; x < plat::kFrameWidth; ++x)
      frame[static_cast<size_t>(y) * kPitch + x] =
          x % 4 == 0 || y % 4 == 0 ? kLine : static_cast<uint8_t>(2 + (x * 7 + y * 3) % 200);
  return frame;
}

plat::ColourTable Colours() {
  plat::ColourTable t{};
  for (int i = 0; i < 256; ++i)
    t[i] = 0xFF000000u | static_cast<uint32_t>((i * 37) % 256) << 16 |
           static_cast<uint32_t>((i * 91 + 13) % 256) << 8;
  t[kLine] = 0xFFFFFFFFu;
  return t;
}

// The first and last source pixel that output pixel `at` of `size` overlaps.
std::pair<int, int> Sources(int at, int size, int full) {
  return {static_cast<int>(int64_t{at} * full / size),
          static_cast<int>((int64_t{at + 1} * full + size - 1) / size) - 1};
}

// What breaks the rules in an enlargement into `r` of a `w` x `h` target, or "":
// - a pixel that lies inside one source pixel across and down has its exact colour; any other
//   lies, channel by channel, between the colours of the source pixels it overlaps (two by two
//   at most), and nothing outside `r` is written;
// - each line keeps its width: along an output row (or column) inside a gap between lines, the
//   blue a line leaves adds up to the scale within 0.3 of a pixel (nearest neighbour draws it one
//   or two pixels wide).
std::string CheckSharp(int w, int h, const FrameRect& r) {
  const std::vector<uint8_t> frame = Lines();
  const plat::ColourTable table = Colours();
  std::vector<uint32_t> out(static_cast<size_t>(w) * h, kSentinel);
  // Drawn after another frame and after other colours, so that no row worked out before for
  // them may stay.
  plat::SharpScaler scaler;
  std::vector<uint8_t> other(frame.size(), 7);
  plat::ColourTable otherTable = table;
  otherTable[kLine] = 0xFF102030u;
  scaler.Scale(other.data(), kPitch, table, out.data(), w * 4, r);
  scaler.Scale(frame.data(), kPitch, otherTable, out.data(), w * 4, r);
  scaler.Scale(frame.data(), kPitch, table, out.data(), w * 4, r);
  auto at = [&](int x, int y) { return out[static_cast<size_t>(y) * w + x]; };
  auto source = [&](int x, int y) { return table[frame[static_cast<size_t>(y) * kPitch + x]]; };
  auto where = [&](int x, int y, const char* what) {
    std::ostringstream s;
    s << Rect(r) << " (" << x << "," << y << ") " << std::hex << at(x, y) << ": " << what;
    return s.str();
  };
  int gapRow = -1, gapColumn = -1;  // an output row and column wholly inside a gap
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      if (x < r.x || x >= r.x + r.w || y < r.y || y >= r.y + r.h) {
        if (at(x, y) != kSentinel) return where(x, y, "written outside");
        continue;
      }
      const auto [x0, x1] = Sources(x - r.x, r.w, plat::kFrameWidth);
      const auto [y0, y1] = Sources(y - r.y, r.h, plat::kFrameHeight);
      if (y0 == y1 && y0 % 4 != 0) gapRow = y;
      if (x0 == x1 && x0 % 4 != 0) gapColumn = x;
      for (int shift = 0; shift < 32; shift += 8) {
        uint32_t low = 255, high = 0;
        for (int sy = y0; sy <= y1; ++sy) {
          for (int sx = x0; sx <= x1; ++sx) {
            low = std::min(low, (source(sx, sy) >> shift) & 255);
            high = std::max(high, (source(sx, sy) >> shift) & 255);
          }
        }
        const uint32_t c = (at(x, y) >> shift) & 255;
        if (c < low || c > high) return where(x, y, "not between the pixels it overlaps");
      }
    }
  }
  if (r.w < plat::kFrameWidth || r.h < plat::kFrameHeight) return "";
  // Each line's blue, gathered from the output pixels that overlap it.
  auto width = [&](bool across, int line) {
    const int size = across ? r.w : r.h;
    const int full = across ? plat::kFrameWidth : plat::kFrameHeight;
    double sum = 0;
    for (int i = 0; i < size; ++i) {
      const auto [first, last] = Sources(i, size, full);
      if (first <= line && line <= last)
        sum += (across ? at(r.x + i, gapRow) : at(gapColumn, r.y + i)) % 256 / 255.0;
    }
    return sum;
  };
  if (gapRow < 0 || gapColumn < 0) return "no output row or column inside a gap (test)";
  for (int line = 0; line < plat::kFrameWidth; line += 4)
    if (std::abs(width(true, line) - double(r.w) / plat::kFrameWidth) > 0.3)
      return where(r.x, gapRow, "a column's line drawn too narrow or too wide");
  for (int line = 0; line < plat::kFrameHeight; line += 4)
    if (std::abs(width(false, line) - double(r.h) / plat::kFrameHeight) > 0.3)
      return where(gapColumn, r.y, "a row's line drawn too narrow or too wide");
  return "";
}

}  // namespace

TEST(SharpScaler, KeepsOnePixelLinesExactWhereCoveredAndMixesOnlyNeighbours) {
  // The screens' sizes of the table above, and whole multiples and a shrink for the others' paths.
  for (const FrameRect& r :
       {FrameRect{0, 0, 1024, 768}, FrameRect{0, 0, 1066, 800}, FrameRect{0, 0, 1440, 1080},
        FrameRect{0, 0, 1080, 810}, FrameRect{0, 0, 800, 600}, FrameRect{0, 0, 2880, 2160},
        FrameRect{0, 0, 1280, 960}, FrameRect{0, 0, 320, 240}}) {
    EXPECT_EQ(CheckSharp(r.w, r.h, r), "");
  }
  EXPECT_EQ(CheckSharp(1366, 771, FrameRect{171, 2, 1024, 768}), "");  // off the corner
}

// Only the bands of rows a frame changes are sent to the screen: every output row that differs
// from the last frame's must lie in one, whichever way the frame is enlarged.
TEST(FrameChanges, EveryRowThatChangesIsInABand) {
  const std::vector<uint8_t> first = Lines();
  std::vector<uint8_t> second = first;
  for (int y : {0, 10, 11, 200, 479}) second[static_cast<size_t>(y) * kPitch + 321] ^= 0x55;
  const plat::ColourTable table = Colours();
  for (const FrameRect& r : {FrameRect{171, 0, 1024, 768}, FrameRect{240, 0, 1440, 1080},
                             FrameRect{0, 0, 1280, 960}, FrameRect{0, 3, 320, 240}}) {
    const int w = r.x + r.w, h = r.y + r.h;
    std::vector<uint32_t> before(static_cast<size_t>(w) * h), after(before.size());
    plat::SharpScaler scaler;
    plat::FrameChanges changes;
    scaler.Scale(first.data(), kPitch, table, before.data(), w * 4, r);
    ASSERT_EQ(changes.Changed(first.data(), kPitch, r, true).size(), 1u);
    EXPECT_EQ(Rect(changes.Changed(first.data(), kPitch, r, true)[0]), Rect(r));
    EXPECT_TRUE(changes.Changed(first.data(), kPitch, r, false).empty()) << "nothing changed";
    scaler.Scale(second.data(), kPitch, table, after.data(), w * 4, r);
    const std::vector<FrameRect> bands = changes.Changed(second.data(), kPitch, r, false);
    int rowsSent = 0;
    for (const FrameRect& band : bands) rowsSent += band.h;
    EXPECT_LT(rowsSent, r.h / 2) << Rect(r) << ": far more than the changed rows";
    for (int y = 0; y < h; ++y) {
      if (std::equal(before.begin() + y * w, before.begin() + (y + 1) * w, after.begin() + y * w))
        continue;
      const bool sent = std::any_of(bands.begin(), bands.end(), [&](const FrameRect& b) {
        return b.y <= y && y < b.y + b.h && b.x == r.x && b.w == r.w;
      });
      EXPECT_TRUE(sent) << Rect(r) << ": row " << y << " changed and was not sent";
    }
  }
}
