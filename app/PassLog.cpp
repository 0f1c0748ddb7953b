#include "app/PassLog.h"

#include "app/Notices.h"
#include "game/Game.h"
#include "platform/LocalTime.h"
#include "platform/System.h"
#include "screens/Scoring.h"
#include "store/PlayLog.h"

void LogFinishedPass(Game& game, int challengerNumber, PlayLog& log) {
  const GameState& s = game.state;
  PlayRecord line = PassRecord(ToLocalTime(game.system.WallClockSeconds()), s.playerName);
  line.challenger = challengerNumber;
  line.distance = s.carDistance;
  line.bounce = s.bounceScore;
  line.total = s.totalScore;
  line.grade = GradeLetter(s.totalScore);
  line.place = s.rankedIn == 1 ? s.rankPlace : 0;
  log.Add(FormatPlayRecord(line));
  if (log.TakeNews()) TellPlayLogTrouble(game.system, log);
}
