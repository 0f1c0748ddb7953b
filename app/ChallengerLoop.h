// The loop of visitors: each pass resets its values, waits on the attract screen and, unless Q
// was pressed there, plays every screen from event one to the farewell.
#pragma once

#include "game/FrameLoop.h"

class OperatorDesk;
class PlayLog;
class RecoveryCopies;

// Runs passes while keepRunning is 1, writing the recovery copies of each pass and adding its line
// to `playLog` as soon as its results are final (before the ranking screen). Quit when the window
// was closed during play; Next once Q has ended the loop, or the end of the session has (as Q does,
// keeping the day's results).
// F2 on the attract screen opens the operator's screen on `desk` (none: F2 does nothing), after
// which the attract screen starts anew.
ScreenResult ChallengerLoop(Game& game, RecoveryCopies& copies, PlayLog& playLog,
                            OperatorDesk* desk = nullptr);

struct GameState;

// For a save that cannot wait for the loop to end on the end of the session: does to `state` what
// the loop would do on the way out (on the attract screen the challenger number moves on, as for
// Q; in a pass, what the pass has set so far is kept as it is).
void SettleForSessionEnd(GameState& state);

// At the session's end in the middle of a pass: a line for that pass, marked as cut short, in one
// step with copies of the values the session-end save keeps (removed again once it has saved).
void KeepCutShortPass(Game& game, RecoveryCopies& copies, PlayLog& playLog);
