#include "app/PassLog.h"

#include "app/Notices.h"
#include "game/Game.h"
#include "platform/LocalTime.h"
#include "platform/System.h"
#include "screens/Scoring.h"
#include "store/PlayLog.h"

namespace {

PlayLine LineOf(Game& game, int challengerNumber) {
  const GameState& s = game.state;
  PlayLine line;
  line.when = ToLocalTime(game.system.WallClockSeconds());
  line.challengerNumber = challengerNumber;
  line.carDistance = s.carDistance;
  line.bounceScore = s.bounceScore;
  line.totalScore = s.totalScore;
  line.grade = GradeLetter(s.totalScore);
  line.name = s.playerName;
  line.place = s.rankedIn == 1 ? s.rankPlace : 0;
  return line;
}

}  // namespace

std::string FinishedPassLine(Game& game, int challengerNumber) {
  return FormatPlayLine(LineOf(game, challengerNumber));
}

std::string CutShortPassLine(Game& game, int challengerNumber, int known) {
  PlayLine line = LineOf(game, challengerNumber);
  line.cutShort = true;
  line.known = known;
  return FormatPlayLine(line);
}

void TellPlayLogNews(Game& game, PlayLog& log) {
  if (log.TakeNews()) TellPlayLogTrouble(game.system, log);
}
