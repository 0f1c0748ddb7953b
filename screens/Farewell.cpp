#include "screens/Screens.h"

ScreenResult FarewellScreen(Game&) { return ScreenResult::Next; }
