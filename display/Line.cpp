// Lines on the back buffer or a slot surface, the way a GDI pen draws them.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "display/CCDraw.h"

namespace {

// Wider pens cover the whole screen from anywhere they could be seen.
constexpr int64_t kMaxPen = 1024;

// Fills the pen's square around (x, y), clipped to the surface.
void Stamp(Surface& surface, int64_t x, int64_t y, int64_t pen, uint8_t index) {
  const int64_t left = x - pen / 2;
  const int64_t top = y - pen / 2;
  const int64_t x0 = std::max<int64_t>(left, 0);
  const int64_t x1 = std::min<int64_t>(left + pen, surface.width);
  const int64_t y0 = std::max<int64_t>(top, 0);
  const int64_t y1 = std::min<int64_t>(top + pen, surface.height);
  if (x0 >= x1) return;
  for (int64_t row = y0; row < y1; ++row) {
    std::memset(surface.Row(static_cast<int>(row)) + x0, index, static_cast<size_t>(x1 - x0));
  }
}

}  // namespace

void CCDraw::DrawLine(int x1, int y1, int x2, int y2, uint32_t colour, int penWidth, int target) {
  Surface* surface = target == 0 ? backBuffer.get() : SlotSurface(target);
  if (!surface) return;
  const uint8_t index = NearestIndex(colour);
  const int64_t pen = std::clamp<int64_t>(penWidth, 1, kMaxPen);

  // Step along the longer axis; the other coordinate is the nearest pixel to the true line.
  // The end point is not drawn.
  const int64_t dx = int64_t{x2} - x1;
  const int64_t dy = int64_t{y2} - y1;
  const bool alongX = (dx < 0 ? -dx : dx) >= (dy < 0 ? -dy : dy);
  const int64_t major = alongX ? dx : dy;
  const int64_t minor = alongX ? dy : dx;
  const int64_t steps = major < 0 ? -major : major;
  if (steps == 0) return;
  const int64_t majorStep = major < 0 ? -1 : 1;
  const int64_t minorStep = minor < 0 ? -1 : 1;
  const int64_t minorSpan = minor < 0 ? -minor : minor;
  const int64_t majorStart = alongX ? x1 : y1;
  const int64_t minorStart = alongX ? y1 : x1;
  const int64_t majorSize = alongX ? surface->width : surface->height;

  // Only the steps whose major coordinate can touch the surface are walked, so a line with far
  // away ends costs no more than one that fits.
  int64_t first = 0;
  int64_t last = steps;  // exclusive
  if (majorStep > 0) {
    first = std::max<int64_t>(first, -pen - majorStart);
    last = std::min<int64_t>(last, majorSize + pen - majorStart);
  } else {
    first = std::max<int64_t>(first, majorStart - majorSize - pen);
    last = std::min<int64_t>(last, majorStart + pen + 1);
  }
  for (int64_t i = first; i < last; ++i) {
    // Rounded half away from the start; 128 bits since both factors may use 33 bits.
    const auto offset = static_cast<int64_t>((__int128{2} * i * minorSpan + steps) / (2 * steps));
    const int64_t a = majorStart + i * majorStep;
    const int64_t b = minorStart + offset * minorStep;
    const int64_t x = alongX ? a : b;
    const int64_t y = alongX ? b : a;
    if (pen == 1) {
      if (x >= 0 && x < surface->width && y >= 0 && y < surface->height) {
        surface->Row(static_cast<int>(y))[x] = index;
      }
    } else {
      Stamp(*surface, x, y, pen, index);
    }
  }
}
