// The frame pattern every screen runs: clear, note the start tick, lay the background, draw and
// test the screen, leave at once when it is done, else wait out the period, drain the window's
// messages and flip.
#pragma once

#include <cstdint>

#include "game/Game.h"

enum class ScreenResult { Next, Quit };

// What a screen's frame function tells the loop after its drawing and tests.
enum class FrameOutcome { Continue, Leave };

struct ScreenTiming {
  const char* name;  // as the trace names the screen
  uint32_t period;   // ms
  int backgroundRows;
};

inline constexpr ScreenTiming kAttractTiming = {"attract", 33, 30};
inline constexpr ScreenTiming kWindUpTiming = {"windup", 30, 23};
inline constexpr ScreenTiming kRunTiming = {"run", 33, 23};
inline constexpr ScreenTiming kStandByTiming = {"standby", 20, 23};
inline constexpr ScreenTiming kBallTiming = {"ball", 33, 23};
inline constexpr ScreenTiming kResultsTiming = {"results", 16, 30};
inline constexpr ScreenTiming kNameTiming = {"name", 16, 30};
inline constexpr ScreenTiming kRankingTiming = {"ranking", 16, 30};
inline constexpr ScreenTiming kFarewellTiming = {"farewell", 16, 30};
inline constexpr ScreenTiming kOperatorTiming = {"service", 33, 30};

// Runs frames of one screen until `frame` says Leave (ScreenResult::Next) or the message queue
// reports the quit message (ScreenResult::Quit). `frame` is called as frame() -> FrameOutcome.
template <typename FrameFn>
ScreenResult RunFrames(Game& game, const ScreenTiming& timing, FrameFn&& frame);

// The pieces of one frame, for RunFrames.
void BeginFrame(Game& game, const ScreenTiming& timing);
void WaitForPeriod(Game& game, uint32_t period);
bool EndFrame(Game& game);  // drain and flip; false when the quit message arrived

template <typename FrameFn>
ScreenResult RunFrames(Game& game, const ScreenTiming& timing, FrameFn&& frame) {
  for (;;) {
    BeginFrame(game, timing);
    if (frame() == FrameOutcome::Leave) {
      if (game.observer) game.observer->EndFrame(false);
      return ScreenResult::Next;
    }
    WaitForPeriod(game, timing.period);
    if (!EndFrame(game)) return ScreenResult::Quit;
  }
}

// The once-per-frame message pump: 1 when the queue is empty and the frame may go on; 0 when the
// quit message has been taken.
int DrainMessageQueue(plat::System& system);

// Milliseconds since `since`, unsigned, so that a wrapping tick count does no harm.
uint32_t Elapsed(Game& game, uint32_t since);
