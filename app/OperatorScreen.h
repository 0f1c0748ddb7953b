// The operator's screen, behind F2 on the attract screen: the day's numbers, the ranking, kept
// copies, backups, the day's report, the keys and buttons, a new day and the quit, in lists that
// UP and DOWN move through and RETURN chooses from, in the operator's language.
#pragma once

#include "game/FrameLoop.h"
#include "game/Game.h"

class OperatorDesk;

// Next when it goes back to the attract screen (keepRunning is 0 when the operator chose to quit
// the game); Quit when the window was closed.
ScreenResult OperatorScreen(Game& game, OperatorDesk& desk);
