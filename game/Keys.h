// Key polls as the screens make them. Every call is a fresh poll, and the number of polls
// matters: a poll clears the key's "pressed since the last poll" bit.
#pragma once

#include <cstdint>

#include "game/Game.h"
#include "platform/System.h"

// The key-state word, sign-extended as the screens keep their samples.
inline int32_t KeyWord(Game& game, int vk) {
  return game.system.GetAsyncKeyState(vk);
}

// The key is down now: the top bit of a fresh poll.
inline bool KeyDown(Game& game, int vk) {
  return game.system.GetAsyncKeyState(vk) < 0;
}

// A new press: down now, and a second fresh poll shares no bit with the sample the screen kept
// from its previous frame (bit 0 of that poll takes part too).
inline bool NewPress(Game& game, int vk, int32_t previous) {
  return KeyDown(game, vk) && (KeyWord(game, vk) & previous) == 0;
}
