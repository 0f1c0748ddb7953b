// Event one, first screen: the player winds the rubber car back and launches it.
#include "game/WalkedAway.h"
#include "screens/EventOne.h"
#include "screens/Screens.h"

namespace {

constexpr double kPostX = 380.0;

void DrawWindUpGround(Game& game) {
  DrawGroundStrip(game, kWindUpGround);
}

// The band runs from the car to the post in 4-pixel steps, only while the car is behind the post.
void DrawBand(Game& game, double carX) {
  if (carX > kPostX) return;
  for (int i = 0; (kPostX - carX) / 4 >= i; ++i) {
    BlitSprite(game, kBandSegment, static_cast<int>(carX + 8 + 4 * i), 323);
  }
}

// Every counted press is heard at once, higher the further the car is pulled back (up to two
// octaves, a semitone for each 8 pixels).
void WindSound(Game& game, double carX) {
  const int pulled = static_cast<int>(kPostX - carX);
  PlaySfx(game, Sfx::Wind, plat::kUnityGain, RateOfCents(pulled < 1600 ? pulled * 25 / 2 : 2400));
}

FrameOutcome WindUpFrame(Game& game) {
  CarEvent& car = game.state.car;
  CCDraw& draw = game.draw;

  DrawWindUpGround(game);

  car.promptY += 0.4;
  if (car.promptY >= 105.0) car.promptY = 100.0;

  if (!car.launched) {
    draw.DrawText(S("さあ、１と２を交互に連打するんだ！"), 200, static_cast<int>(car.promptY));
    draw.DrawText(S("そして、リターンで発射！"), 200, static_cast<int>(car.promptY + 20));
  }

  // Before launch the band pulls the car toward the post by 3 % of the gap per frame.
  if (!car.launched) car.carV = (kPostX - car.carX) * 0.03;
  car.carX += car.carV;

  BlitSprite(game, kCarWindUp, static_cast<int>(car.carX), 290);
  DrawBand(game, car.carX);
  BlitSprite(game, kPost, 380, 290);

  // Each key counts only alone and only when it is the one due, so holding both or repeating one
  // winds nothing.
  if (KeyDown(game, plat::VK_NUMPAD1) && !KeyDown(game, plat::VK_NUMPAD2) && !car.launched &&
      car.nextKey == 0) {
    car.carX -= 16;
    car.nextKey = 1;
    WindSound(game, car.carX);
  }
  if (KeyDown(game, plat::VK_NUMPAD2) && !KeyDown(game, plat::VK_NUMPAD1) && !car.launched &&
      car.nextKey == 1) {
    car.carX -= 16;
    car.nextKey = 0;
    WindSound(game, car.carX);
  }
  // In booth mode, a visitor long gone launches the car as RETURN would.
  if ((KeyDown(game, plat::VK_RETURN) || VisitorWalkedAway(game, "windup")) && !car.launched) {
    car.launched = 1;
    car.carV += 7;
    PlaySfx(game, Sfx::Launch);
  }

  if (car.carX >= kScreenWidth) return FrameOutcome::Leave;
  return FrameOutcome::Continue;
}

}  // namespace

ScreenResult WindUpScreen(Game& game) {
  CarEvent& car = game.state.car;
  car.carX = kPostX;  // the car starts at the post, the band slack
  car.carV = 0.0;

  const ScreenResult result = RunFrames(game, kWindUpTiming, [&] { return WindUpFrame(game); });
  if (result == ScreenResult::Quit) return result;

  // The ground is drawn by lot once the car has left; rougher ground takes more off the speed.
  car.luck = game.random.Below(3);
  car.carV = car.carV / (car.luck * 0.1 + 1.4);
  return result;
}
