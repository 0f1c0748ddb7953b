// kavrel-icon SHEET DIR: draws the game's menu icon, the wind-up car of the sprite sheet, and
// writes it as DIR/NxN/apps/kavrel.png in each size of the desktop's hicolor icon theme.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "display/CCDraw.h"
#include "game/Sprites.h"
#include "platform/VirtualSystem.h"
#include "tools/common/PngWriter.h"

namespace {

// The car as the wind-up screen blits it, a square; palette index 0 is the sheet's transparent
// colour.
constexpr int kLeft = kCarWindUp.left, kTop = kCarWindUp.top, kSide = kCarWindUp.right - kLeft;
static_assert(kCarWindUp.bottom - kTop == kSide);
constexpr int kSizes[] = {16, 32, 48, 64, 128, 256};

struct Rgba {
  double r = 0, g = 0, b = 0, a = 0;  // colour premultiplied by alpha, all 0..255
};

using Picture = std::vector<Rgba>;  // kSide x kSide

// From `size` upwards the pixel art is enlarged by whole steps and centred, so it stays sharp;
// smaller icons average the pixels each one covers.
std::vector<uint8_t> Resample(const Picture& car, int size) {
  std::vector<Rgba> out(static_cast<size_t>(size) * size);
  if (size >= kSide) {
    const int scale = size / kSide;
    const int margin = (size - kSide * scale) / 2;
    for (int y = 0; y < kSide * scale; ++y)
      for (int x = 0; x < kSide * scale; ++x)
        out[(y + margin) * size + x + margin] = car[(y / scale) * kSide + x / scale];
  } else {
    const double step = static_cast<double>(kSide) / size;
    // How much of source cell `s` lies within [from, from + step).
    auto overlap = [&](int s, double from) {
      return std::max(0.0, std::min<double>(s + 1, from + step) - std::max<double>(s, from));
    };
    for (int y = 0; y < size; ++y) {
      for (int x = 0; x < size; ++x) {
        Rgba sum;
        for (int sy = static_cast<int>(y * step); sy < kSide && sy < (y + 1) * step; ++sy) {
          for (int sx = static_cast<int>(x * step); sx < kSide && sx < (x + 1) * step; ++sx) {
            const double w = overlap(sx, x * step) * overlap(sy, y * step) / (step * step);
            const Rgba& c = car[sy * kSide + sx];
            sum.r += c.r * w;
            sum.g += c.g * w;
            sum.b += c.b * w;
            sum.a += c.a * w;
          }
        }
        out[y * size + x] = sum;
      }
    }
  }
  std::vector<uint8_t> bytes;
  bytes.reserve(out.size() * 4);
  for (const Rgba& c : out) {
    auto unmultiply = [&](double v) {
      return static_cast<uint8_t>(c.a > 0 ? std::clamp(v * 255.0 / c.a + 0.5, 0.0, 255.0) : 0);
    };
    bytes.insert(bytes.end(), {unmultiply(c.r), unmultiply(c.g), unmultiply(c.b),
                               static_cast<uint8_t>(std::clamp(c.a + 0.5, 0.0, 255.0))});
  }
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: kavrel-icon SHEET.bmp DIR\n");
    return 2;
  }
  // The game's own bitmap reader; its error boxes go nowhere, a failed read is reported below.
  plat::VirtualSystem quiet(plat::VirtualScript{});
  CCDraw draw(quiet, 1);
  plat::PaletteEntry palette[256] = {};
  BitmapInfoHeader info{};
  const auto image = draw.ReadBitmapFile(argv[1], palette, &info, 0, 255);
  if (!image || info.biWidth < kLeft + kSide || info.biHeight < kTop + kSide) {
    std::fprintf(stderr, "kavrel-icon: %s is not the game's sprite sheet\n", argv[1]);
    return 1;
  }
  Picture car(kSide * kSide);
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      const uint8_t index = image[static_cast<size_t>(kTop + y) * info.biWidth + kLeft + x];
      if (index == 0) continue;
      const plat::PaletteEntry& c = palette[index];
      car[y * kSide + x] = {double(c.peRed), double(c.peGreen), double(c.peBlue), 255.0};
    }
  }
  for (const int size : kSizes) {
    const std::string side = std::to_string(size);
    const std::filesystem::path dir = std::filesystem::path(argv[2]) / (side + "x" + side) / "apps";
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    const std::string file = (dir / "kavrel.png").string();
    if (!WritePngRgba(file, Resample(car, size).data(), size, size)) {
      std::fprintf(stderr, "kavrel-icon: cannot write %s\n", file.c_str());
      return 1;
    }
  }
  return 0;
}
