#include "tools/common/PngWriter.h"

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

// Writes an 8-bit PNG of `channels` bytes a pixel; `fillRow(y, row)` supplies each row.
bool WriteRows(const std::string& path, int width, int height, int channels, int level,
               const std::function<void(int y, png_byte* row)>& fillRow) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
  if (!file) return false;

  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  // Built before setjmp so that a longjmp out of libpng skips no destructor that matters.
  std::vector<png_byte> row(static_cast<size_t>(width) * channels);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, file.get());
  png_set_compression_level(png, level);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               channels == 4 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) {
    fillRow(y, row.data());
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  // A full disk shows only when the buffered bytes go out.
  std::FILE* f = file.release();
  const bool written = std::fflush(f) == 0 && !std::ferror(f);
  return std::fclose(f) == 0 && written;
}

}  // namespace

bool WritePng(const std::string& path, const uint8_t* pixels, int width, int height, int pitch,
              const plat::PaletteEntry* palette) {
  if (!pixels || !palette || width <= 0 || height <= 0) return false;
  // Screenshots are many and looked at rarely: favour speed over size.
  return WriteRows(path, width, height, 3, 1, [&](int y, png_byte* dst) {
    const uint8_t* src = pixels + static_cast<ptrdiff_t>(y) * pitch;
    for (int x = 0; x < width; ++x) {
      const plat::PaletteEntry& c = palette[src[x]];
      *dst++ = c.peRed;
      *dst++ = c.peGreen;
      *dst++ = c.peBlue;
    }
  });
}

bool WritePngRgba(const std::string& path, const uint8_t* rgba, int width, int height) {
  if (!rgba || width <= 0 || height <= 0) return false;
  const size_t rowBytes = static_cast<size_t>(width) * 4;
  // Installed pictures: few and kept, so the smallest file.
  return WriteRows(path, width, height, 4, 9, [&](int y, png_byte* dst) {
    const uint8_t* src = rgba + static_cast<size_t>(y) * rowBytes;
    std::copy(src, src + rowBytes, dst);
  });
}
