#include "screens/Screens.h"

ScreenResult ResultsScreen(Game&) { return ScreenResult::Next; }
