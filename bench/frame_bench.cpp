// What one frame costs: the heaviest frame of the game (clear, the full 30-row background as
// BackgroundTiles lays it, the farewell screen's ten strings, and the conversion into the window's
// pixel format), its parts, and the floor of plain memory work on the same machine.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "display/CCDraw.h"
#include "game/Session.h"
#include "game/SharedElements.h"
#include "platform/VirtualSystem.h"
#include "platform/sdl/FrameConvert.h"
#include "platform/sdl/SharpScaler.h"
#include "screens/Screens.h"

namespace {

constexpr size_t kPixels = size_t{plat::kFrameWidth} * plat::kFrameHeight;

// A display with the committed sprite sheet loaded, as the game has it.
struct Fixture {
  plat::VirtualSystem system{plat::VirtualScript{}};
  Session session{system};
  CCDraw& draw = session.draw;
  Game& game = session.game;
  plat::ColourTable table;
  std::vector<uint32_t> window = std::vector<uint32_t>(kPixels);

  Fixture() {
    const std::string sheet = std::string(KAVREL_SOURCE_DIR) + "/assets/kavrel.bmp";
    session.LoadSpriteSheet(sheet.c_str());
    table = plat::BuildColourTable(draw.GetDisplayPalette());
  }

  void Convert() {
    const Surface& frame = draw.BackBuffer();
    plat::ConvertFrame(frame.pixels.data(), frame.pitch, table, window.data(),
                       plat::kFrameWidth * 4);
  }
};

Fixture& TheFixture() {
  static Fixture fixture;
  return fixture;
}

void BM_HeaviestFrame(benchmark::State& st) {
  Fixture& f = TheFixture();
  for (auto _ : st) {
    f.draw.ClearBackBuffer();
    BackgroundTiles(f.game, 30);
    DrawFarewell(f.game);
    f.Convert();
    benchmark::DoNotOptimize(f.window.data());
  }
}
BENCHMARK(BM_HeaviestFrame);

// The background as 1200 separate blits, for comparison with BackgroundTiles' copied rows.
void BM_TilesOneByOne(benchmark::State& st) {
  Fixture& f = TheFixture();
  for (auto _ : st) {
    for (int i = 0; i < 1200; ++i)
      BlitSprite(f.game, kBackgroundTile, 16 * (i % 40), 16 * (i / 40));
    benchmark::DoNotOptimize(f.draw.BackBuffer().pixels.data());
  }
}
BENCHMARK(BM_TilesOneByOne);

void BM_Tiles(benchmark::State& st) {
  Fixture& f = TheFixture();
  for (auto _ : st) {
    BackgroundTiles(f.game, 30);
    benchmark::DoNotOptimize(f.draw.BackBuffer().pixels.data());
  }
}
BENCHMARK(BM_Tiles);

void BM_TileBlit(benchmark::State& st) {
  Fixture& f = TheFixture();
  int i = 0;
  for (auto _ : st) {
    BlitSprite(f.game, kBackgroundTile, 16 * (i % 40), 16 * ((i / 40) % 30));
    ++i;
  }
}
BENCHMARK(BM_TileBlit);

void BM_TextLine18(benchmark::State& st) {
  Fixture& f = TheFixture();
  const std::string& line =
      S("またのご来場を、心よりお待ちして");  // sixteen double-byte characters
  for (auto _ : st) f.draw.DrawText(line, 40, 240, kWhite, 18);
}
BENCHMARK(BM_TextLine18);

void BM_Conversion(benchmark::State& st) {
  Fixture& f = TheFixture();
  for (auto _ : st) {
    f.Convert();
    benchmark::DoNotOptimize(f.window.data());
  }
}
BENCHMARK(BM_Conversion);

// What the window is drawn with on a screen of `w` x `h`: the frame placed as the game places it
// (whole steps, or filling the height) and enlarged into a buffer of the screen's size. Two
// frames that differ in every row take turns, so that the sharp enlargement keeps no row from the
// frame before: every call is a whole frame's work.
void ConvertOnScreen(benchmark::State& st, int w, int h, plat::ScaleMode mode) {
  Fixture& f = TheFixture();
  std::vector<uint32_t> screen(static_cast<size_t>(w) * h);
  const Surface& frame = f.draw.BackBuffer();
  std::vector<uint8_t> changed = frame.pixels;
  for (int y = 0; y < plat::kFrameHeight; ++y) ++changed[static_cast<size_t>(y) * frame.pitch + 5];
  const uint8_t* frames[2] = {frame.pixels.data(), changed.data()};
  const plat::FrameRect fit = plat::FitFrame(w, h, mode);
  plat::SharpScaler scaler;
  int n = 0;
  for (auto _ : st) {
    scaler.Scale(frames[n++ & 1], frame.pitch, f.table, screen.data(), w * 4, fit);
    benchmark::DoNotOptimize(screen.data());
  }
}

// Today's whole steps: twice on a 1280 x 960 screen, four times on 2560 x 1920. The sharp
// enlargement filling the height: 1024 x 768 (on 1366 x 768), 1440 x 1080 (on 1920 x 1080) and
// 2880 x 2160 (on 3840 x 2160).
struct Screen {
  const char* name;
  int width, height;
  plat::ScaleMode mode;
};
constexpr Screen kScreens[] = {
    {"BM_ConversionScale2", 1280, 960, plat::ScaleMode::Whole},
    {"BM_ConversionScale4", 2560, 1920, plat::ScaleMode::Whole},
    {"BM_ConversionFill768", 1366, 768, plat::ScaleMode::Fill},
    {"BM_ConversionFill1080", 1920, 1080, plat::ScaleMode::Fill},
    {"BM_ConversionFill2160", 3840, 2160, plat::ScaleMode::Fill},
};
const bool kScreensRegistered = [] {
  for (const Screen& screen : kScreens)
    benchmark::RegisterBenchmark(screen.name, [screen](benchmark::State& st) {
      ConvertOnScreen(st, screen.width, screen.height, screen.mode);
    });
  return true;
}();

// The floor: the plainest memory work a frame cannot avoid.
void BM_FloorCopy(benchmark::State& st) {
  std::vector<uint8_t> a(kPixels, 7), b(kPixels);
  for (auto _ : st) {
    std::memcpy(b.data(), a.data(), a.size());
    benchmark::DoNotOptimize(b.data());
  }
}
BENCHMARK(BM_FloorCopy);

void BM_FloorLookup(benchmark::State& st) {
  std::vector<uint8_t> a(kPixels);
  for (size_t i = 0; i < a.size(); ++i) a[i] = static_cast<uint8_t>(i * 7);
  std::vector<uint32_t> out(kPixels);
  uint32_t table[256];
  for (int i = 0; i < 256; ++i) table[i] = 0xFF000000u | static_cast<uint32_t>(i * 0x010101);
  for (auto _ : st) {
    for (size_t i = 0; i < a.size(); ++i) out[i] = table[a[i]];
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_FloorLookup);

}  // namespace

BENCHMARK_MAIN();
