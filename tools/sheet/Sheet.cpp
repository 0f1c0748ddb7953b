#include "tools/sheet/Sheet.h"

#include <stdexcept>
#include <string>
#include <string_view>

#include "game/Sprites.h"
#include "tools/common/BmpWriter.h"
#include "tools/sheet/Palette.h"
#include "tools/sheet/Pictures.h"

namespace sheet {

namespace {

bool Is(const Sprite& p, const Sprite& q) {
  return std::string_view(p.name) == q.name;
}

Image PaintPicture(const Sprite& p) {
  const int w = p.right - p.left, h = p.bottom - p.top;
  if (Is(p, kBackgroundTile)) return PaintBackgroundTile();
  if (Is(p, kBannerTrembling)) return PaintBanner(true);
  if (Is(p, kBannerSteady)) return PaintBanner(false);
  if (Is(p, kWindUpGround)) return PaintWindUpGround();
  if (Is(p, kCarWindUp) || Is(p, kCarRun)) return PaintCar(w, h);
  if (Is(p, kPost)) return PaintPost();
  if (Is(p, kBandSegment)) return PaintBandSegment();
  if (Is(p, kGroundSlippery)) return PaintIceGround();
  if (Is(p, kGroundOrdinary)) return PaintEarthGround();
  if (Is(p, kGroundRough)) return PaintGravelGround();
  if (Is(p, kDistanceMark)) return PaintDistanceMark();
  if (Is(p, kBall)) return PaintBall();
  if (Is(p, kGradeFrame)) return PaintGradeFrame();
  if (Is(p, kSelectionMarker)) return PaintWheelMarker();
  throw std::logic_error(std::string("no painter for ") + p.name);
}

}  // namespace

SheetImage PaintSheet() {
  Image canvas(kSheetWidth, kSheetHeight);
  for (const Sprite& p : kSprites) {
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
