#include "screens/Screens.h"

ScreenResult RankingScreen(Game&) { return ScreenResult::Next; }
void InsertRankingEntry(Game&) {}
