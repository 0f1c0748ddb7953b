// What took the keyboard's focus from the booth's window: for the booth's log, where an operator
// can see which program keeps popping up over the game.
#pragma once

#include <string>

namespace plat {

// The title (UTF-8) of the window that has the focus now, or its program's class when it has no
// title; "" when no window has it or it cannot be told.
std::string FocusHolderName();

}  // namespace plat
