#include "screens/Screens.h"

ScreenResult RunScreen(Game&) { return ScreenResult::Next; }
