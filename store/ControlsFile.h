// The operator's controller mapping, kv_controls.txt in the data folder: read at start-up by the
// game and the replay, written by the mapping screen with the safe save.
#pragma once

#include <string>

#include "platform/Controls.h"
#include "store/DataFiles.h"

struct ControlsFileRead {
  DataFileRead file;        // Absent: every controller gets its default
  plat::ControlsRead read;  // empty unless the file was read
};
ControlsFileRead ReadControlsFile();

// Replaces the file with `bytes`; false with the errno in `error` when it could not.
bool SaveControlsFile(const std::string& bytes, int& error, FileOps& ops = PosixFileOps());
