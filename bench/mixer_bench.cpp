// What the sound costs: the mixer with all 16 voices playing (at pitches off their own, so that
// every sample is interpolated), one SDL buffer of 512 samples a call, and the share of a core
// that keeps up with 48,000 samples a second.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>

#include "platform/Mixer.h"

namespace {

constexpr int kBuffer = 512;

void BM_MixSixteenVoices(benchmark::State& st) {
  plat::SoundBank bank(1);
  std::vector<int16_t>& samples = bank[0].samples;
  samples.resize(plat::kSoundRate * 20);  // longer than any voice lives here
  for (size_t i = 0; i < samples.size(); ++i)
    samples[i] = static_cast<int16_t>(static_cast<int>((i * 7919) % 20000) - 10000);
  plat::Mixer mixer(bank);
  const auto start = [&] {
    mixer.Reset(plat::kMaxVolume);
    for (int v = 0; v < plat::kVoices; ++v)
      mixer.Push({plat::SoundCue::Play, 0, 200, plat::kPlainRate + 977u * v + 1});
  };
  start();
  std::array<int16_t, kBuffer> out{};
  int64_t mixed = 0;
  for (auto _ : st) {
    mixer.Mix(out.data(), kBuffer);
    benchmark::DoNotOptimize(out.data());
    mixed += kBuffer;
    if (mixed > plat::kSoundRate * 8) {
      st.PauseTiming();
      start();
      mixed = 0;
      st.ResumeTiming();
    }
  }
  // Seconds of mixing per second of sound, in per cent of one core.
  st.counters["core_percent"] = benchmark::Counter(
      kBuffer / (100.0 * plat::kSoundRate),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_MixSixteenVoices);

}  // namespace
