// Pieces that event one's two screens and event two's ground share.
#pragma once

#include "display/CCDraw.h"
#include "game/Keys.h"
#include "game/SharedElements.h"
#include "game/Sounds.h"

// The strip of ground under the event screens: one sheet column repeated 40 times from y 350,
// clipped by the bottom of the screen.
inline void DrawGroundStrip(Game& game, const Sprite& ground) {
  for (int i = 0; i < 40; ++i) BlitSprite(game, ground, 16 * i, 350);
}

// The run ground of a luck: 0 slippery, 1 ordinary, 2 rough, side by side in the sheet.
inline void DrawRunGround(Game& game, int luck) {
  DrawGroundStrip(game, kRunGrounds[luck]);
}
