// The game's entry routine, the same for the real window and the headless replay.
#pragma once

class FrameObserver;
namespace plat {
class System;
}

// Starts up, runs the challenger loop and writes the data files at an orderly quit (Q, or the end
// of the session). Returns 0 when the window cannot be created, 1 when it was closed during play,
// else the result of writing the data files. (Not named WinMain: on Windows that name belongs to
// the C runtime's entry.)
int GameMain(plat::System& system, FrameObserver* observer = nullptr);
