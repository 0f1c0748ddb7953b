#include "display/FontFace.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#ifdef _WIN32
#include <filesystem>
#include <fstream>
#include <iterator>
#endif

struct FontFace::Impl {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  // Vertical metrics in font units: the cell is ascent + descent high, the baseline at ascent.
  long ascent = 0;
  long descent = 0;
  long unitsPerEm = 0;
  std::vector<unsigned char> bytes;  // the font file, where it is read into memory
};

namespace {

FT_Error OpenFace(FT_Library library, const FaceLocation& location,
                  std::vector<unsigned char>& bytes, FT_Face* face) {
#ifdef _WIN32
  // FreeType opens paths in the ANSI code page; a folder name outside it would not open. The
  // file is read here instead, through its UTF-8 name.
  std::ifstream in(std::filesystem::u8path(location.path), std::ios::binary);
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (bytes.empty()) return FT_Err_Cannot_Open_Resource;
  return FT_New_Memory_Face(library, bytes.data(), static_cast<FT_Long>(bytes.size()),
                            location.index, face);
#else
  (void)bytes;
  return FT_New_Face(library, location.path.c_str(), location.index, face);
#endif
}

}  // namespace

FontFace::FontFace(const FaceLocation& location) : impl_(std::make_unique<Impl>()) {
  if (location.path.empty() || FT_Init_FreeType(&impl_->library) != 0) return;
  FT_Face face = nullptr;
  if (OpenFace(impl_->library, location, impl_->bytes, &face) != 0) return;
  // A face without kana cannot stand in for the game's font.
  if (!FT_IS_SCALABLE(face) || FT_Get_Char_Index(face, 0x3042) == 0) {
    FT_Done_Face(face);
    return;
  }
  impl_->unitsPerEm = face->units_per_EM;
  impl_->ascent = face->ascender;
  impl_->descent = -face->descender;
  if (impl_->ascent <= 0 || impl_->ascent + impl_->descent <= 0) {
    impl_->ascent = impl_->unitsPerEm * 7 / 8;
    impl_->descent = impl_->unitsPerEm - impl_->ascent;
  }
  impl_->face = face;
}

FontFace::~FontFace() {
  if (impl_->face) FT_Done_Face(impl_->face);
  if (impl_->library) FT_Done_FreeType(impl_->library);
}

bool FontFace::Ok() const {
  return impl_->face != nullptr;
}

FontFace* FontFace::Shared() {
  static FontFace* shared = [] {
    auto* face = new FontFace(FindJapaneseFace());  // lives as long as the process
    if (face->Ok()) return face;
    delete face;
#ifdef _WIN32
    constexpr const char* kHint = "put ipag.ttf beside kavrel.exe";
#else
    constexpr const char* kHint = "install the package fonts-ipafont-gothic";
#endif
    std::fprintf(stderr, "kavrel: no Japanese gothic font found; text will not be drawn (%s)\n",
                 kHint);
    return static_cast<FontFace*>(nullptr);
  }();
  return shared;
}

void FontFace::Render(char32_t cp, int width, int height, int advance, std::vector<GlyphRun>& out) {
  const Impl& m = *impl_;
  if (!m.face) return;
  std::lock_guard lock(mutex_);
  const FT_Face face = m.face;
  const long cellUnits = m.ascent + m.descent;
  // A full-width glyph is one em wide and the cell spans ascent + descent.
  const auto xPpem = static_cast<FT_UInt>(2 * width);
  const auto yPpem = static_cast<FT_UInt>(
      std::max<long>(1, std::lround(static_cast<double>(height) * m.unitsPerEm / cellUnits)));
  const int baseline =
      static_cast<int>(std::lround(static_cast<double>(height) * m.ascent / cellUnits));
  if (FT_Set_Pixel_Sizes(face, xPpem, yPpem) != 0) return;
  const FT_UInt glyphIndex = FT_Get_Char_Index(face, cp);
  if (glyphIndex == 0) return;
  if (FT_Load_Glyph(face, glyphIndex, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0) return;
  const FT_GlyphSlot slot = face->glyph;
  const FT_Bitmap& bitmap = slot->bitmap;
  const bool mono = bitmap.pixel_mode == FT_PIXEL_MODE_MONO;
  if (!mono && bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) return;
  const int left = slot->bitmap_left;
  const int top = baseline - slot->bitmap_top;
  for (unsigned row = 0; row < bitmap.rows; ++row) {
    const int y = top + static_cast<int>(row);
    if (y < 0 || y >= height) continue;
    // A negative pitch means the rows are stored bottom-up.
    const long stride = bitmap.pitch;
    const unsigned char* bits =
        stride >= 0 ? bitmap.buffer + static_cast<long>(row) * stride
                    : bitmap.buffer + static_cast<long>(bitmap.rows - 1 - row) * -stride;
    auto inked = [&](unsigned col) {
      return mono ? (bits[col >> 3] & (0x80 >> (col & 7))) != 0 : bits[col] >= 128;
    };
    unsigned col = 0;
    while (col < bitmap.width) {
      while (col < bitmap.width && !inked(col)) ++col;
      const unsigned start = col;
      while (col < bitmap.width && inked(col)) ++col;
      if (start == col) break;
      const int x0 = std::max(0, left + static_cast<int>(start));
      const int x1 = std::min(advance, left + static_cast<int>(col));
      if (x0 < x1) {
        out.push_back(
            {static_cast<int16_t>(y), static_cast<int16_t>(x0), static_cast<int16_t>(x1)});
      }
    }
  }
}
