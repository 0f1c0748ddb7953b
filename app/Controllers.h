// The controllers' mapping at start-up: kv_controls.txt read from the data folder and handed to
// the backend, with one box when the file cannot be read or has lines that are left out.
#pragma once

namespace plat {
class System;
}

void UseControlsFile(plat::System& system);
