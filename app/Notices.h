// What the operator must know is told in boxes, in Japanese like the game's own, since nobody
// reads standard error at a booth: another game already running in the folder, or no lock to be
// had there; a data file that could not be read or whose recovery copy could not be put back,
// read or removed, a copy kept aside, a copy that could not be written; a play log that cannot be
// written, or lines of it lost at Q; a save that failed at Q; and no Japanese face for the text.
// The reasons are fixed words of the game's own, the same on every system.
#pragma once

#include <string>
#include <vector>

#include "store/DataFiles.h"
#include "store/PlayLog.h"
#include "store/Recovery.h"

namespace plat {
class System;
}

// The exit code when another game holds the directory.
inline constexpr int kAlreadyRunning = 5;

void TellAlreadyRunning(plat::System& system, const std::string& lockFileOwner = {});
// Neither the folder nor a lock file in it could be locked: the game goes on.
void TellNoLock(plat::System& system);
// A lock file that is a link, a pipe or a folder: refused, the program ends.
void TellNotPlainLockFile(plat::System& system);
// A lock file of this user's own that cannot be written: a read-only folder or file.
void TellReadOnlyFolder(plat::System& system);
// One box for each notice.
void TellStartUpNotices(plat::System& system, const std::vector<StartUpNotice>& notices);
// One box for each copy that could not be written or removed: after a pass (before the next
// attract screen's first frame), or at Q.
enum class CopyFailureMoment { AfterPass, AtQuit };
void TellCopyFailures(plat::System& system, const std::vector<CopyFailure>& failures,
                      CopyFailureMoment moment = CopyFailureMoment::AfterPass);
// One box for each file not saved.
void TellSaveFailures(plat::System& system, const DataFilesSave& save);
void TellNoJapaneseFace(plat::System& system);
// Windows' Filter Keys was on at start: quick presses may not count.
void TellFilterKeysOn(plat::System& system);
// The play log could not be written after a pass: what to do, and where its lines wait.
void TellPlayLogTrouble(plat::System& system, const PlayLog& log);
// At Q: lines of the play log that reached neither the log nor its side file, when there are any.
void TellPlayLinesLost(plat::System& system, const PlayLog& log);
