#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <filesystem>

#include "display/CCDraw.h"
#include "platform/ShiftJis.h"
#include "platform/VirtualSystem.h"
#include "tests/support/BmpFile.h"

using testbmp::Make;
using testbmp::Put32;
using testbmp::TempPath;

namespace {

struct Box {
  std::string text, caption;
};

std::vector<std::vector<uint8_t>> Rows(int width, int height) {
  std::vector<std::vector<uint8_t>> rows(height, std::vector<uint8_t>(width));
  for (int r = 0; r < height; ++r) {
    for (int c = 0; c < width; ++c) rows[r][c] = static_cast<uint8_t>(1 + r * 16 + c);
  }
  return rows;
}

class BitmapTest : public ::testing::Test {
 protected:
  BitmapTest() {
    sys.onMessageBox = [this](std::string_view t, std::string_view c) {
      boxes.push_back({std::string(t), std::string(c)});
    };
    ResetPalette();
  }
  void ResetPalette() {
    for (PaletteEntry& e : palette) e = {7, 7, 7, 7};
  }

  // Reads `bytes` from a file, with the palette destination pre-filled with 7s.
  std::unique_ptr<uint8_t[]> Read(const std::vector<uint8_t>& bytes, int first = 0,
                                  int last = 255) {
    file.Write(bytes);
    return draw.ReadBitmapFile(file.c_str(), palette, &header, first, last);
  }
  bool PaletteUntouched() const {
    for (const PaletteEntry& e : palette) {
      if (e.peRed != 7 || e.peGreen != 7 || e.peBlue != 7 || e.peFlags != 7) return false;
    }
    return true;
  }
  // Reads a 16 x 2 bitmap whose header claims w x h, which must fail; the one box it raised, or
  // null.
  const Box* ReadClaimingSize(int w, int h) {
    auto bytes = Make(16, Rows(16, 2));
    Put32(bytes, 18, static_cast<uint32_t>(w));
    Put32(bytes, 22, static_cast<uint32_t>(h));
    boxes.clear();
    EXPECT_FALSE(Read(bytes)) << w << "x" << h;
    return boxes.size() == 1 ? &boxes[0] : nullptr;
  }
  std::string NotBitmapText() const {
    return file.str() + Sjis(" はＢＭＰファイルではありません\n");
  }

  plat::VirtualSystem sys{{}};
  CCDraw draw{sys, 60};
  std::vector<Box> boxes;
  PaletteEntry palette[256];
  BitmapInfoHeader header{};
  TempPath file{"bitmap.bmp"};
};

}  // namespace

TEST_F(BitmapTest, DecodesTopRowFirstAndReordersColours) {
  auto rows = Rows(16, 2);
  auto image = Read(Make(16, rows), 10, 20);
  ASSERT_TRUE(image);
  EXPECT_EQ(0, std::memcmp(image.get(), rows[0].data(), 16));  // the file's second stored row
  EXPECT_EQ(0, std::memcmp(image.get() + 16, rows[1].data(), 16));
  EXPECT_EQ(header.biWidth, 16);
  EXPECT_EQ(header.biHeight, 2);
  // Only 10..20 stored: blue, green, red from the file's bytes 0, 1, 2.
  for (int i = 0; i < 256; ++i) {
    if (i >= 10 && i <= 20) {
      EXPECT_EQ(palette[i].peBlue, i);
      EXPECT_EQ(palette[i].peGreen, i + 1);
      EXPECT_EQ(palette[i].peRed, i + 2);
      EXPECT_EQ(palette[i].peFlags, 0);
    } else {
      EXPECT_EQ(palette[i].peRed, 7) << i;
    }
  }
  EXPECT_TRUE(boxes.empty());
}

TEST_F(BitmapTest, NotBitmapCopiesHeaderFirstAndNamesTheFile) {
  auto bytes = Make(16, Rows(16, 2));
  bytes[0] = 'X';
  EXPECT_FALSE(Read(bytes));
  EXPECT_EQ(header.biWidth, 16);  // copied before the signature was looked at
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, NotBitmapText());
  EXPECT_EQ(boxes[0].caption, "CCDraw Error");
  EXPECT_TRUE(PaletteUntouched());
}

TEST_F(BitmapTest, MissingFileAndDirectoryGiveTheOpenBox) {
  const std::string missing = file.str() + ".none";
  EXPECT_FALSE(draw.ReadBitmapFile(missing.c_str(), palette, nullptr, 0, 255));
  std::filesystem::create_directory(file.str());
  EXPECT_FALSE(draw.ReadBitmapFile(file.c_str(), palette, nullptr, 0, 255));
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, Sjis("ＢＭＰファイル(") + missing + Sjis(")が開けません\n"));
  EXPECT_EQ(boxes[0].caption, "Error");
  EXPECT_EQ(boxes[1].text, Sjis("ＢＭＰファイル(") + file.str() + Sjis(")が開けません\n"));
  EXPECT_TRUE(PaletteUntouched());
}

TEST_F(BitmapTest, LongFileNameIsCutToTheMessageBuffer) {
  const std::string name(400, 'a');
  EXPECT_FALSE(draw.ReadBitmapFile(name.c_str(), nullptr, nullptr, 0, 255));
  ASSERT_EQ(boxes.size(), 1u);
  const std::string prefix = Sjis("ＢＭＰファイル(");
  // 255 bytes would split no character here; the name fills the rest.
  EXPECT_EQ(boxes[0].text, prefix + name.substr(0, 255 - prefix.size()));
}

TEST_F(BitmapTest, NonPositiveSizesAreNotBitmaps) {
  for (auto [w, h] : {std::pair{0, 2}, {16, 0}, {-16, 2}, {16, -2}, {INT_MIN, INT_MIN}}) {
    const Box* box = ReadClaimingSize(w, h);
    ASSERT_NE(box, nullptr) << w << "x" << h;
    EXPECT_EQ(box->text, NotBitmapText());
  }
  EXPECT_TRUE(PaletteUntouched());
}

TEST_F(BitmapTest, HugeSizesRunOutOfMemoryAfterTheColours) {
  for (auto [w, h] : {std::pair{4097, 1}, {1, 4097}, {65536, 65536}, {INT_MAX, INT_MAX}}) {
    const Box* box = ReadClaimingSize(w, h);
    ASSERT_NE(box, nullptr) << w << "x" << h;
    EXPECT_EQ(box->text, Sjis("メモリが足りません"));
    EXPECT_EQ(box->caption, "TM4GV");
  }
  EXPECT_EQ(palette[3].peRed, 5);  // the table was stored before the allocation
  // The largest size accepted still reads.
  auto bytes = Make(16, Rows(16, 2));
  Put32(bytes, 18, 4096);
  Put32(bytes, 22, 4096);
  EXPECT_TRUE(Read(bytes));
}

TEST_F(BitmapTest, ShortOrMisplacedDataLeavesZerosAndOldColours) {
  auto full = Make(16, Rows(16, 2));
  // Pixel offset past the end of the file (and at the largest offset).
  for (uint32_t offset : {5000u, 0xFFFFFFFFu}) {
    auto bytes = full;
    Put32(bytes, 10, offset);
    auto image = Read(bytes);
    ASSERT_TRUE(image);
    for (int i = 0; i < 32; ++i) EXPECT_EQ(image[i], 0);
  }
  // Pixels cut after the bottom row: the top row stays zero.
  {
    auto bytes = full;
    bytes.resize(bytes.size() - 16);
    auto image = Read(bytes);
    ASSERT_TRUE(image);
    EXPECT_EQ(image[0], 0);
    EXPECT_EQ(image[16], 17);
  }
  // Table cut in entry 2: entries 0 and 1 stored, the rest kept.
  {
    auto bytes = full;
    bytes.resize(54 + 10);
    ResetPalette();
    ASSERT_TRUE(Read(bytes));
    EXPECT_EQ(palette[1].peRed, 3);
    EXPECT_EQ(palette[2].peRed, 7);
    EXPECT_EQ(palette[255].peRed, 7);
  }
  // Header cut short: the missing bytes read as zero, so the size is not positive.
  {
    std::vector<uint8_t> bytes(full.begin(), full.begin() + 20);
    boxes.clear();
    EXPECT_FALSE(Read(bytes));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, NotBitmapText());
    EXPECT_FALSE(Read({}));
  }
}

TEST_F(BitmapTest, LoadBitmapFillsTheSlotUnrounded) {
  auto rows = Rows(10, 3);
  rows[1][4] = 0;
  file.Write(Make(10, rows));
  EXPECT_EQ(draw.LoadBitmap(file.c_str(), 5, 1), 0);
  SurfaceInfo info = draw.GetSurfaceInfo(5);
  EXPECT_EQ(info.width, 10);
  EXPECT_EQ(info.height, 3);
  EXPECT_EQ(info.pitch, 10);
  EXPECT_EQ(info.colourKeyed, 1);
  EXPECT_EQ(info.inUse, 1);
  const uint8_t* px = draw.LockSurface(5);
  ASSERT_TRUE(px);
  for (int r = 0; r < 3; ++r) EXPECT_EQ(0, std::memcmp(px + 10 * r, rows[r].data(), 10));

  // The key makes index 0 transparent; without it index 0 is drawn.
  std::memset(draw.BackBuffer().Row(0), 9, 10);
  std::memset(draw.BackBuffer().Row(10), 9, 10);
  draw.BlitFast(5, 0, 0, 0, 1, 10, 2);
  EXPECT_EQ(draw.BackBuffer().Row(0)[4], 9);
  EXPECT_EQ(draw.BackBuffer().Row(0)[5], rows[1][5]);
  EXPECT_EQ(draw.LoadBitmap(file.c_str(), 6, 0), 0);
  draw.BlitFast(6, 0, 10, 0, 1, 10, 2);
  EXPECT_EQ(draw.BackBuffer().Row(10)[4], 0);
}

TEST_F(BitmapTest, LoadBitmapFailures) {
  file.Write(Make(16, Rows(16, 2)));
  EXPECT_EQ(draw.LoadBitmap(file.c_str(), 60, 1), -98);
  EXPECT_EQ(draw.LoadBitmap(file.c_str(), -1, 1), -98);
  EXPECT_TRUE(boxes.empty());  // the file is not even opened
  ASSERT_EQ(draw.LoadBitmap(file.c_str(), 1, 1), 0);
  const std::string missing = file.str() + ".none";
  EXPECT_EQ(draw.LoadBitmap(missing.c_str(), 1, 1), -99);
  EXPECT_EQ(boxes.size(), 1u);
  EXPECT_TRUE(draw.LockSurface(1));  // a failed read leaves the slot as it was
}

TEST_F(BitmapTest, ReadPaletteStoresAllEntries) {
  file.Write(Make(16, Rows(16, 2)));
  draw.ReadPalette(file.c_str(), palette);
  EXPECT_EQ(palette[0].peRed, 2);
  EXPECT_EQ(palette[255].peBlue, 255);
  EXPECT_EQ(palette[255].peGreen, 0);
}
