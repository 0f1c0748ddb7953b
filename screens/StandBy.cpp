#include "screens/Screens.h"

ScreenResult StandByScreen(Game&) { return ScreenResult::Next; }
