// Feeds arbitrary bytes as a bitmap file to the display's reader and loader: no out-of-bounds
// access, no giant allocation, and a loaded slot matches its header.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "display/CCDraw.h"
#include "platform/VirtualSystem.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/kavrel-fuzz-" + std::to_string(getpid()) + ".bmp";
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
  if (draw.LoadBitmap(path.c_str(), 1, 1) == 0) {
    const SurfaceInfo info = draw.GetSurfaceInfo(1);
    if (info.width <= 0 || info.height <= 0 || info.width > 4096 || info.height > 4096) std::abort();
    // Draw the whole sheet and one tile through the clipping blit.
    draw.BlitFast(1, -5, -5, 0, 0, info.width, info.height);
    draw.BlitFast(1, 630, 470, 99, 112, 115, 128);
  }
  return 0;
}
