#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <ctime>
#include <vector>

#include "display/CCDraw.h"
#include "display/FontFace.h"
#include "display/TextRenderer.h"
#include "platform/ShiftJis.h"
#include "platform/VirtualSystem.h"

namespace {

constexpr uint8_t kWhiteIndex = 7;
constexpr uint8_t kRedIndex = 4;
constexpr uint8_t kTile = 5;  // what lies behind the text

struct Call {
  int x, y;
  uint32_t colour;
  int size;
  std::string text;
};

class Recorder : public DrawRecorder {
 public:
  void OnTiles(int) override {}
  void OnBlit(int, int, int, int, int, int) override {}
  void OnText(int x, int y, uint32_t colour, int size, std::string_view text) override {
    calls.push_back({x, y, colour, size, std::string(text)});
  }
  std::vector<Call> calls;
};

class TextTest : public ::testing::Test {
 protected:
  TextTest() {
    // Black, then the text table's primaries; every other entry a dim grey-blue.
    PaletteEntry* pal = draw.GetDisplayPalette();
    for (int i = 0; i < 256; ++i) pal[i] = {40, 40, 60, 0};
    pal[0] = {0, 0, 0, 0};
    pal[kRedIndex] = {255, 0, 0, 0};
    pal[kWhiteIndex] = {255, 255, 255, 0};
    draw.ApplyPalette();
  }

  // The bounding box of every pixel that differs from `background`, and whether all of them
  // are `ink`.
  struct Box {
    int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;  // inclusive
    int count = 0;
    bool allInk = true;
  };
  static Box Changed(const Surface& s, uint8_t background, uint8_t ink) {
    Box b;
    for (int y = 0; y < s.height; ++y) {
      for (int x = 0; x < s.width; ++x) {
        const uint8_t v = s.Row(y)[x];
        if (v == background) continue;
        ++b.count;
        b.allInk = b.allInk && v == ink;
        b.left = std::min(b.left, x);
        b.right = std::max(b.right, x);
        b.top = std::min(b.top, y);
        b.bottom = std::max(b.bottom, y);
      }
    }
    return b;
  }

  plat::VirtualSystem sys{{}};
  CCDraw draw{sys, 60};
};

const std::string kA = "A";
const std::string kHiragana = Sjis("あ");

}  // namespace

TEST(ShiftJisDecode, SingleBytesPairsAndGaps) {
  EXPECT_EQ(SjisByteToCodePoint('A'), U'A');
  EXPECT_EQ(SjisByteToCodePoint(0xB1), U'ｱ');  // half-width katakana
  EXPECT_EQ(SjisByteToCodePoint(31), 0u);      // control codes draw nothing
  EXPECT_EQ(SjisByteToCodePoint(0x80), 0u);
  EXPECT_EQ(SjisPairToCodePoint(0x82, 0xA0), U'あ');
  EXPECT_EQ(SjisPairToCodePoint(0x82, 0x4F), U'０');
  EXPECT_EQ(SjisPairToCodePoint(0x81, 0x40), U'\u3000');
  EXPECT_EQ(SjisPairToCodePoint(0x88, 0x9F), U'亜');
  EXPECT_EQ(SjisPairToCodePoint(0xFC, 0x4B), U'黑');  // the last row of the extension block
  EXPECT_EQ(SjisPairToCodePoint(0x81, 0x20), 0u);     // no such trail byte
  EXPECT_EQ(SjisPairToCodePoint(0x41, 0x41), 0u);     // not a lead byte
}

TEST_F(TextTest, AdvancesAreTheSizeForEachHalfWidthCell) {
  TextRenderer r;
  EXPECT_EQ(r.Measure(kA, 12, 12), 12);
  EXPECT_EQ(r.Measure(kHiragana, 12, 12), 24);
  EXPECT_EQ(r.Measure(kA, 24, 24), 24);
  EXPECT_EQ(r.Measure(kHiragana, 24, 24), 48);
  EXPECT_EQ(r.Measure(Sjis("Aあｱ"), 12, 12), 48);
  EXPECT_EQ(r.Measure("\x1f", 12, 12), 12);      // a control code still advances
  EXPECT_EQ(r.Measure("A\x82", 12, 12), 24);     // a lone lead byte at the end is one cell
  EXPECT_EQ(r.Measure("\x82\x20", 12, 12), 24);  // a lead byte always takes its next byte
  EXPECT_EQ(r.Measure("", 12, 12), 0);
  EXPECT_EQ(r.Measure(kA, 12, 0), 0);  // no font at height 0

  EXPECT_EQ(draw.TextWidth(3, kHiragana, 12, 220), 0);  // empty slot
  draw.CreateBlankSurface(3, 16, 16, 0);
  EXPECT_EQ(draw.TextWidth(3, kHiragana + "A", 24, 220), 72);
  EXPECT_EQ(draw.TextWidth(3, std::string("AB\0CD", 5), 12, 220), 24);  // up to the NUL
}

TEST_F(TextTest, InkStaysInsideTheCellInTheMatchedIndex) {
  for (int size : {12, 18, 24, 40}) {
    for (const std::string& text : {kA, kHiragana, Sjis("ｱg"), Sjis("漢字Ｗj")}) {
      SCOPED_TRACE(testing::Message() << "size " << size << " text " << SjisToUtf8(text));
      draw.BackBuffer().pixels.assign(draw.BackBuffer().pixels.size(), 0);
      draw.DrawText(text, 100, 50, 0x00FFFFFF, size);
      const Box b = Changed(draw.BackBuffer(), 0, kWhiteIndex);
      ASSERT_GT(b.count, 0);
      EXPECT_TRUE(b.allInk);
      EXPECT_GE(b.left, 100);
      EXPECT_GE(b.top, 50);
      EXPECT_LT(b.right, 100 + TextRenderer().Measure(text, size, size));
      EXPECT_LT(b.bottom, 50 + size);
    }
  }
  // The cell is filled from top to bottom: ink reaches near both ends of a size-24 cell.
  draw.BackBuffer().pixels.assign(draw.BackBuffer().pixels.size(), 0);
  draw.DrawText(Sjis("国g"), 0, 0, 0x00FFFFFF, 24);
  const Box b = Changed(draw.BackBuffer(), 0, kWhiteIndex);
  EXPECT_LE(b.top, 3);
  EXPECT_GE(b.bottom, 20);
}

TEST_F(TextTest, TransparentKeepsTheTilesAndLaterTextLiesOnTop) {
  Surface& back = draw.BackBuffer();
  back.pixels.assign(back.pixels.size(), kTile);
  draw.DrawText(kHiragana, 10, 10);  // plain: white, size 12
  const Box white = Changed(back, kTile, kWhiteIndex);
  ASSERT_GT(white.count, 0);
  EXPECT_TRUE(white.allInk);
  EXPECT_LT(white.count, 24 * 12 / 2);  // most of the cell still shows the tiles
  EXPECT_LT(white.right, 10 + 24);
  EXPECT_LT(white.bottom, 10 + 12);

  // A red "A" over it: its own ink red, the white shows where the "A" has none.
  std::vector<uint8_t> before = back.pixels;
  draw.DrawText(kA, 10, 10, 0x000000FF);
  int red = 0, whiteLeft = 0;
  for (size_t i = 0; i < before.size(); ++i) {
    if (back.pixels[i] == kRedIndex)
      ++red;
    else
      EXPECT_EQ(back.pixels[i], before[i]);
    if (back.pixels[i] == kWhiteIndex) ++whiteLeft;
  }
  EXPECT_GT(red, 0);
  EXPECT_GT(whiteLeft, 0);

  // Opaque fills the whole cell: every pixel of it is ink or index 0.
  back.pixels.assign(back.pixels.size(), kTile);
  draw.DrawText(kA + kHiragana, 20, 30, 0x00FFFFFF, 12, 12, 220, nullptr, 1);
  const Box cell = Changed(back, kTile, 0);
  EXPECT_EQ(cell.left, 20);
  EXPECT_EQ(cell.top, 30);
  EXPECT_EQ(cell.right, 20 + 36 - 1);
  EXPECT_EQ(cell.bottom, 30 + 12 - 1);
  EXPECT_EQ(cell.count, 36 * 12);
}

TEST_F(TextTest, EmptyStringDrawsNothingButIsReportedOnce) {
  Recorder rec;
  draw.SetRecorder(&rec);
  Surface& back = draw.BackBuffer();
  back.pixels.assign(back.pixels.size(), kTile);
  draw.DrawText("", 0, 0);
  draw.DrawText("", 0, 0, 0, 12, 12, 220, nullptr, 1);
  EXPECT_EQ(Changed(back, kTile, 0).count, 0);

  draw.DrawText(kA, 1, 2);
  draw.DrawText(kA, 3, 4, 0x000000FF);
  draw.DrawText(kA, 5, 6, 0x000000FF, 30);
  draw.DrawText(kA, 7, 8, 0x000000FF, 16, 400, nullptr);
  draw.CreateBlankSurface(2, 64, 32, 0);
  SurfaceDC dc = draw.GetSurfaceDC(2);
  draw.DrawText(kA, 0, 0, 0x00FFFFFF, 16, 400, dc);  // not the back buffer: not reported
  draw.ReleaseSurfaceDC(2, dc);
  ASSERT_EQ(rec.calls.size(), 6u);
  EXPECT_EQ(rec.calls[0].text, "");
  EXPECT_EQ(rec.calls[2].colour, 0x00FFFFFFu);
  EXPECT_EQ(rec.calls[2].size, 12);
  EXPECT_EQ(rec.calls[3].size, 12);
  EXPECT_EQ(rec.calls[4].size, 30);
  EXPECT_EQ(rec.calls[5].x, 7);
  EXPECT_EQ(rec.calls[5].size, 16);
  draw.SetRecorder(nullptr);
}

TEST_F(TextTest, SurfaceHandlesDrawOnTheirSlot) {
  EXPECT_EQ(draw.GetSurfaceDC(9), nullptr);
  draw.ReleaseSurfaceDC(9, nullptr);  // harmless on an empty slot
  draw.CreateBlankSurface(2, 60, 30, 0);
  SurfaceDC dc = draw.GetSurfaceDC(2);
  ASSERT_NE(dc, nullptr);
  EXPECT_TRUE(dc->dcHeld);
  draw.DrawText(kHiragana, 2, 2, 0x00FFFFFF, 20, 220, dc);
  EXPECT_GT(Changed(*dc, 0, kWhiteIndex).count, 0);
  EXPECT_EQ(Changed(draw.BackBuffer(), 0, 0).count, 0);
  draw.ReleaseSurfaceDC(2, dc);
  EXPECT_FALSE(dc->dcHeld);
}

// A string cut by any edge shows exactly the part of the unclipped string that lies inside.
TEST(TextClipping, EveryEdgeShowsTheVisiblePartOnly) {
  TextRenderer r;
  const std::string text = Sjis("あAｱ国");
  const int cellWidth = r.Measure(text, 24, 24);
  ASSERT_EQ(cellWidth, 144);
  Surface whole(300, 200, 300);
  r.Draw(whole, text, 100, 80, 9, 24, 24, true);
  Surface small(40, 30, 48);  // pitch wider than the width: the gap must stay untouched
  for (int dx : {-140, -90, -60, -30, -5, 0, 5, 20, 35, 60}) {
    for (int dy : {-25, -10, 0, 10, 25}) {
      small.pixels.assign(small.pixels.size(), 3);
      r.Draw(small, text, dx, dy, 9, 24, 24, true);
      for (int y = 0; y < small.height; ++y) {
        for (int x = 0; x < small.pitch; ++x) {
          const int wx = 100 - dx + x, wy = 80 - dy + y;
          uint8_t want = 3;
          if (x < small.width && whole.Row(wy)[wx] != 0)
            want = 9;
          else if (x < small.width && wx >= 100 && wx < 100 + cellWidth && wy >= 80 && wy < 104)
            want = 0;
          ASSERT_EQ(small.Row(y)[x], want)
              << "dx " << dx << " dy " << dy << " at " << x << "," << y;
        }
      }
    }
  }
  // Far away and huge: nothing to draw and nothing written outside.
  for (auto [x, y] : {std::pair{INT_MAX, 0},
                      {INT_MIN, 0},
                      {0, INT_MAX},
                      {0, INT_MIN},
                      {INT_MAX - 5, INT_MAX - 5}}) {
    small.pixels.assign(small.pixels.size(), 3);
    r.Draw(small, text, x, y, 9, 24, 24, true);
    for (uint8_t v : small.pixels) ASSERT_EQ(v, 3);
  }
  small.pixels.assign(small.pixels.size(), 3);
  r.Draw(small, text, -3000, -100, 9, 2048, 2048, false);
  r.Draw(small, text, 0, 0, 9, INT_MIN, INT_MAX, true);
  for (int y = 0; y < small.height; ++y) {
    for (int x = small.width; x < small.pitch; ++x) ASSERT_EQ(small.Row(y)[x], 3);
  }
}

TEST(TextFace, WithoutAFaceNothingIsDrawn) {
  FontFace missing(FaceLocation{"/nonexistent/face.ttf", 0});
  EXPECT_FALSE(missing.Ok());
  TextRenderer r(&missing);
  TextRenderer none(nullptr);
  Surface s(64, 32, 64);
  r.Draw(s, kHiragana, 0, 0, 9, 12, 12, true);
  none.Draw(s, kHiragana, 0, 0, 9, 12, 12, true);
  for (uint8_t v : s.pixels) ASSERT_EQ(v, 0);
  EXPECT_EQ(none.Measure(kHiragana, 12, 12), 24);
  EXPECT_FALSE(FindJapaneseFace().path.empty());
}

TEST_F(TextTest, NearestColourExactTiesBlackAndPaletteChanges) {
  PaletteEntry* pal = draw.GetDisplayPalette();
  pal[20] = {10, 200, 30, 0};
  pal[30] = {100, 100, 100, 0};
  pal[31] = {100, 100, 100, 0};
  draw.ApplyPalette();
  EXPECT_EQ(draw.NearestIndex(0x001EC80A), 20);  // exact, red in the low byte
  EXPECT_EQ(draw.NearestIndex(0x00646464), 30);  // two equal entries: the lower index
  EXPECT_EQ(draw.NearestIndex(0x00656565), 30);
  EXPECT_EQ(draw.NearestIndex(0x00000000), 0);
  EXPECT_EQ(draw.NearestIndex(0x00000005), 0);
  EXPECT_EQ(draw.NearestIndex(0x000000FF), kRedIndex);
  EXPECT_EQ(draw.NearestIndex(0x00FF0000), 1);  // pure blue is nearest the dim blue-grey, index 1

  // A palette edit, even one not yet applied, is seen by the next match.
  pal[20] = {0, 0, 0, 0};
  EXPECT_NE(draw.NearestIndex(0x001EC80A), 20);
  pal[200] = {10, 200, 30, 0};
  draw.ApplyPalette();
  EXPECT_EQ(draw.NearestIndex(0x001EC80A), 200);
}

TEST_F(TextTest, LinesLeaveTheirEndPointAndStayOnTheSurface) {
  Surface& back = draw.BackBuffer();
  draw.DrawLine(10, 10, 20, 10, 0x00FFFFFF, 1, 0);
  Box b = Changed(back, 0, kWhiteIndex);
  EXPECT_TRUE(b.allInk);
  EXPECT_EQ(b.count, 10);
  EXPECT_EQ(b.left, 10);
  EXPECT_EQ(b.right, 19);

  back.pixels.assign(back.pixels.size(), 0);
  draw.DrawLine(30, 30, 20, 25, 0x00FFFFFF, 1, 0);  // backwards and shallow
  b = Changed(back, 0, kWhiteIndex);
  EXPECT_EQ(b.count, 10);
  EXPECT_EQ(back.Row(30)[30], kWhiteIndex);
  EXPECT_EQ(back.Row(25)[20], 0);
  EXPECT_EQ(b.left, 21);

  back.pixels.assign(back.pixels.size(), 0);
  draw.DrawLine(5, 5, 5, 5, 0x00FFFFFF, 1, 0);  // start on the end: nothing
  EXPECT_EQ(Changed(back, 0, 0).count, 0);

  // A square pen of 3 along a horizontal line: three rows of the drawn length.
  draw.DrawLine(100, 100, 110, 100, 0x00FFFFFF, 3, 0);
  b = Changed(back, 0, kWhiteIndex);
  EXPECT_EQ(b.count, 3 * 12);
  EXPECT_EQ(b.top, 99);
  EXPECT_EQ(b.bottom, 101);

  // Ends far outside: only the visible part, a diagonal through the corner of a slot.
  draw.CreateBlankSurface(4, 20, 20, 0);  // 24 x 24
  draw.DrawLine(-1000000000, -1000000000, 2000000000, 2000000000, 0x00FFFFFF, 1, 4);
  SurfaceDC s = draw.GetSurfaceDC(4);
  b = Changed(*s, 0, kWhiteIndex);
  draw.ReleaseSurfaceDC(4, s);
  EXPECT_EQ(b.count, 24);
  EXPECT_EQ(b.left, 0);
  EXPECT_EQ(b.bottom, 23);
  draw.DrawLine(INT_MIN, INT_MAX, INT_MAX, INT_MIN, 0x00FFFFFF, 100000, 4);
  draw.DrawLine(0, 0, 10, 10, 0x00FFFFFF, 1, 7);  // empty slot: nothing, no crash
}

TEST_F(TextTest, WarmLinesAreCheap) {
  const std::string line = Sjis("記録をお知らせします。またの挑戦");  // sixteen double-byte
  auto cpuUs = [] { return 1e6 * static_cast<double>(std::clock()) / CLOCKS_PER_SEC; };
  // Each size drawn for the first time renders all its glyphs: the work the cache saves.
  constexpr int kSizes = 8;
  double start = cpuUs();
  for (int size = 14; size < 14 + kSizes; ++size) draw.DrawText(line, 10, 10, 0x00FFFFFF, size);
  const double cold = (cpuUs() - start) / kSizes;
  constexpr int kRounds = 2000;
  start = cpuUs();
  for (int i = 0; i < kRounds; ++i) draw.DrawText(line, 10, 10 + i % 400, 0x00FFFFFF, 18);
  const double warm = (cpuUs() - start) / kRounds;
  std::printf("a size-18 line of sixteen double-byte characters: %.2f us warm, %.0f us cold\n",
              warm, cold);
  // Measured against each other in one run, so the machine and its other work do not decide it.
  EXPECT_LT(warm * 20, cold);  // some two hundred times here
}
