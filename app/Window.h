// The main window: an anchor for the display and a receiver of messages. Only ESC, or any other
// way of closing it, reaches the game through messages.
#pragma once

namespace plat {
class System;
struct Message;
}  // namespace plat

// 1 when the window exists and is shown, 0 when creation failed. Creating it shows the start-up
// message box, which must be answered first.
int CreateMainWindow(plat::System& system);
long MainWindowProc(plat::System& system, const plat::Message& msg);
// 1 when the queue is empty and the frame may go on; 0 when the quit message has been taken.
int DrainMessageQueue(plat::System& system);
