// Finding the gothic face on Linux: the game's own face through fontconfig, else the stand-in
// IPAGothic of the package fonts-ipafont-gothic.
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <filesystem>
#include <string_view>

#include "display/FontFace.h"

namespace {

constexpr const char* kStandInPath = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf";

// The game's own face first, then the gothic stand-in under both of its family names.
constexpr const char* kFamilies[] = {"ＭＳ ゴシック", "MS Gothic", "IPAGothic", "IPAゴシック"};

bool SameFamily(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
           return lower(x) == lower(y);
         });
}

// fontconfig always answers with some face, so the answer only counts when it carries the family
// asked for.
bool FindFamily(FcConfig* config, const char* family, FaceLocation& found) {
  FcPattern* pattern = FcPatternCreate();
  if (!pattern) return false;
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  FcConfigSubstitute(config, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(config, pattern, &result);
  bool ok = false;
  if (match) {
    FcChar8* name = nullptr;
    for (int i = 0; !ok && FcPatternGetString(match, FC_FAMILY, i, &name) == FcResultMatch; ++i) {
      ok = SameFamily(reinterpret_cast<const char*>(name), family);
    }
    FcChar8* file = nullptr;
    int index = 0;
    if (ok && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
      FcPatternGetInteger(match, FC_INDEX, 0, &index);
      found.path = reinterpret_cast<const char*>(file);
      found.index = index;
    } else {
      ok = false;
    }
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pattern);
  return ok;
}

}  // namespace

FaceLocation FindJapaneseFace() {
  // A configuration of our own, destroyed after the look-up: the process-wide one is never freed.
  if (FcConfig* config = FcInitLoadConfigAndFonts()) {
    FaceLocation found;
    bool ok = false;
    for (const char* family : kFamilies) {
      if ((ok = FindFamily(config, family, found))) break;
    }
    FcConfigDestroy(config);
    if (ok) return found;
  }
  std::error_code error;
  if (std::filesystem::exists(kStandInPath, error)) return {kStandInPath, 0};
  return {};
}
