#include "screens/Screens.h"

ScreenResult WindUpScreen(Game&) { return ScreenResult::Next; }
