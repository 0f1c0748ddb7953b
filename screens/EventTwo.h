// Pieces that event two's two screens share.
#pragma once

#include "screens/EventOne.h"

// Event two stands on event one's ordinary ground.
inline void DrawBallGround(Game& game) {
  DrawRunGround(game, 1);
}
