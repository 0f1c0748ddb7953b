// The sound as the operator sets it: the settings file's values, with the command line's
// `--sound off|on` for this run on top, applied to the sound output at once. The operator's
// screen changes them here and saves them with Save.
#pragma once

#include <optional>

#include "store/SettingsFile.h"

class SoundBoard;
namespace plat {
class System;
}

class SoundSettings {
 public:
  // Applies `settings` (the sound on unless `soundOverride` says otherwise) to the output.
  SoundSettings(plat::System& system, SoundBoard& board, const Settings& settings,
                std::optional<bool> soundOverride);

  int Volume() const { return settings_.volume; }
  bool SoundOn() const { return on_; }
  bool Call() const { return settings_.call; }
  // Heard at once: the volume (clamped to 0 to 10); the output opened or closed; the call.
  void SetVolume(int volume);
  void SetSoundOn(bool on);
  void SetCall(bool on);
  // kv_settings.txt with the values set (an override of the command line is not kept, unless the
  // sound was switched here); false with the errno in `error` when it could not be written.
  bool Save(int& error, FileOps& ops = PosixFileOps()) const;

 private:
  plat::System& system_;
  SoundBoard& board_;
  Settings settings_;
  bool on_ = true;
};
