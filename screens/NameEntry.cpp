#include "screens/Screens.h"

ScreenResult NameEntryScreen(Game&) { return ScreenResult::Next; }
