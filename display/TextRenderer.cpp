#include "display/TextRenderer.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/ShiftJis.h"

namespace {

// Sizes beyond this are no text anyone can read on a 640 x 480 screen.
constexpr int kMaxCell = 2048;
// Past this many runs the glyph cache starts afresh rather than grow without bound.
constexpr size_t kMaxRuns = size_t{1} << 22;

// The cell of a font made with these sizes, as the font mapper reads them: a negative size means
// the same size, a zero width keeps the face's own proportions. False when nothing can be drawn.
bool CellSize(int& width, int& height) {
  if (height == INT_MIN || width == INT_MIN) return false;
  height = std::abs(height);
  width = std::abs(width);
  if (width == 0) width = (height + 1) / 2;
  return height > 0 && height <= kMaxCell && width > 0 && width <= kMaxCell;
}

struct Character {
  char32_t cp;  // 0: drawn as nothing
  bool wide;    // two bytes, two half-width cells
};

// The character at text[i], moving i past it. A lead byte with nothing after it stands alone.
Character Next(std::string_view text, size_t& i) {
  const auto b = static_cast<unsigned char>(text[i++]);
  if (SjisIsLeadByte(b) && i < text.size()) {
    return {SjisPairToCodePoint(b, static_cast<unsigned char>(text[i++])), true};
  }
  return {SjisByteToCodePoint(b), false};
}

}  // namespace

TextRenderer::TextRenderer() : TextRenderer(FontFace::Shared()) {}
TextRenderer::TextRenderer(FontFace* face) : face_(face) {}
TextRenderer::~TextRenderer() = default;

const TextRenderer::GlyphSpan& TextRenderer::Glyph(char32_t cp, bool wide, int width, int height) {
  const uint64_t key =
      uint64_t{cp} | uint64_t{wide} << 21 | uint64_t(width) << 22 | uint64_t(height) << 34;
  auto found = glyphs_.find(key);
  if (found != glyphs_.end()) return found->second;
  if (runs_.size() > kMaxRuns) {
    glyphs_.clear();
    runs_.clear();
  }
  const auto first = static_cast<uint32_t>(runs_.size());
  face_->Render(cp, width, height, wide ? 2 * width : width, runs_);
  const auto count = static_cast<uint32_t>(runs_.size() - first);
  return glyphs_.emplace(key, GlyphSpan{first, count}).first->second;
}

void TextRenderer::Draw(Surface& surface, std::string_view text, int x, int y, uint8_t index,
                        int width, int height, bool opaque) {
  if (!face_ || text.empty() || !CellSize(width, height)) return;
  const int64_t top = y;
  if (top >= surface.height || top + height <= 0) return;
  const int64_t rowFirst = std::max<int64_t>(top, 0);
  const int64_t rowEnd = std::min<int64_t>(top + height, surface.height);
  int64_t pen = x;
  for (size_t i = 0; i < text.size() && pen < surface.width;) {
    const Character c = Next(text, i);
    const int advance = c.wide ? 2 * width : width;
    if (pen + advance > 0) {
      if (opaque) {
        const int64_t x0 = std::max<int64_t>(pen, 0);
        const int64_t x1 = std::min<int64_t>(pen + advance, surface.width);
        for (int64_t row = rowFirst; row < rowEnd; ++row) {
          std::memset(surface.Row(static_cast<int>(row)) + x0, 0, static_cast<size_t>(x1 - x0));
        }
      }
      if (c.cp != 0) {
        const GlyphSpan& glyph = Glyph(c.cp, c.wide, width, height);
        const GlyphRun* run = runs_.data() + glyph.first;
        for (const GlyphRun* end = run + glyph.count; run != end; ++run) {
          const int64_t row = top + run->y;
          if (row < rowFirst || row >= rowEnd) continue;
          const int64_t x0 = std::max<int64_t>(pen + run->x0, 0);
          const int64_t x1 = std::min<int64_t>(pen + run->x1, surface.width);
          // Runs are a few pixels long: a plain loop beats a call to memset.
          uint8_t* out = surface.Row(static_cast<int>(row));
          for (int64_t px = x0; px < x1; ++px) out[px] = index;
        }
      }
    }
    pen += advance;
  }
}

int TextRenderer::Measure(std::string_view text, int width, int height) {
  if (!CellSize(width, height)) return 0;
  int64_t total = 0;
  for (size_t i = 0; i < text.size();) total += Next(text, i).wide ? 2 * width : width;
  return static_cast<int>(std::min<int64_t>(total, INT_MAX));
}

bool TextRenderer::PaletteChanged(const plat::PaletteEntry* palette) {
  if (paletteSeen_ && std::memcmp(seenPalette_, palette, sizeof seenPalette_) == 0) return false;
  std::memcpy(seenPalette_, palette, sizeof seenPalette_);
  paletteSeen_ = true;
  return true;
}
