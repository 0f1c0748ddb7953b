// The display's text, its device-context stand-ins and the nearest-colour match behind text and
// lines.
#include "display/TextRenderer.h"
// CCDraw.h after TextRenderer.h: CCDraw only knows TextRenderer by name.
#include <algorithm>
#include <cstdint>
#include <iterator>

#include "display/CCDraw.h"

namespace {

// Where a colour sits in the nearest-colour cache.
size_t CacheSlot(uint32_t colour) {
  return ((colour * 0x9E3779B1u) >> 26) & 63;
}

}  // namespace

void CCDraw::DrawText(std::string_view text, int x, int y, uint32_t colour, int width, int height,
                      int, SurfaceDC dc, int opaque) {
  // Weight is not looked at: the game's 220 is the regular face, the only one there is.
  Surface* target = dc ? dc : backBuffer.get();
  if (recorder_ && target == backBuffer.get()) recorder_->OnText(x, y, colour, height, text);
  if (!target || text.empty()) return;
  text_->Draw(*target, text, x, y, NearestIndex(colour), width, height, opaque != 0);
}

void CCDraw::DrawText(std::string_view text, int x, int y, uint32_t colour, int size, int weight,
                      SurfaceDC dc) {
  DrawText(text, x, y, colour, size, size, weight, dc, 0);
}

void CCDraw::DrawText(std::string_view text, int x, int y, uint32_t colour, int size) {
  DrawText(text, x, y, colour, size, 220, nullptr);
}

void CCDraw::DrawText(std::string_view text, int x, int y, uint32_t colour) {
  DrawText(text, x, y, colour, 12);
}

void CCDraw::DrawText(std::string_view text, int x, int y) {
  DrawText(text, x, y, 0x00FFFFFF);
}

int CCDraw::TextWidth(int slot, std::string_view text, int size, int) {
  if (!SlotSurface(slot)) return 0;
  // Measured up to the first NUL, like a C string.
  return text_->Measure(text.substr(0, text.find('\0')), size, size);
}

SurfaceDC CCDraw::GetSurfaceDC(int slot) {
  Surface* surface = SlotSurface(slot);
  if (surface) surface->dcHeld = true;
  return surface;
}

void CCDraw::ReleaseSurfaceDC(int slot, SurfaceDC) {
  if (Surface* surface = SlotSurface(slot)) surface->dcHeld = false;
}

uint8_t CCDraw::NearestIndex(uint32_t colour) {
  colour &= 0x00FFFFFF;
  // Any change to the palette, through whatever road, makes every cached answer stale.
  if (text_->PaletteChanged(displayPalette)) {
    std::fill(std::begin(nearestCacheValid_), std::end(nearestCacheValid_), false);
  }
  const size_t slot = CacheSlot(colour);
  if (nearestCacheValid_[slot] && nearestCacheKey_[slot] == colour) {
    return nearestCacheValue_[slot];
  }
  const int red = colour & 0xFF;
  const int green = (colour >> 8) & 0xFF;
  const int blue = (colour >> 16) & 0xFF;
  int best = 0;
  int bestDistance = INT32_MAX;
  for (int i = 0; i < 256 && bestDistance > 0; ++i) {
    const int dr = displayPalette[i].peRed - red;
    const int dg = displayPalette[i].peGreen - green;
    const int db = displayPalette[i].peBlue - blue;
    const int distance = dr * dr + dg * dg + db * db;
    if (distance < bestDistance) {
      best = i;
      bestDistance = distance;
    }
  }
  nearestCacheKey_[slot] = colour;
  nearestCacheValue_[slot] = static_cast<uint8_t>(best);
  nearestCacheValid_[slot] = true;
  return static_cast<uint8_t>(best);
}
