#include "game/WalkedAway.h"

#include <optional>

#include "platform/BoothChannel.h"
#include "platform/System.h"

bool VisitorWalkedAway(Game& game, const char* screen) {
  plat::System& system = game.system;
  if (!system.BoothMode()) return false;
  const uint32_t now = system.GetTickCount();
  std::optional<uint32_t> since = system.LastInputTick();
  // Each waiting screen waits its own time after the step before it.
  std::optional<uint32_t>& lastStep = game.walkedAwayStep;
  // The later of the two is the one with less time since it (ticks may wrap).
  if (lastStep && (!since || now - *lastStep < now - *since)) since = lastStep;
  if (!since || now - *since < kWalkedAwayMs) return false;
  lastStep = now;
  plat::BoothChannel::Get().Say({plat::BoothSign::WalkedAway, screen, 0});
  return true;
}
