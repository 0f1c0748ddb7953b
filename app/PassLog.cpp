#include "app/PassLog.h"

#include "app/Notices.h"
#include "game/Game.h"
#include "platform/LocalTime.h"
#include "platform/System.h"
#include "screens/Scoring.h"
#include "store/PlayLog.h"

void LogFinishedPass(Game& game, int challengerNumber, PlayLog& log) {
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
  log.Add(FormatPlayLine(line));
  if (log.TakeNews()) TellPlayLogTrouble(game.system, log);
}
