// The one box of the game, the launcher and the booth's supervisor: SDL's, with its text in lines
// that fit the screen and in a locale that can draw it.
#pragma once

#include <cstdint>
#include <string>

struct SDL_Window;

namespace plat {

// The widest a box may be, in pixels: the smallest screen the game is played on, or the screen
// where it is smaller.
inline constexpr int kWidestBox = 1024;

// Shows SDL's simple box (`flags` as SDL_ShowSimpleMessageBox's, texts in UTF-8) and waits for it
// to be answered. On X its text is broken into lines no wider than the box may be, at the font the
// box is drawn with, and drawn under a locale that exists where the one named by the environment
// is not installed. 0 when it was shown, as SDL_ShowSimpleMessageBox.
int ShowBox(uint32_t flags, const std::string& caption, const std::string& text, SDL_Window* owner);

}  // namespace plat
