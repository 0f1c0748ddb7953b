#include "tools/sheet/Palette.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace sheet {
namespace {

struct Rgb {
  double r, g, b;
};

// Colour stops spread evenly over a ramp, darkest first.
const std::vector<Rgb>& Stops(Ramp ramp) {
  static const std::vector<Rgb> stops[] = {
      {{10, 10, 26}, {28, 30, 62}, {70, 80, 140}},                       // Night
      {{34, 34, 42}, {120, 120, 130}, {250, 250, 252}},                  // Stone
      {{70, 42, 20}, {176, 128, 72}, {246, 222, 170}},                   // Card
      {{70, 8, 16}, {214, 40, 44}, {255, 190, 180}},                     // Cherry
      {{110, 50, 0}, {240, 150, 20}, {255, 236, 120}, {255, 255, 230}},  // Gold
      {{52, 28, 14}, {128, 80, 40}, {214, 170, 110}},                    // Wood
      {{12, 50, 20}, {60, 150, 50}, {200, 250, 140}},                    // Grass
      {{40, 22, 12}, {112, 70, 40}, {200, 150, 100}},                    // Earth
      {{16, 36, 80}, {60, 130, 190}, {240, 252, 255}},                   // Ice
      {{10, 30, 100}, {40, 110, 230}, {200, 230, 255}},                  // Sky
      {{80, 10, 50}, {230, 60, 150}, {255, 200, 235}},                   // Rose
      {{6, 50, 56}, {30, 180, 170}, {210, 255, 245}},                    // Mint
      {{120, 60, 40}, {230, 170, 130}, {255, 235, 215}},                 // Skin
  };
  return stops[static_cast<int>(ramp)];
}

uint8_t Channel(double v) {
  return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}

}  // namespace

uint8_t ShadeStep(Ramp ramp, int step) {
  step = std::clamp(step, 0, kRampSize - 1);
  return static_cast<uint8_t>(kFirstRampIndex + static_cast<int>(ramp) * kRampSize + step);
}

uint8_t Shade(Ramp ramp, double t) {
  return ShadeStep(ramp, static_cast<int>(std::lround(std::clamp(t, 0.0, 1.0) * (kRampSize - 1))));
}

std::array<plat::PaletteEntry, 256> BuildPalette() {
  std::array<plat::PaletteEntry, 256> palette{};
  auto set = [&](int i, int r, int g, int b) {
    palette[i].peRed = static_cast<uint8_t>(r);
    palette[i].peGreen = static_cast<uint8_t>(g);
    palette[i].peBlue = static_cast<uint8_t>(b);
  };
  // The text colours, in the order of the game's colour table.
  const int text[14][3] = {{0, 0, 0},       {0, 0, 255},     {0, 255, 0},     {0, 255, 255},
                           {255, 0, 0},     {255, 0, 255},   {255, 255, 0},   {255, 255, 255},
                           {150, 150, 150}, {150, 150, 255}, {150, 255, 150}, {150, 255, 255},
                           {255, 150, 150}, {255, 150, 255}};
  for (int i = 0; i < 14; ++i) set(i, text[i][0], text[i][1], text[i][2]);
  set(kWordShadow, 200, 50, 50);
  set(kLabelGrey, 200, 200, 200);
  set(kInk, 16, 16, 24);

  for (int r = 0; r < static_cast<int>(Ramp::Count); ++r) {
    const std::vector<Rgb>& stops = Stops(static_cast<Ramp>(r));
    const int segments = static_cast<int>(stops.size()) - 1;
    for (int s = 0; s < kRampSize; ++s) {
      const double pos = static_cast<double>(s) / (kRampSize - 1) * segments;
      const int k = std::min(static_cast<int>(pos), segments - 1);
      const double f = pos - k;
      const Rgb& a = stops[k];
      const Rgb& b = stops[k + 1];
      plat::PaletteEntry& e = palette[ShadeStep(static_cast<Ramp>(r), s)];
      e.peRed = Channel(a.r + (b.r - a.r) * f);
      e.peGreen = Channel(a.g + (b.g - a.g) * f);
      e.peBlue = Channel(a.b + (b.b - a.b) * f);
    }
  }
  // The spare entries make a plain grey scale, handy for anything drawn on the screen later.
  const int used = kFirstRampIndex + static_cast<int>(Ramp::Count) * kRampSize;
  for (int i = used; i < 256; ++i) {
    const int v = (i - used + 1) * 255 / (256 - used + 1);
    set(i, v, v, v);
  }
  return palette;
}

}  // namespace sheet
