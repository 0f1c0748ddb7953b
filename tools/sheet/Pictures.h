// The painters of the sheet's pictures. Each returns an image exactly the size of its rectangle.
#pragma once

#include "tools/sheet/Canvas.h"

namespace sheet {

Image PaintBackgroundTile();  // 16 x 16, seamless and dark
// The lab's name in bold lettering, 238 x 28: steady layer in gold, trembling layer in pink.
Image PaintBanner(bool trembling);

Image PaintWindUpGround();              // 16 x 144
Image PaintCar(int width, int height);  // facing right, wheels on the bottom row
Image PaintPost();                      // 19 x 60
Image PaintBandSegment();               // 5 x 7, repeats every 4 pixels
Image PaintIceGround();                 // 16 x 85 each, surface on the top row
Image PaintEarthGround();
Image PaintGravelGround();
Image PaintDistanceMark();  // 1 x 3

Image PaintBall();         // 49 x 49
Image PaintGradeFrame();   // 112 x 112, open in the middle
Image PaintWheelMarker();  // 68 x 68, open in the middle

}  // namespace sheet
