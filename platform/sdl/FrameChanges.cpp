#include "platform/sdl/FrameChanges.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace plat {

const std::vector<FrameRect>& FrameChanges::Changed(const uint8_t* pixels, int pitch,
                                                    const FrameRect& fit, bool everything) {
  bands_.clear();
  const bool first = last_.empty();
  if (first) last_.resize(static_cast<size_t>(kFrameWidth) * kFrameHeight);
  int from = -1;  // the first source row of the band being gathered
  for (int y = 0; y <= kFrameHeight; ++y) {
    bool changed = false;
    if (y < kFrameHeight) {
      const uint8_t* src = pixels + static_cast<std::ptrdiff_t>(y) * pitch;
      uint8_t* kept = last_.data() + static_cast<size_t>(y) * kFrameWidth;
      changed = first || std::memcmp(src, kept, kFrameWidth) != 0;
      if (changed) std::memcpy(kept, src, kFrameWidth);
    }
    if (changed && from < 0) from = y;
    if (changed || from < 0 || everything) continue;
    // Source rows [from, y) changed: the output rows whose span touches them, one more each way
    // (a row on the edge between two source rows blends both).
    const int64_t h = fit.h;
    const int top = std::max<int64_t>(0, int64_t{from} * h / kFrameHeight - 1);
    const int bottom = std::min<int64_t>(h, (int64_t{y} * h + kFrameHeight - 1) / kFrameHeight + 1);
    if (!bands_.empty() && bands_.back().y + bands_.back().h >= fit.y + top) {
      bands_.back().h = fit.y + bottom - bands_.back().y;
    } else {
      bands_.push_back({fit.x, fit.y + top, fit.w, bottom - top});
    }
    from = -1;
  }
  if (everything) {
    bands_.clear();
    bands_.push_back(fit);
  }
  return bands_;
}

}  // namespace plat
