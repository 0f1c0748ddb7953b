// Event one's pictures: the cardboard car with its driver, the post and the rubber band.
#include <cmath>

#include "tools/sheet/Palette.h"
#include "tools/sheet/Pictures.h"

namespace sheet {
namespace {

// Cardboard shaded from a lighter top to a darker bottom, with faint corrugation ribs.
Fill CardFill(double top, double bottom, bool ribs) {
  return [=](double x, double y, double) {
    const double t = (y - top) / (bottom - top);
    int step = 12 - static_cast<int>(t * 5);
    if (ribs && static_cast<int>(std::floor(x)) % 4 == 0) step -= 1;
    return ShadeStep(Ramp::Card, step);
  };
}

void PaintWheel(Image& img, const View& v, double cx, double cy, bool detailed) {
  Paint(
      img, v, Circle(cx, cy, 8.4),
      [=](double x, double y, double) {
        // Rubber catches the light on its upper left.
        const double lit = -((x - cx) + (y - cy)) / 12.0;
        return ShadeStep(Ramp::Stone, 2 + static_cast<int>(std::lround(lit * 2)));
      },
      kInk);
  Paint(img, v, Circle(cx, cy, 4.2), Solid(ShadeStep(Ramp::Stone, 12)), kInk);
  // A bottle cap for a hub.
  if (detailed) Paint(img, v, Circle(cx, cy, 2.0), Solid(ShadeStep(Ramp::Cherry, 9)), 0);
}

}  // namespace

Image PaintCar(int width, int height) {
  // Designed on a 60 x 60 grid; the run view is the same car drawn smaller.
  Image img(width, height);
  const View v{width / 60.0, height / 60.0, 0, 0};
  const bool detailed = width >= 40;

  // Pennant on a stick, fluttering behind.
  Paint(img, v, Segment(8, 5, 8, 30, detailed ? 0.9 : 1.3), Solid(ShadeStep(Ramp::Wood, 6)), 0);
  Paint(
      img, v, Convex({{8.5, 4}, {8.5, 14}, {0.5, 10}}),
      [](double, double y, double) { return ShadeStep(Ramp::Cherry, y < 9 ? 10 : 8); }, kInk);

  // The driver, peeking out of the open cab.
  Paint(img, v, Circle(22, 8.5, 6.5), Solid(ShadeStep(Ramp::Skin, 10)), kInk);
  Paint(
      img, v, Convex({{15, 8}, {16, 3.5}, {20, 1.6}, {25, 2.2}, {28.5, 5.5}, {28.8, 7}}),
      [](double x, double, double) {
        // A red helmet with a white racing stripe.
        return (x > 20 && x < 22.5) ? ShadeStep(Ramp::Stone, 14) : ShadeStep(Ramp::Cherry, 10);
      },
      kInk);
  if (detailed) {
    img.Set(25, 9, kInk);  // eye
    img.Set(25, 10, kInk);
    img.Set(26, 12, ShadeStep(Ramp::Cherry, 12));  // cheek
    img.Set(27, 12, ShadeStep(Ramp::Cherry, 12));
  }

  // Cab and body: two cardboard boxes taped together.
  Paint(img, v, Box(12, 14, 38, 29, 1.5), CardFill(14, 29, detailed), kInk);
  Paint(
      img, v, Box(27, 17, 36, 26, 1.2),
      [](double x, double y, double) {
        const bool shine = std::fmod(x + (y - 17) * 0.6, 7.0) < 1.6;
        return ShadeStep(Ramp::Sky, shine ? 15 : 11);
      },
      kInk);
  Paint(img, v, Box(3, 27, 58, 50, 2), CardFill(27, 50, detailed), kInk);
  if (detailed) {
    // Parcel tape round the middle of the body.
    Paint(img, v, Box(33, 28, 37, 49), Solid(ShadeStep(Ramp::Card, 14)), 0);
    // A racing number on the side.
    Paint(img, v, Circle(26, 42, 5), Solid(ShadeStep(Ramp::Stone, 15)), kInk);
    Line(img, 26, 39, 26, 45, kInk);
    img.Set(25, 40, kInk);
  }
  // Headlight, bumper, and the hook the band is tied to.
  Paint(img, v, Circle(55, 33, 2.6), Solid(ShadeStep(Ramp::Gold, 14)), kInk);
  Paint(img, v, Box(54, 41, 60, 46, 1), Solid(ShadeStep(Ramp::Stone, 10)), kInk);
  Paint(img, v, Box(0.5, 33.5, 6, 38.5, 1), Solid(ShadeStep(Ramp::Stone, 11)), kInk);

  PaintWheel(img, v, 15, 51.6, detailed);
  PaintWheel(img, v, 46, 51.6, detailed);
  return img;
}

Image PaintPost() {
  Image img(19, 60);
  const View v{};
  // A round-topped stake, lit from the left.
  const Fill wood = [](double x, double y, double) {
    const double across = (x - 5) / 9.0;
    int step = 11 - static_cast<int>(std::abs(across - 0.35) * 10);
    // Grain lines wander slowly down the stake.
    if (std::fmod(x * 2.0 + std::sin(y * 0.35) * 1.5, 7.0) < 0.8) step -= 2;
    return ShadeStep(Ramp::Wood, step);
  };
  Paint(img, v, Union(Box(5, 6, 14, 60), Circle(9.5, 6.5, 4.5)), wood, kInk);
  // Red and white stripes near the top, as on a race course marker.
  Paint(
      img, v, Box(5, 12, 14, 20),
      [](double, double y, double) {
        return (static_cast<int>(y) / 3) % 2 ? ShadeStep(Ramp::Stone, 14)
                                             : ShadeStep(Ramp::Cherry, 9);
      },
      kInk);
  // The eye the rubber band is looped through.
  Paint(img, v, Circle(4.5, 36.5, 4.2), Solid(ShadeStep(Ramp::Stone, 12)), kInk);
  Paint(img, v, Circle(4.5, 36.5, 1.6), Solid(kInk), 0);
  // A tuft of grass at the foot.
  const double blades[][4] = {{2, 59.5, 1, 53},   {4, 59.5, 4.5, 52}, {6, 59.5, 7.5, 54},
                              {13, 59.5, 12, 53}, {15, 59.5, 16, 51}, {17, 59.5, 18, 54}};
  for (const auto& b : blades) {
    Paint(img, v, Segment(b[0], b[1], b[2], b[3], 0.8), Solid(ShadeStep(Ramp::Grass, 9)), 0);
  }
  return img;
}

Image PaintBandSegment() {
  // Two strands of stretched rubber; column 4 matches column 0 so the chain has no seams.
  Image img(5, 7);
  const uint8_t rows[7] = {kInk, ShadeStep(Ramp::Cherry, 11), ShadeStep(Ramp::Cherry, 7),
                           0,    ShadeStep(Ramp::Cherry, 11), ShadeStep(Ramp::Cherry, 7),
                           kInk};
  for (int y = 0; y < 7; ++y) img.FillRect(0, y, 5, y + 1, rows[y]);
  return img;
}

}  // namespace sheet
