// The background tile, event two's ball, the frame round the grade letter and the name-entry
// marker.
#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "tools/sheet/Palette.h"
#include "tools/sheet/Pictures.h"

namespace sheet {
namespace {

using Vec = std::array<double, 3>;

double Dot(const Vec& a, const Vec& b) {
  return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
Vec Cross(const Vec& a, const Vec& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
Vec Normalise(const Vec& v) {
  const double n = std::sqrt(Dot(v, v));
  return {v[0] / n, v[1] / n, v[2] / n};
}

// A four-pointed sparkle centred on (cx, cy).
void Sparkle(Image& img, int cx, int cy, int arm, uint8_t tip, uint8_t core) {
  for (int i = -arm; i <= arm; ++i) {
    img.Set(cx + i, cy, tip);
    img.Set(cx, cy + i, tip);
  }
  img.Set(cx, cy, core);
  img.Set(cx - 1, cy, core);
  img.Set(cx + 1, cy, core);
  img.Set(cx, cy - 1, core);
  img.Set(cx, cy + 1, core);
}

}  // namespace

Image PaintBackgroundTile() {
  // Night-blue diamonds of faint lines with a dim star in each; no index 0 anywhere, so the
  // clear colour never shows through.
  Image img(16, 16);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      const bool lattice = (x + y) % 16 == 0 || (x - y + 16) % 16 == 0;
      img.Set(x, y, ShadeStep(Ramp::Night, lattice ? 5 : 3));
    }
  }
  img.Set(8, 0, ShadeStep(Ramp::Night, 7));
  img.Set(0, 8, ShadeStep(Ramp::Night, 7));
  return img;
}

Image PaintBall() {
  // A beach ball: six gores round a white cap that faces the viewer's upper left, lit from there.
  Image img(49, 49);
  const double r = 24.5;
  const Vec pole = Normalise({-0.35, -0.55, 0.76});
  const Vec u = Normalise(Cross(pole, {0, 0, 1}));
  const Vec w = Cross(pole, u);
  const Vec light = Normalise({-0.55, -0.65, 0.55});
  const Ramp gores[6] = {Ramp::Cherry, Ramp::Stone, Ramp::Gold,
                         Ramp::Stone,  Ramp::Sky,   Ramp::Stone};
  Paint(
      img, View{}, Circle(r, r, r),
      [&](double x, double y, double) {
        const double nx = (x - r) / r, ny = (y - r) / r;
        const Vec n = {nx, ny, std::sqrt(std::max(0.0, 1 - nx * nx - ny * ny))};
        const double diffuse = std::max(0.0, Dot(n, light));
        const double shade = 0.2 + 0.8 * diffuse;
        const Vec reflect = {2 * n[0] * n[2], 2 * n[1] * n[2], 2 * n[2] * n[2] - 1};
        if (Dot(reflect, light) > 0.93) return ShadeStep(Ramp::Stone, 15);
        Ramp ramp = Ramp::Stone;
        if (Dot(n, pole) < 0.92) {
          const double phi = std::atan2(Dot(n, w), Dot(n, u));
          ramp = gores[static_cast<int>((phi + std::numbers::pi) / (2 * std::numbers::pi) * 6) % 6];
        }
        // White gores keep to the light end of the greys.
        const int lo = ramp == Ramp::Stone ? 6 : 2;
        return ShadeStep(ramp, lo + static_cast<int>(std::lround(shade * (15 - lo))));
      },
      kInk);
  return img;
}

Image PaintGradeFrame() {
  // A gilded picture frame six pixels wide, bevelled, with ruby rosettes at the corners. The
  // inside stays open: the letter is drawn first and must show through.
  Image img(112, 112);
  for (int y = 0; y < 112; ++y) {
    for (int x = 0; x < 112; ++x) {
      const int ring = std::min(std::min(x, y), std::min(111 - x, 111 - y));
      if (ring > 5) continue;
      // Which side of the frame: top and left catch the light.
      const bool litSide = (std::min(x, y) == ring) && !(111 - x < ring) && !(111 - y < ring);
      int step;
      switch (ring) {
        case 0:
        case 5:
          img.Set(x, y, kInk);
          continue;
        case 1:
          step = litSide ? 15 : 7;
          break;
        case 4:
          step = litSide ? 6 : 12;
          break;
        default:
          step = litSide ? 12 : 9;
          // Beading along the middle of the moulding.
          if (ring == 2 && (x + y) % 6 == 0) step += 3;
      }
      img.Set(x, y, ShadeStep(Ramp::Gold, step));
    }
  }
  const double corners[4][2] = {{6, 6}, {106, 6}, {6, 106}, {106, 106}};
  for (const auto& c : corners) {
    Paint(
        img, View{}, Circle(c[0], c[1], 6.5),
        [](double, double, double depth) { return ShadeStep(Ramp::Gold, depth < 2 ? 13 : 9); },
        kInk);
    Paint(
        img, View{}, Circle(c[0], c[1], 3.5),
        [&](double x, double y, double) {
          const bool shine = x < c[0] && y < c[1];
          return ShadeStep(Ramp::Cherry, shine ? 13 : 8);
        },
        kInk);
  }
  // Small studs halfway along each side.
  const int studs[4][2] = {{56, 3}, {56, 108}, {3, 56}, {108, 56}};
  for (const auto& s : studs) {
    Paint(img, View{}, Circle(s[0] + 0.5, s[1] + 0.5, 2.9), Solid(ShadeStep(Ramp::Sky, 12)), kInk);
    img.Set(s[0] - 1, s[1] - 1, ShadeStep(Ramp::Stone, 15));
  }
  return img;
}

Image PaintWheelMarker() {
  // A glassy teal ring with gold pointers above and below, open in the middle so the chosen
  // character shows through, and a sparkle in each corner.
  Image img(68, 68);
  const double c = 34;
  Paint(
      img, View{}, Subtract(Circle(c, c, 33.5), Circle(c, c, 28.5)),
      [=](double x, double y, double) {
        // Lit from the upper left: the ring brightens toward that side.
        const double lit = -((x - c) + (y - c)) / (2 * 31.0);
        return ShadeStep(Ramp::Mint, 9 + static_cast<int>(std::lround(lit * 6)));
      },
      kInk);
  const Fill gold = [](double, double, double depth) {
    return ShadeStep(Ramp::Gold, depth < 2 ? 14 : 11);
  };
  Paint(img, View{}, Convex({{27, 0.5}, {41, 0.5}, {34, 10}}), gold, kInk);
  Paint(img, View{}, Convex({{27, 67.5}, {41, 67.5}, {34, 58}}), gold, kInk);
  const int sparkles[4][2] = {{6, 6}, {61, 6}, {6, 61}, {61, 61}};
  for (const auto& s : sparkles) {
    Sparkle(img, s[0], s[1], 4, ShadeStep(Ramp::Gold, 11), ShadeStep(Ramp::Gold, 15));
  }
  return img;
}

}  // namespace sheet
