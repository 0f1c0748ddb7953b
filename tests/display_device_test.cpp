#include <gtest/gtest.h>

#include <cstring>

#include "display/CCDraw.h"
#include "platform/VirtualSystem.h"
#include "tests/support/BmpFile.h"

namespace {

class DeviceTest : public ::testing::Test {
 protected:
  DeviceTest() {
    sys.onPresent = [this](const uint8_t* px, int pitch, const PaletteEntry* pal) {
      ++presents;
      shownPitch = pitch;
      shown.assign(px, px + pitch * kScreenHeight);
      std::memcpy(shownPalette, pal, sizeof shownPalette);
    };
    sys.onMessageBox = [this](std::string_view, std::string_view) { ++boxes; };
    file.Write(testbmp::Make(4, {{1, 2, 3, 4}}));
  }

  plat::VirtualSystem sys{{}};
  CCDraw draw{sys, 60};
  testbmp::TempPath file{"device.bmp"};
  int presents = 0, shownPitch = 0, boxes = 0;
  std::vector<uint8_t> shown;
  PaletteEntry shownPalette[256];
};

bool Same(const PaletteEntry& a, const PaletteEntry& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

TEST_F(DeviceTest, StartsBlankAndFlipsThePair) {
  const Surface& back = draw.BackBuffer();
  EXPECT_EQ(back.width, 640);
  EXPECT_EQ(back.height, 480);
  EXPECT_EQ(back.pitch, 640);
  EXPECT_TRUE(back.colourKey);
  EXPECT_EQ(draw.GetSurfaceInfo(0).inUse, 0);
  EXPECT_EQ(draw.LockSurface(0), nullptr);

  draw.BackBuffer().Row(479)[639] = 9;
  EXPECT_EQ(draw.Flip(), DD_OK);
  ASSERT_EQ(presents, 1);
  EXPECT_EQ(shownPitch, 640);
  EXPECT_EQ(shown[479 * 640 + 639], 9);
  EXPECT_EQ(draw.PresentedFrame().pixels[479 * 640 + 639], 9);
  EXPECT_EQ(draw.BackBuffer().pixels[479 * 640 + 639], 0);  // the frame shown before
  EXPECT_EQ(shownPalette[1].peRed, 0);

  draw.BackBuffer().pixels.assign(640 * 480, 5);
  EXPECT_EQ(draw.ClearBackBuffer(), DD_OK);
  for (uint8_t v : draw.BackBuffer().pixels) ASSERT_EQ(v, 0);
}

TEST_F(DeviceTest, LoadPaletteRangesAndLoadOnly) {
  // Loaded entry i reads red i + 2, green i + 1, blue i.
  ASSERT_EQ(draw.LoadPalette(file.c_str(), 1, 10, 20), 0);
  EXPECT_EQ(draw.GetLoadedPalette()[10].peRed, 12);
  EXPECT_EQ(draw.GetLoadedPalette()[20].peBlue, 20);
  EXPECT_EQ(draw.GetLoadedPalette()[9].peRed, 0);
  EXPECT_EQ(draw.GetLoadedPalette()[21].peRed, 0);
  EXPECT_EQ(draw.GetDisplayPalette()[10].peRed, 0);  // load only: the display keeps its colours

  // Colours edited by hand reach the screen through ApplyPalette alone.
  draw.GetDisplayPalette()[3] = {1, 2, 3, 0};
  draw.ApplyPalette();
  draw.Flip();
  EXPECT_TRUE(Same(shownPalette[3], {1, 2, 3, 0}));

  ASSERT_EQ(draw.LoadPalette(file.c_str(), 0, 0, 255), 0);
  for (int i = 0; i < 256; ++i) {
    ASSERT_TRUE(Same(draw.GetDisplayPalette()[i], draw.GetLoadedPalette()[i]));
  }
  draw.Flip();
  EXPECT_EQ(shownPalette[255].peRed, 1);
  EXPECT_EQ(shownPalette[255].peGreen, 0);
  EXPECT_EQ(boxes, 0);
}

TEST_F(DeviceTest, FailedLoadPaletteChangesNothing) {
  ASSERT_EQ(draw.LoadPalette(file.c_str(), 0, 0, 255), 0);
  PaletteEntry loaded[256], display[256];
  std::memcpy(loaded, draw.GetLoadedPalette(), sizeof loaded);
  std::memcpy(display, draw.GetDisplayPalette(), sizeof display);

  testbmp::TempPath bad{"device-bad.bmp"};
  auto bytes = testbmp::Make(4, {{1, 2, 3, 4}});
  bytes[1] = 'X';
  for (int i = 54; i < 54 + 1024; ++i) bytes[i] = 0xEE;
  bad.Write(bytes);
  const std::string missing = file.str() + ".none";
  EXPECT_EQ(draw.LoadPalette(missing.c_str(), 0, 0, 255), -1);
  EXPECT_EQ(draw.LoadPalette(bad.c_str(), 0, 0, 255), -1);
  EXPECT_EQ(boxes, 2);
  EXPECT_EQ(0, std::memcmp(loaded, draw.GetLoadedPalette(), sizeof loaded));
  EXPECT_EQ(0, std::memcmp(display, draw.GetDisplayPalette(), sizeof display));
  draw.Flip();
  EXPECT_EQ(0, std::memcmp(display, shownPalette, sizeof display));
}

TEST_F(DeviceTest, BlankSurfacesAreRoundedUpAndCapped) {
  struct Case {
    int w, h, wantW, wantH;
  };
  for (Case c : {Case{8, 8, 12, 12},
                 {10, 3, 12, 4},
                 {0, 0, 4, 4},
                 {700, 500, 640, 480},
                 {INT32_MAX, INT32_MAX, 640, 480}}) {
    draw.CreateBlankSurface(2, c.w, c.h, 1);
    SurfaceInfo info = draw.GetSurfaceInfo(2);
    EXPECT_EQ(info.width, c.wantW) << c.w;
    EXPECT_EQ(info.height, c.wantH) << c.h;
    EXPECT_EQ(info.pitch, c.wantW);
    EXPECT_EQ(info.inUse, 1);
    EXPECT_EQ(info.colourKeyed, 1);
    EXPECT_NE(draw.LockSurface(2), nullptr);
  }
  // No size left: the slot stays empty.
  draw.CreateBlankSurface(2, -10, 8, 0);
  EXPECT_EQ(draw.LockSurface(2), nullptr);
  // Slots out of range are ignored.
  draw.CreateBlankSurface(60, 8, 8, 0);
  draw.CreateBlankSurface(-1, 8, 8, 0);
  draw.SetSurfaceInfo(60, {1, 2, 3, 4, 1});
  EXPECT_EQ(draw.GetSurfaceInfo(60).width, 0);
  EXPECT_EQ(draw.LockSurface(60), nullptr);
}

TEST_F(DeviceTest, ReleaseKeepsTheRecordButEmptiesTheSlot) {
  draw.CreateBlankSurface(3, 8, 8, 0);
  draw.ReleaseSurface(3);
  EXPECT_EQ(draw.GetSurfaceInfo(3).inUse, 1);
  EXPECT_EQ(draw.GetSurfaceInfo(3).width, 12);
  EXPECT_EQ(draw.LockSurface(3), nullptr);
  draw.ClearSurface(3);  // nothing to clear
  draw.ReleaseSurface(3);
}

TEST_F(DeviceTest, ClearSurfaceStopsAtTheRecordedWidth) {
  draw.CreateBlankSurface(4, 8, 8, 0);  // 12 x 12
  uint8_t* px = draw.LockSurface(4);
  std::memset(px, 7, 12 * 12);
  SurfaceInfo info = draw.GetSurfaceInfo(4);
  info.width = 5;
  draw.SetSurfaceInfo(4, info);
  draw.ClearSurface(4);
  for (int r = 0; r < 12; ++r) {
    for (int c = 0; c < 12; ++c) ASSERT_EQ(px[r * 12 + c], c < 5 ? 0 : 7) << r << "," << c;
  }
  // A record claiming more than the surface holds clears only the surface.
  draw.SetSurfaceInfo(4, {0, 100000, 100000, 100000, 1});
  draw.ClearSurface(4);
  for (int i = 0; i < 144; ++i) ASSERT_EQ(px[i], 0);
}
