// The main window: an anchor for the display and a receiver of messages. Only ESC, or any other
// way of closing it, and the end of the session reach the game through messages.
#pragma once

namespace plat {
class System;
struct Message;
}  // namespace plat

// The window's class name and title.
inline constexpr const char* kWindowName = "Vostrel";

// Booth mode: the start-up box starts the game by itself after this long.
inline constexpr unsigned kStartUpBoxAnswersItselfMs = 30000;

// 1 when the window exists and is shown, 0 when creation failed. Creating it shows the start-up
// message box, which must be answered first.
int CreateMainWindow(plat::System& system);
long MainWindowProc(plat::System& system, const plat::Message& msg);
// True when the quit came because the session is ending (the machine shuts down, the user logs
// out, the terminal closes): the game then keeps its results as Q does.
bool SessionEnding();
