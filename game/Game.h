// What every screen works with: the machine, the display, the shared state, the random generator
// and the text buffer that every formatted line goes through.
#pragma once

#include <cstdint>
#include <optional>

#include "game/GameState.h"
#include "game/Random.h"
#include "game/TextBuffer.h"

class CCDraw;
class SoundBoard;
namespace plat {
class System;
}

// Watches the frame loop from outside the game (the replay's trace). Not set in the real program.
class FrameObserver {
 public:
  virtual ~FrameObserver() = default;
  virtual void Attach(CCDraw& draw, const GameState& state) = 0;
  // Called before a frame's ClearBackBuffer.
  virtual void BeginFrame(const char* screen) = 0;
  // Called when the frame ends: shown is true when it was flipped.
  virtual void EndFrame(bool shown) = 0;
};

struct Game {
  plat::System& system;
  CCDraw& draw;
  GameState& state;
  Random& random;
  TextBuffer& text;
  FrameObserver* observer = nullptr;
  SoundBoard* sound = nullptr;  // none: silent
  // Booth mode: when the last step for a visitor who walked away was taken (game/WalkedAway.h).
  std::optional<uint32_t> walkedAwayStep;
};
