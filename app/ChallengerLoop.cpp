#include "app/ChallengerLoop.h"

#include <cstdint>
#include <vector>

#include "app/Notices.h"
#include "app/OperatorScreen.h"
#include "app/PassLog.h"
#include "app/Window.h"
#include "game/GameState.h"
#include "game/Random.h"
#include "screens/Screens.h"
#include "screens/WordOfTheDay.h"
#include "store/Recovery.h"

namespace {

bool onAttractScreen = false;
// The pass in progress: the screen it is on (-1 between passes), and the number its visitor saw.
int passScreen = -1;
int passNumber = 0;

// The head of a pass: these values go back to what a fresh GameState holds, in this fixed order,
// and the last of it draws the word of the day.
void ResetPass(Game& game) {
  static const GameState fresh;
  GameState& s = game.state;
  s.car.launched = fresh.car.launched;
  s.car.screenCount = fresh.car.screenCount;
  s.car.runX = fresh.car.runX;
  s.ball.v = fresh.ball.v;
  s.bounceScore = fresh.bounceScore;
  s.ball.gravity = fresh.ball.gravity;
  s.car.runFrames = fresh.car.runFrames;
  s.name.wheelBase = fresh.name.wheelBase;
  s.name.nameCursor = fresh.name.nameCursor;
  s.ball.y = fresh.ball.y;
  s.ball.e = fresh.ball.e;
  s.swapFlag = fresh.swapFlag;
  s.rankedIn = fresh.rankedIn;
  s.rankPlace = fresh.rankPlace;
  s.wordIndex = game.random.Below(kWordOfTheDayCount);
}

// The screens after the attract screen, in their fixed order. As soon as the results are final
// (the ranking updated, before the visitor sees their place) the pass is made durable, so that a
// crash on the last two screens loses nothing of it; a copy that could not be written is told in
// `unwritten` for the loop's head to tell.
ScreenResult PlayPass(Game& game, RecoveryCopies& copies, PlayLog& playLog, int shownNumber,
                      std::vector<CopyFailure>& unwritten) {
  passScreen = 0;
  using Screen = ScreenResult (*)(Game&);
  for (Screen screen : {WindUpScreen, RunScreen, StandByScreen, BallScreen, ResultsScreen,
                        static_cast<Screen>(NameEntryScreen)}) {
    if (screen(game) == ScreenResult::Quit) return ScreenResult::Quit;
    ++passScreen;
  }
  InsertRankingEntry(game);
  const GameState final = RankingAsShown(game.state);
  unwritten = copies.Write(final, playLog, FinishedPassLine(game, final, shownNumber));
  passScreen = -1;  // kept whole: a session end from here on adds nothing of it
  if (RankingScreen(game) == ScreenResult::Quit) return ScreenResult::Quit;
  return FarewellScreen(game);
}

// How many of a pass's results (distance, bounce score, total and grade, name, place) are set
// once its first `screens` screens are over.
int ResultsKnown(int screens) {
  constexpr int kKnown[] = {0, 0, 1, 1, 2, 3, 5};
  return kKnown[screens < 0 ? 0 : screens > 6 ? 6 : screens];
}

}  // namespace

ScreenResult ChallengerLoop(Game& game, RecoveryCopies& copies, PlayLog& playLog,
                            OperatorDesk* desk) {
  GameState& state = game.state;
  bool passFinished = false;
  int shownNumber = 0;  // the challenger number the visitor of the pass saw on the attract screen
  std::vector<CopyFailure> unwritten;
  passScreen = -1;
  while (state.keepRunning == 1) {
    // Back at the head after a pass, which its end made durable: what failed is told now, between
    // two visitors.
    if (passFinished) {
      passFinished = false;
      TellCopyFailures(game.system, unwritten);
      TellPlayLogNews(game, playLog);
    }
    ResetPass(game);
    onAttractScreen = true;
    ScreenResult attract = AttractScreen(game);
    if (state.operatorScreenAsked) {
      // A session end there ends as on the attract screen; back from it, the attract screen
      // starts anew with the same challenger number.
      state.operatorScreenAsked = false;
      if (desk) attract = OperatorScreen(game, *desk);
      if (attract == ScreenResult::Next && state.keepRunning == 1) continue;
    }
    onAttractScreen = false;
    if (attract == ScreenResult::Quit) {
      if (!SessionEnding()) return ScreenResult::Quit;
      state.keepRunning = 0;
    }
    shownNumber = passNumber = state.challengerNumber;
    // Stops at the largest number instead of overflowing when a hand-edited file holds it.
    if (state.challengerNumber < INT32_MAX) state.challengerNumber += 1;
    if (state.keepRunning != 1) break;
    if (PlayPass(game, copies, playLog, shownNumber, unwritten) == ScreenResult::Quit) {
      if (!SessionEnding()) return ScreenResult::Quit;
      break;  // what the pass has set so far is kept
    }
    passFinished = true;
  }
  return ScreenResult::Next;
}

void SettleForSessionEnd(GameState& state) {
  if (onAttractScreen && state.challengerNumber < INT32_MAX) state.challengerNumber += 1;
}

void KeepCutShortPass(Game& game, RecoveryCopies& copies, PlayLog& playLog) {
  if (passScreen < 0) return;
  // With the values the session-end save keeps, in one step as a finished pass's.
  copies.Write(game.state, playLog, CutShortPassLine(game, passNumber, ResultsKnown(passScreen)));
  passScreen = -1;
}
