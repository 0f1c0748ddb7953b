#include "screens/Screens.h"

ScreenResult AttractScreen(Game&) { return ScreenResult::Next; }
