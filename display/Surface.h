// Software stand-in for a DirectDraw surface: 8-bit palette indices, rows `pitch` bytes apart.
#pragma once

#include <cstdint>
#include <vector>

struct Surface {
  Surface(int w, int h, int rowPitch)
      : width(w), height(h), pitch(rowPitch), pixels(static_cast<size_t>(rowPitch) * h, 0) {}

  uint8_t* Row(int y) { return pixels.data() + static_cast<size_t>(y) * pitch; }
  const uint8_t* Row(int y) const { return pixels.data() + static_cast<size_t>(y) * pitch; }

  int width;
  int height;
  int pitch;
  bool colourKey = false;  // source colour key 0..0 set: index 0 is transparent
  bool dcHeld = false;     // a text handle is out; blits from or to it fail meanwhile
  std::vector<uint8_t> pixels;
};
