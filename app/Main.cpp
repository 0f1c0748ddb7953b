// The whole program: the window, one session of the engine with the sprite sheet and both data
// files read, the challenger loop, and the files written unless the window was closed.
#include "app/Main.h"

#include <cstdint>
#include <cstdlib>

#include "app/ChallengerLoop.h"
#include "app/Window.h"
#include "game/Session.h"
#include "platform/System.h"
#include "store/DataFiles.h"

int kavrel::WinMain(plat::System& system, FrameObserver* observer) {
  if (!CreateMainWindow(system)) return 0;  // also shows the start-up box

  Session session(system, observer);
  session.LoadSpriteSheet();
  // A file that is there but cannot be read is remembered, so that the quit leaves it alone.
  StartUpReads reads;
  reads.record = ReadRecordFile(session.state);
  reads.ranking = ReadRankingTable(session.state);
  session.random.Seed(static_cast<uint32_t>(system.CurrentTimeSeconds()));

  // Where a backend must save at once when the session ends (Windows may end the process as soon
  // as its window is told), the loop's own ending is kept, and the process ends there.
  system.SetSessionEndSave([&session, &reads] {
    SettleForSessionEnd(session.state);
    std::_Exit(WriteDataFiles(session.state, reads));
  });
  struct ClearSave {
    plat::System& system;
    ~ClearSave() { system.SetSessionEndSave(nullptr); }
  } clearSave{system};

  if (ChallengerLoop(session.game) == ScreenResult::Quit) return 1;  // closed: nothing is saved
  return WriteDataFiles(session.state, reads);
}
