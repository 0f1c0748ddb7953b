// The game's entry routine, the same for the real window and the headless replay.
#pragma once

class FrameObserver;
namespace plat {
class System;
}

// Starts up, runs the challenger loop and writes the data files at an orderly quit (Q, or the end
// of the session). Returns 0 when the window cannot be created, 1 when it was closed during play,
// else the result of writing the data files. In a namespace: at global scope the Windows compilers
// give a function of this name C linkage, as the C runtime's own entry.
namespace kavrel {
int WinMain(plat::System& system, FrameObserver* observer = nullptr);
// Why the last WinMain ended, in the booth's log's words: "Q", "ESC held" (booth mode) or "ESC or
// close", "session end", "failed save", "already running", "lock file refused", "no window".
const char* EndCause();
}  // namespace kavrel
