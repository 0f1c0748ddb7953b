#include "app/Main.h"

#include "app/FrameLoop.h"
#include "app/SharedElements.h"
#include "app/Window.h"
#include "display/CCDraw.h"
#include "platform/System.h"
#include "screens/Screens.h"
#include "store/DataFiles.h"

namespace {

// Per-pass reset, in its fixed order; the last of it draws the word of the day.
void ResetPass(Game& game) {
  GameState& s = game.state;
  s.car.launched = 0;
  s.car.screenCount = 0;
  s.car.runX = 0.0;
  s.ball.v = 0.0;
  s.bounceScore = 0.0;
  s.ball.gravity = 1.0;
  s.car.runFrames = 0;
  s.name.wheelBase = 59;
  s.name.nameCursor = 0;
  s.ball.y = 335.0;
  s.ball.e = 0.5;
  s.swapFlag = 1;
  s.rankedIn = 0;
  s.rankPlace = 0;
  s.wordIndex = game.random.Below(95);
}

// The screens after the attract screen, in their fixed order.
ScreenResult PlayPass(Game& game) {
  for (auto screen :
       {WindUpScreen, RunScreen, StandByScreen, BallScreen, ResultsScreen, NameEntryScreen}) {
    if (screen(game) == ScreenResult::Quit) return ScreenResult::Quit;
  }
  InsertRankingEntry(game);
  if (RankingScreen(game) == ScreenResult::Quit) return ScreenResult::Quit;
  return FarewellScreen(game);
}

}  // namespace

int WinMain(plat::System& system, FrameObserver* observer) {
  if (!CreateMainWindow(system)) return 0;

  CCDraw draw(system, 60);
  GameState state;
  Random random;
  TextBuffer text;
  Game game{system, draw, state, random, text, observer};
  if (observer) observer->Attach(draw, state);

  draw.LoadPalette(kSpriteSheetFile, 0, 0, 255);
  draw.LoadBitmap(kSpriteSheetFile, kSheetSlot, 1);

  ReadRecordFile(state);
  ReadRankingTable(state);
  random.Seed(static_cast<uint32_t>(system.CurrentTimeSeconds()));

  // A closed window ends the game without saving; the end of the session (a shutdown, a closed
  // terminal) ends it as Q does, so that the day's results are kept.
  while (state.keepRunning == 1) {
    ResetPass(game);
    if (AttractScreen(game) == ScreenResult::Quit) {
      if (!SessionEnding()) return 1;
      state.keepRunning = 0;
    }
    // Stops at the largest number instead of overflowing when a hand-edited file holds it.
    if (state.challengerNumber < INT32_MAX) state.challengerNumber += 1;
    if (state.keepRunning != 1) break;
    if (PlayPass(game) == ScreenResult::Quit) {
      if (!SessionEnding()) return 1;
      break;  // what the pass has set so far is kept
    }
  }
  return WriteDataFiles(state);
}
