// The game's sound at start-up: the settings file read (one box when it cannot be), the game's own
// sounds made and the operator's replacement files put in (one box naming those that cannot be
// used), and the output opened unless the sound is off. No sound output is no box: the game plays
// on silently, and in booth mode kv_booth.log notes it once.
#pragma once

class SoundBoard;
namespace plat {
class System;
}

// Leaves `board` (the game's) applying the settings and able to save them.
void StartSound(plat::System& system, SoundBoard& board);
