#include "game/FrameLoop.h"

#include "display/CCDraw.h"
#include "game/SharedElements.h"
#include "platform/System.h"

void BeginFrame(Game& game, const ScreenTiming& timing) {
  if (game.observer) game.observer->BeginFrame(timing.name);
  game.draw.ClearBackBuffer();
  game.state.frameStartTick = game.system.GetTickCount();
  BackgroundTiles(game, timing.backgroundRows);
}

void WaitForPeriod(Game& game, uint32_t period) {
  // Read the tick until the period has passed; sleep while more than 2 ms remain so that the
  // wait does not burn a core, then poll closely (with the shortest pauses) for the last ticks.
  for (;;) {
    const uint32_t elapsed = Elapsed(game, game.state.frameStartTick);
    if (elapsed >= period) return;
    const uint32_t left = period - elapsed;
    game.system.Idle(left > 2 ? left - 2 : 0);
  }
}

bool EndFrame(Game& game) {
  if (!DrainMessageQueue(game.system)) {
    if (game.observer) game.observer->EndFrame(false);
    return false;
  }
  game.draw.Flip();
  if (game.observer) game.observer->EndFrame(true);
  return true;
}

uint32_t Elapsed(Game& game, uint32_t since) {
  return game.system.GetTickCount() - since;
}

int DrainMessageQueue(plat::System& system) {
  plat::Message msg;
  while (system.PeekMessage()) {
    if (!system.GetMessage(msg)) return 0;
    system.DispatchMessage(msg);
  }
  return 1;
}
