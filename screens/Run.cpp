// Event one, second screen: the launched car rolls over the scrolling ground until it stops.
#include "game/WalkedAway.h"
#include "screens/EventOne.h"
#include "screens/Screens.h"

namespace {

constexpr uint32_t kLabelGrey = Rgb(200, 200, 200);

const std::string& FortuneLine(int luck) {
  switch (luck) {
    case 0:
      return S("大吉　－＞　地面がつるつる");
    case 1:
      return S("中吉　－＞　地面も平凡");
    default:
      return S("末吉　－＞　地面がざらざら");
  }
}

// Six marks, 100 px apart; a screen is 640 px wide but counts 600 towards the distance.
void DrawDistanceMarks(Game& game) {
  const CarEvent& car = game.state.car;
  for (int m = 1; m <= 6; ++m) {
    BlitSprite(game, kDistanceMark, 100 * m, 350);
    game.draw.DrawText(game.text.Format("%d", 100 * m + 600 * car.screenCount), 100 * m - 14,
                       static_cast<int>(355 + car.labelBob), kLabelGrey);
  }
}

void DrawRecordLine(Game& game) {
  const CarEvent& car = game.state.car;
  const int x = static_cast<int>(car.runX);
  game.draw.DrawText(S("記録更新中 ！"), x, 290, RandomTextColour(game));
  const uint32_t colour = RandomTextColour(game);
  game.draw.DrawText(game.text.Format("%f", game.state.carDistance), x, 310, colour);
}

// The motor fades with the car's speed and drops in pitch; the stop is heard once.
void MotorSound(Game& game, bool wasRunning, double speed) {
  if (speed > 0) {
    const int gain = speed >= 6.4 ? plat::kUnityGain : static_cast<int>(speed * 40);
    const int cents = speed >= 12 ? 1200 : static_cast<int>(speed * 100);
    HoldSfx(game, Sfx::Motor, gain, RateOfCents(cents - 400));
  } else if (wasRunning) {
    HoldSfx(game, Sfx::Motor, 0);
    PlaySfx(game, Sfx::CarStop);
  }
}

FrameOutcome RunFrame(Game& game) {
  GameState& s = game.state;
  CarEvent& car = s.car;
  CCDraw& draw = game.draw;

  DrawRunGround(game, car.luck);
  car.runFrames += 1;
  // Taken before this frame's movement, so the stop frame still shows the distance without it.
  s.carDistance = car.screenCount * 600 + car.runX;
  DrawDistanceMarks(game);
  car.runX += car.carV;
  if (s.carDistance > s.bestDistance) DrawRecordLine(game);
  if (car.carV != 0) draw.DrawText(FortuneLine(car.luck), 150, 200 + car.runFrames % 8);
  DrawCredit(game);
  BlitSprite(game, kCarRun, static_cast<int>(car.runX - 29), 321);

  const bool wasRunning = car.carV > 0;
  car.carV -= 0.02;
  if (!(car.carV > 0)) car.carV = 0.0;
  MotorSound(game, wasRunning, car.carV);
  // The overshoot past the edge is dropped.
  if (car.runX >= kScreenWidth) {
    car.runX = 0.0;
    car.screenCount += 1;
  }
  car.labelBob += 0.3;
  if (car.labelBob >= 5.0) car.labelBob = 0.0;

  if (car.carV == 0) {
    if (s.carDistance > s.bestDistance) s.bestDistance = s.carDistance;
    const uint32_t colour = RandomTextColour(game);
    draw.DrawText(game.text.Format(SF("あなたのポイントは %10fだ！ "), s.carDistance), 100, 100,
                  colour);
    draw.DrawText(game.text.Format(SF("最近の最高スコアは %10fだ！ "), s.bestDistance), 100, 75);
    draw.DrawText(S("リターンキーを押してね！"), 250, static_cast<int>(150 + car.labelBob));
    if (KeyDown(game, plat::VK_RETURN) || VisitorWalkedAway(game, "run")) {
      return FrameOutcome::Leave;
    }
  }
  return FrameOutcome::Continue;
}

}  // namespace

ScreenResult RunScreen(Game& game) {
  return RunFrames(game, kRunTiming, [&] { return RunFrame(game); });
}
