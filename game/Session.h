// One run of the game's engine, wired together: the display object for the window, the shared
// state, the random generator, the text buffer, and the Game the screens work with. The program,
// the replay, the tests and the benchmark each make one.
#pragma once

#include "display/CCDraw.h"
#include "game/Game.h"
#include "game/GameState.h"
#include "game/Random.h"
#include "game/Sounds.h"
#include "game/Sprites.h"

namespace plat {
class System;
}

class Session {
 public:
  // Makes the display for the window, which must exist, with its 60 surface slots; an observer
  // is shown the display and the state before anything is drawn.
  explicit Session(plat::System& system, FrameObserver* observer = nullptr);
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Installs the sheet's palette and loads its pixels into kSheetSlot, colour-keyed on index 0.
  void LoadSpriteSheet(const char* fileName = kSpriteSheetFile);

  CCDraw draw;
  GameState state;
  Random random;
  TextBuffer text;
  SoundBoard sound;
  Game game;
};
