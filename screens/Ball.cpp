#include "screens/Screens.h"

ScreenResult BallScreen(Game&) { return ScreenResult::Next; }
