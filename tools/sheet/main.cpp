// kavrel-sheet OUT.bmp: paints the game's sprite sheet and writes it as an 8-bit bitmap.
#include <cstdio>

#include "tools/common/BmpWriter.h"
#include "tools/sheet/Sheet.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: kavrel-sheet OUT.bmp\n");
    return 2;
  }
  const sheet::SheetImage image = sheet::PaintSheet();
  if (!WriteBmp8(argv[1], image.pixels.data(), sheet::kSheetWidth, sheet::kSheetHeight,
                 image.palette.data())) {
    std::fprintf(stderr, "kavrel-sheet: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
