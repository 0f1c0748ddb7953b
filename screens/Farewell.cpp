// The farewell screen: thanks and credits under a trembling title, for 15 seconds or until
// RETURN.
#include "display/CCDraw.h"
#include "game/FrameLoop.h"
#include "game/Keys.h"
#include "game/SharedElements.h"
#include "game/Sounds.h"
#include "platform/System.h"
#include "screens/Screens.h"

void DrawFarewell(Game& game) {
  CCDraw& draw = game.draw;
  DrawCountdown(game, 15, Elapsed(game, game.state.phaseStartTick), 500, 30);
  DrawTremblingTitle(game, S("～お礼～"), 180, 20, 5, kRed, 36);
  draw.DrawText(S("この度は、「ω瞬発力研究所ω」を"), 40, 100, kWhite, 18);
  draw.DrawText(S("プレイして頂き、本当に有り難う御"), 40, 130, kWhite, 18);
  draw.DrawText(S("座いました。"), 40, 160, kWhite, 18);
  draw.DrawText(S("またのご来場を、心よりお待ちして"), 40, 240, kWhite, 18);
  draw.DrawText(S("おります。"), 40, 270, kWhite, 18);
  draw.DrawText(S("みなと工科電算クラブ"), 330, 400, kWhite, 13);
  draw.DrawText(S("ころもんず！ω"), 330, 430, kWhite, 13);
}

namespace {

FrameOutcome FarewellFrame(Game& game) {
  const GameState& s = game.state;
  DrawFarewell(game);
  if (Elapsed(game, s.phaseStartTick) / 1000 >= 15 || KeyDown(game, plat::VK_RETURN)) {
    return FrameOutcome::Leave;
  }
  return FrameOutcome::Continue;
}

}  // namespace

ScreenResult FarewellScreen(Game& game) {
  game.state.phaseStartTick = game.system.GetTickCount();
  PlaySfx(game, Sfx::Farewell);
  return RunFrames(game, kFarewellTiming, [&] { return FarewellFrame(game); });
}
