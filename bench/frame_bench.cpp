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

// What the window is actually drawn with on a 1280 x 960 screen: the frame enlarged twice.
void BM_ConversionScale2(benchmark::State& st) {
  Fixture& f = TheFixture();
  std::vector<uint32_t> screen(1280 * 960);
  const Surface& frame = f.draw.BackBuffer();
  for (auto _ : st) {
    plat::ScaleFrame(frame.pixels.data(), frame.pitch, f.table, screen.data(), 1280 * 4,
                     plat::FitFrame(1280, 960, plat::ScaleMode::Whole));
    benchmark::DoNotOptimize(screen.data());
  }
}
BENCHMARK(BM_ConversionScale2);

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
