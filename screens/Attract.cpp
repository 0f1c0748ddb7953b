#include <cstdint>
#include <string>

#include "display/CCDraw.h"
#include "game/Keys.h"
#include "game/SharedElements.h"
#include "game/Sounds.h"
#include "platform/System.h"
#include "screens/Screens.h"
#include "screens/WordOfTheDay.h"

namespace {

// The last five digits of the challenger number. A hand-edited file may hold a negative number;
// its digits are shown without the sign rather than as bytes that are no digits at all.
std::string ChallengerDigits(int32_t number) {
  const int64_t magnitude = number < 0 ? -int64_t{number} : int64_t{number};
  return FullWidthNumber(static_cast<int>(magnitude % 100000), 5);
}

FrameOutcome AttractFrame(Game& game) {
  CCDraw& draw = game.draw;
  const GameState& s = game.state;

  const Jitter banner = DrawJitter(game, 5);
  BlitSprite(game, kBannerTrembling, 200 + banner.dx, 50 + banner.dy);
  BlitSprite(game, kBannerSteady, 200, 50);

  draw.DrawText(S("今日の一言↓"), 0, 155, kWhite, 12);
  DrawTremblingTitle(game, WordOfTheDay(s.wordIndex), 2, 170, 2, Rgb(200, 50, 50), 10);

  draw.DrawText(S("さっきのプレイヤーは "), 80, 270, kWhite, 12);
  // The name is eight bytes without an end; as a C string it ends at a zero byte, if any.
  draw.DrawText(game.text.Format("%.8s", s.playerName.data()), 330, 270, kWhite, 12);
  draw.DrawText(S("さんでした"), 430, 270, kWhite, 12);

  DrawTremblingTitle(game, S("遊ぶ　－＞　ＨＩＴ　ＳＰＡＣＥ　ＫＥＹ"), 100, 370, 2, kGreen, 12);
  draw.DrawText(S("やめる　－＞　ＨＩＴ　Ｑ　ＫＥＹ"), 100, 400, kWhite, 12);

  draw.DrawText(game.text.Format("%s%s%s", S("あなたは、").c_str(),
                                 ChallengerDigits(s.challengerNumber).c_str(),
                                 S("人目の挑戦者です。").c_str()),
                100, 450, kWhite, 12);

  AttractCall(game);

  // SPACE is tested first, so SPACE and Q together start a game.
  if (KeyDown(game, plat::VK_SPACE)) return FrameOutcome::Leave;
  if (KeyDown(game, plat::VK_Q) && game.system.HeldLongEnough(plat::VK_Q)) {
    game.state.keepRunning = 0;
    return FrameOutcome::Leave;
  }
  // The operator's screen; in booth mode only once held, as Q.
  if (KeyDown(game, plat::VK_F2) && game.system.HeldLongEnough(plat::VK_F2)) {
    game.state.operatorScreenAsked = true;
    return FrameOutcome::Leave;
  }
  return FrameOutcome::Continue;
}

}  // namespace

ScreenResult AttractScreen(Game& game) {
  AttractCallFrom(game, game.system.GetTickCount());
  return RunFrames(game, kAttractTiming, [&game] { return AttractFrame(game); });
}
