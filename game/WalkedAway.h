// Booth mode: a visitor who walks away in the middle of a pass must not leave the booth waiting.
// On a screen that waits for a key, a long enough time without any key acts as that key, so that
// the booth comes back to its attract screen by itself; the pass is kept as any pass.
#pragma once

#include <cstdint>

#include "game/Game.h"

// No key (nor controller input) for this long: the visitor has gone.
inline constexpr uint32_t kWalkedAwayMs = 90000;

// True in booth mode once no key has changed for kWalkedAwayMs, counted from the latest key or the
// latest step taken for a gone visitor, whichever is later; the step (`screen`, as the trace names
// the screen) is told to the booth's supervisor for its log. Always false outside booth mode, and
// it polls no key, so that it changes nothing a key poll would see.
bool VisitorWalkedAway(Game& game, const char* screen);
