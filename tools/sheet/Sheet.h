// The painter that puts every picture of the sprite sheet (game/Sprites.h) in its place.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/System.h"

namespace sheet {

constexpr int kSheetWidth = 256;
constexpr int kSheetHeight = 256;

struct SheetImage {
  std::vector<uint8_t> pixels;  // kSheetHeight rows of kSheetWidth, top row first
  std::array<plat::PaletteEntry, 256> palette;
};

SheetImage PaintSheet();
// The sheet as an 8-bit BMP file's bytes.
std::vector<uint8_t> EncodeSheet();

}  // namespace sheet
