// Feeds arbitrary bytes as a bitmap file to the display's reader and loaders: no out-of-bounds
// access, no giant allocation, colours outside the asked range untouched, and a loaded slot that
// matches its header and holds exactly the file's rows (zeros where the file ends early). A
// failed load leaves the slot as it was.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "display/CCDraw.h"
#include "platform/VirtualSystem.h"

namespace {

uint32_t Le32(const uint8_t* data, size_t size, size_t at) {
  uint32_t v = 0;
  for (size_t i = 0; i < 4; ++i) {
    if (at + i < size) v |= uint32_t{data[at + i]} << (8 * i);
  }
  return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/kavrel-fuzz-" + std::to_string(getpid()) + ".bmp";
  static const bool removedAtExit = [] {
    std::atexit([] { std::remove(path.c_str()); });
    return true;
  }();
  (void)removedAtExit;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);

  static plat::VirtualSystem system{plat::VirtualScript{}};
  static CCDraw draw(system, 4);
  PaletteEntry before[256];
  for (int i = 0; i < 256; ++i) before[i] = draw.GetLoadedPalette()[i];
  draw.LoadPalette(path.c_str(), 1, 10, 20);
  for (int i = 0; i < 256; ++i) {
    if (i >= 10 && i <= 20) continue;
    const PaletteEntry& a = before[i];
    const PaletteEntry& b = draw.GetLoadedPalette()[i];
    if (a.peRed != b.peRed || a.peGreen != b.peGreen || a.peBlue != b.peBlue) std::abort();
  }

  const SurfaceInfo old = draw.GetSurfaceInfo(1);
  if (draw.LoadBitmap(path.c_str(), 1, 1) != 0) {
    const SurfaceInfo now = draw.GetSurfaceInfo(1);
    if (now.width != old.width || now.height != old.height || now.inUse != old.inUse) std::abort();
    return 0;
  }
  const SurfaceInfo info = draw.GetSurfaceInfo(1);
  const int32_t width = static_cast<int32_t>(Le32(data, size, 18));
  const int32_t height = static_cast<int32_t>(Le32(data, size, 22));
  if (info.width != width || info.height != height || !info.inUse) std::abort();
  if (width <= 0 || height <= 0 || width > 4096 || height > 4096) std::abort();

  // Top row first; stored row i (bottom first) starts at the pixel offset plus i widths.
  const uint64_t offset = Le32(data, size, 10);
  const uint8_t* pixels = draw.LockSurface(1);
  if (!pixels) std::abort();
  const int pitch = draw.GetSurfaceInfo(1).pitch;
  for (int r = 0; r < height; ++r) {
    const uint64_t stored = offset + uint64_t(height - 1 - r) * uint64_t(width);
    for (int c = 0; c < width; ++c) {
      const uint64_t at = stored + uint64_t(c);
      const uint8_t want = at < size ? data[at] : 0;
      if (pixels[size_t(r) * size_t(pitch) + size_t(c)] != want) std::abort();
    }
  }
  draw.UnlockSurface(1);
  // Draw the whole sheet and one tile through the clipping blit.
  draw.BlitFast(1, -5, -5, 0, 0, info.width, info.height);
  draw.BlitFast(1, 630, 470, 99, 112, 115, 128);
  return 0;
}
