// The changes an operator makes to the ranking and the record, from the tool's command line or
// the operator's screen alike: each reads the files as the game wrote them, makes its edit and
// writes them through the game's safe save, with one line that says what was done.
#pragma once

#include "game/GameState.h"
#include "upkeep/Output.h"

namespace ranking {

// The entries below `place` (1 to 5) move up.
int RemoveFromRanking(Output& out, int place);

// The name of `place` (1 to 5) becomes `name`.
int RenameInRanking(Output& out, int place, const Name& name);

// The record (best results and challenger number), the ranking, or both start afresh.
int StartAfresh(Output& out, bool record, bool ranking);

}  // namespace ranking
