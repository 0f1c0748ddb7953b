// Event two, second screen: the ball falls and bounces; SPACE timed to the bounce keeps it lively.
#include <cmath>

#include "game/WalkedAway.h"
#include "screens/EventTwo.h"
#include "screens/Screens.h"

namespace {

constexpr double kGroundY = 335.0;  // the ball's y when it rests on the ground
constexpr double kStopSpeed = 6.5;  // an impact this slow or slower ends the bounces

// As loud as the impact: the first fall's 27 pixels a frame and more at full gain, a stopping
// bounce at about half.
void BounceSound(Game& game, double impact) {
  const int gain = impact >= 27 ? plat::kUnityGain : 96 + static_cast<int>(impact * 160 / 27);
  PlaySfx(game, Sfx::Bounce, gain > 0 ? gain : 0);
}

void Bounce(Game& game) {
  BallEvent& ball = game.state.ball;
  if (NewPress(game, plat::VK_SPACE, game.state.prevSpaceState)) {
    // 0.8 or 0.9 with equal chance, each the double nearest its decimal (0.8 + 0.1 would not be).
    ball.e = game.random.Below(2) == 0 ? 0.8 : 0.9;
    ball.e_old = ball.e;
  }
  game.draw.DrawText(game.text.Format("hit=%8f", ball.v), 0, 40);
  BounceSound(game, ball.v);
  if (!(ball.v > kStopSpeed)) {
    ball.v = 0.0;
    ball.gravity = 0.0;
    PlaySfx(game, Sfx::BallStop);
  }
  game.draw.DrawText(game.text.Format("e=%8f", ball.e), 0, 100);
  ball.v = -ball.v * ball.e;
  ball.y = kGroundY;
  ball.e = 0.5;
}

void DrawReadouts(Game& game) {
  const GameState& s = game.state;
  CCDraw& draw = game.draw;
  draw.DrawText(game.text.Format("v=%8f", s.ball.v), 0, 0);
  draw.DrawText(game.text.Format("y=%8f", s.ball.y), 0, 20);
  draw.DrawText(game.text.Format("s=%8f", s.bounceScore), 0, 60);
  draw.DrawText(game.text.Format("e_old=%8f", s.ball.e_old), 0, 80);
  draw.DrawText(game.text.Format("YOUR  RECORD=%8f", s.bounceScore), 320, 150);
  draw.DrawText(game.text.Format("WORLD RECORD=%8f", s.bestBounce), 320, 130);
}

FrameOutcome BallFrame(Game& game) {
  GameState& s = game.state;
  BallEvent& ball = s.ball;
  CCDraw& draw = game.draw;

  DrawCredit(game);

  // The windows are tested against the height at the start of the frame; a later press replaces
  // an earlier one, and one press in the bounce frame passes all three tests.
  if (ball.y > 290 && NewPress(game, plat::VK_SPACE, game.state.prevSpaceState)) {
    ball.e = 0.6;
    ball.e_old = ball.e;
  }
  if (ball.y > 315 && NewPress(game, plat::VK_SPACE, game.state.prevSpaceState)) {
    ball.e = 0.7;
    ball.e_old = ball.e;
  }
  if (ball.y > kGroundY) Bounce(game);
  s.prevSpaceState = KeyWord(game, plat::VK_SPACE);

  BlitSprite(game, kBall, static_cast<int>(ball.ballX - 34), static_cast<int>(ball.y - 34));
  ball.y += ball.v;
  ball.v += ball.gravity;
  s.bounceScore += std::fabs(ball.v);
  if (s.bestBounce < s.bounceScore) {
    s.bestBounce = s.bounceScore;
    draw.DrawText("NEW!!", 320, 110, RandomTextColour(game));
  }
  DrawReadouts(game);
  // Drawn after the ball, so the ground hides what sinks below it in a bounce frame.
  DrawBallGround(game);

  if (ball.gravity == 0) {
    draw.DrawText(S("玉停止！"), 200, 200);
    draw.DrawText(S("リターンキーを押して下さい。"), 150, 216);
    if (KeyDown(game, plat::VK_RETURN) || VisitorWalkedAway(game, "ball")) {
      return FrameOutcome::Leave;
    }
  }
  return FrameOutcome::Continue;
}

}  // namespace

ScreenResult BallScreen(Game& game) {
  PlaySfx(game, Sfx::Release);
  return RunFrames(game, kBallTiming, [&] { return BallFrame(game); });
}
