// The operator's controller mapping, kv_controls.txt in the data folder: read at start-up by the
// game and the replay, written by the mapping screen with the safe save.
#pragma once

#include <string>

#include "platform/Controls.h"
#include "store/DataFiles.h"

// A mapping is a few dozen lines; a file longer than this is not one, and is not read at all.
inline constexpr size_t kMaxControlsFileBytes = 64 * 1024;

struct ControlsFileRead {
  DataFileRead file;        // Absent: every controller gets its default
  plat::ControlsRead read;  // empty unless the file was read
  bool tooLarge = false;    // Unreadable because it is over kMaxControlsFileBytes
};
ControlsFileRead ReadControlsFile();

// Moves a file that cannot be read out of the way (kv_controls.txt.unreadable, or .unreadable2
// and on when taken), so that a new mapping can be saved; the name it now has, or "" with the
// errno in `error` when it could not be moved.
std::string SetControlsFileAside(int& error);

// Replaces the file with `bytes`; false with the errno in `error` when it could not.
bool SaveControlsFile(const std::string& bytes, int& error, FileOps& ops = PosixFileOps());
