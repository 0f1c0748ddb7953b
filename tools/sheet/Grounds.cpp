// The ground strips of event one (and the ordinary one of event two) and the distance mark.
// All are 16 pixels wide and tile side by side, so every pattern repeats every 16 columns.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "tools/sheet/Palette.h"
#include "tools/sheet/Pictures.h"

namespace sheet {
namespace {

// A fixed-seed generator: the sheet must come out the same on every run.
class Dice {
 public:
  explicit Dice(uint32_t seed) : state_(seed) {}
  int Below(int n) {
    state_ = state_ * 1664525u + 1013904223u;
    return static_cast<int>((state_ >> 16) % static_cast<uint32_t>(n));
  }

 private:
  uint32_t state_;
};

// Horizontal distance on a 16-pixel ring, so that patterns wrap across tile edges.
double WrapDx(double a, double b) {
  double d = std::fmod(std::abs(a - b), 16.0);
  return std::min(d, 16.0 - d);
}

// Small stones sprinkled into soil, wrapping at the tile's sides.
void SprinkleStones(Image& img, int fromRow, int count, uint32_t seed, Ramp ramp, int lo, int hi) {
  Dice dice(seed);
  for (int i = 0; i < count; ++i) {
    const double cx = dice.Below(16), cy = fromRow + 2 + dice.Below(img.height - fromRow - 4);
    const double rx = 1.0 + dice.Below(3) * 0.5, ry = 0.8 + dice.Below(2) * 0.5;
    const int shade = lo + dice.Below(hi - lo + 1);
    for (int y = 0; y < img.height; ++y) {
      for (int x = 0; x < 16; ++x) {
        const double dx = WrapDx(x + 0.5, cx) / rx, dy = (y + 0.5 - cy) / ry;
        const double d = dx * dx + dy * dy;
        if (d <= 1.0) img.Set(x, y, ShadeStep(ramp, (y + 0.5 < cy) ? shade + 2 : shade));
      }
    }
  }
}

}  // namespace

Image PaintWindUpGround() {
  Image img(16, 144);
  Dice dice(3u);
  // Turf: a bright top with blades, darkening into the soil along a ragged line.
  const int turfDepth[16] = {7, 8, 9, 8, 7, 6, 7, 9, 10, 9, 8, 7, 8, 9, 8, 7};
  // Strata wave gently and meet themselves across the tile's edges.
  const int wave[16] = {0, 1, 1, 2, 2, 2, 1, 1, 0, -1, -1, -2, -2, -2, -1, -1};
  for (int y = 0; y < 144; ++y) {
    for (int x = 0; x < 16; ++x) {
      uint8_t c;
      if (y < turfDepth[x]) {
        const bool blade = (x * 5 + y * 3) % 7 == 0 && y > 1;
        int step = y == 0 ? 13 : 11 - y;
        if (x % 4 == 1 && y < 2) step += 2;
        c = ShadeStep(Ramp::Grass, blade ? step + 3 : std::max(step, 5));
      } else {
        // Soil grows darker with depth, speckled with grains.
        int step = 8 - y / 24;
        const int grain = dice.Below(9);
        if (grain == 0) step -= 1;
        if (grain == 1) step += 1;
        if ((y + wave[x]) % 36 == 20) step -= 2;
        c = ShadeStep(Ramp::Earth, std::max(step, 2));
      }
      img.Set(x, y, c);
    }
  }
  SprinkleStones(img, 14, 7, 7u, Ramp::Earth, 8, 9);
  return img;
}

Image PaintIceGround() {
  Image img(16, 85);
  for (int y = 0; y < 85; ++y) {
    for (int x = 0; x < 16; ++x) {
      // A shining surface over deep blue ice, darker further down.
      int step = y == 0 ? 15 : y == 1 ? 13 : y == 2 ? 11 : 8 - y / 16;
      // Long slanted glints that wrap across the tile's edges.
      if (y > 3 && ((x + y / 2) % 16 == 0) && (y / 6) % 3 != 2) step += 4;
      if (y > 3 && ((x + 8 + y) % 16 == 0) && (y / 9) % 2 == 0) step += 2;
      img.Set(x, y, ShadeStep(Ramp::Ice, std::clamp(step, 3, 15)));
    }
  }
  // Frozen bubbles.
  img.Set(5, 30, ShadeStep(Ramp::Ice, 13));
  img.Set(12, 52, ShadeStep(Ramp::Ice, 12));
  img.Set(3, 70, ShadeStep(Ramp::Ice, 11));
  return img;
}

Image PaintEarthGround() {
  Image img(16, 85);
  Dice dice(5u);
  for (int y = 0; y < 85; ++y) {
    for (int x = 0; x < 16; ++x) {
      int step = y == 0 ? 12 : y == 1 ? 10 : 7 - y / 22;
      // Loose soil: a speckle of slightly lighter and darker grains.
      const int grain = dice.Below(9);
      if (y > 2 && grain == 0) step -= 1;
      if (y > 2 && grain == 1) step += 1;
      img.Set(x, y, ShadeStep(Ramp::Earth, std::max(step, 2)));
    }
  }
  SprinkleStones(img, 4, 5, 11u, Ramp::Earth, 2, 3);  // dark clods
  SprinkleStones(img, 3, 4, 13u, Ramp::Earth, 8, 9);
  return img;
}

Image PaintGravelGround() {
  // Packed pebbles: each pixel belongs to its nearest pebble centre (wrapping sideways); the
  // seams between pebbles are dark.
  Image img(16, 85);
  struct Pebble {
    double x, y;
    int shade;
  };
  std::vector<Pebble> pebbles;
  Dice dice(23u);
  for (int row = 0; row * 5 < 90; ++row) {
    for (int col = 0; col < 4; ++col) {
      pebbles.push_back({col * 4.0 + (row % 2) * 2.0 + dice.Below(3) - 1.0,
                         row * 5.0 + dice.Below(3) - 1.0, 3 + dice.Below(5)});
    }
  }
  for (int y = 0; y < 85; ++y) {
    for (int x = 0; x < 16; ++x) {
      double best = 1e9, second = 1e9;
      const Pebble* nearest = nullptr;
      for (const Pebble& p : pebbles) {
        const double dx = WrapDx(x + 0.5, p.x), dy = (y + 0.5 - p.y) * 0.9;
        const double d = std::sqrt(dx * dx + dy * dy);
        if (d < best) {
          second = best;
          best = d;
          nearest = &p;
        } else if (d < second) {
          second = d;
        }
      }
      uint8_t c;
      if (y == 0) {
        c = ShadeStep(Ramp::Stone, 10);
      } else if (second - best < 0.7) {
        c = ShadeStep(Ramp::Stone, 1);
      } else {
        // Each pebble is lit on its upper side.
        const int lit = (y + 0.5 < nearest->y) ? 2 : 0;
        c = ShadeStep(Ramp::Stone, nearest->shade + lit - y / 40);
      }
      img.Set(x, y, c);
    }
  }
  return img;
}

Image PaintDistanceMark() {
  Image img(1, 3);
  img.FillRect(0, 0, 1, 3, kWhite);
  return img;
}

}  // namespace sheet
