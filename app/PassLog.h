// Every finished pass on the books: its line in the play log, and the operator told once when the
// log cannot be written.
#pragma once

#include <string>

struct Game;
struct GameState;
class PlayLog;

// The line of the pass just finished, with its final values `final` (its place as the ranking
// screen shows it), the challenger number its visitor was shown on the attract screen (the loop
// has raised the stored one since) and the wall clock's date and time.
std::string FinishedPassLine(Game& game, const GameState& final, int challengerNumber);
// The line of a pass the session's end cut short, with the first `known` of its results.
std::string CutShortPassLine(Game& game, int challengerNumber, int known);
// A trouble of the log not yet told is told in a box.
void TellPlayLogNews(Game& game, PlayLog& log);
