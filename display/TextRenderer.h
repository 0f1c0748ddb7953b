// Glyphs for the display's text: Shift-JIS decoded, drawn from a FreeType face without
// anti-aliasing, with rendered glyphs cached.
#pragma once

#include <cstdint>
#include <string_view>

#include "display/Surface.h"

class TextRenderer {
 public:
  TextRenderer();
  ~TextRenderer();

  // Draws `text` with the top-left of its cell at (x, y) in palette index `index`, a cell `height`
  // pixels high whose single-byte characters advance `width` pixels. Opaque fills each cell with 0.
  void Draw(Surface& surface, std::string_view text, int x, int y, uint8_t index, int width,
            int height, bool opaque);
  // Width in pixels of `text` at that size.
  int Measure(std::string_view text, int width, int height);
};
