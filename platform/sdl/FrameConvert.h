// The CPU half of showing a frame: palette indices to 32-bit pixels, and where the frame lands
// in a window of any size.
#pragma once

#include <array>
#include <cstdint>

#include "platform/System.h"

namespace plat {

using ColourTable = std::array<uint32_t, 256>;

// One opaque ARGB8888 value per palette index.
ColourTable BuildColourTable(const PaletteEntry* palette);

// Writes the 640 x 480 frame of indices as ARGB8888 rows `dstPitch` bytes apart.
void ConvertFrame(const uint8_t* pixels, int pitch, const ColourTable& table, void* dst,
                  int dstPitch);

struct FrameRect {
  int x = 0;
  int y = 0;
  int w = 0;
  int h = 0;
};

// Writes the frame into `rect` of a 32-bit target (rows `dstPitch` bytes apart) by nearest
// neighbour, each pixel through `table`: at a whole-number scale every pixel becomes an exact
// square. Nothing outside `rect` is touched.
void ScaleFrame(const uint8_t* pixels, int pitch, const ColourTable& table, void* dst, int dstPitch,
                const FrameRect& rect);

// How the frame grows on an output larger than itself: to the largest 4:3 area that fits
// (filling the height, or the width of a screen narrower than 4:3), or by whole steps only, so
// that every pixel is an exact square.
enum class ScaleMode { Fill, Whole };

// Where the frame lands on an output, centred, a spare pixel going to the right or the bottom.
// Fill: the largest 4:3 area that fits, each side rounded down. Whole: the largest whole-number
// enlargement that fits. An output smaller than the frame shrinks it to the largest 4:3 area that
// fits either way, so nothing is cut off.
FrameRect FitFrame(int outputWidth, int outputHeight, ScaleMode mode);

}  // namespace plat
