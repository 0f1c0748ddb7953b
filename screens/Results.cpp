// The results screen: both events' results revealed line by line, the total score and its grade,
// under a 15-second countdown that SPACE can hurry.
#include <cstdint>

#include "display/CCDraw.h"
#include "game/FrameLoop.h"
#include "game/Keys.h"
#include "game/SharedElements.h"
#include "game/Sounds.h"
#include "platform/System.h"
#include "screens/Scoring.h"
#include "screens/Screens.h"

namespace {

// The moments (ms into the screen) at which a line, the flickering letter and the grade appear.
constexpr uint32_t kRevealsAt[] = {1000, 2000, 3500, 4500, 5500, 6000};
constexpr uint32_t kGradeAt = 7000;

// What appeared since the last frame is heard once: a blip for the lines (one for several at
// once, as after SPACE), and the grade, brighter and louder for a better one (K lowest, S highest).
void RevealSounds(Game& game, uint32_t& heardUntil) {
  const uint32_t now = Elapsed(game, game.state.phaseStartTick);
  bool revealed = false;
  for (const uint32_t at : kRevealsAt) revealed = revealed || (heardUntil <= at && now > at);
  if (revealed) PlaySfx(game, Sfx::Reveal);
  if (heardUntil <= kGradeAt && now > kGradeAt) {
    const int letter = GradeLetter(game.state.totalScore);
    const int steps = letter == 'S' ? 11 : 'K' - letter;  // K 0, J 1, ... A 10, S 11
    PlaySfx(game, Sfx::Grade, 160 + steps * 8, RateOfCents((steps - 5) * 100));
  }
  heardUntil = now;
}

FrameOutcome ResultsFrame(Game& game, uint32_t& heardUntil) {
  GameState& s = game.state;
  CCDraw& draw = game.draw;

  DrawCountdown(game, 15, Elapsed(game, s.phaseStartTick), 500, 0);
  DrawTremblingTitle(game, S("～結果発表～"), 128, 40, 5, kRed, 36);

  if (Elapsed(game, s.phaseStartTick) > 1000) {
    draw.DrawText(game.text.Format(SF("ダンボランは %10f でした。"), s.carDistance), 100, 100);
  }
  if (Elapsed(game, s.phaseStartTick) > 2000) {
    draw.DrawText(game.text.Format(SF("ＢｏｕｎＺｏは %10f でした。"), s.bounceScore), 100, 120);
  }
  s.totalScore = TotalScore(s.carDistance, s.bounceScore);
  if (Elapsed(game, s.phaseStartTick) > 3500) draw.DrawText(S("今回の総合得点は"), 200, 160);
  if (Elapsed(game, s.phaseStartTick) > 4500) {
    draw.DrawText(game.text.Format(SF("%d 点でした"), s.totalScore), 180, 180, kWhite, 24);
  }
  if (Elapsed(game, s.phaseStartTick) > 5500) {
    draw.DrawText(S("これより、今回のランクは↓"), 160, 230);
  }
  if (Elapsed(game, s.phaseStartTick) > 6000) {
    // A second of random capitals before the grade settles; the draw goes on every frame after.
    int rankLetter = 65 + game.random.Below(26);
    if (Elapsed(game, s.phaseStartTick) > 7000) rankLetter = GradeLetter(s.totalScore);
    draw.DrawText(game.text.Format("%c", rankLetter), 270, 270, RandomTextColour(game), 100);
    BlitSprite(game, kGradeFrame, 264, 264);
  }
  RevealSounds(game, heardUntil);

  // Past ten seconds a new SPACE press takes five more off the clock, which ends the screen.
  if (KeyDown(game, plat::VK_SPACE) && Elapsed(game, s.phaseStartTick) > 10000 &&
      (KeyWord(game, plat::VK_SPACE) & s.prevSpaceState) == 0) {
    s.phaseStartTick -= 5000;
  }
  // Before ten seconds SPACE, held or pressed, jumps the clock to ten: everything shows.
  if (KeyDown(game, plat::VK_SPACE) && Elapsed(game, s.phaseStartTick) < 10000) {
    s.phaseStartTick = game.system.GetTickCount() - 10000;
  }
  if (Elapsed(game, s.phaseStartTick) > 15000) return FrameOutcome::Leave;
  s.prevSpaceState = KeyWord(game, plat::VK_SPACE);
  return FrameOutcome::Continue;
}

}  // namespace

ScreenResult ResultsScreen(Game& game) {
  game.state.phaseStartTick = game.system.GetTickCount();
  uint32_t heardUntil = 0;  // the elapsed time of the last frame: what appeared by then was heard
  return RunFrames(game, kResultsTiming, [&] { return ResultsFrame(game, heardUntil); });
}
