// Every finished pass on the books: its line in the play log, and the operator told once when the
// log cannot be written.
#pragma once

struct Game;
class PlayLog;

// The pass just finished, with the values as they stand at the head of the challenger loop, the
// challenger number its visitor was shown on the attract screen (the loop has raised the stored
// one since) and the wall clock's date and time, added to `log`. A trouble not yet told is told
// in a box.
void LogFinishedPass(Game& game, int challengerNumber, PlayLog& log);
