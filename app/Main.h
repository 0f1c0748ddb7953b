// The program's entry point, the same for the real window and the headless replay.
#pragma once

#include "app/Game.h"

namespace plat {
class System;
}

inline constexpr const char* kSpriteSheetFile = "kavrel.bmp";

// Starts up, runs the challenger loop and writes the data files at an orderly quit (Q, or the end
// of the session). Returns 0 when the window cannot be created, 1 when it was closed during play,
// else the result of writing the data files.
int WinMain(plat::System& system, FrameObserver* observer = nullptr);
