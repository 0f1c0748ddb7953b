#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "display/CCDraw.h"
#include "game/Sprites.h"
#include "platform/VirtualSystem.h"
#include "tools/common/BmpWriter.h"
#include "tools/sheet/Sheet.h"

namespace {

namespace fs = std::filesystem;

bool Contains(const Sprite& r, int x, int y) {
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

std::vector<uint8_t> ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class SpriteSheet : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { image_ = new sheet::SheetImage(sheet::PaintSheet()); }
  static void TearDownTestSuite() {
    delete image_;
    image_ = nullptr;
  }
  static uint8_t At(int x, int y) { return image_->pixels[y * sheet::kSheetWidth + x]; }
  static bool AnyInk(const Sprite& r) {
    for (int y = r.top; y < r.bottom; ++y) {
      for (int x = r.left; x < r.right; ++x) {
        if (At(x, y)) return true;
      }
    }
    return false;
  }
  static bool RowHasInk(const Sprite& r, int row) {
    for (int x = r.left; x < r.right; ++x) {
      if (At(x, r.top + row)) return true;
    }
    return false;
  }
  static int Holes(const Sprite& r) {
    int holes = 0;
    for (int y = r.top; y < r.bottom; ++y) {
      for (int x = r.left; x < r.right; ++x) holes += At(x, y) == 0;
    }
    return holes;
  }

  static sheet::SheetImage* image_;
};

sheet::SheetImage* SpriteSheet::image_ = nullptr;

TEST_F(SpriteSheet, CommittedAssetIsWhatThePainterMakes) {
  const fs::path out =
      fs::temp_directory_path() / ("kavrel-sheet-" + std::to_string(getpid()) + ".bmp");
  ASSERT_TRUE(WriteBmp8(out.string(), image_->pixels.data(), sheet::kSheetWidth,
                        sheet::kSheetHeight, image_->palette.data()));
  const std::vector<uint8_t> fresh = ReadFile(out);
  fs::remove(out);
  const std::vector<uint8_t> committed =
      ReadFile(fs::path(KAVREL_SOURCE_DIR) / "assets/kavrel.bmp");
  EXPECT_EQ(fresh.size(), 1078u + 256u * 256u);
  EXPECT_TRUE(fresh == committed) << "assets/kavrel.bmp is stale: rebuild the `sheet` target";
  // Painting twice gives the same picture.
  EXPECT_TRUE(sheet::PaintSheet().pixels == image_->pixels);
}

TEST_F(SpriteSheet, LoadsThroughTheGamesReader) {
  const fs::path asset = fs::path(KAVREL_SOURCE_DIR) / "assets/kavrel.bmp";
  plat::VirtualSystem sys{{}};
  CCDraw draw(sys, 60);
  EXPECT_EQ(draw.LoadPalette(asset.string().c_str(), 0, 0, 255), 0);
  ASSERT_EQ(draw.LoadBitmap(asset.string().c_str(), 1, 1), 0);
  const SurfaceInfo info = draw.GetSurfaceInfo(1);
  ASSERT_EQ(info.width, 256);
  ASSERT_EQ(info.height, 256);
  const uint8_t* pixels = draw.LockSurface(1);
  ASSERT_NE(pixels, nullptr);
  int mismatches = 0;
  for (int y = 0; y < 256; ++y) {
    for (int x = 0; x < 256; ++x) mismatches += pixels[y * info.pitch + x] != At(x, y);
  }
  draw.UnlockSurface(1);
  EXPECT_EQ(mismatches, 0) << "rows must arrive top row first";
  for (int i = 0; i < 256; ++i) {
    const PaletteEntry& got = draw.GetDisplayPalette()[i];
    const plat::PaletteEntry& want = image_->palette[i];
    EXPECT_EQ(got.peRed, want.peRed) << i;
    EXPECT_EQ(got.peGreen, want.peGreen) << i;
    EXPECT_EQ(got.peBlue, want.peBlue) << i;
  }
  // Text is drawn in the nearest palette colour: each text colour must find itself exactly.
  for (uint32_t colour : {0x000000FFu, 0x0000FF00u, 0x00FFFFFFu, 0x00FF9696u, 0x003232C8u,
                          0x00C8C8C8u, 0x00FF96FFu, 0x00000000u}) {
    const PaletteEntry& e = draw.GetDisplayPalette()[draw.NearestIndex(colour)];
    EXPECT_EQ(static_cast<uint32_t>(e.peRed | e.peGreen << 8 | e.peBlue << 16), colour);
  }
}

TEST_F(SpriteSheet, PaletteHoldsEveryTextColourExactly) {
  const int colours[][3] = {{0, 0, 0},       {0, 0, 255},     {0, 255, 0},     {0, 255, 255},
                            {255, 0, 0},     {255, 0, 255},   {255, 255, 0},   {255, 255, 255},
                            {150, 150, 150}, {150, 150, 255}, {150, 255, 150}, {150, 255, 255},
                            {255, 150, 150}, {255, 150, 255}, {200, 50, 50},   {200, 200, 200}};
  for (const auto& c : colours) {
    bool found = false;
    for (const plat::PaletteEntry& e : image_->palette) {
      found = found || (e.peRed == c[0] && e.peGreen == c[1] && e.peBlue == c[2]);
    }
    EXPECT_TRUE(found) << c[0] << "," << c[1] << "," << c[2];
  }
  // Index 0 is the clear and transparent colour and must be black.
  EXPECT_EQ(image_->palette[0].peRed | image_->palette[0].peGreen | image_->palette[0].peBlue, 0);
}

TEST_F(SpriteSheet, PicturesStayInsideTheirRectangles) {
  for (const Sprite& p : kSprites) EXPECT_TRUE(AnyInk(p)) << p.name << " is empty";
  int stray = 0;
  for (int y = 0; y < sheet::kSheetHeight; ++y) {
    for (int x = 0; x < sheet::kSheetWidth; ++x) {
      bool inside = false;
      for (const Sprite& r : kSprites) inside = inside || Contains(r, x, y);
      if (!inside && At(x, y) != 0) ++stray;
    }
  }
  EXPECT_EQ(stray, 0);
}

TEST_F(SpriteSheet, TilesAndGroundsHaveNoHoles) {
  // The clear colour would show through as black specks.
  for (const Sprite& r : {kBackgroundTile, kWindUpGround, kGroundSlippery, kGroundOrdinary,
                          kGroundRough, kDistanceMark}) {
    EXPECT_EQ(Holes(r), 0) << r.left << "," << r.top;
  }
  // The band is laid every 4 pixels: its last column must repeat its first.
  for (int y = kBandSegment.top; y < kBandSegment.bottom; ++y) {
    EXPECT_EQ(At(kBandSegment.left, y), At(kBandSegment.right - 1, y)) << y;
  }
}

TEST_F(SpriteSheet, PicturesStandOnTheGround) {
  // The screens put the ground top just below each of these pictures' bottom rows.
  EXPECT_TRUE(RowHasInk(kCarWindUp, 59));
  EXPECT_TRUE(RowHasInk(kCarRun, 28));
  EXPECT_TRUE(RowHasInk(kPost, 59));
  // The ball fills its square, so that it rests and bounces on its bottom row.
  EXPECT_TRUE(RowHasInk(kBall, 0));
  EXPECT_TRUE(RowHasInk(kBall, 48));
  EXPECT_TRUE(At(kBall.left, kBall.top + 24) && At(kBall.right - 1, kBall.top + 24));
}

TEST_F(SpriteSheet, FrameAndMarkerAreOpenInTheMiddle) {
  // The grade letter's 100 x 100 cell starts 6 pixels inside the frame; only the corner
  // rosettes may reach into it.
  int covered = 0;
  for (int y = 6; y < 106; ++y) {
    for (int x = 6; x < 106; ++x) {
      const bool nearCorner = std::hypot(std::min(x, 111 - x) - 6, std::min(y, 111 - y) - 6) < 7.5;
      if (!nearCorner && At(kGradeFrame.left + x, kGradeFrame.top + y)) ++covered;
    }
  }
  EXPECT_EQ(covered, 0);
  // The chosen character (size 24) sits at about (22, 22)-(46, 46) of the marker.
  Sprite cell{"cell", kSelectionMarker.left + 16, kSelectionMarker.top + 16,
              kSelectionMarker.left + 52, kSelectionMarker.top + 52};
  EXPECT_EQ(Holes(cell), (cell.right - cell.left) * (cell.bottom - cell.top));
}

TEST(BmpWriter, PadsRowsAndStoresThemBottomUp) {
  plat::PaletteEntry palette[256] = {};
  palette[3] = {10, 20, 30, 0};
  const uint8_t pixels[] = {1, 2, 3, 4, 5,  // top row
                            6, 7, 8, 9, 10};
  const std::vector<uint8_t> b = EncodeBmp8(pixels, 5, 2, palette);
  ASSERT_EQ(b.size(), 1078u + 16u);
  auto u32 = [&](size_t at) { return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | b[at + 3] << 24; };
  EXPECT_EQ(b[0], 'B');
  EXPECT_EQ(b[1], 'M');
  EXPECT_EQ(u32(2), b.size());
  EXPECT_EQ(u32(10), 1078u);
  EXPECT_EQ(u32(14), 40u);
  EXPECT_EQ(u32(18), 5u);
  EXPECT_EQ(u32(22), 2u);
  EXPECT_EQ(b[28], 8);
  // Colour table entries are blue, green, red, reserved.
  EXPECT_EQ(b[54 + 12], 30);
  EXPECT_EQ(b[54 + 13], 20);
  EXPECT_EQ(b[54 + 14], 10);
  const std::vector<uint8_t> rows(b.begin() + 1078, b.end());
  EXPECT_EQ(rows, (std::vector<uint8_t>{6, 7, 8, 9, 10, 0, 0, 0, 1, 2, 3, 4, 5, 0, 0, 0}));
}

TEST(BmpWriter, ReportsAnUnwritablePath) {
  plat::PaletteEntry palette[256] = {};
  const uint8_t pixel = 0;
  EXPECT_FALSE(WriteBmp8("/nonexistent-dir/x.bmp", &pixel, 1, 1, palette));
}

}  // namespace
