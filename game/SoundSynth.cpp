// The game's own sounds, made at start-up from notes: oscillators and noise under envelopes, in
// integer arithmetic only, so that every machine makes the same samples.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "game/Sounds.h"

namespace {

enum class Wave : uint8_t { Sine, Square, Triangle, Saw, Noise, Rumble };

struct Note {
  int atMs;
  int lengthMs;
  Wave wave;
  int fromHz;  // the pitch slides from this to toHz over the note
  int toHz;
  int level;  // per cent of full scale
  int attackMs;
  bool flat = false;  // no decay: a held sound's loop
};

constexpr int kSamplesPerMs = plat::kSoundRate / 1000;

// A sine from the phase (a full turn is 2^32), by Bhaskara's rational approximation, which needs
// no floating point: within half a turn of T steps, sin is about 16u / (5T^2 - 4u), u = t(T - t).
int32_t Sine(uint32_t phase) {
  constexpr int64_t kHalf = 32768;
  const int64_t t = (phase >> 16) & 0x7FFF;
  const int64_t u = t * (kHalf - t);
  const int64_t value = 32767 * 16 * u / (5 * kHalf * kHalf - 4 * u);
  return static_cast<int32_t>(phase & 0x80000000u ? -value : value);
}

int32_t Oscillate(Wave wave, uint32_t phase, uint32_t& noise, int32_t& smooth) {
  switch (wave) {
    case Wave::Sine:
      return Sine(phase);
    case Wave::Square:
      return phase < 0x80000000u ? 24000 : -24000;
    case Wave::Triangle: {
      const int32_t ramp = static_cast<int32_t>(phase >> 15);  // 0 .. 131071
      return (ramp < 65536 ? ramp : 131071 - ramp) - 32768;
    }
    case Wave::Saw:
      return static_cast<int32_t>(phase >> 16) - 32768;
    case Wave::Noise:
    case Wave::Rumble: {
      noise = noise * 1103515245u + 12345u;
      const int32_t white = static_cast<int16_t>(noise >> 16);
      if (wave == Wave::Noise) return white;
      smooth += (white - smooth) / 16;  // a low rumble rather than a hiss
      return smooth * 3;
    }
  }
  return 0;
}

void AddNote(std::vector<int32_t>& mix, const Note& note, uint32_t seed) {
  const int64_t start = int64_t{note.atMs} * kSamplesPerMs;
  const int64_t length = int64_t{note.lengthMs} * kSamplesPerMs;
  const int64_t attack = int64_t{note.attackMs} * kSamplesPerMs;
  if (mix.size() < static_cast<size_t>(start + length)) mix.resize(start + length, 0);
  uint32_t phase = 0;
  uint32_t noise = seed;
  int32_t smooth = 0;
  for (int64_t t = 0; t < length; ++t) {
    // Hz in 1/256ths, then the phase step of a sample: f * 2^32 / 48000.
    const int64_t hz256 = note.fromHz * 256 + (note.toHz - note.fromHz) * 256 * t / length;
    phase += static_cast<uint32_t>((hz256 << 24) / plat::kSoundRate);
    int64_t envelope = 65536;  // 16 fraction bits
    if (t < attack) {
      envelope = t * 65536 / attack;
    } else if (!note.flat) {
      const int64_t rest = (length - t) * 65536 / (length - attack);
      envelope = rest * rest >> 16;
    }
    const int64_t value = Oscillate(note.wave, phase, noise, smooth) * envelope >> 16;
    mix[start + t] += static_cast<int32_t>(value * note.level / 100);
  }
}

plat::SoundClip Make(std::initializer_list<Note> notes) {
  std::vector<int32_t> mix;
  uint32_t seed = 1;
  for (const Note& note : notes) AddNote(mix, note, seed++);
  plat::SoundClip clip;
  clip.samples.resize(mix.size());
  for (size_t i = 0; i < mix.size(); ++i)
    clip.samples[i] = static_cast<int16_t>(std::clamp<int32_t>(mix[i], -32768, 32767));
  return clip;
}

// Pitches of the notes used below, in Hz.
constexpr int C5 = 523, E5 = 659, G5 = 784, C6 = 1047, E6 = 1319, G6 = 1568, C7 = 2093;
constexpr int G4 = 392, A5 = 880;

}  // namespace

plat::SoundBank SynthesiseSounds() {
  using W = Wave;
  plat::SoundBank bank(kSfxCount);
  auto at = [&bank](Sfx sfx) -> plat::SoundClip& { return bank[static_cast<int>(sfx)]; };
  at(Sfx::Wind) = Make({{0, 40, W::Square, 700, 1100, 30, 1},
                        {0, 15, W::Noise, 0, 0, 25, 0},
                        {0, 60, W::Sine, 1400, 1400, 25, 1}});
  at(Sfx::Launch) = Make({{0, 200, W::Saw, 180, 900, 35, 5},
                          {0, 300, W::Noise, 0, 0, 25, 20},
                          {0, 350, W::Triangle, 120, 70, 60, 2}});
  // 240 ms holding whole periods of its tones, so that it loops without a click.
  at(Sfx::Motor) = Make({{0, 240, W::Square, 50, 50, 20, 0, true},
                         {0, 240, W::Saw, 100, 100, 15, 0, true},
                         {0, 240, W::Rumble, 0, 0, 40, 0, true}});
  at(Sfx::CarStop) = Make({{0, 220, W::Rumble, 0, 0, 60, 2},
                           {0, 220, W::Sine, 140, 50, 60, 2},
                           {0, 120, W::Noise, 0, 0, 15, 1}});
  at(Sfx::Release) = Make({{0, 160, W::Sine, 1300, 500, 45, 3}});
  at(Sfx::Bounce) = Make({{0, 150, W::Sine, 190, 55, 95, 0}, {0, 25, W::Noise, 0, 0, 30, 0}});
  at(Sfx::BallStop) =
      Make({{60, 90, W::Triangle, 330, 330, 45, 2}, {160, 260, W::Triangle, 220, 220, 50, 2}});
  at(Sfx::Reveal) = Make({{0, 70, W::Square, C6, C6, 20, 1}});
  at(Sfx::Grade) = Make({{0, 800, W::Sine, C5, C5, 30, 3},
                         {0, 800, W::Sine, E5, E5, 30, 3},
                         {0, 800, W::Sine, G5, G5, 30, 3},
                         {0, 500, W::Triangle, C6, C6, 25, 2},
                         {0, 40, W::Noise, 0, 0, 15, 0}});
  at(Sfx::Step) = Make({{0, 25, W::Square, G6, G6, 18, 0}});
  at(Sfx::Choose) = Make({{0, 60, W::Square, C6, C6, 25, 1}, {60, 90, W::Square, G6, G6, 25, 1}});
  at(Sfx::Fanfare) = Make({{0, 150, W::Square, C5, C5, 22, 2},
                           {120, 150, W::Square, E5, E5, 22, 2},
                           {240, 150, W::Square, G5, G5, 22, 2},
                           {360, 600, W::Square, C6, C6, 24, 2},
                           {360, 600, W::Triangle, G5, G5, 30, 2}});
  at(Sfx::Champion) = Make({{0, 140, W::Square, G4, G4, 22, 2},
                            {130, 140, W::Square, C5, C5, 22, 2},
                            {260, 140, W::Square, E5, E5, 22, 2},
                            {390, 300, W::Square, G5, G5, 22, 2},
                            {700, 140, W::Square, E5, E5, 22, 2},
                            {830, 500, W::Square, G5, G5, 22, 2},
                            {1330, 140, W::Square, A5, A5, 22, 2},
                            {1460, 140, W::Square, C6, C6, 22, 2},
                            {1590, 140, W::Square, E6, E6, 22, 2},
                            {1720, 1100, W::Square, C7, C7, 20, 2},
                            {1720, 1100, W::Triangle, C6, C6, 35, 2},
                            {1720, 1100, W::Triangle, G5, G5, 30, 2}});
  at(Sfx::Farewell) = Make({{0, 320, W::Triangle, G5, G5, 40, 3},
                            {220, 320, W::Triangle, E5, E5, 40, 3},
                            {440, 800, W::Triangle, C5, C5, 45, 3},
                            {440, 800, W::Sine, C6, C6, 15, 3}});
  at(Sfx::Call) = Make({{0, 100, W::Square, C6, C6, 20, 1},
                        {90, 100, W::Square, E6, E6, 20, 1},
                        {180, 100, W::Square, G6, G6, 20, 1},
                        {270, 100, W::Square, E6, E6, 20, 1},
                        {360, 100, W::Square, G6, G6, 20, 1},
                        {450, 400, W::Square, C7, C7, 18, 1}});
  return bank;
}
