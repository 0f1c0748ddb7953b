// One challenger's whole pass played with keys on the real game's window, from the attract screen
// back to it: for the window tests that need a finished pass (its ranking entry, its copies).
#pragma once

#include <string>

#include "tests/support/XSession.h"

namespace xsession {

// Plays a pass from the attract screen: a few winds, the events, the results, the name AAAAAAAA,
// the ranking and the farewell. Screenshots pass-*.png are kept. "" once the attract screen is
// back, else what did not come.
std::string PlayWholePass(GameRun& game);

// True when the attract screen is shown in `rgb` (a Screenshot of the game at scale 2).
bool AttractShown(const std::string& rgb);

}  // namespace xsession
