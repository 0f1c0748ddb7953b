// The sound output's mixer: up to 16 voices of the game's clips (48 kHz, 16-bit, mono) mixed in
// integer arithmetic only, so that every machine and compiler gives the same samples. The game's
// thread queues cues without waiting and without a lock; the sound thread (SDL's audio callback,
// or the replay's virtual clock) takes them at the start of its next block and mixes.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <vector>

namespace plat {

inline constexpr int kSoundRate = 48000;  // samples a second
inline constexpr int kVoices = 16;
inline constexpr int kUnityGain = 256;         // a cue's gain: 256 plays the clip as it is
inline constexpr uint32_t kPlainRate = 65536;  // a cue's rate: 65536 plays the clip at its pitch
inline constexpr int kMaxVolume = 10;
inline constexpr int kDefaultVolume = 6;

// One sound, as the mixer plays it.
struct SoundClip {
  std::vector<int16_t> samples;  // 48 kHz mono
};
using SoundBank = std::vector<SoundClip>;

struct SoundCue {
  enum Kind : uint8_t {
    Play,    // a voice of its own, from the clip's start to its end
    Hold,    // the clip's one held voice, looping: started, or its gain and rate changed; gain 0
             // fades it out
    Volume,  // the output's volume: `gain` is 0 to kMaxVolume
    Silence  // every voice stops at once
  } kind = Play;
  uint8_t clip = 0;
  uint16_t gain = kUnityGain;
  uint32_t rate = kPlainRate;  // steps through the clip, 16 fraction bits: higher sounds higher
};

class Mixer {
 public:
  // `bank` must outlive the mixer and stay unchanged while it mixes.
  explicit Mixer(const SoundBank& bank);
  Mixer(const Mixer&) = delete;
  Mixer& operator=(const Mixer&) = delete;

  // From the game's thread: queues a cue; false (the cue dropped) when the queue is full, as when
  // the sound thread has stopped.
  bool Push(const SoundCue& cue);
  // From the sound thread: takes the cues queued so far and writes the next `count` samples.
  void Mix(int16_t* out, int count);
  // Forgets every voice and queued cue and sets the volume (0 to kMaxVolume); only while nothing
  // mixes (no sound thread running).
  void Reset(int volume);

 private:
  struct Voice {
    int clip = -1;  // -1: free
    bool held = false;
    uint64_t position = 0;  // in the clip, 16 fraction bits
    uint32_t rate = kPlainRate;
    int32_t gain = 0;    // now (a held voice moves toward its target a step a sample)
    int32_t target = 0;  // a held voice's gain to reach
    uint32_t started = 0;
  };
  void Take(const SoundCue& cue);
  Voice* FreeVoice();
  void MixVoice(Voice& voice, int32_t* sum, int count);

  const SoundBank& bank_;
  static constexpr uint32_t kQueueSize = 64;  // a power of two
  std::array<SoundCue, kQueueSize> queue_{};
  std::atomic<uint32_t> head_{0};  // written by the game's thread only
  std::atomic<uint32_t> tail_{0};  // written by the sound thread only
  std::array<Voice, kVoices> voices_{};
  uint32_t starts_ = 0;
  int32_t volume_ = 0;  // the master gain, 256 = unity
  static constexpr int kBlock = 256;
  std::array<int32_t, kBlock> sum_{};
};

// The master gain of a volume of 0 to 10: loudness follows the ear, not the amplitude.
int32_t VolumeGain(int volume);

}  // namespace plat
