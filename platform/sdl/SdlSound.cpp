// The SDL backend's sound: the mixer on SDL's audio callback, at 48 kHz, 16 bits, mono, with a
// buffer of 512 samples (under 11 ms), so that a cue is heard within a frame or so. A machine
// without sound, or a device that fails or is unplugged, leaves the game playing silently.
#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <cstdio>
#include <utility>

#include "platform/sdl/SdlSystem.h"

namespace plat {
namespace {

constexpr Uint16 kBufferSamples = 512;

// On SDL's audio thread: no lock, no allocation, only the mixer's own memory.
void MixInto(void* mixer, Uint8* stream, int bytes) {
  static_cast<Mixer*>(mixer)->Mix(reinterpret_cast<int16_t*>(stream), bytes / 2);
}

}  // namespace

void SdlSystem::SetSounds(SoundBank bank) {
  CloseAudio();
  mixer_.reset();
  sounds_ = std::move(bank);
  mixer_ = std::make_unique<Mixer>(sounds_);
  if (soundWanted_) OpenAudio();
}

bool SdlSystem::StartSound() {
  soundWanted_ = true;
  return audioDevice_ != 0 || OpenAudio();
}

void SdlSystem::StopSound() {
  soundWanted_ = false;
  CloseAudio();
}

void SdlSystem::PlaySound(const SoundCue& cue) {
  if (cue.kind == SoundCue::Volume) volume_ = cue.gain;
  if (audioDevice_ != 0) mixer_->Push(cue);
}

bool SdlSystem::OpenAudio() {
  if (!mixer_ || !sdlStarted_) return false;
  if (!audioStarted_) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
      std::fprintf(stderr, "kavrel: no sound (%s)\n", SDL_GetError());
      if (onSoundLost) onSoundLost();
      return false;
    }
    audioStarted_ = true;
  }
  SDL_AudioSpec want{};
  want.freq = kSoundRate;
  want.format = AUDIO_S16SYS;
  want.channels = 1;
  want.samples = kBufferSamples;
  want.callback = &MixInto;
  want.userdata = mixer_.get();
  mixer_->Reset(volume_);  // no callback runs yet
  // No change allowed: SDL converts for the device, and the callback always gets this format.
  audioDevice_ = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
  if (audioDevice_ == 0) {
    std::fprintf(stderr, "kavrel: no sound device (%s)\n", SDL_GetError());
    if (onSoundLost) onSoundLost();
    return false;
  }
  SDL_PauseAudioDevice(audioDevice_, 0);
  return true;
}

void SdlSystem::CloseAudio() {
  if (audioDevice_ == 0) return;
  SDL_CloseAudioDevice(audioDevice_);  // waits for a callback in progress
  audioDevice_ = 0;
}

void SdlSystem::AudioDeviceEvent(bool added, uint32_t which) {
  if (!added && which == audioDevice_) {
    CloseAudio();
    if (onSoundLost) onSoundLost();
  } else if (added && soundWanted_ && audioDevice_ == 0) {
    OpenAudio();
  }
}

}  // namespace plat
