// Glyphs for the display's text: Shift-JIS decoded, drawn from a FreeType face without
// anti-aliasing, with rendered glyphs cached.
#pragma once

#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "display/FontFace.h"
#include "display/Surface.h"
#include "platform/System.h"

class TextRenderer {
 public:
  TextRenderer();  // draws with the process's shared face
  // Draws with `face`, which outlives the renderer; a null face draws no text.
  explicit TextRenderer(FontFace* face);
  ~TextRenderer();

  // Draws `text` with the top-left of its cell at (x, y) in palette index `index`, a cell `height`
  // pixels high whose single-byte characters advance `width` pixels. Opaque fills each cell with 0.
  void Draw(Surface& surface, std::string_view text, int x, int y, uint8_t index, int width,
            int height, bool opaque);
  // Width in pixels of `text` at that size.
  int Measure(std::string_view text, int width, int height);

  // True when `palette` differs from the one seen by the previous call; remembers it. Lets the
  // display keep its nearest-colour answers until the palette really changes.
  bool PaletteChanged(const plat::PaletteEntry* palette);

 private:
  struct GlyphSpan {
    uint32_t first;
    uint32_t count;
  };
  const GlyphSpan& Glyph(char32_t cp, bool wide, int width, int height);

  FontFace* face_;
  std::unordered_map<uint64_t, GlyphSpan> glyphs_;
  std::vector<GlyphRun> runs_;  // the ink of every cached glyph, back to back
  plat::PaletteEntry seenPalette_[256] = {};
  bool paletteSeen_ = false;
};
