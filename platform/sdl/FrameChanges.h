// Which parts of the window a new frame changes, so that only those are sent to the screen: on
// the attract screen most rows stand still, and sending a whole enlarged picture every frame is
// most of what showing it costs (under Wine, the copy through GDI to X is the game's own work).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/sdl/FrameConvert.h"

namespace plat {

class FrameChanges {
 public:
  // The parts of `fit` that differ from the picture shown for the last frame, as bands of whole
  // rows: each output row that a changed source row reaches, with a row to spare either side.
  // All of `fit` when `everything` is set (a new window surface, other colours, another place);
  // nothing when no row changed.
  const std::vector<FrameRect>& Changed(const uint8_t* pixels, int pitch, const FrameRect& fit,
                                        bool everything);

 private:
  std::vector<uint8_t> last_;  // the last frame's indices, kFrameWidth a row
  std::vector<FrameRect> bands_;
};

}  // namespace plat
