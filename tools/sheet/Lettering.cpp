// The banner: "ω瞬発力研究所ω" in a stroke font of our own, so that the sheet looks the same on
// every machine whatever fonts are installed. Strokes are one-pixel polylines on a 24 x 24 grid,
// thickened to two pixels and outlined.
#include <algorithm>
#include <utility>
#include <vector>

#include "tools/sheet/Palette.h"
#include "tools/sheet/Pictures.h"

namespace sheet {
namespace {

using Stroke = std::vector<std::pair<int, int>>;
using Glyph = std::vector<Stroke>;

constexpr int kGrid = 24;

const Glyph kOmega = {
    {{4, 7}, {2, 10}, {2, 16}, {4, 19}, {7, 19}, {10, 16}, {11, 12}},
    {{12, 12}, {13, 16}, {16, 19}, {19, 19}, {21, 16}, {21, 10}, {19, 7}},
};

const Glyph kShun = {
    // eye radical
    {{0, 3}, {6, 3}, {6, 22}, {0, 22}, {0, 3}},
    {{0, 9}, {6, 9}},
    {{0, 15}, {6, 15}},
    // claws and cover
    {{23, 0}, {10, 2}},
    {{11, 5}, {12, 6}},
    {{16, 4}, {16, 6}},
    {{21, 4}, {20, 6}},
    {{9, 11}, {9, 9}, {23, 9}, {23, 11}},
    // the two feet
    {{11, 14}, {16, 14}, {10, 23}},
    {{15, 18}, {16, 19}},
    {{18, 15}, {23, 15}},
    {{18, 19}, {23, 19}},
    {{20, 13}, {20, 23}},
};

const Glyph kHatsu = {
    {{1, 1}, {8, 1}, {1, 8}},
    {{7, 5}, {8, 7}},
    {{16, 0}, {13, 4}},
    {{13, 2}, {22, 8}},
    {{19, 0}, {20, 2}},
    {{5, 11}, {18, 11}},
    {{1, 15}, {22, 15}},
    {{9, 11}, {9, 16}, {7, 20}, {2, 23}},
    {{14, 11}, {14, 21}, {16, 23}, {21, 23}, {22, 21}, {22, 19}},
};

const Glyph kChikara = {
    {{3, 7}, {20, 7}, {20, 19}, {19, 22}, {17, 23}, {15, 21}},
    {{11, 0}, {11, 8}, {10, 13}, {8, 17}, {5, 20}, {1, 23}},
};

const Glyph kKen = {
    {{0, 2}, {9, 2}},    {{5, 2}, {1, 13}},    {{5, 10}, {10, 10}, {10, 21}, {5, 21}, {5, 10}},
    {{13, 4}, {23, 4}},  {{13, 12}, {23, 12}}, {{16, 4}, {16, 16}, {14, 21}, {13, 23}},
    {{20, 4}, {20, 23}},
};

const Glyph kKyuu = {
    {{11, 0}, {12, 2}},
    {{1, 6}, {1, 4}, {22, 4}, {22, 6}},
    {{9, 7}, {6, 10}},
    {{14, 7}, {17, 10}},
    {{3, 15}, {16, 15}},
    {{10, 12}, {10, 16}, {8, 20}, {3, 23}},
    {{16, 15}, {16, 21}, {17, 23}, {22, 23}, {22, 20}},
};

const Glyph kSho = {
    {{3, 1}, {9, 1}},     {{2, 5}, {10, 5}, {10, 11}, {2, 11}}, {{2, 4}, {2, 16}, {0, 23}},
    {{22, 0}, {14, 3}},   {{14, 3}, {14, 14}, {12, 23}},        {{14, 10}, {23, 10}},
    {{19, 10}, {19, 23}},
};

// The glyph's body after thickening: each skeleton pixel also covers the two pixels to its right
// and the one below, for a bold face. One cell of padding on every side leaves room for the
// outline.
Image Body(const Glyph& glyph) {
  Image skeleton(kGrid, kGrid);
  for (const Stroke& stroke : glyph) {
    for (size_t i = 0; i + 1 < stroke.size(); ++i) {
      Line(skeleton, stroke[i].first, stroke[i].second, stroke[i + 1].first, stroke[i + 1].second,
           1);
    }
  }
  Image body(kGrid + 4, kGrid + 3);
  for (int y = 0; y < kGrid; ++y) {
    for (int x = 0; x < kGrid; ++x) {
      if (!skeleton.At(x, y)) continue;
      for (int dy = 0; dy < 2; ++dy) {
        for (int dx = 0; dx < 3; ++dx) body.Set(x + 1 + dx, y + 1 + dy, 1);
      }
    }
  }
  return body;
}

// Paints one glyph with its outline's top-left at (ox, oy).
void PaintGlyph(Image& banner, const Glyph& glyph, int ox, int oy, bool trembling) {
  const Image body = Body(glyph);
  for (int y = 0; y < body.height; ++y) {
    for (int x = 0; x < body.width; ++x) {
      const bool inside = body.At(x, y) != 0;
      bool edge = false;
      for (int dy = -1; dy <= 1 && !inside && !edge; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) edge = edge || body.At(x + dx, y + dy) != 0;
      }
      if (!inside && !edge) continue;
      uint8_t colour;
      if (trembling) {
        colour = inside ? ShadeStep(Ramp::Rose, 9) : ShadeStep(Ramp::Rose, 4);
      } else if (!inside) {
        colour = kInk;
      } else {
        // Bright gold at the top fading to orange, with a shine on upper edges.
        const bool topEdge = body.At(x, y - 1) == 0;
        const int step = 15 - (y * 9) / body.height;
        colour = ShadeStep(Ramp::Gold, topEdge ? std::min(step + 2, 15) : step);
      }
      banner.Set(ox + x, oy + y, colour);
    }
  }
}

int InkWidth(const Glyph& glyph) {
  int right = 0;
  for (const Stroke& s : glyph) {
    for (const auto& p : s) right = std::max(right, p.first);
  }
  return right + 1 + 2 + 2;  // thickening and the outline on both sides
}

}  // namespace

Image PaintBanner(bool trembling) {
  const std::vector<const Glyph*> text = {&kOmega, &kShun, &kHatsu, &kChikara,
                                          &kKen,   &kKyuu, &kSho,   &kOmega};
  Image banner(238, 28);
  int inkTotal = 0;
  for (const Glyph* g : text) inkTotal += InkWidth(*g);
  const int gaps = static_cast<int>(text.size()) + 1;
  const int spare = banner.width - inkTotal;
  int x = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    // Spread the spare columns evenly between the letters and the two ends.
    x += spare * static_cast<int>(i + 1) / gaps - spare * static_cast<int>(i) / gaps;
    PaintGlyph(banner, *text[i], x, 0, trembling);
    x += InkWidth(*text[i]);
  }
  return banner;
}

}  // namespace sheet
