#include "app/PassLog.h"

#include "app/Notices.h"
#include "game/Game.h"
#include "platform/LocalTime.h"
#include "platform/System.h"
#include "screens/Scoring.h"
#include "store/PlayLog.h"

namespace {

PlayRecord LineOf(Game& game, const GameState& s, int challengerNumber) {
  PlayRecord line = PassRecord(ToLocalTime(game.system.WallClockSeconds()), s.playerName);
  line.challenger = challengerNumber;
  line.distance = s.carDistance;
  line.bounce = s.bounceScore;
  line.total = s.totalScore;
  line.grade = GradeLetter(s.totalScore);
  line.place = s.rankedIn == 1 ? s.rankPlace : 0;
  return line;
}

}  // namespace

std::string FinishedPassLine(Game& game, const GameState& final, int challengerNumber) {
  return FormatPlayRecord(LineOf(game, final, challengerNumber));
}

std::string CutShortPassLine(Game& game, int challengerNumber, int known) {
  PlayRecord line = LineOf(game, game.state, challengerNumber);
  line.cutShort = true;
  line.known = known;
  return FormatPlayRecord(line);
}

void TellPlayLogNews(Game& game, PlayLog& log) {
  if (log.TakeNews()) TellPlayLogTrouble(game.system, log);
}
