// Finding the gothic face on Windows: the game's own face from the system's font folder, else the
// IPAGothic face shipped beside the program. No fontconfig here.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <filesystem>
#include <string>

#include "display/FontFace.h"
#include "platform/win/WinHost.h"

namespace {

// The index of the face named `family` in the font file at `path`, or -1.
int FaceIndexOf(const std::string& path, const char* family) {
  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) != 0) return -1;
  int found = -1;
  FT_Face face = nullptr;
  if (FT_New_Face(library, path.c_str(), -1, &face) == 0) {
    const long faces = face->num_faces;
    FT_Done_Face(face);
    for (long i = 0; i < faces && found < 0; ++i) {
      if (FT_New_Face(library, path.c_str(), i, &face) != 0) continue;
      if (face->family_name && std::string(face->family_name) == family)
        found = static_cast<int>(i);
      FT_Done_Face(face);
    }
  }
  FT_Done_FreeType(library);
  return found;
}

bool IsFile(const std::string& path) {
  std::error_code error;
  return !path.empty() && std::filesystem::is_regular_file(std::filesystem::u8path(path), error);
}

}  // namespace

FaceLocation FindJapaneseFace() {
  // "ＭＳ ゴシック" is the face "MS Gothic" of msgothic.ttc (the file also holds its proportional
  // and UI cousins).
  const std::string fonts = plat::win::SystemFontsDirectory();
  if (!fonts.empty()) {
    const std::string gothic = fonts + "\\msgothic.ttc";
    if (IsFile(gothic)) {
      const int index = FaceIndexOf(gothic, "MS Gothic");
      if (index >= 0) return {gothic, index};
    }
  }
  const std::string here = plat::win::ExecutableDirectory();
  const std::string standIn = (here.empty() ? std::string(".") : here) + "\\ipag.ttf";
  if (IsFile(standIn)) return {standIn, 0};
  return {};
}
