// Event two, first screen: a countdown from 3 while the player puts a hand on SPACE.
#include "screens/EventTwo.h"
#include "screens/Screens.h"

namespace {

FrameOutcome StandByFrame(Game& game) {
  BallEvent& ball = game.state.ball;
  CCDraw& draw = game.draw;

  ball.countdown -= 2;
  draw.DrawText(game.text.Format("%d", ball.countdown / 100), 256, 176, kWhite, 128);
  draw.DrawText(S("ＳＰＡＣＥ　ＫＥＹ　に手を置いてスタンバイ！"), 50, 300);
  draw.DrawText(S("玉が、地面に跳ね返る瞬間にキーを押せ！！"), 60, 320);
  DrawBallGround(game);
  DrawCredit(game);

  if (KeyDown(game, plat::VK_SPACE) || ball.countdown <= 0) return FrameOutcome::Leave;
  return FrameOutcome::Continue;
}

}  // namespace

ScreenResult StandByScreen(Game& game) {
  BallEvent& ball = game.state.ball;
  ball.ballX = 320.0;
  ball.y = 0.0;
  ball.countdown = 400;
  return RunFrames(game, kStandByTiming, [&] { return StandByFrame(game); });
}
