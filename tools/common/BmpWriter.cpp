#include "tools/common/BmpWriter.h"

#include <cstdio>

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

constexpr uint32_t kHeadersSize = 14 + 40;
constexpr uint32_t kPixelOffset = kHeadersSize + 256 * 4;

}  // namespace

std::vector<uint8_t> EncodeBmp8(const uint8_t* pixels, int width, int height,
                                const plat::PaletteEntry* palette) {
  const uint32_t stride = (static_cast<uint32_t>(width) + 3) & ~3u;
  const uint32_t imageSize = stride * static_cast<uint32_t>(height);
  std::vector<uint8_t> out;
  out.reserve(kPixelOffset + imageSize);

  out.push_back('B');
  out.push_back('M');
  Put32(out, kPixelOffset + imageSize);  // bfSize
  Put32(out, 0);                         // bfReserved1, bfReserved2
  Put32(out, kPixelOffset);              // bfOffBits

  Put32(out, 40);  // biSize
  Put32(out, static_cast<uint32_t>(width));
  Put32(out, static_cast<uint32_t>(height));  // positive: bottom row first
  Put16(out, 1);                              // biPlanes
  Put16(out, 8);                              // biBitCount
  Put32(out, 0);                              // BI_RGB
  Put32(out, imageSize);
  Put32(out, 2835);  // 72 dpi
  Put32(out, 2835);
  Put32(out, 256);  // biClrUsed
  Put32(out, 0);

  for (int i = 0; i < 256; ++i) {
    out.push_back(palette[i].peBlue);
    out.push_back(palette[i].peGreen);
    out.push_back(palette[i].peRed);
    out.push_back(0);
  }

  for (int row = height - 1; row >= 0; --row) {
    const uint8_t* src = pixels + static_cast<size_t>(row) * width;
    out.insert(out.end(), src, src + width);
    out.insert(out.end(), stride - static_cast<uint32_t>(width), uint8_t{0});
  }
  return out;
}

bool WriteBmp8(const std::string& path, const uint8_t* pixels, int width, int height,
               const plat::PaletteEntry* palette) {
  const std::vector<uint8_t> bytes = EncodeBmp8(pixels, width, height, palette);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  // A full disk may only show at close.
  const bool closed = std::fclose(file) == 0;
  return written && closed;
}
