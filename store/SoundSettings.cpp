#include "store/SoundSettings.h"

#include <algorithm>

#include "game/Sounds.h"
#include "platform/System.h"

SoundSettings::SoundSettings(plat::System& system, SoundBoard& board, const Settings& settings,
                             std::optional<bool> soundOverride)
    : system_(system), board_(board), settings_(settings) {
  SetVolume(settings_.volume);
  SetCall(settings_.call);
  on_ = soundOverride.value_or(settings_.sound);
  if (on_) system_.StartSound();
}

void SoundSettings::SetVolume(int volume) {
  settings_.volume = std::clamp(volume, 0, plat::kMaxVolume);
  system_.PlaySound({plat::SoundCue::Volume, 0, static_cast<uint16_t>(settings_.volume)});
}

void SoundSettings::SetSoundOn(bool on) {
  settings_.sound = on;
  if (on == on_) return;
  on_ = on;
  if (on) {
    system_.StartSound();
  } else {
    system_.StopSound();
  }
}

void SoundSettings::SetCall(bool on) {
  settings_.call = on;
  board_.SetCall(on);
}

bool SoundSettings::Save(int& error, FileOps& ops) const {
  return SaveSettingsFile(settings_, error, ops);
}
