#include "platform/sdl/FrameConvert.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

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

void ScaleFrame(const uint8_t* pixels, int pitch, const ColourTable& table, void* dst, int dstPitch,
                const FrameRect& rect) {
  if (rect.w <= 0 || rect.h <= 0) return;
  auto* out = static_cast<uint8_t*>(dst) + static_cast<std::ptrdiff_t>(rect.y) * dstPitch +
              static_cast<std::ptrdiff_t>(rect.x) * 4;
  const size_t rowBytes = static_cast<size_t>(rect.w) * 4;
  const int scale = rect.w / kFrameWidth;
  const bool whole = scale >= 1 && rect.w == kFrameWidth * scale && rect.h == kFrameHeight * scale;
  // Column sources for the general case; a whole scale needs none.
  std::vector<int> columns;
  if (!whole) {
    columns.resize(rect.w);
    for (int x = 0; x < rect.w; ++x)
      columns[x] = static_cast<int>(static_cast<int64_t>(x) * kFrameWidth / rect.w);
  }
  int lastSource = -1;
  const uint8_t* lastRow = nullptr;
  for (int y = 0; y < rect.h; ++y) {
    uint8_t* rowBytesOut = out + static_cast<std::ptrdiff_t>(y) * dstPitch;
    const int sy = static_cast<int>(static_cast<int64_t>(y) * kFrameHeight / rect.h);
    if (sy == lastSource) {
      // An enlarged row repeats the one above: copying it beats converting it again.
      std::memcpy(rowBytesOut, lastRow, rowBytes);
      continue;
    }
    const uint8_t* src = pixels + static_cast<std::ptrdiff_t>(sy) * pitch;
    auto* row = reinterpret_cast<uint32_t*>(rowBytesOut);
    if (!whole) {
      for (int x = 0; x < rect.w; ++x) row[x] = table[src[columns[x]]];
    } else if (scale == 1) {
      for (int x = 0; x < kFrameWidth; ++x) row[x] = table[src[x]];
    } else if (scale == 2) {
      for (int x = 0; x < kFrameWidth; ++x) row[2 * x] = row[2 * x + 1] = table[src[x]];
    } else {
      for (int x = 0; x < kFrameWidth; ++x) {
        const uint32_t c = table[src[x]];
        for (int k = 0; k < scale; ++k) *row++ = c;
      }
    }
    lastSource = sy;
    lastRow = rowBytesOut;
  }
}

FrameRect FitFrame(int outputWidth, int outputHeight, ScaleMode mode) {
  const int scale = std::min(outputWidth / kFrameWidth, outputHeight / kFrameHeight);
  FrameRect r;
  if (scale < 1) {
    // Too small for the frame at its own size: shrink, keeping the 4:3 shape.
    r.w = std::max(0, std::min(outputWidth, outputHeight * kFrameWidth / kFrameHeight));
    r.h = std::max(0, std::min(outputHeight, r.w * kFrameHeight / kFrameWidth));
  } else if (mode == ScaleMode::Whole) {
    r.w = kFrameWidth * scale;
    r.h = kFrameHeight * scale;
  } else if (int64_t{outputWidth} * kFrameHeight >= int64_t{outputHeight} * kFrameWidth) {
    // As wide as 4:3 or wider: the full height, bars at the sides.
    r.h = outputHeight;
    r.w = static_cast<int>(int64_t{outputHeight} * kFrameWidth / kFrameHeight);
  } else {
    r.w = outputWidth;
    r.h = static_cast<int>(int64_t{outputWidth} * kFrameHeight / kFrameWidth);
  }
  r.x = (outputWidth - r.w) / 2;
  r.y = (outputHeight - r.h) / 2;
  return r;
}

}  // namespace plat
