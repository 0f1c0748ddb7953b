#include "platform/sdl/SharpScaler.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace plat {
namespace {

// `a` blended towards `b` by `weight` / 256, each 8-bit channel on its own: two channels at a
// time in 16-bit lanes. A weight of 0 gives `a` exactly.
inline uint32_t Blend(uint32_t a, uint32_t b, uint32_t weight) {
  const uint32_t keep = 256 - weight;
  const uint32_t oddLanes = (((a & 0xFF00FFu) * keep + (b & 0xFF00FFu) * weight) >> 8) & 0xFF00FFu;
  const uint32_t evenLanes =
      (((a >> 8) & 0xFF00FFu) * keep + ((b >> 8) & 0xFF00FFu) * weight) & 0xFF00FF00u;
  return oddLanes | evenLanes;
}

}  // namespace

std::vector<SharpTap> SharpTaps(int sourceSize, int outputSize) {
  std::vector<SharpTap> taps(static_cast<size_t>(std::max(0, outputSize)));
  if (sourceSize <= 0 || outputSize < sourceSize) return taps;
  // Each source pixel becomes a block of `whole` pixels, the whole number at or above the scale.
  const int64_t whole = (outputSize + sourceSize - 1) / sourceSize;
  const int64_t enlarged = whole * sourceSize;
  const int64_t halves = 2 * int64_t{outputSize};
  for (int i = 0; i < outputSize; ++i) {
    // The output pixel's centre on the enlarged picture, less half a pixel, in units of
    // 1 / (2 * outputSize): the filter's left tap and how far it is towards the right one.
    // Exact integers, so that a pixel inside one block gets a weight of exactly nothing.
    const int64_t at = (2 * int64_t{i} + 1) * enlarged - outputSize;
    const int64_t left = at / halves;
    const int64_t toRight = at % halves;
    int source = static_cast<int>(left / whole);
    const int next = static_cast<int>(std::min<int64_t>((left + 1) / whole, sourceSize - 1));
    uint32_t weight = 0;
    if (next != source) weight = static_cast<uint32_t>((toRight * 256 + outputSize) / halves);
    if (weight >= 256) {
      source = next;
      weight = 0;
    }
    taps[static_cast<size_t>(i)] = {source, weight};
  }
  return taps;
}

void SharpScaler::Scale(const uint8_t* pixels, int pitch, const ColourTable& table, void* dst,
                        int dstPitch, const FrameRect& rect) {
  if (rect.w <= 0 || rect.h <= 0) return;
  const int scale = rect.w / kFrameWidth;
  const bool whole = scale >= 1 && rect.w == kFrameWidth * scale && rect.h == kFrameHeight * scale;
  if (whole || rect.w < kFrameWidth || rect.h < kFrameHeight) {
    ScaleFrame(pixels, pitch, table, dst, dstPitch, rect);
    return;
  }
  Plan(rect.w, rect.h);
  acrossRow_[0] = acrossRow_[1] = -1;  // a new frame
  auto* out = static_cast<uint8_t*>(dst) + static_cast<std::ptrdiff_t>(rect.y) * dstPitch +
              static_cast<std::ptrdiff_t>(rect.x) * 4;
  const size_t rowBytes = static_cast<size_t>(rect.w) * 4;
  for (int y = 0; y < rect.h; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(out + static_cast<std::ptrdiff_t>(y) * dstPitch);
    const SharpTap tap = rows_[static_cast<size_t>(y)];
    const uint32_t* upper = Across(pixels, pitch, table, tap.source);
    if (tap.weight == 0) {
      // Most rows lie inside one source row: a copy of the row already worked out across.
      std::memcpy(row, upper, rowBytes);
      continue;
    }
    const uint32_t* lower = Across(pixels, pitch, table, tap.source + 1);
    for (int x = 0; x < rect.w; ++x) row[x] = Blend(upper[x], lower[x], tap.weight);
  }
}

void SharpScaler::Plan(int w, int h) {
  if (w == planW_ && h == planH_) return;
  columns_ = SharpTaps(kFrameWidth, w);
  rows_ = SharpTaps(kFrameHeight, h);
  converted_.assign(kFrameWidth + 1, 0);
  for (std::vector<uint32_t>& row : across_) row.assign(static_cast<size_t>(w), 0);
  planW_ = w;
  planH_ = h;
}

const uint32_t* SharpScaler::Across(const uint8_t* pixels, int pitch, const ColourTable& table,
                                    int y) {
  const int slot = y & 1;
  uint32_t* out = across_[slot].data();
  if (acrossRow_[slot] == y) return out;
  const uint8_t* src = pixels + static_cast<std::ptrdiff_t>(y) * pitch;
  for (int x = 0; x < kFrameWidth; ++x) converted_[static_cast<size_t>(x)] = table[src[x]];
  converted_[kFrameWidth] = converted_[kFrameWidth - 1];
  const uint32_t* colours = converted_.data();
  for (int x = 0; x < planW_; ++x) {
    const SharpTap tap = columns_[static_cast<size_t>(x)];
    const uint32_t a = colours[tap.source];
    out[x] = tap.weight == 0 ? a : Blend(a, colours[tap.source + 1], tap.weight);
  }
  acrossRow_[slot] = y;
  return out;
}

}  // namespace plat
