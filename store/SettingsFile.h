// The operator's settings, kv_settings.txt in the data folder: the sound's volume, sound on or
// off, and booth mode's call on the attract screen. Plain text, one `name = value` a line, '#'
// starting a comment (a byte-order mark and CR LF line ends are fine). Written only when the
// operator changes a setting, with the safe save; a missing file means the defaults.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "game/Sounds.h"
#include "store/DataFiles.h"
#include "store/SafeFile.h"

inline constexpr const char* kSettingsFileName = "kv_settings.txt";

struct SettingsRead {
  DataFileRead file;          // Absent: the defaults
  SoundSettings settings;     // each value the file does not give well keeps its default
  std::vector<int> badLines;  // lines left out, numbered from 1
};

// The settings of `text`, and the numbers of the lines that are none.
SettingsRead ParseSettings(std::string_view text);
// The file's bytes for `settings`, which ParseSettings reads back the same.
std::string FormatSettings(const SoundSettings& settings);

SettingsRead ReadSettingsFile();
// Replaces the file; false with the errno in `error` when it could not.
bool SaveSettingsFile(const SoundSettings& settings, int& error, FileOps& ops = PosixFileOps());
