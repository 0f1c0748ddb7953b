// Speed without a change of picture: the background's copied tile rows against real blits, the
// enlarging frame conversion the window is drawn with, and light checks of what the game and the
// replay cost to run.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "display/CCDraw.h"
#include "game/Session.h"
#include "game/SharedElements.h"
#include "platform/VirtualSystem.h"
#include "platform/sdl/FrameConvert.h"
#include "tests/support/Scenario.h"
#include "tests/support/XSession.h"
#include "tools/replay/Replay.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

const std::string kSheet = std::string(KAVREL_SOURCE_DIR) + "/assets/kavrel.bmp";

struct Display {
  plat::VirtualSystem system{plat::VirtualScript{}};
  Session session{system};
  CCDraw& draw = session.draw;
  Game& game = session.game;

  Display() { session.LoadSpriteSheet(kSheet.c_str()); }
  std::vector<uint8_t> Frame() const { return draw.BackBuffer().pixels; }
};

struct TileCounter : DrawRecorder {
  void OnTiles(int rows) override { tiles.push_back(rows); }
  void OnBlit(int, int, int, int, int, int) override { ++blits; }
  void OnText(int, int, uint32_t, int, std::string_view) override {}
  std::vector<int> tiles;
  int blits = 0;
};

// The background as 40 x rows separate blits of the tile, the way the screen is defined.
std::vector<uint8_t> TiledOneByOne(Display& d, int rows) {
  d.draw.ClearBackBuffer();
  for (int i = 0; i < 40 * rows; ++i)
    BlitSprite(d.game, kBackgroundTile, 16 * (i % 40), 16 * (i / 40));
  return d.Frame();
}

std::vector<uint8_t> Tiled(Display& d, int rows) {
  d.draw.ClearBackBuffer();
  BackgroundTiles(d.game, rows);
  return d.Frame();
}

}  // namespace

TEST(BackgroundTiles, MatchesOneBlitPerTileForEveryRowCount) {
  Display d;
  for (int rows : {0, 1, 2, 23, 29, 30, 31, 40}) {
    EXPECT_EQ(Tiled(d, rows), TiledOneByOne(d, rows)) << rows << " rows";
  }
  // The last column and scanline keep the clear colour; the tile reaches the one before.
  const std::vector<uint8_t> frame = Tiled(d, 30);
  EXPECT_EQ(frame[479 * 640 + 10], 0);
  EXPECT_EQ(frame[300 * 640 + 639], 0);
  EXPECT_NE(frame[478 * 640 + 638], 0);
}

TEST(BackgroundTiles, TransparentTilePixelsShowTheClearColourOnEveryRow) {
  Display d;
  // Holes in the tile: over a cleared frame the copied rows must show them as the blits would.
  const SurfaceInfo info = d.draw.GetSurfaceInfo(kSheetSlot);
  uint8_t* sheet = d.draw.LockSurface(kSheetSlot);
  ASSERT_NE(sheet, nullptr);
  sheet[115 * info.pitch + 101] = 0;
  sheet[127 * info.pitch + 114] = 0;
  d.draw.UnlockSurface(kSheetSlot);
  EXPECT_EQ(Tiled(d, 30), TiledOneByOne(d, 30));
  EXPECT_EQ(Tiled(d, 30)[(16 * 7 + 3) * 640 + 16 * 5 + 2], 0);
}

TEST(BackgroundTiles, ReportsOneCallAndHidesItsBlits) {
  Display d;
  TileCounter counter;
  d.draw.SetRecorder(&counter);
  BackgroundTiles(d.game, 23);
  d.draw.BlitFast(kSheetSlot, 0, 0, 0, 0, 8, 8);
  EXPECT_EQ(counter.tiles, std::vector<int>{23});
  EXPECT_EQ(counter.blits, 1);
  EXPECT_EQ(d.draw.Recorder(), &counter);
}

namespace {

// A frame whose every pixel differs from its neighbours, and a table that keeps indices apart.
std::vector<uint8_t> Pattern(int pitch) {
  std::vector<uint8_t> frame(static_cast<size_t>(pitch) * plat::kFrameHeight, 0xEE);
  for (int y = 0; y < plat::kFrameHeight; ++y)
    for (int x = 0; x < plat::kFrameWidth; ++x)
      frame[y * pitch + x] = static_cast<uint8_t>(x * 7 + y * 13);
  return frame;
}

plat::ColourTable Table() {
  plat::ColourTable t{};
  for (int i = 0; i < 256; ++i) t[i] = 0xFF000000u | static_cast<uint32_t>(i * 0x010203 + 1);
  return t;
}

// Scales into a `w` x `h` target filled with a sentinel; empty when every pixel inside `r` is the
// nearest source pixel's colour and every pixel outside is untouched, else the first difference.
std::string CheckScaled(int w, int h, const plat::FrameRect& r) {
  constexpr int kPitch = 656;
  constexpr uint32_t kSentinel = 0x12345678;
  const std::vector<uint8_t> frame = Pattern(kPitch);
  const plat::ColourTable table = Table();
  const int dstPitch = w + 3;  // in pixels; wider than a row
  std::vector<uint32_t> out(static_cast<size_t>(dstPitch) * h, kSentinel);
  plat::ScaleFrame(frame.data(), kPitch, table, out.data(), dstPitch * 4, r);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < dstPitch; ++x) {
      const bool inside = x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h;
      uint32_t want = kSentinel;
      if (inside) {
        const int sx = static_cast<int>(int64_t{x - r.x} * plat::kFrameWidth / r.w);
        const int sy = static_cast<int>(int64_t{y - r.y} * plat::kFrameHeight / r.h);
        want = table[frame[sy * kPitch + sx]];
      }
      if (out[static_cast<size_t>(y) * dstPitch + x] != want) {
        std::ostringstream s;
        s << "(" << x << "," << y << ") " << std::hex << out[static_cast<size_t>(y) * dstPitch + x]
          << " != " << want;
        return s.str();
      }
    }
  }
  return {};
}

}  // namespace

TEST(ScaleFrame, WholeScalesAreExactSquaresCentredAndNothingElseIsWritten) {
  EXPECT_EQ(CheckScaled(640, 480, plat::FitFrame(640, 480, plat::ScaleMode::Whole)), "");
  EXPECT_EQ(CheckScaled(1280, 960, plat::FitFrame(1280, 960, plat::ScaleMode::Whole)), "");
  EXPECT_EQ(CheckScaled(1366, 768, plat::FitFrame(1366, 768, plat::ScaleMode::Whole)),
            "");  // scale 1 in a wide window
  EXPECT_EQ(CheckScaled(2000, 1500, plat::FitFrame(2000, 1500, plat::ScaleMode::Whole)),
            "");  // scale 3, off the corner
}

TEST(ScaleFrame, OtherSizesTakeTheNearestPixel) {
  EXPECT_EQ(CheckScaled(320, 480, plat::FitFrame(320, 480, plat::ScaleMode::Whole)),
            "");  // shrunk to 320 x 240
  EXPECT_EQ(CheckScaled(700, 500, plat::FrameRect{10, 5, 650, 489}), "");
  EXPECT_EQ(CheckScaled(8, 8, plat::FrameRect{0, 0, 0, 0}), "");
}

namespace {

double CpuMs() {
  return 1000.0 * static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

// Processor time of the plainest frame, the yardstick of the speed checks below: clearing a
// 640 x 480 frame of indices and converting it through a 256-entry table by the plainest loop.
// Measured in the same run, so the checks hold on a slow machine as on a fast one; the least
// disturbed of three batches counts.
double PlainFrameMs() {
  std::vector<uint8_t> frame(640 * 480);
  std::vector<uint32_t> out(640 * 480);
  const plat::ColourTable table = Table();
  double best = 1e9;
  for (int batch = 0; batch < 3; ++batch) {
    constexpr int kFrames = 100;
    const double start = CpuMs();
    for (int i = 0; i < kFrames; ++i) {
      std::memset(frame.data(), i, frame.size());
      for (size_t p = 0; p < frame.size(); ++p) out[p] = table[frame[p]];
      asm volatile("" : : "r"(out.data()) : "memory");
    }
    best = std::min(best, (CpuMs() - start) / kFrames);
  }
  return best;
}

}  // namespace

TEST(ReplaySpeed, AReplayedFrameCostsLessThanAPlainOne) {
#if !defined(NDEBUG) || defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "timed in optimised builds only";
#endif
  // Into every screen and out through the farewell: 64 s of play.
  const std::string text = WholePassScript();
  std::string error;
  const auto script = ParseScript(text, error);
  ASSERT_TRUE(script) << error;

  char pattern[] = "/tmp/kavrel-perf-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const fs::path dir = pattern;
  fs::copy_file(kSheet, dir / "kavrel.bmp");
  const fs::path before = fs::current_path();
  fs::current_path(dir);
  ReplayOptions options;
  options.keepFrames = false;
  std::vector<std::string> screens;
  options.onFrameBegin = [&](int, const char* screen) {
    if (screens.empty() || screens.back() != screen) screens.push_back(screen);
  };
  int frames = 0;
  options.onFrameBegin = [&, inner = options.onFrameBegin](int n, const char* screen) {
    ++frames;
    inner(n, screen);
  };
  // Processor time, not wall time: other work on the machine does not count against it.
  const double plainMs = PlainFrameMs();
  const double start = CpuMs();
  const ReplayRun run = RunReplay(*script, options);
  const double cpuMs = CpuMs() - start;
  fs::current_path(before);
  fs::remove_all(dir);

  ASSERT_TRUE(run.endTick.has_value());
  EXPECT_EQ(screens.size(), 10u) << "not every screen was played";
  const double perFrame = cpuMs / frames / plainMs;
  std::printf(
      "64 s of play (%d frames) replayed in %.0f ms of processor time (%.0f x real time);"
      " a frame costs %.2f plain frames of %.3f ms\n",
      frames, cpuMs, 64000.0 / cpuMs, perFrame, plainMs);
  // Far faster than real time, so that tests and screenshots stay quick: today about a third.
  EXPECT_LT(perFrame, 0.7);
}

TEST(GameCost, AttractScreenKeepsTheProcessorMostlyIdleInLittleMemory) {
#if !defined(NDEBUG) || defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "measured in optimised builds only";
#endif
  xsession::GameRun game;
  REQUIRE_WINDOW_TOOLS(true);
  ASSERT_TRUE(game.Start()) << "the game's X server did not start";
  ASSERT_TRUE(game.PassStartUpBox()) << game.Log();
  ASSERT_TRUE(game.WaitForPicture()) << "the screen stayed black";
  const std::string window = game.X().FindWindow("Vostrel", true);
  const int pid = std::atoi(game.X().Run("xdotool getwindowpid " + window).c_str());
  ASSERT_GT(pid, 0) << "the window names no process";

  // utime + stime, the fields after the parenthesised command name.
  auto cpuTicks = [pid] {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    const std::string stat(std::istreambuf_iterator<char>(in), {});
    std::istringstream rest(stat.substr(stat.rfind(')') + 2));
    std::string field;
    long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && rest >> field; ++i) {
      if (i == 14) utime = std::stoll(field);
      if (i == 15) stime = std::stoll(field);
    }
    return utime + stime;
  };
  std::this_thread::sleep_for(500ms);
  const long long ticks0 = cpuTicks();
  const auto wall0 = std::chrono::steady_clock::now();
  std::this_thread::sleep_for(4s);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
  const double percent = 100.0 * static_cast<double>(cpuTicks() - ticks0) /
                         static_cast<double>(sysconf(_SC_CLK_TCK)) / seconds;

  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  long long hwmKb = 0;
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) hwmKb = std::stoll(line.substr(6));
  // The attract screen's period is 33 ms: at most this many frames were drawn.
  const double frames = seconds * 1000.0 / 33.0;
  const double perFrame = percent / 100.0 * seconds * 1000.0 / frames / PlainFrameMs();
  std::printf(
      "attract screen: %.1f %% of a core, %.1f plain frames a frame, peak %lld MB resident\n",
      percent, perFrame, hwmKb / 1024);
  // Each frame converts and enlarges a picture to 1280 x 960 and sends it to the X server: a few
  // plain frames' work. Waiting by spinning, or a costly way of presenting, would take the whole
  // period of 33 ms instead, well over a hundred.
  EXPECT_LT(perFrame, 20.0);
  EXPECT_GT(hwmKb, 0);
  EXPECT_LT(hwmKb, 80 * 1024);
}
