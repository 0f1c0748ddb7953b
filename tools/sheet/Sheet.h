// The sprite sheet: where each picture sits, and the painter that puts them all together.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/System.h"

namespace sheet {

constexpr int kSheetWidth = 256;
constexpr int kSheetHeight = 256;

struct Placement {
  const char* name;
  int left, top, right, bottom;  // right and bottom exclusive, as the screens blit them
};

// Every rectangle the game draws from the sheet.
const std::vector<Placement>& Layout();

struct SheetImage {
  std::vector<uint8_t> pixels;  // kSheetHeight rows of kSheetWidth, top row first
  std::array<plat::PaletteEntry, 256> palette;
};

SheetImage PaintSheet();
// The sheet as an 8-bit BMP file's bytes.
std::vector<uint8_t> EncodeSheet();

}  // namespace sheet
