// The operator's own sounds: a WAV file kv_se_<name>.wav in the data folder takes the place of the
// game's sound of that name (game/Sounds.h), as the sprite sheet's file does for the pictures.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/Mixer.h"
#include "platform/WavFile.h"

// The file that replaces the sound `name`.
std::string SoundFileName(std::string_view name);

// A replacement that is there but could not be used: the game's own sound plays instead.
struct SoundFileProblem {
  std::string file;
  int error = 0;  // errno when it could not be read; else 0 and `problem` says why
  plat::WavProblem problem = plat::WavProblem::None;
};

// Puts into `bank` (indexed as game/Sounds.h names them) each sound whose file is there and
// decodes; the files that could not be used, in the order of the names.
std::vector<SoundFileProblem> UseSoundFiles(plat::SoundBank& bank);
