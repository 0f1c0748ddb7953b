// `kavrel --controls`: the screen that maps a controller by pressing, in the game's window and
// beside no game (it takes the folder's lock). It asks in turn for the input to use for each of
// the game's keys, shows live what every press would be, and saves kv_controls.txt with the safe
// save once the last key is answered; ESC leaves without saving.
#pragma once

class FrameObserver;
namespace plat {
class System;
}

namespace kavrel {
// 0 when saved, 1 when left without saving, 5 when another program holds the folder, 255 when
// the file could not be saved or read.
int MapControls(plat::System& system, FrameObserver* observer = nullptr);
}  // namespace kavrel
