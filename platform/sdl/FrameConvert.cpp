#include "platform/sdl/FrameConvert.h"

#include <algorithm>
#include <cstddef>

namespace plat {

ColourTable BuildColourTable(const PaletteEntry* palette) {
  ColourTable table{};
  for (int i = 0; i < 256; ++i) {
    const PaletteEntry& p = palette[i];
    table[i] = 0xFF000000u | (uint32_t{p.peRed} << 16) | (uint32_t{p.peGreen} << 8) | p.peBlue;
  }
  return table;
}

void ConvertFrame(const uint8_t* pixels, int pitch, const ColourTable& table, void* dst,
                  int dstPitch) {
  auto* out = static_cast<uint8_t*>(dst);
  for (int y = 0; y < kFrameHeight; ++y) {
    const uint8_t* src = pixels + static_cast<std::ptrdiff_t>(y) * pitch;
    auto* row = reinterpret_cast<uint32_t*>(out + static_cast<std::ptrdiff_t>(y) * dstPitch);
    for (int x = 0; x < kFrameWidth; ++x) row[x] = table[src[x]];
  }
}

FrameRect FitFrame(int outputWidth, int outputHeight) {
  const int scale = std::min(outputWidth / kFrameWidth, outputHeight / kFrameHeight);
  FrameRect r;
  if (scale >= 1) {
    r.w = kFrameWidth * scale;
    r.h = kFrameHeight * scale;
  } else {
    // Too small for the frame at its own size: shrink, keeping the 4:3 shape.
    r.w = std::max(0, std::min(outputWidth, outputHeight * kFrameWidth / kFrameHeight));
    r.h = std::max(0, std::min(outputHeight, r.w * kFrameHeight / kFrameWidth));
  }
  r.x = (outputWidth - r.w) / 2;
  r.y = (outputHeight - r.h) / 2;
  return r;
}

}  // namespace plat
