// Pieces that event one's two screens and event two's ground share.
#pragma once

#include "display/CCDraw.h"
#include "game/Keys.h"
#include "game/SharedElements.h"

// The strip of ground under the event screens: one sheet column repeated 40 times from y 350,
// clipped by the bottom of the screen.
inline void DrawGroundStrip(Game& game, int left, int top, int right, int bottom) {
  for (int i = 0; i < 40; ++i)
    game.draw.BlitFast(kSheetSlot, 16 * i, 350, left, top, right, bottom);
}

// The run ground of a luck: 0 slippery, 1 ordinary, 2 rough, side by side in the sheet.
inline void DrawRunGround(Game& game, int luck) {
  const int left = 16 + 17 * luck;
  DrawGroundStrip(game, left, 134, left + 16, 219);
}
