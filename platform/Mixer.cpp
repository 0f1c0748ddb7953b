#include "platform/Mixer.h"

#include <algorithm>

namespace plat {

int32_t VolumeGain(int volume) {
  const int v = std::clamp(volume, 0, kMaxVolume);
  return (v * v + v) * kUnityGain / (kMaxVolume * kMaxVolume + kMaxVolume);
}

namespace {
// Above this a voice's sample times its gain would leave 32 bits.
constexpr int32_t kMaxGain = 4 * kUnityGain;
}  // namespace

Mixer::Mixer(const SoundBank& bank) : bank_(bank), volume_(VolumeGain(kDefaultVolume)) {}

bool Mixer::Push(const SoundCue& cue) {
  const uint32_t head = head_.load(std::memory_order_relaxed);
  if (head - tail_.load(std::memory_order_acquire) >= kQueueSize) return false;
  queue_[head % kQueueSize] = cue;
  head_.store(head + 1, std::memory_order_release);
  return true;
}

void Mixer::Reset(int volume) {
  voices_ = {};
  volume_ = VolumeGain(volume);
  tail_.store(head_.load(std::memory_order_acquire), std::memory_order_release);
}

Mixer::Voice* Mixer::FreeVoice() {
  Voice* oldest = &voices_[0];
  for (Voice& v : voices_) {
    if (v.clip < 0) return &v;
    // A held voice is never taken over: it stops only when told.
    if (!v.held && (oldest->held || v.started - oldest->started > 0x80000000u)) oldest = &v;
  }
  return oldest->held ? nullptr : oldest;
}

void Mixer::Take(const SoundCue& cue) {
  if (cue.kind == SoundCue::Volume) {
    volume_ = VolumeGain(cue.gain);
    return;
  }
  if (cue.kind == SoundCue::Silence) {
    voices_ = {};
    return;
  }
  if (cue.clip >= bank_.size() || bank_[cue.clip].samples.empty()) return;
  if (cue.kind == SoundCue::Hold) {
    for (Voice& v : voices_) {
      if (v.clip == cue.clip && v.held) {
        v.target = std::min<int32_t>(cue.gain, kMaxGain);
        v.rate = cue.rate;
        return;
      }
    }
    if (cue.gain == 0) return;
  }
  Voice* v = FreeVoice();
  if (!v) return;
  *v = Voice{};
  v->clip = cue.clip;
  v->held = cue.kind == SoundCue::Hold;
  v->rate = cue.rate;
  v->target = std::min<int32_t>(cue.gain, kMaxGain);
  // A held voice fades in; a played one starts at its gain, so that its attack stays sharp.
  v->gain = v->held ? 0 : v->target;
  v->started = starts_++;
}

void Mixer::MixVoice(Voice& voice, int32_t* sum, int count) {
  const std::vector<int16_t>& samples = bank_[voice.clip].samples;
  const uint64_t length = samples.size();
  for (int i = 0; i < count; ++i) {
    uint64_t index = voice.position >> 16;
    if (index >= length) {
      if (!voice.held) {
        voice.clip = -1;
        return;
      }
      voice.position -= length << 16;
      index -= length;
    }
    const int32_t a = samples[index];
    const int32_t b = index + 1 < length ? samples[index + 1] : voice.held ? samples[0] : 0;
    const int32_t fraction = static_cast<int32_t>(voice.position & 0xFFFF);
    const int32_t value = a + static_cast<int32_t>((int64_t{b - a} * fraction) >> 16);
    sum[i] += (value * voice.gain) >> 8;
    voice.position += voice.rate;
    // A held voice's gain moves a step a sample, so that a change never clicks.
    if (voice.gain != voice.target) voice.gain += voice.gain < voice.target ? 1 : -1;
  }
  if (voice.held && voice.target == 0 && voice.gain == 0) voice.clip = -1;
}

void Mixer::Mix(int16_t* out, int count) {
  const uint32_t head = head_.load(std::memory_order_acquire);
  uint32_t tail = tail_.load(std::memory_order_relaxed);
  for (; tail != head; ++tail) Take(queue_[tail % kQueueSize]);
  tail_.store(tail, std::memory_order_release);

  while (count > 0) {
    const int n = std::min(count, kBlock);
    std::fill_n(sum_.begin(), n, 0);
    for (Voice& v : voices_)
      if (v.clip >= 0) MixVoice(v, sum_.data(), n);
    for (int i = 0; i < n; ++i) {
      const int32_t s = (sum_[i] * volume_) >> 8;
      out[i] = static_cast<int16_t>(std::clamp<int32_t>(s, -32768, 32767));
    }
    out += n;
    count -= n;
  }
}

}  // namespace plat
