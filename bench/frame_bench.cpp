// What one frame costs: the heaviest frame of the game (clear, 1200 background tiles, the farewell
// screen's ten strings, and the conversion into the window's pixel format), its parts, and the
// floor of plain memory work on the same machine.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "display/CCDraw.h"
#include "game/Game.h"
#include "game/SharedElements.h"
#include "platform/VirtualSystem.h"
#include "platform/sdl/FrameConvert.h"

namespace {

// A display with the committed sprite sheet loaded, as the game has it.
struct Fixture {
  plat::VirtualSystem system{plat::VirtualScript{}};
  CCDraw draw{system, 60};
  GameState state;
  Random random;
  TextBuffer text;
  Game game{system, draw, state, random, text, nullptr};
  plat::ColourTable table;
  std::vector<uint32_t> window = std::vector<uint32_t>(640 * 480);

  Fixture() {
    const std::string sheet = std::string(KAVREL_SOURCE_DIR) + "/assets/kavrel.bmp";
    draw.LoadPalette(sheet.c_str(), 0, 0, 255);
    draw.LoadBitmap(sheet.c_str(), kSheetSlot, 1);
    table = plat::BuildColourTable(draw.GetDisplayPalette());
  }

  void Convert() {
    const Surface& frame = draw.BackBuffer();
    plat::ConvertFrame(frame.pixels.data(), frame.pitch, table, window.data(), 640 * 4);
  }
};

Fixture& TheFixture() {
  static Fixture fixture;
  return fixture;
}

// The farewell screen's strings, as it draws them every frame.
void FarewellTexts(Game& game) {
  game.draw.DrawText(game.text.Format(S("あと%4d 秒").c_str(), 15), 500, 30);
  DrawTremblingTitle(game, S("～お礼～"), 180, 20, 5, kRed, 36);
  game.draw.DrawText(S("この度は、「ω瞬発力研究所ω」を"), 40, 100, kWhite, 18);
  game.draw.DrawText(S("プレイして頂き、本当に有り難う御"), 40, 130, kWhite, 18);
  game.draw.DrawText(S("座いました。"), 40, 160, kWhite, 18);
  game.draw.DrawText(S("またのご来場を、心よりお待ちして"), 40, 240, kWhite, 18);
  game.draw.DrawText(S("おります。"), 40, 270, kWhite, 18);
  game.draw.DrawText(S("みなと工科電算クラブ"), 330, 400, kWhite, 13);
  game.draw.DrawText(S("ころもんず！ω"), 330, 430, kWhite, 13);
}

void BM_HeaviestFrame(benchmark::State& st) {
  Fixture& f = TheFixture();
  for (auto _ : st) {
    f.draw.ClearBackBuffer();
    BackgroundTiles(f.game, 30);
    FarewellTexts(f.game);
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
      f.draw.BlitFast(kSheetSlot, 16 * (i % 40), 16 * (i / 40), 99, 112, 115, 128);
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
    f.draw.BlitFast(kSheetSlot, 16 * (i % 40), 16 * ((i / 40) % 30), 99, 112, 115, 128);
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
                     plat::FitFrame(1280, 960));
    benchmark::DoNotOptimize(screen.data());
  }
}
BENCHMARK(BM_ConversionScale2);

// The floor: the plainest memory work a frame cannot avoid.
void BM_FloorCopy(benchmark::State& st) {
  std::vector<uint8_t> a(640 * 480, 7), b(640 * 480);
  for (auto _ : st) {
    std::memcpy(b.data(), a.data(), a.size());
    benchmark::DoNotOptimize(b.data());
  }
}
BENCHMARK(BM_FloorCopy);

void BM_FloorLookup(benchmark::State& st) {
  std::vector<uint8_t> a(640 * 480);
  for (size_t i = 0; i < a.size(); ++i) a[i] = static_cast<uint8_t>(i * 7);
  std::vector<uint32_t> out(640 * 480);
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
