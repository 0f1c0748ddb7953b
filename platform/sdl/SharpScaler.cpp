#include "platform/sdl/SharpScaler.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// out[x] = Blend(a[x], b[x], weight) for `n` pixels; four at a time where the processor has SSE2
// (every x86-64), the same sums.
void BlendRow(const uint32_t* a, const uint32_t* b, uint32_t weight, uint32_t* out, int n) {
  int x = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  const __m128i toB = _mm_set1_epi16(static_cast<int16_t>(weight));
  const __m128i toA = _mm_set1_epi16(static_cast<int16_t>(256 - weight));
  for (; x + 4 <= n; x += 4) {
    const __m128i pa = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + x));
    const __m128i pb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + x));
    const __m128i low = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(pa, zero), toA),
                                      _mm_mullo_epi16(_mm_unpacklo_epi8(pb, zero), toB));
    const __m128i high = _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(pa, zero), toA),
                                       _mm_mullo_epi16(_mm_unpackhi_epi8(pb, zero), toB));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x),
                     _mm_packus_epi16(_mm_srli_epi16(low, 8), _mm_srli_epi16(high, 8)));
  }
#endif
  for (; x < n; ++x) out[x] = Blend(a[x], b[x], weight);
}

// out[x] = Blend(a[x], b[x], weights[x]) for `n` pixels, four at a time with SSE2.
void BlendEach(const uint32_t* a, const uint32_t* b, const uint16_t* weights, uint32_t* out,
               int n) {
  int x = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  const __m128i full = _mm_set1_epi16(256);
  for (; x + 4 <= n; x += 4) {
    const __m128i pa = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + x));
    const __m128i pb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + x));
    // Each pixel's weight in its four channels' lanes: w0 w0 w0 w0 w1 w1 w1 w1 (then w2, w3).
    const __m128i w4 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(weights + x));
    const __m128i w8 = _mm_unpacklo_epi16(w4, w4);
    const __m128i toBLow = _mm_unpacklo_epi32(w8, w8);
    const __m128i toBHigh = _mm_unpackhi_epi32(w8, w8);
    const __m128i low =
        _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(pa, zero), _mm_sub_epi16(full, toBLow)),
                      _mm_mullo_epi16(_mm_unpacklo_epi8(pb, zero), toBLow));
    const __m128i high =
        _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(pa, zero), _mm_sub_epi16(full, toBHigh)),
                      _mm_mullo_epi16(_mm_unpackhi_epi8(pb, zero), toBHigh));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x),
                     _mm_packus_epi16(_mm_srli_epi16(low, 8), _mm_srli_epi16(high, 8)));
  }
#endif
  for (; x < n; ++x) out[x] = Blend(a[x], b[x], weights[x]);
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
  // A source row that is as it was in the last frame, through the same colours, keeps the row
  // worked out across then: on the attract screen most rows stand still.
  if (table != table_) {
    table_ = table;
    std::fill(acrossValid_.begin(), acrossValid_.end(), false);
  }
  for (int y = 0; y < kFrameHeight; ++y) {
    const uint8_t* src = pixels + static_cast<std::ptrdiff_t>(y) * pitch;
    uint8_t* kept = previous_.data() + static_cast<size_t>(y) * kFrameWidth;
    if (acrossValid_[static_cast<size_t>(y)] && std::memcmp(src, kept, kFrameWidth) == 0) continue;
    std::memcpy(kept, src, kFrameWidth);
    acrossValid_[static_cast<size_t>(y)] = false;
  }
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
    BlendRow(upper, lower, tap.weight, row, rect.w);
  }
}

void SharpScaler::Plan(int w, int h) {
  if (w == planW_ && h == planH_) return;
  // Across, the taps walk the source from left to right: each source pixel's own columns, then
  // at most one column on its edge with the next (a column's centre is a whole enlarged pixel
  // or more from the next one's, and only centres within half a pixel of an edge mix).
  runs_.assign(kFrameWidth, 0);
  edgeWeights_.assign(kFrameWidth, 0);
  for (const SharpTap& tap : SharpTaps(kFrameWidth, w)) {
    if (tap.weight == 0)
      ++runs_[static_cast<size_t>(tap.source)];
    else
      edgeWeights_[static_cast<size_t>(tap.source)] = static_cast<uint16_t>(tap.weight);
  }
  edges_.assign(kFrameWidth, 0);
  rows_ = SharpTaps(kFrameHeight, h);
  converted_.assign(kFrameWidth + 1, 0);
  across_.assign(static_cast<size_t>(w) * kFrameHeight, 0);
  acrossValid_.assign(kFrameHeight, false);
  previous_.assign(static_cast<size_t>(kFrameWidth) * kFrameHeight, 0);
  planW_ = w;
  planH_ = h;
}

const uint32_t* SharpScaler::Across(const uint8_t* pixels, int pitch, const ColourTable& table,
                                    int y) {
  uint32_t* out = across_.data() + static_cast<size_t>(y) * planW_;
  if (acrossValid_[static_cast<size_t>(y)]) return out;
  const uint8_t* src = pixels + static_cast<std::ptrdiff_t>(y) * pitch;
  for (int x = 0; x < kFrameWidth; ++x) converted_[static_cast<size_t>(x)] = table[src[x]];
  converted_[kFrameWidth] = converted_[kFrameWidth - 1];
  // Every pixel blended with the next by its edge column's weight, all at once; then each
  // pixel's own columns and its edge column, if it has one.
  const uint32_t* colours = converted_.data();
  BlendEach(colours, colours + 1, edgeWeights_.data(), edges_.data(), kFrameWidth);
  uint32_t* at = out;
  for (int x = 0; x < kFrameWidth; ++x) {
    const uint32_t c = colours[x];
    for (uint32_t i = runs_[static_cast<size_t>(x)]; i > 0; --i) *at++ = c;
    if (edgeWeights_[static_cast<size_t>(x)] != 0) *at++ = edges_[static_cast<size_t>(x)];
  }
  acrossValid_[static_cast<size_t>(y)] = true;
  return out;
}

}  // namespace plat
