// Enlarging the frame by a factor that is not whole, keeping it sharp: each pixel is taken as
// the exact block it would be at the next whole scale up, and that picture is reduced to the
// final size with a two-tap linear filter. No output pixel mixes more than two source pixels
// across or down, and one that lies wholly inside a source pixel keeps that pixel's exact colour;
// a one-pixel line of the game's text stays one solid line with at most a blended edge, instead
// of turning one or two pixels wide at random (nearest neighbour) or blurred (plain bilinear).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/sdl/FrameConvert.h"

namespace plat {

// One output column's or row's sources: `source`, blended with `source + 1` by `weight` / 256.
struct SharpTap {
  int source = 0;
  uint32_t weight = 0;
};

// The taps for enlarging `sourceSize` pixels to `outputSize` (at least `sourceSize`).
std::vector<SharpTap> SharpTaps(int sourceSize, int outputSize);

// Draws frames into a rectangle of a 32-bit target with 8 bits a channel (any order), the way
// they are shown: a whole-number enlargement or a shrink by ScaleFrame, any other enlargement
// sharply. The taps are worked out once for each size, and each source row's enlargement across
// is kept until that row or the colours change.
class SharpScaler {
 public:
  void Scale(const uint8_t* pixels, int pitch, const ColourTable& table, void* dst, int dstPitch,
             const FrameRect& rect);

 private:
  void Plan(int w, int h);
  // Source row `y` converted and enlarged across: worked out once, and again only when the row or
  // the colours change.
  const uint32_t* Across(const uint8_t* pixels, int pitch, const ColourTable& table, int y);

  int planW_ = 0;
  int planH_ = 0;
  // Each source pixel's part of an output row: runs_ columns of its own colour, then, unless its
  // edge weight is 0, one column blended towards the next pixel by that weight / 256.
  std::vector<uint32_t> runs_;
  std::vector<uint16_t> edgeWeights_;
  std::vector<uint32_t> edges_;  // one source row's edge columns
  std::vector<SharpTap> rows_;
  std::vector<uint32_t> converted_;  // one source row through the table, plus a spare pixel
  std::vector<uint32_t> across_;     // every source row enlarged across, planW_ pixels each
  std::vector<bool> acrossValid_;    // by source row
  std::vector<uint8_t> previous_;    // the source rows those were worked out from
  ColourTable table_{};              // and the colours
};

}  // namespace plat
