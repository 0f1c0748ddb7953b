// Blits: the screen-trimmed BlitFast every picture goes through, sprite records, the stretching
// blit and the back-buffer capture, over a software BltFast/Blt that checks every rectangle.
#include <algorithm>
#include <cstring>
#include <vector>

#include "display/CCDraw.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Copies n bytes, leaving the target where the source holds index 0.
inline void KeyedRow(uint8_t* dst, const uint8_t* src, int n) {
  int i = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  for (; i + 16 <= n; i += 16) {
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
    const __m128i transparent = _mm_cmpeq_epi8(s, zero);
    const __m128i out = _mm_or_si128(_mm_and_si128(transparent, d), s);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), out);
  }
#endif
  for (; i < n; ++i) {
    if (src[i] != 0) dst[i] = src[i];
  }
}

// Row scratch for blits within one surface, grown once and kept.
std::vector<uint8_t>& Scratch(size_t size) {
  static std::vector<uint8_t> buffer;
  if (buffer.size() < size) buffer.resize(size);
  return buffer;
}

// BltFast without a clipper: the source rectangle must lie inside the source and the placed
// rectangle inside the target, else nothing is drawn.
HRESULT SoftBltFast(Surface& dst, int64_t x, int64_t y, const Surface& src, int64_t left,
                    int64_t top, int64_t right, int64_t bottom, bool keyed) {
  if (dst.dcHeld || src.dcHeld) return DDERR_SURFACEBUSY;
  if (left < 0 || top < 0 || right > src.width || bottom > src.height || left >= right ||
      top >= bottom) {
    return DDERR_INVALIDRECT;
  }
  const int w = static_cast<int>(right - left);
  const int h = static_cast<int>(bottom - top);
  if (x < 0 || y < 0 || x + w > dst.width || y + h > dst.height) return DDERR_INVALIDRECT;

  keyed = keyed && src.colourKey;
  const int sx = static_cast<int>(left), sy = static_cast<int>(top);
  const int dx = static_cast<int>(x), dy = static_cast<int>(y);
  if (&dst == &src) {
    // Overlapping areas of one surface: walk rows away from the overlap and copy each through a
    // scratch row.
    std::vector<uint8_t>& row = Scratch(w);
    const bool upward = dy > sy;
    for (int k = 0; k < h; ++k) {
      const int r = upward ? h - 1 - k : k;
      std::memcpy(row.data(), src.Row(sy + r) + sx, w);
      if (keyed) {
        KeyedRow(dst.Row(dy + r) + dx, row.data(), w);
      } else {
        std::memcpy(dst.Row(dy + r) + dx, row.data(), w);
      }
    }
    return DD_OK;
  }
  if (keyed) {
    for (int r = 0; r < h; ++r) KeyedRow(dst.Row(dy + r) + dx, src.Row(sy + r) + sx, w);
  } else {
    for (int r = 0; r < h; ++r) std::memcpy(dst.Row(dy + r) + dx, src.Row(sy + r) + sx, w);
  }
  return DD_OK;
}

}  // namespace

HRESULT CCDraw::BlitFast(int source, int x, int y, int left, int top, int right, int bottom,
                         int target) {
  if (recorder_) recorder_->OnBlit(x, y, left, top, right, bottom);

  if (source < 0 || source >= slotCount || slotInfo[source].inUse == 0) return 0;
  Surface* src = slotSurfaces[source].get();
  if (!src) return 0;

  // Wide arithmetic: no argument can overflow the trimming.
  int64_t dx = x, dy = y;
  int64_t l = left, t = top, r = right, b = bottom;
  const int64_t w = r - l;
  const int64_t h = b - t;
  if (dx > 639 || dy > 479 || dx + w < 0 || dy + h < 0) return 1;
  // The screen ends at 639/479 for this blit: the last column and row are never written.
  if (dx + w > 639) r -= dx + w - 639;
  if (dy + h > 479) b -= dy + h - 479;
  if (dx < 0) {
    l += -dx;
    dx = 0;
  }
  if (dy < 0) {
    t += -dy;
    dy = 0;
  }

  Surface* dst = TargetSurface(target);
  if (!dst) return DDERR_INVALIDPARAMS;
  return SoftBltFast(*dst, dx, dy, *src, l, t, r, b, slotInfo[source].colourKeyed != 0);
}

HRESULT CCDraw::DrawSprite(const SpriteRect& sprite, int x, int y) {
  return BlitFast(sprite.slot, x - sprite.hotX, y - sprite.hotY, sprite.left, sprite.top,
                  sprite.right, sprite.bottom, -1);
}

HRESULT CCDraw::BlitStretch(int source, int dLeft, int dTop, int dRight, int dBottom, int sLeft,
                            int sTop, int sRight, int sBottom, int target) {
  Surface* src = SlotSurface(source);
  Surface* dst = TargetSurface(target);
  if (!src || !dst) return DDERR_INVALIDPARAMS;
  if (src->dcHeld || dst->dcHeld) return DDERR_SURFACEBUSY;
  if (sLeft < 0 || sTop < 0 || sRight > src->width || sBottom > src->height || sLeft >= sRight ||
      sTop >= sBottom || dLeft >= dRight || dTop >= dBottom) {
    return DDERR_INVALIDRECT;
  }
  const int64_t sw = int64_t{sRight} - sLeft, sh = int64_t{sBottom} - sTop;
  const int64_t dw = int64_t{dRight} - dLeft, dh = int64_t{dBottom} - dTop;
  // Only the part of the destination on the target is drawn.
  const int64_t x0 = std::max<int64_t>(dLeft, 0), x1 = std::min<int64_t>(dRight, dst->width);
  const int64_t y0 = std::max<int64_t>(dTop, 0), y1 = std::min<int64_t>(dBottom, dst->height);
  if (x0 >= x1 || y0 >= y1) return DD_OK;

  // The key is always asked for; it applies when the source carries one.
  const bool keyed = src->colourKey;
  const Surface* from = src;
  Surface copy(0, 0, 0);
  if (src == dst) {
    // Scale from a snapshot so that written pixels are never read back.
    copy = *src;
    from = &copy;
  }
  for (int64_t py = y0; py < y1; ++py) {
    const int sy = static_cast<int>(sTop + (py - dTop) * sh / dh);
    const uint8_t* srow = from->Row(sy);
    uint8_t* drow = dst->Row(static_cast<int>(py));
    for (int64_t px = x0; px < x1; ++px) {
      const uint8_t v = srow[sLeft + (px - dLeft) * sw / dw];
      if (!keyed || v != 0) drow[px] = v;
    }
  }
  return DD_OK;
}

HRESULT CCDraw::CaptureBackBuffer(int slot) {
  Surface* dst = SlotSurface(slot);
  if (!dst) return DDERR_INVALIDPARAMS;
  return SoftBltFast(*dst, 0, 0, *backBuffer, 0, 0, kScreenWidth, kScreenHeight, false);
}

SpriteRect MakeSpriteRect(int left, int top, int right, int bottom, int hotX, int hotY, int slot) {
  return {left, right, top, bottom, hotX, hotY, slot};
}

SpriteRect MakeSpriteRect(int left, int top, int right, int bottom, int slot) {
  return {left, right, top, bottom, (right - left) / 2, (bottom - top) / 2, slot};
}
