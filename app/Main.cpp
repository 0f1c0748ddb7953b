// The whole program: the directory's lock, the window, one session of the engine with the sprite
// sheet and both data files read (recovery copies put back first), the challenger loop with its
// play log, and the files written unless the window was closed.
#include "app/Main.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "app/ChallengerLoop.h"
#include "app/Controllers.h"
#include "app/Notices.h"
#include "app/OperatorDesk.h"
#include "app/Sound.h"
#include "app/Window.h"
#include "display/FontFace.h"
#include "game/Session.h"
#include "platform/BoothChannel.h"
#include "platform/DirectoryLock.h"
#include "platform/System.h"
#include "store/DataFiles.h"
#include "store/PlayLog.h"
#include "store/Recovery.h"

namespace {

// An orderly end (Q, or the end of the session): both files saved, and the recovery copy of each
// file saved removed; the copy of a file not saved stays for the next start.
struct DayEnd {
  DataFilesSave save;
  std::vector<CopyFailure> notRemoved;
};
DayEnd SaveTheDay(const GameState& state, const StartUpReads& reads, RecoveryCopies& copies) {
  DayEnd end;
  end.save = SaveDataFiles(state, reads);
  end.notRemoved = copies.RemoveSaved(end.save);
  return end;
}

// The last try to put the play log's waiting lines into a file; they are lost with the program, so
// lines left in memory fail the end as a failed save does.
int KeepTheLog(PlayLog& playLog, int exitCode) {
  playLog.Retry();
  return playLog.LinesInMemory() == 0 ? exitCode : kDataNotSaved;
}

const char* endCause = "";

// The Q or session end's own words, with the save's outcome.
const char* SavedEnd(int exitCode) {
  if (exitCode != 0) return SessionEnding() ? "session end, failed save" : "failed save";
  return SessionEnding() ? "session end" : "Q";
}

}  // namespace

const char* kavrel::EndCause() {
  return endCause;
}

int kavrel::WinMain(plat::System& system, FrameObserver* observer) {
  // First of all: two games in one directory would write over each other's results.
  const plat::DirectoryLock lock;
  if (lock.outcome() == plat::DirectoryLock::Outcome::HeldElsewhere) {
    TellAlreadyRunning(system, lock.lockFileOwner());
    endCause = "already running";
    return kAlreadyRunning;
  }
  if (lock.outcome() == plat::DirectoryLock::Outcome::NotPlainLockFile) {
    TellNotPlainLockFile(system);
    endCause = "lock file refused";
    return kAlreadyRunning;
  }
  endCause = "no window";
  if (!CreateMainWindow(system)) return 0;  // also shows the start-up box
  if (lock.readOnly())
    TellReadOnlyFolder(system);
  else if (lock.outcome() == plat::DirectoryLock::Outcome::Unavailable)
    TellNoLock(system);

  Session session(system, observer);
  session.LoadSpriteSheet();
  // A file that is there but cannot be read is remembered, so that the quit leaves it alone.
  std::vector<StartUpNotice> notices;
  RecoveryCopies copies;
  PlayLog playLog;
  // Only the lock's holder knows that no other program is writing one of them.
  if (lock.outcome() == plat::DirectoryLock::Outcome::Locked) RemoveLeftTemporariesOfDataFiles();
  const StartUpReads reads = copies.RestoreAndRead(session.state, notices, playLog);
  NameCopiesKeptAtEsc(notices);
  TellStartUpNotices(system, notices);
  if (system.FilterKeysOn()) TellFilterKeysOn(system);
  if (!FontFace::Shared()) TellNoJapaneseFace(system);
  UseControlsFile(system);
  // Sound: its settings, the operator's own sounds, the output (no output is no fault).
  StartSound(system, session.sound);
  session.random.Seed(static_cast<uint32_t>(system.CurrentTimeSeconds()));

  // Where a backend must save at once when the session ends (Windows may end the process as soon
  // as its window is told), the loop's own ending is kept, and the process ends there.
  system.SetSessionEndSave([&session, &reads, &copies, &playLog] {
    SettleForSessionEnd(session.state);
    KeepCutShortPass(session.game, copies, playLog);
    const int exitCode =
        KeepTheLog(playLog, SaveTheDay(session.state, reads, copies).save.ExitCode());
    plat::BoothChannel::Get().SayEnd(exitCode,
                                     exitCode == 0 ? "session end" : "session end, failed save");
    std::_Exit(exitCode);
  });
  struct ClearSave {
    plat::System& system;
    ~ClearSave() { system.SetSessionEndSave(nullptr); }
  } clearSave{system};

  OperatorDesk desk(session.game, reads, copies, notices);
  if (ChallengerLoop(session.game, copies, playLog, &desk) == ScreenResult::Quit) {
    // Closed: nothing is saved, but what the copies hold is kept aside for the ranking tool's
    // merge; the play log keeps its lines.
    copies.KeepAside(playLog.LinesWaiting());
    endCause = system.BoothMode() ? "ESC held" : "ESC or close";
    return 1;
  }
  // Told before the save is tried: the results are in memory only.
  const std::vector<CopyFailure> unwritten = copies.Unwritten();
  if (!SessionEnding()) TellCopyFailures(system, unwritten, CopyFailureMoment::AtQuit);
  if (SessionEnding()) KeepCutShortPass(session.game, copies, playLog);
  const DayEnd end = SaveTheDay(session.state, reads, copies);
  const int exitCode = KeepTheLog(playLog, end.save.ExitCode());
  endCause = SavedEnd(exitCode);
  if (!SessionEnding()) {
    TellSaveFailures(system, end.save);
    TellCopyFailures(system, end.notRemoved, CopyFailureMoment::AtQuit);
    TellPlayLinesLost(system, playLog);
  }
  return exitCode;
}
