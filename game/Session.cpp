#include "game/Session.h"

Session::Session(plat::System& system, FrameObserver* observer)
    : draw(system, 60), game{system, draw, state, random, text, observer, &sound, {}} {
  if (observer) observer->Attach(draw, state);
}

void Session::LoadSpriteSheet(const char* fileName) {
  draw.LoadPalette(fileName, 0, 0, 255);
  draw.LoadBitmap(fileName, kSheetSlot, 1);
}
