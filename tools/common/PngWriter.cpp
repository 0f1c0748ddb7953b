#include "tools/common/PngWriter.h"

bool WritePng(const std::string&, const uint8_t*, int, int, int, const plat::PaletteEntry*) {
  return false;
}
