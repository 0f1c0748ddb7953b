// A box in booth mode that answers itself: nobody may be there to press OK, and a game waiting for
// nobody is a dark booth.
#pragma once

#include <string>

struct SDL_Window;

namespace plat {

// How long a booth's box waits for the operator before it answers itself.
inline constexpr unsigned kBoxAnswersItselfMs = 10000;

// Shows SDL's box (UTF-8 texts) and takes it away after `ms` if nobody answered it. True when it
// answered itself; false when someone did, or when it could not be shown (said on standard error).
bool ShowBoxAnsweringItself(const std::string& caption, const std::string& text, SDL_Window* owner,
                            unsigned ms);

}  // namespace plat
