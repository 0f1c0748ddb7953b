#include "game/Sounds.h"

#include "game/Game.h"
#include "platform/System.h"

uint32_t RateOfCents(int cents) {
  // 2^(k/12) for the twelve semitones of an octave, 16 fraction bits; between two semitones the
  // rate is taken on the straight line (a hundredth of a semitone is too little to hear the bend).
  static constexpr uint32_t kSemitones[13] = {65536, 69433,  73562,  77936,  82570,  87480, 92682,
                                              98193, 104032, 110218, 116772, 123715, 131072};
  int octave = 0;
  while (cents < 0) {
    cents += 1200;
    --octave;
  }
  octave += cents / 1200;
  cents %= 1200;
  const uint32_t low = kSemitones[cents / 100];
  const uint32_t high = kSemitones[cents / 100 + 1];
  uint64_t rate = low + (uint64_t{high - low} * (cents % 100)) / 100;
  if (octave >= 0) {
    rate <<= (octave > 8 ? 8 : octave);
  } else {
    rate >>= (-octave > 16 ? 16 : -octave);
  }
  return static_cast<uint32_t>(rate > 0xFFFFFFFFu ? 0xFFFFFFFFu : rate);
}

void PlaySfx(Game& game, Sfx sfx, int gain, uint32_t rate) {
  game.system.PlaySound({plat::SoundCue::Play, static_cast<uint8_t>(sfx),
                         static_cast<uint16_t>(gain < 0 ? 0 : gain), rate});
}

void HoldSfx(Game& game, Sfx sfx, int gain, uint32_t rate) {
  game.system.PlaySound({plat::SoundCue::Hold, static_cast<uint8_t>(sfx),
                         static_cast<uint16_t>(gain < 0 ? 0 : gain), rate});
}

void SoundBoard::Begin(plat::System& system, const SoundSettings& settings,
                       std::optional<bool> soundOverride) {
  system_ = &system;
  settings_ = settings;
  SetVolume(settings.volume);
  on_ = soundOverride.value_or(settings.sound);
  if (on_) system.StartSound();
}

void SoundBoard::SetVolume(int volume) {
  settings_.volume = volume < 0 ? 0 : volume > plat::kMaxVolume ? plat::kMaxVolume : volume;
  if (system_)
    system_->PlaySound({plat::SoundCue::Volume, 0, static_cast<uint16_t>(settings_.volume)});
}

void SoundBoard::SetSoundOn(bool on) {
  settings_.sound = on;
  if (on == on_ || !system_) return;
  on_ = on;
  if (on) {
    system_->StartSound();
  } else {
    system_->StopSound();
  }
}

bool SoundBoard::Save(int& error) const {
  error = 0;
  return save && save(settings_, error);
}

void SoundBoard::AttractFrame(Game& game) {
  if (!settings_.call || !on_ || !game.system.BoothMode()) return;
  const uint32_t now = game.system.GetTickCount();
  if (now - callFrom_ < kCallEveryMs) return;
  callFrom_ = now;
  PlaySfx(game, Sfx::Call);
}

void AttractCall(Game& game) {
  if (game.sound) game.sound->AttractFrame(game);
}

void AttractCallFrom(Game& game, uint32_t tick) {
  if (game.sound) game.sound->AttractBegins(tick);
}
