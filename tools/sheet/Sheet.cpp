#include "tools/sheet/Sheet.h"

#include <stdexcept>

#include "tools/common/BmpWriter.h"
#include "tools/sheet/Palette.h"
#include "tools/sheet/Pictures.h"

namespace sheet {

const std::vector<Placement>& Layout() {
  static const std::vector<Placement> layout = {
      {"background tile", 99, 112, 115, 128},
      {"banner, trembling layer", 1, 1, 239, 29},
      {"banner, steady layer", 1, 31, 239, 59},
      {"wind-up ground", 0, 73, 16, 217},
      {"car, wind-up view", 17, 73, 77, 133},
      {"post", 78, 73, 97, 133},
      {"rubber-band segment", 99, 73, 104, 80},
      {"car, run view", 99, 82, 127, 111},
      {"ground, slippery", 16, 134, 32, 219},
      {"ground, ordinary", 33, 134, 49, 219},
      {"ground, rough", 50, 134, 66, 219},
      {"distance mark", 67, 134, 68, 137},
      {"ball", 69, 134, 118, 183},
      {"grade frame", 120, 143, 232, 255},
      {"selection marker", 128, 73, 196, 141},
  };
  return layout;
}

namespace {

Image PaintPicture(const Placement& p) {
  const std::string name = p.name;
  const int w = p.right - p.left, h = p.bottom - p.top;
  if (name == "background tile") return PaintBackgroundTile();
  if (name == "banner, trembling layer") return PaintBanner(true);
  if (name == "banner, steady layer") return PaintBanner(false);
  if (name == "wind-up ground") return PaintWindUpGround();
  if (name == "car, wind-up view" || name == "car, run view") return PaintCar(w, h);
  if (name == "post") return PaintPost();
  if (name == "rubber-band segment") return PaintBandSegment();
  if (name == "ground, slippery") return PaintIceGround();
  if (name == "ground, ordinary") return PaintEarthGround();
  if (name == "ground, rough") return PaintGravelGround();
  if (name == "distance mark") return PaintDistanceMark();
  if (name == "ball") return PaintBall();
  if (name == "grade frame") return PaintGradeFrame();
  if (name == "selection marker") return PaintWheelMarker();
  throw std::logic_error("no painter for " + name);
}

}  // namespace

SheetImage PaintSheet() {
  Image canvas(kSheetWidth, kSheetHeight);
  for (const Placement& p : Layout()) {
    const Image picture = PaintPicture(p);
    // A picture that spilled over its rectangle would show in a neighbour's blits.
    if (picture.width != p.right - p.left || picture.height != p.bottom - p.top) {
      throw std::logic_error(std::string("wrong size for ") + p.name);
    }
    canvas.Stamp(picture, p.left, p.top);
  }
  return {canvas.pixels, BuildPalette()};
}

std::vector<uint8_t> EncodeSheet() {
  const SheetImage image = PaintSheet();
  return EncodeBmp8(image.pixels.data(), kSheetWidth, kSheetHeight, image.palette.data());
}

}  // namespace sheet
